// Keys with one owner each (Alt+P and Alt+T switch an editor's pages, Esc closes a
// message box beside its Help button), the tool buttons that change the text follow
// their menu items on the Preview page, and help asked for from a modal dialog is
// usable while the dialog stays open.
#include <QtTest>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>

#include "common/UserInterface.h"

#include "shell/EditorWindow.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class KeysHelpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void AltPAndAltTSwitchThePagesAndThePreviewDisablesTheEditingButtons() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), "\\t 1\n\nla\n");
        f.frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
        SongText(editor)->setFocus();
        Refresh(f.frame.get());
        QVERIFY(Action(f.frame.get(), "specialLettersButton")->isEnabled());
        QVERIFY(Action(f.frame.get(), "hyphenationButton")->isEnabled());

        QTest::keyClick(SongText(editor), Qt::Key_P, Qt::AltModifier);
        QCOMPARE(Pages(editor)->currentIndex(), 1);
        Refresh(f.frame.get());
        for (const char* name : {"specialLettersButton", "hyphenationButton", "insertSpecialLetter", "hyphenate"})
            QVERIFY2(!Action(f.frame.get(), name)->isEnabled(), name);

        QTest::keyClick(Preview(editor), Qt::Key_T, Qt::AltModifier);
        QCOMPARE(Pages(editor)->currentIndex(), 0);
    }

    void EscClosesAMessageBoxThatHasAHelpButton() {
        EditorFixture f;
        ModalAnswerer answer;
        answer.Act([](QDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        f.frame->WarningBox(QStringLiteral("Something to read."), HelpContext::General);
        QCOMPARE(answer.Seen, QStringList({"box: Something to read."}));
        // A box the key did not close would be listed here.
        QVERIFY2(answer.Unexpected.isEmpty(), qPrintable(answer.Unexpected.join(QLatin1Char(','))));
    }

    void HelpFromAModalDialogComesUpUsableOnTheDialogsTopic() {
        EditorFixture f;
        f.folder.CopyHelp();
        bool helpUsable = false;
        bool dialogStayed = false;
        QString topic;
        ModalAnswerer answer;
        answer.Act([&](QDialog& dialog) {
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
            HelpWindow* help = f.frame->Help();
            // In front and taking input: the modal window now is the help, not the dialog.
            helpUsable = help->isVisible() && QApplication::activeModalWidget() == help;
            topic = help->Browser->source().fileName();
            help->close();
            dialogStayed = dialog.isVisible();
            dialog.reject();
        });
        f.frame->midiSetup();
        QCOMPARE(answer.Seen, QStringList({"dialog: Midi Setup"}));
        QVERIFY(helpUsable);
        QCOMPARE(topic, QStringLiteral("midi-setup.html"));
        QVERIFY(dialogStayed);
        // From the menu, the help window is an ordinary window again.
        f.frame->helpContents();
        QCOMPARE(f.frame->Help()->windowModality(), Qt::NonModal);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(KeysHelpTest)
#include "keys_help_test.moc"
