// Playing a song text's karaoke file through the main window, on recording devices with
// a clock moved by hand: the syllables highlighted in both panes at their times, the
// song text read-only while it plays, what stops a song, the device at start, and the
// external karaoke player.

#include <QProgressBar>

#include <thread>

#include "ShellHarness.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

QString Selected(const SongTextEdit* pane) {
    return pane->textCursor().selectedText();
}

}  // namespace

class PlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void TheSungSyllablesAreHighlightedInBothPanesUntilTheSongEndsAndThePlayerGetsTheFileAndTheDevice() {
        Shell f;
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        QTest::keyClick(SongText(editor), Qt::Key_F9);
        // When, the song text's highlight and the preview's; the Preview page shown on the
        // way compiles nothing while the song plays.
        using Step = std::tuple<int64_t, QString, QString>;
        for (const auto& [at, text, preview] :
             {Step{0, "Hel-", "Hel"}, Step{Quarter - 1000, "Hel-", "Hel"}, Step{Quarter + 10'000, "lo ", "lo"},
              Step{3 * Quarter, "how ", "how"}, Step{5 * Quarter + 10'000, "you", " you"}}) {
            f.At(at);
            if (at == 3 * Quarter) editor->showPreview();
            QCOMPARE(Selected(SongText(editor)) + '|' + Selected(Preview(editor)), text + '|' + preview);
        }
        auto* gauge = Child<QProgressBar>(f.frame.get(), "gauge");
        QCOMPARE(gauge->maximum(), 528);  // the song's length in ticks
        f.At(20 * Quarter);
        std::vector<int64_t> voice;
        for (const Sent& note : f.Midi().NotesOn(0)) voice.push_back(note.micros);
        QCOMPARE(voice, (std::vector<int64_t>{0, Quarter, 2 * Quarter, 3 * Quarter, 4 * Quarter, 5 * Quarter}));
        // The end: the highlight a caret at its end, the buttons back, the gauge empty and silent.
        QVERIFY(!SongText(editor)->textCursor().hasSelection());
        QCOMPARE(SongText(editor)->textCursor().position(), SongText(editor)->toPlainText().lastIndexOf("you") + 3);
        QVERIFY(Action(f.frame.get(), "playButton")->isEnabled() && !Action(f.frame.get(), "stopButton")->isEnabled());
        QVERIFY(gauge->value() == 0 && !gauge->isTextVisible());
        // The external karaoke player gets the file as one argument, and the device: here a player
        // that writes down where it was started and its arguments.
        const QString log = f.folder.Path("player.log"), bin = f.folder.Path("bin/");
        f.folder.WriteFile("bin/player",
                           QStringLiteral("#!/bin/sh\n(pwd; printf '[%s]\\n' \"$@\") > '%1.tmp' && mv '%1.tmp' '%1'\n")
                               .arg(log)
                               .toUtf8());
        QFile::setPermissions(bin + "player", QFile::ReadOwner | QFile::ExeOwner);
        f.frame->Settings().KaraokePlayer = (bin + "player").toStdString();
        f.frame->Settings().Parameters = "--play % \"two words\" $HOME;x";
        editor->playInKaraokePlayer();
        QCOMPARE(f.frame->Engine().MidiOut(), MidiHandle{0});  // handed over to the player
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
        QCOMPARE(
            QString::fromUtf8(f.folder.ReadFile("player.log")).split('\n', Qt::SkipEmptyParts),
            QStringList({bin.chopped(1), "[--play]", '[' + editor->KarFileName() + ']', "[two words]", "[$HOME;x]"}));
        f.frame->Settings().KaraokePlayer = (bin + "none").toStdString();
        f.frame->Settings().Parameters = "%";
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        editor->playInKaraokePlayer();
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error executing \"%1 %2\" in \"%3\".")
                                                .arg(bin + "none", editor->KarFileName(), bin)}));
    }

    void WhileItsSongPlaysNothingChangesTheSongTextPlayFromCursorStartsAtTheCaretsLineAndOnlyItsEndStopsIt() {
        Shell f;
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        QApplication::clipboard()->setText("clip");
        editor->play();
        f.At(0);
        for (const char* name :
             {"paste", "replace", "insertSpecialLetter", "hyphenate", "selectVoiceTrack", "play", "midiSetup"})
            QVERIFY2(!Action(editor, name)->isEnabled(), name);
        const QString before = SongText(editor)->toPlainText();
        ModalAnswerer none;
        for (auto command : {&EditorWindow::deleteSelection, &EditorWindow::paste, &EditorWindow::selectVoiceTrack,
                             &EditorWindow::hyphenate, &EditorWindow::insertSpecialLetter})
            (editor->*command)();
        QTest::keyClicks(SongText(editor), "xyz");
        QCOMPARE(SongText(editor)->toPlainText(), before);
        QTest::keyClick(SongText(editor), Qt::Key_Escape);
        QVERIFY(!f.frame->Playing() && Action(editor, "paste")->isEnabled() && !SongText(editor)->isReadOnly());
        // Play From Cursor starts at the lyric of the caret's line.
        f.Midi().sent.clear();
        SongText(editor)->Select(SongText(editor)->LineStartIndex(5) + 6, 0);  // inside "how are you"
        QTest::keyClick(SongText(editor), Qt::Key_F7);
        QCOMPARE(f.frame->Engine().StartTime(), 288);
        f.At(0);
        QCOMPARE(Selected(SongText(editor)), "how ");                 // shown on the first tick
        QCOMPARE(f.Midi().NotesOn(0).front().bytes[1], uint8_t{63});  // the fourth note first
        // From the Preview page: the lyric under its caret.
        f.frame->StopPlaying();
        editor->showPreview();
        Preview(editor)->Select(Preview(editor)->LineStartIndex(1) + 7, 0);  // in "world"
        editor->playFromCursor();
        QCOMPARE(f.frame->Engine().StartTime(), 0);
        f.frame->StopPlaying();
        // Notifications come as events, and only its own end or window stops a song.
        TestMidiSystem& midi = f.Midi();
        auto runOut = [&midi] {
            const int64_t start = midi.time.NowMicros();
            for (int64_t t = start; t <= start + 20 * Quarter; t += Quarter / 4) {
                midi.time.Set(t);
                midi.toolkit.GetScheduler().Service();
            }
        };
        editor->play();
        std::thread(runOut).join();  // the clock's own thread
        QVERIFY(SongText(editor)->isReadOnly());
        QCoreApplication::sendPostedEvents(f.frame.get(), 0);
        QVERIFY(!SongText(editor)->isReadOnly());
        editor->play();
        runOut();  // its end is posted, then a new song starts
        f.frame->PlaySong(editor->KarFileName().toStdString(), editor, false);
        QCoreApplication::sendPostedEvents(f.frame.get(), 0);
        QVERIFY(f.frame->Playing());
        // A new song over a playing one; closing a window stops only its own song.
        EditorWindow* first = f.Open("first.stf", SixSyllables);
        EditorWindow* second = f.Open("again.stf", SixSyllables);
        second->play();
        f.frame->PlaySong(second->KarFileName().toStdString(), first, false);
        QVERIFY(!SongText(second)->isReadOnly());
        second->closeWindow();  // not its song: it goes on
        QCOMPARE(f.frame->PlayingEditor(), first);
        first->closeWindow();
        QVERIFY(!f.frame->Playing());
        f.At(3 * Quarter);  // the clock going on reaches nothing that is gone
    }

    void RecordTimingStartsAPreRollBeforeTheCaretAndItsTapsBecomeCodesAsOneUndoStep() {
        Shell f({.ini = QuietIni + "[TimingByEar]\nPreRoll=1000\n"});
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        SongText(editor)->Select(SongText(editor)->LineStartIndex(5), 0);  // "how", at 1.5 s
        Action(editor, "recordTiming")->trigger();
        QCOMPARE(f.frame->Engine().StartTime(), 96);  // 0.5 s
        QVERIFY(Selected(SongText(editor)).startsWith("how"));
        // Stop without a tap leaves the text as it was.
        QTest::keyClick(SongText(editor), Qt::Key_Escape);
        QVERIFY(!editor->Recording() && !SongText(editor)->document()->isModified());
        SongText(editor)->Select(0, 0);
        auto line = [editor] { return SongText(editor)->toPlainText().split(QLatin1Char('\n')).value(4); };
        QTest::keyClick(SongText(editor), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(f.frame->Engine().StartTime(), 0);  // the pre-roll reaches before the song
        const auto tapAt = [&](int64_t micros, Qt::Key key = Qt::Key_Space) {
            f.At(micros);
            QTest::keyClick(SongText(editor), key);
        };
        tapAt(30'000);     // 30 ms after the note of "Hel": snapped, its own note, no code
        tapAt(520'000);    // "lo"
        tapAt(1'100'000);  // far from any note: a code before "world"
        QVERIFY2(line().startsWith("Hel-lo $1:3:"), qPrintable(line()));
        QTest::keyClick(SongText(editor), Qt::Key_Backspace);
        QCOMPARE(line(), "Hel-lo world");
        tapAt(1'250'000);  // tick 240: beat 3 and a half
        for (int64_t at : {1'520'000, 2'010'000, 2'490'000}) tapAt(at);
        tapAt(2'600'000, Qt::Key_Escape);
        QVERIFY(!f.frame->Playing() && !editor->Recording());
        QCOMPARE(editor->Document().Line(4), std::string("Hel-lo $1:3:60$world"));
        QCOMPARE(editor->Document().Line(5), std::string("how are you"));
        QTest::keyClick(SongText(editor), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SongText(editor)->toPlainText().toUtf8(), SixSyllables);
    }

    void AMissingDeviceIsNotedQuietlyAtStartAndPlayExplains() {
        // Without an output the start is quiet: a note in the status bar and in Midi Setup.
        ModalAnswerer answers;  // a box at start would come unanswered
        Shell f({.failOpen = {0}});
        const QString cannot = "Cannot open Midi output device Test Synth";
        auto* note = Child<QLabel>(f.frame.get(), "outputStatus");
        QTRY_VERIFY(note->isVisible());
        QCOMPARE(note->text() + '|' + note->toolTip(), "No sound output (Options > Midi Setup...)|" + cannot);
        answers.Cancel();
        Action(f.frame.get(), "midiSetup")->trigger();
        QCOMPARE(Child<QLabel>(f.frame.get(), "deviceProblem")->text(), cannot);
        // Each play tries again and explains where to choose another device; the text stays editable.
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        for (int play = 1; play <= 2; ++play) {
            answers.Press(QMessageBox::Ok);
            Action(editor, "play")->trigger();
        }
        QCOMPARE(answers.Seen.mid(1),
                 QStringList(2, "box: " + cannot + ".\n\nTo choose another device: Options > Midi Setup..."));
        QVERIFY(!f.frame->Playing() && !SongText(editor)->isReadOnly());
        // Once a device works, the note goes.
        answers.Act([](QDialog& d) {
            Child<QListWidget>(&d, "devices")->setCurrentRow(1);
            d.accept();
        });
        Action(f.frame.get(), "midiSetup")->trigger();
        QVERIFY(!note->isVisible());
    }
};

QTEST_MAIN(PlaybackTest)
#include "playback_test.moc"
