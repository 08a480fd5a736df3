// The Karaoke menu through the compiler core: the preview and both selection mappings on the
// worked example, Make with its success box, file, errors and old words, voice track selection,
// a new song text, LRC export and Shift Time Codes; File, Import Karaoke with its questions,
// audition and other forms; and the batch run, made and printed to files without a word.
#include <QMenuBar>

#include "ShellHarness.h"
#include "shell/VoiceTrackDialog.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

const QByteArray WorkedExample =
    "\\t 2\n\\m song.mid\n@LENGL\n@TMy Song\n\nHel-lo world,\nhow are you\n\nFine_ty $3:1:0$thanks\n";
const QString Template = "\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n";

}  // namespace

class KaraokeCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void ThePreviewPageSelectsTheLyricAtTheCaretAndBack() {
        Shell f;
        EditorWindow* editor = f.Open("worked.stf", WorkedExample);
        SongText(editor)->Select(SongText(editor)->LineStartIndex(6) + 9, 0);  // inside "you" of "how are you"
        editor->showPreview();
        QCOMPARE(Preview(editor)->toPlainText(), "\nHello world,\nhow are you\n\nFinety thanks");
        QCOMPARE(Preview(editor)->textCursor().selectedText(), " you");  // found once in the text above
        // Back from the caret on "world,": its source, from its first letter to the next line.
        Preview(editor)->Select(Preview(editor)->LineStartIndex(1) + 8, 0);
        editor->showSongText();
        QCOMPARE(SongText(editor)->textCursor().selectedText(), "world,\u2029");  // and its line end
        QVERIFY(!QFile::exists(f.folder.Path("worked.kar")));                     // the preview makes no file
    }

    void MakeOnTheExampleSaysSoVoiceTrackSelectionWritesTheTrackChosenAndNewAsksForBoth() {
        Shell f({.shipped = {"examples"}});
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example("jingle_bells.stf"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answer.Seen, QStringList({"box: Karaoke file made succesfully: " + f.Example("jingle_bells.kar")}));
        QVERIFY(f.folder.ReadFile("examples/jingle_bells.kar").contains("\\Dash"));
        // Make fills the preview too while the song text page shows.
        QVERIFY(Preview(editor)->toPlainText().contains("Dashing through the snow"));
        // Voice track selection writes the chosen track; Cancel leaves the text alone.
        answer.ChooseTrack(1).Cancel();
        Action(editor, "selectVoiceTrack")->trigger();
        QVERIFY(SongText(editor)->document()->isModified());
        Action(editor, "selectVoiceTrack")->trigger();
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        // New asks for the MIDI file and its voice track; without a MIDI file it starts from the template.
        const QString midi = f.Example("jingle_bells.mid");
        answer.Cancel().ChooseFile(midi).ChooseTrack(0);
        Action(f.frame.get(), "newDocument")->trigger();
        QCOMPARE(answer.Seen.mid(3), QStringList({"file: Select MIDI file"}));
        QCOMPARE(SongText(f.frame->ActiveEditor())->toPlainText(), Template);
        QCOMPARE(f.frame->ActiveEditor()->windowTitle(), "untitled.stf");
        Action(f.frame.get(), "newDocument")->trigger();
        QCOMPARE(SongText(f.frame->ActiveEditor())->toPlainText(), "\\m " + midi + "\n" + Template);
    }

    void MakeStopsAtAnErrorWithTheCaretOnItAndAsksAboutOldWordsInTheMidiFile() {
        Shell f;
        EditorWindow* editor = f.Open("err.stf", "\\t 1\n\\m song.mid\n\nHel-lo $x$world\n");
        ModalAnswerer answer;  // no box on the preview page
        QTest::keyClick(SongText(editor), Qt::Key_P, Qt::AltModifier);
        QVERIFY(Preview(editor)->toPlainText().endsWith("Invalid MIDI time $x$."));
        QTest::keyClick(Preview(editor), Qt::Key_T, Qt::AltModifier);
        answer.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answer.Seen, QStringList({"box: Invalid MIDI time $x$."}));
        // Just after the opening "$", the eighth character of line 3.
        QCOMPARE(SongText(editor)->textCursor().position(), SongText(editor)->LineStartIndex(3) + 8);
        QCOMPARE(SongText(editor)->SelectionLength(), 0);
        // A MIDI file that is not there is named; Export MIDI before Make says there is nothing.
        EditorWindow* lost = f.Open("lost.stf", "\\t 1\n\\m nowhere.mid\n\nla\n");
        answer.Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        Action(lost, "exportMidi")->trigger();
        Action(lost, "makeKaraoke")->trigger();
        QCOMPARE(answer.Seen.mid(1), QStringList({"box: Karaoke file not specified.",
                                                  "box: File " + f.folder.Path("nowhere.mid") + " not found."}));

        // A MIDI file that holds words already: Cancel makes nothing and says so; Yes leaves them
        // out, so that the karaoke file holds each syllable once.
        QVERIFY(QFile::copy(SONKORA_SOURCE_DIR "/tests/data/kar/lyrics_in_melody.kar", f.folder.Path("sung.mid")));
        EditorWindow* sung = f.Open("sung.stf",
                                    "\\t 1\n\\m sung.mid\n\nLan-tern light on the hill\nCall-ing me home a-gain\n"
                                    "Riv-er run-ning slow\nStars a-bove the snow, yes!\n");
        const QString question = "box: 27 lyric or karaoke text event(s) already in the MIDI file.\rLeave them out?";
        answer.Press(QMessageBox::Cancel).Press(QMessageBox::Ok);
        Action(sung, "makeKaraoke")->trigger();
        answer.Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        Action(sung, "makeKaraoke")->trigger();
        QCOMPARE(answer.Seen.mid(3), QStringList({question, "box: Karaoke file not made", question,
                                                  "box: Karaoke file made succesfully: " + f.folder.Path("sung.kar")}));
        QCOMPARE(f.folder.ReadFile("sung.kar").count("tern"), qsizetype(1));
    }

    void LrcExportAndShiftTimeCodesWhichMovesThemAsOneUndoStepOrNamesTheLineFallingBeforeTheStart() {
        Shell f;
        ModalAnswerer answer;
        // LRC export writes the chosen file and names it.
        const QString output = f.folder.Path("out.lrc");
        answer.ChooseFile(output).Press(QMessageBox::Ok);
        Action(f.Open("six.stf", SixSyllables), "exportLrc")->trigger();
        QVERIFY(answer.Seen[0] == "file: Export As LRC" && answer.Seen[1].contains(output));
        QVERIFY(f.folder.ReadFile("out.lrc").contains("[00:00.00]Hello world\n[00:01.50]how are you\n"));
        const QString original = "\\t 1\n\nHel-$2:1:0$lo\n$1:1:60$world\n";
        EditorWindow* editor = f.Open("codes.stf", original.toUtf8());
        const auto shiftBy = [&](const QString& amount, bool refused = false) {
            answer.Act([amount](QDialog& dialog) {
                Child<QLineEdit>(&dialog, "amount")->setText(amount);
                dialog.accept();
            });
            if (refused) answer.Press(QMessageBox::Ok);
            Action(editor, "shiftTimeCodes")->trigger();
        };
        shiftBy("1:30");
        QCOMPARE(SongText(editor)->toPlainText(), "\\t 1\n\nHel-$2:2:30$lo\n$1:2:90$world\n");
        QTest::keyClick(SongText(editor), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SongText(editor)->toPlainText(), original);
        // Only the selection's code moves.
        SongText(editor)->Select(SongText(editor)->LineStartIndex(2), 12);
        shiftBy("-2");
        QCOMPARE(SongText(editor)->toPlainText(), "\\t 1\n\nHel-$1:3:0$lo\n$1:1:60$world\n");
        QTest::keyClick(SongText(editor), Qt::Key_Z, Qt::ControlModifier);
        // A code that would fall before 1:1:0: its line named, nothing changed.
        SongText(editor)->Select(0, 0);
        shiftBy("-1", true);
        QVERIFY2(answer.Seen.last().startsWith("box: Line 4, column 1:"), qPrintable(answer.Seen.last()));
        QCOMPARE(SongText(editor)->toPlainText(), original);
    }

    void ImportingAKaraokeFileOpensItsSongText() {
        Shell f;
        const QString dir = f.folder.Path("imp/");
        QDir().mkpath(dir);
        QVERIFY(QFile::copy(SONKORA_SOURCE_DIR "/tests/data/kar/classic.kar", dir + "hit.kar"));
        ModalAnswerer answers;

        // Imports `path`, its voice track dialog listing `listed` tracks; the first is played, and stops.
        int soloTrack = -1;
        const auto importAuditioned = [&](const QString& path, int listed, bool changesListed = false) {
            soloTrack = -1;
            answers.ChooseFile(path).Act([&, listed](QDialog& dialog) {
                QCOMPARE(Child<QListWidget>(&dialog, "tracks")->count(), listed);
                Child<QPushButton>(&dialog, "playTrack")->click();
                soloTrack = f.frame->Engine().SoloTrack();
                dialog.accept();
            });
            if (changesListed) answers.Press(QMessageBox::Ok);
            Action(f.frame.get(), "importKaraoke")->trigger();
            QVERIFY(!f.frame->Playing());
        };
        importAuditioned(dir + "hit.kar", 3);
        QCOMPARE(soloTrack, 3);  // the first listed: the file's fourth track
        QCOMPARE(f.frame->ActiveEditor()->FileName(), dir + "hit.stf");
        const QString text = SongText(f.frame->ActiveEditor())->toPlainText();
        QVERIFY2(text.startsWith(QStringLiteral("\\t 1\n\\m %1hit.mid\n\\k %1hit_1.kar\n").arg(dir)), qPrintable(text));

        // A MIDI file without the karaoke tracks is refused.
        QFile::copy(f.folder.Path("song.mid"), f.folder.Path("plain.kar"));
        answers.ChooseFile(f.folder.Path("plain.kar")).Press(QMessageBox::Ok);
        Action(f.frame.get(), "importKaraoke")->trigger();
        QCOMPARE(answers.Seen.last(), "box: Not a Soft Karaoke file, and no track holds lyric events");
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));

        // The other forms: lyric events in the melody track (the dialog then lists the music
        // tracks, not from the fourth), the marker under other track names, and texts the song
        // text keeps only by moving them, which one box lists.
        for (auto [name, listed, auditioned, changed] : {std::tuple{"lyrics_in_melody", 2, 1, false},
                                                         {"marker_other_names", 1, 3, false},
                                                         {"late_texts", 1, 3, true}}) {
            const QString copy = f.folder.Path(QLatin1String(name) + ".kar");
            QVERIFY(QFile::copy(QStringLiteral(SONKORA_SOURCE_DIR "/tests/data/kar/") + name + ".kar", copy));
            importAuditioned(copy, listed, changed);
            QCOMPARE(soloTrack, auditioned);
            const QString report = "box: Imported " + copy + " with these changes:\rThe text \"@TSecond verse\"";
            QCOMPARE(answers.Seen.last().startsWith(report), changed);
            QCOMPARE(f.frame->ActiveEditor()->FileName(), f.folder.Path(QLatin1String(name) + ".stf"));
        }
    }

    void TheBatchRunMakesAndPrintsEverySongTextOfItsFolderSilently() {
        Shell without;
        QVERIFY(!Action(without.frame.get(), "runBatch")->isVisible());
        Shell f({.files = {{"TEST/song.mid", SixNoteSong()},
                           {"TEST/good.stf", SixSyllables},
                           // One syllable too many: the question about it is answered Yes without asking.
                           {"TEST/more.stf", "\\t 1\n\\m song.mid\n\nHel-lo world\nhow are you now\n"},
                           // A mistake: no karaoke file, no print file, no message.
                           {"TEST/bad.stf", "\\t 1\n\\m song.mid\n\nla " + QByteArray(130, 'a') + "\n"}}});
        QVERIFY(Action(f.frame.get(), "runBatch")->isVisible());
        ModalAnswerer answers;
        Action(f.frame.get(), "runBatch")->trigger();
        QVERIFY(!f.frame->Batch() && f.frame->Editors().isEmpty());
        for (const char* name : {"good", "more"}) {
            const QString base = QStringLiteral("TEST/%1").arg(QLatin1String(name));
            QVERIFY2(QFile::exists(f.folder.Path(base + ".kar")), name);
            QVERIFY2(f.folder.ReadFile(base + ".prn").contains("Hello world\r\nhow are you"), name);
        }
        QVERIFY(!QFile::exists(f.folder.Path("TEST/bad.kar")) && !QFile::exists(f.folder.Path("TEST/bad.prn")));
        QCOMPARE(f.folder.ReadFile("TEST/good.stf"), SixSyllables);
        // Outside the batch run the same mistake is told again.
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.folder.Path("TEST/bad.stf"));
        answers.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answers.Seen, QStringList({"box: Syllable too long."}));
    }
};

QTEST_MAIN(KaraokeCommandsTest)
#include "karaoke_commands_test.moc"
