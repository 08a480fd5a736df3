// While its song plays the song text stays as it is, also for the Replace dialog that
// was open before Play; the playback keys reach the frame from the dialog.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "playback/PlaybackEngine.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ReplaceDialog.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class ReplaceWhilePlayingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void ReplaceRefusesWhilePlayingAndTheDialogPassesF9AndEsc() {
        FrameFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->replace();
        auto* dialog = Child<ReplaceDialog>(editor, "replaceDialog");
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->FindWhat->setText(QStringLiteral("world"));
        dialog->ReplaceWith->setText(QStringLiteral("earth"));

        // F9 in the dialog plays the song.
        QTest::keyClick(dialog->FindWhat, Qt::Key_F9);
        QVERIFY(f.frame->Playing());
        f.At(0);
        const QString before = SongText(editor)->toPlainText();
        const QString refusal = QStringLiteral(
            "box: The song text cannot be changed while its song is playing. Stop the song (Esc) "
            "and replace then.");
        for (QPushButton* button : {dialog->ReplaceAllButton, dialog->ReplaceButton}) {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Ok);
            button->click();
            QCOMPARE(answer.Seen, QStringList({refusal}));
            QCOMPARE(SongText(editor)->toPlainText(), before);
        }
        QVERIFY(f.frame->Playing());

        // The boxes are gone; the dialog is the active window again, as on a desktop.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        // Esc stops the song and leaves the dialog open; with no song, Esc closes it.
        QTest::keyClick(dialog->FindWhat, Qt::Key_Escape);
        QVERIFY(!f.frame->Playing());
        QVERIFY(dialog->isVisible());
        dialog->ReplaceAllButton->click();
        QVERIFY(SongText(editor)->toPlainText().contains(QStringLiteral("earth")));
        QTest::keyClick(dialog->FindWhat, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(ReplaceWhilePlayingTest)
#include "replace_while_playing_test.moc"
