// The Karaoke menu and the page change through the compiler core: the preview and both
// selection mappings on the worked example, Make on the example song with its success
// box and file, an error placing the caret, voice track selection and a new song text.
#include <QtTest>

#include <QApplication>
#include <QFile>
#include <QTabWidget>

#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

const QByteArray WorkedExample =
    "\\t 2\n\\m song.mid\n@LENGL\n@TMy Song\n\nHel-lo world,\nhow are you\n\nFine_ty $3:1:0$thanks\n";

}  // namespace

class KaraokeCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void ThePreviewPageSelectsTheLyricAtTheCaretAndBack() {
        EditorFixture f(true);
        TEditForm* editor = f.Open(QStringLiteral("worked.stf"), WorkedExample);
        // The caret inside "you" on "how are you".
        const int line6 = editor->Memo1->LineStartIndex(6);
        editor->Memo1->Select(line6 + 9, 0);
        editor->Preview1Click();
        QCOMPARE(editor->PageControl1->currentIndex(), 1);
        QCOMPARE(editor->Memo2->toPlainText(), QStringLiteral("\nHello world,\nhow are you\n\nFinety thanks"));
        const int line2 = editor->Memo2->LineStartIndex(2);
        QCOMPARE(editor->Memo2->SelectionStart(), line2 + 7);
        QCOMPARE(editor->Memo2->SelectionLength(), 4);  // " you"
        QCOMPARE(editor->ActivePane(), editor->Memo2);

        // Back on the STF page from the caret on "world," in the preview: the source of
        // that lyric, from its first letter to the start of the next line.
        editor->Memo2->Select(editor->Memo2->LineStartIndex(1) + 8, 0);
        editor->STF1Click();
        QCOMPARE(editor->PageControl1->currentIndex(), 0);
        const int line5 = editor->Memo1->LineStartIndex(5);
        QCOMPARE(editor->Memo1->SelectionStart(), line5 + 7);
        QCOMPARE(editor->Memo1->SelectionLength(), 7);  // "world," and its line end
        QCOMPARE(editor->ActivePane(), editor->Memo1);
        // Nothing was written: the preview makes no file.
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("worked.kar"))));
    }

    void AnErrorInTheLyricsEndsThePreviewWithoutABox() {
        EditorFixture f(true);
        TEditForm* editor = f.Open(QStringLiteral("bad.stf"), "\\t 1\n\nHel-lo $x$world\n");
        ModalAnswerer answer;
        editor->Preview1Click();
        QVERIFY(answer.Seen.isEmpty());
        QVERIFY(answer.Unexpected.isEmpty());
        QVERIFY2(editor->Memo2->toPlainText().endsWith(QStringLiteral("Invalid MIDI time $x$.")),
                 qPrintable(editor->Memo2->toPlainText()));
    }

    void MakeOnTheExampleSaysSoAndWritesTheKaraokeFile() {
        EditorFixture f(true);
        TEditForm* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        editor->Make1Click();
        QCOMPARE(answer.Seen, QStringList({"box: Karaoke file made succesfully"}));
        QVERIFY(answer.Unexpected.isEmpty());
        QFile kar(f.Example(QStringLiteral("jingle_bells.kar")));
        QVERIFY(kar.open(QIODevice::ReadOnly));
        const QByteArray bytes = kar.readAll();
        QVERIFY(bytes.startsWith("MThd"));
        QVERIFY(bytes.contains("@TJingle Bells"));
        QVERIFY(bytes.contains("\\Dash"));
        QCOMPARE(editor->KarFileName, f.Example(QStringLiteral("jingle_bells.kar")));
        // Make fills the preview too while the song text page shows.
        QVERIFY(editor->Memo2->toPlainText().contains(QStringLiteral("Dashing through the snow")));
    }

    void AnErrorPutsTheCaretAtItsLineAndColumnAndLeavesNoFile() {
        EditorFixture f(true);
        QFile::copy(f.Example(QStringLiteral("jingle_bells.mid")), f.folder.Path(QStringLiteral("tune.mid")));
        TEditForm* editor = f.Open(QStringLiteral("err.stf"), "\\t 1\n\\m tune.mid\n\nHel-lo $x$world\n");
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        editor->Make1Click();
        QCOMPARE(answer.Seen, QStringList({"box: Invalid MIDI time $x$."}));
        // Just after the opening "$", the eighth character of line 3.
        QCOMPARE(editor->Memo1->textCursor().position(), editor->Memo1->LineStartIndex(3) + 8);
        QCOMPARE(editor->Memo1->SelectionLength(), 0);
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("err.kar"))));
    }

    void AMissingMidiFileIsNamed() {
        EditorFixture f(true);
        TEditForm* editor = f.Open(QStringLiteral("lost.stf"), "\\t 1\n\\m nowhere.mid\n\nla\n");
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        editor->Export1Click();
        QCOMPARE(answer.Seen, QStringList({"box: Karaoke file not specified."}));
        answer.Press(QMessageBox::Ok);
        editor->Make1Click();
        QCOMPARE(answer.Seen.last(),
                 QStringLiteral("box: File %1 not found.").arg(f.folder.Path(QStringLiteral("nowhere.mid"))));
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void VoiceTrackSelectionWritesTheChosenTrack() {
        EditorFixture f(true);
        TEditForm* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.ChooseTrack(1);
        editor->VoiceTrackSelection1Click();
        QCOMPARE(answer.Seen.size(), qsizetype(1));
        QVERIFY2(answer.Seen[0].startsWith(QStringLiteral("tracks: ")), qPrintable(answer.Seen[0]));
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QVERIFY(editor->Memo1->document()->isModified());

        // Cancel leaves the text alone.
        answer.Cancel();
        editor->VoiceTrackSelection1Click();
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void NewWithoutAMidiFileKeepsTheTemplate() {
        EditorFixture f(true);
        ModalAnswerer answer;
        answer.Cancel();
        f.frame->New1Click();
        QCOMPARE(answer.Seen, QStringList({"file: Select MIDI file"}));
        TEditForm* editor = f.frame->ActiveEditor();
        QVERIFY(editor);
        QCOMPARE(editor->Memo1->toPlainText(),
                 QStringLiteral("\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n"));
        QCOMPARE(editor->Document().LineCount(), 6);
        QCOMPARE(editor->windowTitle(), QStringLiteral("untitled.stf"));
    }

    void NewWithAMidiFileNamesItAndAsksForTheVoiceTrack() {
        EditorFixture f(true);
        ModalAnswerer answer;
        const QString midi = f.Example(QStringLiteral("jingle_bells.mid"));
        answer.ChooseFile(midi).ChooseTrack(0);
        f.frame->New1Click();
        QVERIFY(answer.AllUsed());
        QVERIFY(answer.Unexpected.isEmpty());
        TEditForm* editor = f.frame->ActiveEditor();
        QCOMPARE(editor->Memo1->toPlainText(),
                 QStringLiteral("\\m %1\n\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n").arg(midi));
    }
};

QTEST_MAIN(KaraokeCommandsTest)
#include "karaoke_commands_test.moc"
