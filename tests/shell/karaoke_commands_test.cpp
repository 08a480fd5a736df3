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
const QString Template = QStringLiteral("\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n");

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

    void MakeOnTheExampleSaysSoAndVoiceTrackSelectionWritesTheTrackChosen() {
        Shell f({.shipped = {"examples"}});
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.Example(QStringLiteral("jingle_bells.stf")));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answer.Seen,
                 QStringList({"box: Karaoke file made succesfully: " + f.Example(QStringLiteral("jingle_bells.kar"))}));
        QFile kar(f.Example(QStringLiteral("jingle_bells.kar")));
        QVERIFY(kar.open(QIODevice::ReadOnly));
        const QByteArray bytes = kar.readAll();
        QVERIFY(bytes.startsWith("MThd") && bytes.contains("@TJingle Bells") && bytes.contains("\\Dash"));
        // Make fills the preview too while the song text page shows.
        QVERIFY(Preview(editor)->toPlainText().contains(QStringLiteral("Dashing through the snow")));
        // Voice track selection writes the chosen track.
        answer.ChooseTrack(1).Cancel();
        Action(editor, "selectVoiceTrack")->trigger();
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QVERIFY(SongText(editor)->document()->isModified());
        Action(editor, "selectVoiceTrack")->trigger();  // Cancel leaves the text alone
        QCOMPARE(editor->Document().Line(0), std::string("\\t 2"));
        QCOMPARE(answer.Seen.mid(1), QStringList({"dialog: Select Voice Track", "dialog: Select Voice Track"}));
    }

    void MakeStopsAtAnErrorWithTheCaretOnItAndAsksAboutOldWordsInTheMidiFile() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("err.stf"), "\\t 1\n\\m song.mid\n\nHel-lo $x$world\n");
        ModalAnswerer answer;  // no box on the preview page
        QTest::keyClick(SongText(editor), Qt::Key_P, Qt::AltModifier);
        QVERIFY(Preview(editor)->toPlainText().endsWith(QStringLiteral("Invalid MIDI time $x$.")));
        QTest::keyClick(Preview(editor), Qt::Key_T, Qt::AltModifier);
        answer.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answer.Seen, QStringList({"box: Invalid MIDI time $x$."}));
        // Just after the opening "$", the eighth character of line 3.
        QCOMPARE(SongText(editor)->textCursor().position(), SongText(editor)->LineStartIndex(3) + 8);
        QCOMPARE(SongText(editor)->SelectionLength(), 0);
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("err.kar"))));
        // A MIDI file that is not there is named; Export MIDI before Make says there is nothing.
        EditorWindow* lost = f.Open(QStringLiteral("lost.stf"), "\\t 1\n\\m nowhere.mid\n\nla\n");
        answer.Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        Action(lost, "exportMidi")->trigger();
        Action(lost, "makeKaraoke")->trigger();
        QCOMPARE(answer.Seen.mid(1),
                 QStringList({"box: Karaoke file not specified.",
                              "box: File " + f.folder.Path(QStringLiteral("nowhere.mid")) + " not found."}));

        // A MIDI file that holds words already: Cancel makes nothing and says so; Yes leaves them
        // out, so that the karaoke file holds each syllable once.
        QVERIFY(QFile::copy(QStringLiteral(SONKORA_SOURCE_DIR "/tests/data/kar/lyrics_in_melody.kar"),
                            f.folder.Path(QStringLiteral("sung.mid"))));
        EditorWindow* sung = f.Open(QStringLiteral("sung.stf"),
                                    "\\t 1\n\\m sung.mid\n\nLan-tern light on the hill\nCall-ing me home a-gain\n"
                                    "Riv-er run-ning slow\nStars a-bove the snow, yes!\n");
        const QString question =
            QStringLiteral("box: 27 lyric or karaoke text event(s) already in the MIDI file.\rLeave them out?");
        answer.Press(QMessageBox::Cancel).Press(QMessageBox::Ok);
        Action(sung, "makeKaraoke")->trigger();
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("sung.kar"))));
        answer.Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        Action(sung, "makeKaraoke")->trigger();
        QCOMPARE(answer.Seen.mid(3), QStringList({question, "box: Karaoke file not made", question,
                                                  "box: Karaoke file made succesfully: " + f.folder.Path("sung.kar")}));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("sung.kar")).count("tern"), qsizetype(1));
    }

    void NewAsksForTheMidiFileAndItsVoiceTrack() {
        Shell f({.shipped = {"examples"}});
        ModalAnswerer answer;
        const QString midi = f.Example(QStringLiteral("jingle_bells.mid"));
        answer.Cancel().ChooseFile(midi).ChooseTrack(0);
        Action(f.frame.get(), "newDocument")->trigger();
        QCOMPARE(answer.Seen, QStringList({"file: Select MIDI file"}));
        QCOMPARE(SongText(f.frame->ActiveEditor())->toPlainText(), Template);  // without a MIDI file
        QCOMPARE(f.frame->ActiveEditor()->windowTitle(), QStringLiteral("untitled.stf"));
        Action(f.frame.get(), "newDocument")->trigger();
        QCOMPARE(SongText(f.frame->ActiveEditor())->toPlainText(), "\\m " + midi + "\n" + Template);
    }

    void LrcExportWritesTheChosenFileAndNamesIt() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("six.stf"), SixSyllables);
        const QString output = f.folder.Path(QStringLiteral("out.lrc"));
        ModalAnswerer answer;
        answer.ChooseFile(output).Press(QMessageBox::Ok);
        Action(editor, "exportLrc")->trigger();
        QVERIFY2(answer.Seen.size() == 2 && answer.Seen[0] == QStringLiteral("file: Export As LRC") &&
                     answer.Seen[1].contains(output),
                 qPrintable(answer.Seen.join(QLatin1Char('|'))));
        const QByteArray lrc = f.folder.ReadFile(QStringLiteral("out.lrc"));
        QVERIFY2(lrc.contains("[00:00.00]Hello world\n[00:01.50]how are you\n"), lrc.constData());
    }

    void ShiftTimeCodesMovesThemAsOneUndoStepOrNamesTheLineFallingBeforeTheStart() {
        Shell f;
        EditorWindow* editor = f.Open(QStringLiteral("codes.stf"), "\\t 1\n\nHel-$2:1:0$lo\n$1:1:60$world\n");
        ModalAnswerer answer;
        const auto shiftBy = [&](const QString& amount, bool refused = false) {
            answer.Act([amount](QDialog& dialog) {
                Child<QLineEdit>(&dialog, "amount")->setText(amount);
                dialog.accept();
            });
            if (refused) answer.Press(QMessageBox::Ok);
            Action(editor, "shiftTimeCodes")->trigger();
        };
        shiftBy(QStringLiteral("1:30"));
        QCOMPARE(editor->Document().Line(2), std::string("Hel-$2:2:30$lo"));
        QCOMPARE(editor->Document().Line(3), std::string("$1:2:90$world"));
        QTest::keyClick(SongText(editor), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("\\t 1\n\nHel-$2:1:0$lo\n$1:1:60$world\n"));
        // Only the selection's code moves.
        SongText(editor)->Select(SongText(editor)->LineStartIndex(2), 12);
        shiftBy(QStringLiteral("-2"));
        QCOMPARE(editor->Document().Line(2), std::string("Hel-$1:3:0$lo"));
        QCOMPARE(editor->Document().Line(3), std::string("$1:1:60$world"));
        QTest::keyClick(SongText(editor), Qt::Key_Z, Qt::ControlModifier);
        // A code that would fall before 1:1:0: its line named, nothing changed.
        SongText(editor)->Select(0, 0);
        shiftBy(QStringLiteral("-1"), true);
        QVERIFY2(answer.Seen.last().startsWith(QStringLiteral("box: Line 4, column 1:")),
                 qPrintable(answer.Seen.last()));
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("\\t 1\n\nHel-$2:1:0$lo\n$1:1:60$world\n"));
    }

    void ImportingAKaraokeFileOpensItsSongText() {
        Shell f;
        // The karaoke file of the six-note song, made by Make.
        EditorWindow* maker = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        Action(maker, "makeKaraoke")->trigger();
        Action(maker, "closeWindow")->trigger();
        QDir().mkpath(f.folder.Path(QStringLiteral("imp")));
        QVERIFY(QFile::rename(f.folder.Path(QStringLiteral("song.kar")), f.folder.Path(QStringLiteral("imp/hit.kar"))));

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
        importAuditioned(f.folder.Path(QStringLiteral("imp/hit.kar")), 2);
        QCOMPARE(soloTrack, 3);  // the first listed: the file's fourth track

        const QString dir = f.folder.Path(QStringLiteral("imp/"));
        EditorWindow* editor = f.frame->ActiveEditor();
        QCOMPARE(editor->FileName(), dir + QStringLiteral("hit.stf"));
        const QString text = SongText(editor)->toPlainText();
        QVERIFY2(text.startsWith(QStringLiteral("\\t 1\n\\m %1hit.mid\n\\k %1hit_1.kar\n").arg(dir)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Hel-lo world\nhow are you")), qPrintable(text));
        // The imported song text makes a karaoke file again, beside the original.
        answers.Press(QMessageBox::Ok);
        Action(editor, "makeKaraoke")->trigger();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Karaoke file made succesfully: %1hit_1.kar").arg(dir));
        QVERIFY(QFile::exists(dir + QStringLiteral("hit_1.kar")));

        // Importing again asks about the song text that is there; Cancel writes nothing.
        QFile::remove(dir + QStringLiteral("hit.mid"));
        answers.ChooseFile(dir + QStringLiteral("hit.kar")).Press(QMessageBox::Cancel);
        Action(f.frame.get(), "importKaraoke")->trigger();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: File %1hit.stf already exists. \rOverwrite?").arg(dir));
        QVERIFY(!QFile::exists(dir + QStringLiteral("hit.mid")));

        // A MIDI file without the karaoke tracks is refused.
        QFile::copy(f.folder.Path(QStringLiteral("song.mid")), f.folder.Path(QStringLiteral("plain.kar")));
        answers.ChooseFile(f.folder.Path(QStringLiteral("plain.kar"))).Press(QMessageBox::Ok);
        Action(f.frame.get(), "importKaraoke")->trigger();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Not a Soft Karaoke file, and no track holds lyric events"));
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("plain.stf"))));
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));

        // The other forms: lyric events in the melody track (the dialog then lists the music
        // tracks, not from the fourth), the marker under other track names, and texts the song
        // text keeps only by moving them, which one box lists.
        for (auto [name, listed, auditioned, changed] : {std::tuple{"lyrics_in_melody", 2, 1, false},
                                                         {"marker_other_names", 1, 3, false},
                                                         {"late_texts", 1, 3, true}}) {
            const QString copy = f.folder.Path(QLatin1String(name) + QStringLiteral(".kar"));
            QVERIFY(QFile::copy(QStringLiteral(SONKORA_SOURCE_DIR "/tests/data/kar/") + name + ".kar", copy));
            importAuditioned(copy, listed, changed);
            QCOMPARE(soloTrack, auditioned);
            const QString report =
                QStringLiteral("box: Imported %1 with these changes:\rThe text \"@TSecond verse\"").arg(copy);
            QCOMPARE(answers.Seen.last().startsWith(report), changed);
            QCOMPARE(f.frame->ActiveEditor()->FileName(), f.folder.Path(QLatin1String(name) + QStringLiteral(".stf")));
            QVERIFY2(SongText(f.frame->ActiveEditor())->toPlainText().contains("Lan-tern light on the hill\n"), name);
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
        QCOMPARE(f.frame->menuBar()->actions().last()->menu()->actions().last(), Action(f.frame.get(), "runBatch"));
        ModalAnswerer answers;
        Action(f.frame.get(), "runBatch")->trigger();
        QVERIFY(!f.frame->Batch() && f.frame->Editors().isEmpty());
        for (const char* name : {"good", "more"}) {
            const QString base = QStringLiteral("TEST/%1").arg(QLatin1String(name));
            QVERIFY2(QFile::exists(f.folder.Path(base + QStringLiteral(".kar"))), name);
            QVERIFY2(f.folder.ReadFile(base + QStringLiteral(".prn")).contains("Hello world\r\nhow are you"), name);
        }
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("TEST/bad.kar"))) &&
                !QFile::exists(f.folder.Path(QStringLiteral("TEST/bad.prn"))));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("TEST/good.stf")), SixSyllables);
        // Outside the batch run the same mistake is told again.
        EditorWindow* editor = f.frame->CreateEditor();
        editor->LoadFile(f.folder.Path(QStringLiteral("TEST/bad.stf")));
        answers.Press(QMessageBox::Ok);
        QTest::keyClick(SongText(editor), Qt::Key_F8);
        QCOMPARE(answers.Seen, QStringList({"box: Syllable too long."}));
    }
};

QTEST_MAIN(KaraokeCommandsTest)
#include "karaoke_commands_test.moc"
