// The Karaoke menu and the page change through the compiler core: the preview and both
// selection mappings on the worked example, Make on the example song with its success
// box and file, an error placing the caret, voice track selection and a new song text.
#include <QtTest>

#include <QApplication>
#include <QFile>
#include <QTabWidget>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
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
        EditorWindow* editor = f.Open(QStringLiteral("worked.stf"), WorkedExample);
        // The caret inside "you" on "how are you".
        const int line6 = SongText(editor)->LineStartIndex(6);
        SongText(editor)->Select(line6 + 9, 0);
        editor->showPreview();
        QCOMPARE(Pages(editor)->currentIndex(), 1);
        QCOMPARE(Preview(editor)->toPlainText(), QStringLiteral("\nHello world,\nhow are you\n\nFinety thanks"));
        const int line2 = Preview(editor)->LineStartIndex(2);
        QCOMPARE(Preview(editor)->SelectionStart(), line2 + 7);
        QCOMPARE(Preview(editor)->SelectionLength(), 4);  // " you"
        QCOMPARE(Pages(editor)->currentWidget(), Preview(editor));

        // Back on the STF page from the caret on "world," in the preview: the source of
        // that lyric, from its first letter to the start of the next line.
        Preview(editor)->Select(Preview(editor)->LineStartIndex(1) + 8, 0);
        editor->showSongText();
        QCOMPARE(Pages(editor)->currentIndex(), 0);
        const int line5 = SongText(editor)->LineStartIndex(5);
        QCOMPARE(SongText(editor)->SelectionStart(), line5 + 7);
        QCOMPARE(SongText(editor)->SelectionLength(), 7);  // "world," and its line end
        QCOMPARE(Pages(editor)->currentWidget(), SongText(editor));
        // Nothing was written: the preview makes no file.
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("worked.kar"))));
    }

    void AnErrorInTheLyricsEndsThePreviewWithoutABox() {
        EditorFixture f(true);
        EditorWindow* editor = f.Open(QStringLiteral("bad.stf"), "\\t 1\n\nHel-lo $x$world\n");
        ModalAnswerer answer;
        editor->showPreview();
        QVERIFY(answer.Seen.isEmpty());
        QVERIFY(answer.Unexpected.isEmpty());
        QVERIFY2(Preview(editor)->toPlainText().endsWith(QStringLiteral("Invalid MIDI time $x$.")),
                 qPrintable(Preview(editor)->toPlainText()));
    }

    void MakeOnTheExampleSaysSoAndWritesTheKaraokeFile() {
        EditorFixture f(true);
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answer.Seen,
                 QStringList({"box: Karaoke file made succesfully: " + f.Example(QStringLiteral("jingle_bells.kar"))}));
        QVERIFY(answer.Unexpected.isEmpty());
        QFile kar(f.Example(QStringLiteral("jingle_bells.kar")));
        QVERIFY(kar.open(QIODevice::ReadOnly));
        const QByteArray bytes = kar.readAll();
        QVERIFY(bytes.startsWith("MThd"));
        QVERIFY(bytes.contains("@TJingle Bells"));
        QVERIFY(bytes.contains("\\Dash"));
        QCOMPARE(editor->KarFileName(), f.Example(QStringLiteral("jingle_bells.kar")));
        // Make fills the preview too while the song text page shows.
        QVERIFY(Preview(editor)->toPlainText().contains(QStringLiteral("Dashing through the snow")));
    }

    // A source that carries words already: Cancel makes nothing and says so, Yes leaves them out so
    // that the karaoke file holds each syllable once.
    void OldWordsInTheMidiFileAreAskedAboutAndLeftOut() {
        EditorFixture f;
        QVERIFY(QFile::copy(QStringLiteral(SONKORA_SOURCE_DIR "/tests/data/kar/lyrics_in_melody.kar"),
                            f.folder.Path(QStringLiteral("sung.mid"))));
        EditorWindow* editor = f.Open(QStringLiteral("sung.stf"),
                                      "\\t 1\n\\m sung.mid\n\nLan-tern light on the hill\nCall-ing me home a-gain\n"
                                      "Riv-er run-ning slow\nStars a-bove the snow, yes!\n");
        const QString question =
            QStringLiteral("box: 27 lyric or karaoke text event(s) already in the MIDI file.\rLeave them out?");
        const QString kar = f.folder.Path(QStringLiteral("sung.kar"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Cancel).Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answer.Seen, QStringList({question, "box: Karaoke file not made"}));
        QVERIFY(!QFile::exists(kar));
        answer.Seen.clear();
        answer.Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answer.Seen, QStringList({question, "box: Karaoke file made succesfully"}));
        QVERIFY2(answer.Unexpected.isEmpty(), qPrintable(answer.Unexpected.join(QLatin1Char(','))));
        QFile made(kar);
        QVERIFY(made.open(QIODevice::ReadOnly));
        QCOMPARE(made.readAll().count("tern"), qsizetype(1));
    }

    void AnErrorPutsTheCaretAtItsLineAndColumnAndLeavesNoFile() {
        EditorFixture f(true);
        QFile::copy(f.Example(QStringLiteral("jingle_bells.mid")), f.folder.Path(QStringLiteral("tune.mid")));
        EditorWindow* editor = f.Open(QStringLiteral("err.stf"), "\\t 1\n\\m tune.mid\n\nHel-lo $x$world\n");
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
        EditorFixture f(true);
        EditorWindow* editor = f.Open(QStringLiteral("lost.stf"), "\\t 1\n\\m nowhere.mid\n\nla\n");
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        editor->exportMidi();
        QCOMPARE(answer.Seen, QStringList({"box: Karaoke file not specified."}));
        answer.Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answer.Seen.last(),
                 QStringLiteral("box: File %1 not found.").arg(f.folder.Path(QStringLiteral("nowhere.mid"))));
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void VoiceTrackSelectionWritesTheChosenTrack() {
        EditorFixture f(true);
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.ChooseTrack(1);
        editor->selectVoiceTrack();
        QCOMPARE(answer.Seen.size(), qsizetype(1));
        QVERIFY2(answer.Seen[0].startsWith(QStringLiteral("tracks: ")), qPrintable(answer.Seen[0]));
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QVERIFY(SongText(editor)->document()->isModified());

        // Cancel leaves the text alone.
        answer.Cancel();
        editor->selectVoiceTrack();
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void NewWithoutAMidiFileKeepsTheTemplate() {
        EditorFixture f(true);
        ModalAnswerer answer;
        answer.Cancel();
        f.frame->newDocument();
        QCOMPARE(answer.Seen, QStringList({"file: Select MIDI file"}));
        EditorWindow* editor = f.frame->ActiveEditor();
        QVERIFY(editor);
        QCOMPARE(SongText(editor)->toPlainText(),
                 QStringLiteral("\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n"));
        QCOMPARE(editor->Document().LineCount(), 6);
        QCOMPARE(editor->windowTitle(), QStringLiteral("untitled.stf"));
    }

    void NewWithAMidiFileNamesItAndAsksForTheVoiceTrack() {
        EditorFixture f(true);
        ModalAnswerer answer;
        const QString midi = f.Example(QStringLiteral("jingle_bells.mid"));
        answer.ChooseFile(midi).ChooseTrack(0);
        f.frame->newDocument();
        QVERIFY(answer.AllUsed());
        QVERIFY(answer.Unexpected.isEmpty());
        EditorWindow* editor = f.frame->ActiveEditor();
        QCOMPARE(SongText(editor)->toPlainText(),
                 QStringLiteral("\\m %1\n\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n").arg(midi));
    }
};

QTEST_MAIN(KaraokeCommandsTest)
#include "karaoke_commands_test.moc"
