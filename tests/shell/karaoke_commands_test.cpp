// The Karaoke menu and the page change through the compiler core: the preview and both
// selection mappings on the worked example, Make on the example song with its success
// box and file, an error placing the caret, voice track selection and a new song text.
#include <QtTest>

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTabWidget>

#include "ShellHarness.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

const QByteArray WorkedExample =
    "\\t 2\n\\m song.mid\n@LENGL\n@TMy Song\n\nHel-lo world,\nhow are you\n\nFine_ty $3:1:0$thanks\n";
const QString Template = QStringLiteral("\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n");

// The voice track dialog's answer: that line of its list.
std::function<void(QDialog&)> ChooseTrack(int row) {
    return [row](QDialog& dialog) {
        Child<QListWidget>(&dialog, "tracks")->setCurrentRow(row);
        dialog.accept();
    };
}

}  // namespace

class KaraokeCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void ThePreviewPageSelectsTheLyricAtTheCaretAndBack() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("worked.stf"), WorkedExample);
        SongText(editor)->Select(SongText(editor)->LineStartIndex(6) + 9, 0);  // inside "you" of "how are you"
        editor->showPreview();
        QCOMPARE(Pages(editor)->currentWidget(), Preview(editor));
        QCOMPARE(Preview(editor)->toPlainText(), QStringLiteral("\nHello world,\nhow are you\n\nFinety thanks"));
        QCOMPARE(Preview(editor)->SelectionStart(), Preview(editor)->LineStartIndex(2) + 7);
        QCOMPARE(Preview(editor)->SelectionLength(), 4);  // " you"
        // Back from the caret on "world,": its source, from its first letter to the next line.
        Preview(editor)->Select(Preview(editor)->LineStartIndex(1) + 8, 0);
        editor->showSongText();
        QCOMPARE(Pages(editor)->currentWidget(), SongText(editor));
        QCOMPARE(SongText(editor)->SelectionStart(), SongText(editor)->LineStartIndex(5) + 7);
        QCOMPARE(SongText(editor)->SelectionLength(), 7);                      // "world," and its line end
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("worked.kar"))));  // the preview makes no file
    }

    void AnErrorInTheLyricsEndsThePreviewWithoutABox() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("bad.stf"), "\\t 1\n\nHel-lo $x$world\n");
        ModalAnswerer answer;
        editor->showPreview();
        QVERIFY(answer.Seen.isEmpty());
        QVERIFY(Preview(editor)->toPlainText().endsWith(QStringLiteral("Invalid MIDI time $x$.")));
    }

    void MakeOnTheExampleSaysSoAndWritesTheKaraokeFile() {
        Shell f({.examples = true});
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answer.Seen, QStringList({"box: Karaoke file made succesfully"}));
        QFile kar(f.Example(QStringLiteral("jingle_bells.kar")));
        QVERIFY(kar.open(QIODevice::ReadOnly));
        const QByteArray bytes = kar.readAll();
        QVERIFY(bytes.startsWith("MThd") && bytes.contains("@TJingle Bells") && bytes.contains("\\Dash"));
        // Make fills the preview too while the song text page shows.
        QVERIFY(Preview(editor)->toPlainText().contains(QStringLiteral("Dashing through the snow")));
    }

    void AnErrorPutsTheCaretAtItsLineAndColumnAndLeavesNoFile() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("err.stf"), "\\t 1\n\\m song.mid\n\nHel-lo $x$world\n");
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answer.Seen, QStringList({"box: Invalid MIDI time $x$."}));
        // Just after the opening "$", the eighth character of line 3.
        QCOMPARE(SongText(editor)->textCursor().position(), SongText(editor)->LineStartIndex(3) + 8);
        QCOMPARE(SongText(editor)->SelectionLength(), 0);
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("err.kar"))));
    }

    void AMissingMidiFileIsNamed() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("lost.stf"), "\\t 1\n\\m nowhere.mid\n\nla\n");
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        editor->exportMidi();
        editor->makeKaraoke();
        QCOMPARE(answer.Seen,
                 QStringList({"box: Karaoke file not specified.",
                              "box: File " + f.folder.Path(QStringLiteral("nowhere.mid")) + " not found."}));
    }

    void VoiceTrackSelectionWritesTheChosenTrack() {
        Shell f({.examples = true});
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.Act(ChooseTrack(1)).Cancel();
        QTest::keyClick(SongText(editor), Qt::Key_F6);
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QVERIFY(SongText(editor)->document()->isModified());
        editor->selectVoiceTrack();  // Cancel leaves the text alone
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QCOMPARE(answer.Seen, QStringList({"dialog: Select Voice Track", "dialog: Select Voice Track"}));
    }

    void NewAsksForTheMidiFileAndItsVoiceTrack() {
        Shell f({.examples = true});
        ModalAnswerer answer;
        const QString midi = f.Example(QStringLiteral("jingle_bells.mid"));
        answer.Cancel().ChooseFile(midi).Act(ChooseTrack(0));
        f.frame->newDocument();
        QCOMPARE(answer.Seen, QStringList({"file: Select MIDI file"}));
        QCOMPARE(SongText(f.frame->ActiveEditor())->toPlainText(), Template);  // without a MIDI file
        QCOMPARE(f.frame->ActiveEditor()->windowTitle(), QStringLiteral("untitled.stf"));
        f.frame->newDocument();
        QCOMPARE(SongText(f.frame->ActiveEditor())->toPlainText(), "\\m " + midi + "\n" + Template);
    }
};

QTEST_MAIN(KaraokeCommandsTest)
#include "karaoke_commands_test.moc"
