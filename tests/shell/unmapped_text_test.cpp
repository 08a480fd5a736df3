// Characters the code page cannot hold: the hyphenation leaves their words alone, and
// once the user saves with "?" the editor shows what the file holds. The frame's title
// names the maximized document once and marks it when modified.
#include <QtTest>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QWindow>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class UnmappedTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void HyphenationSkipsWordsWithUnmappedCharactersAndSaveShowsTheQuestionMarks() {
        FrameFixture f;
        QVERIFY(QFile::copy(QStringLiteral(SONKORA_RUNTIME_DIR "/en.hyp"), f.folder.Path(QStringLiteral("en.hyp"))));
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), "\\t 1\n@LENGL\n\nPresentation\n");
        SongText(editor)->moveCursor(QTextCursor::End);
        SongText(editor)->insertPlainText(QString::fromUtf8("presentation Ma\xC5\x82presentation again\n"));
        ModalAnswerer answers;
        answers.Act([](QDialog& d) { d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); })
            .Press(QMessageBox::Ok);
        editor->hyphenate();
        QVERIFY(answers.Unexpected.isEmpty());
        QCOMPARE(answers.Seen.last(),
                 QStringLiteral("box: 1 word was left without hyphens: it holds characters a song text cannot hold "
                                "(Windows-1252). Change them, or hyphenate those words by hand."));
        QCOMPARE(
            SongText(editor)->toPlainText(),
            QString::fromUtf8("\\t 1\n@LENGL\n\nPre-sen-ta-tion\npre-sen-ta-tion Ma\xC5\x82presentation a-gain\n"));

        // Saved with "?" after the warning, the pane shows the file's text.
        answers.Press(QMessageBox::Yes);
        QVERIFY(editor->Save());
        QVERIFY(answers.Seen.last().startsWith(QStringLiteral("box: Line 5 holds")));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")),
                 QByteArray("\\t 1\r\n@LENGL\r\n\r\nPre-sen-ta-tion\r\npre-sen-ta-tion Ma?presentation a-gain\r\n"));
        QCOMPARE(SongText(editor)->toPlainText(),
                 QStringLiteral("\\t 1\n@LENGL\n\nPre-sen-ta-tion\npre-sen-ta-tion Ma?presentation a-gain\n"));
        QVERIFY(!SongText(editor)->document()->isModified());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void TheFrameTitleNamesTheDocumentOnceWithTheModifiedMark() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), "la\n");
        QWindow* frame = f.frame->windowHandle();
        QVERIFY(frame);
        QCOMPARE(frame->title(), QStringLiteral("Sonkora - [song.stf]"));
        SongText(editor)->insertPlainText(QStringLiteral("x"));
        QCOMPARE(frame->title(), QStringLiteral("Sonkora - [song.stf*]"));
        QVERIFY(editor->Save());
        QCOMPARE(frame->title(), QStringLiteral("Sonkora - [song.stf]"));
        // The Window menu lists the bare name.
        QCOMPARE(editor->windowTitle(), QStringLiteral("song.stf"));
    }
};

QTEST_MAIN(UnmappedTextTest)
#include "unmapped_text_test.moc"
