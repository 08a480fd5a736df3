// Playing a song text's karaoke file through the frame, on recording devices with a clock
// moved by hand: the syllables highlighted in both panes at their times, the song text
// read-only while it plays and editable after, play from the caret's line, stopping by
// button, by closing the window and at the song's end, the device at start, the failures
// a play request can meet, and the external karaoke player.
#include <QtTest>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextCursor>

#include <thread>

#include "playback/PlaybackEngine.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/ShellTestSupport.h"
#include "shell/SongFiles.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

constexpr int64_t Quarter = 500'000;  // microseconds of 96 ticks at 120 beats a minute

struct Fixture {
    TestProgramFolder folder;
    std::unique_ptr<TFrameForm> frame;
    explicit Fixture(std::function<void(TestMidiSystem&)> setup = {}) {
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        frame = std::make_unique<TFrameForm>(folder.Environment(std::move(setup)));
        frame->show();
        frame->FinishStart();
    }
    ~Fixture() {
        for (TEditForm* editor : frame->Editors()) editor->Memo1->document()->setModified(false);
        frame->close();
    }
    TEditForm* Open(const QString& name, const QByteArray& bytes) {
        folder.WriteFile(name, bytes);
        TEditForm* editor = frame->CreateEditor();
        editor->LoadFile(folder.Path(name));
        return editor;
    }
    TestMidiSystem& Midi() { return TestMidiSystem::Of(*frame); }
    // Time passes to `micros` and the frame's timer ticks once.
    void At(int64_t micros) {
        Midi().RunUntil(*frame, micros);
        frame->Timer1Timer();
    }
};

QString Selected(const TMemo* memo) {
    return memo->textCursor().selectedText();
}

}  // namespace

class PlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheSungSyllablesAreHighlightedInBothPanesAtTheirTimes() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        editor->Play1Click();
        QVERIFY2(answers.Unexpected.isEmpty(), qPrintable(answers.Unexpected.join(QLatin1Char('\n'))));
        QVERIFY(f.frame->Playing());
        QCOMPARE(f.frame->PlayEditor(), editor);
        QCOMPARE(editor->Memo2->toPlainText(), QStringLiteral("\nHello world\nhow are you"));

        // Nothing is shown before the clock has reached the first lyric's time.
        QVERIFY(!editor->Memo1->textCursor().hasSelection());
        f.At(0);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("Hel-"));
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("Hel"));
        // The gauge runs from 0 to the song's length, and moves on the first tick.
        QCOMPARE(f.frame->Gauge1->maximum(), 528);
        QCOMPARE(f.frame->Gauge1->value(), 0);

        f.At(Quarter - 1000);  // just before "lo": still "Hel"
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("Hel-"));
        f.At(Quarter + 10'000);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("lo "));
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("lo"));
        f.At(3 * Quarter);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("how "));
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("how"));
        QCOMPARE(editor->Memo2->textCursor().blockNumber(), 2);

        // Leaving the page while the song plays compiles nothing and keeps the highlight.
        editor->Preview1Click();
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("how"));
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("how "));
        editor->STF1Click();

        // The device got the song: six voice notes, each at its quarter.
        f.At(5 * Quarter + 10'000);
        QCOMPARE(Selected(editor->Memo2), QStringLiteral(" you"));
        const std::vector<Sent> notes = f.Midi().catalog.log.OfKind(0x90);
        QVERIFY(notes.size() >= 6);
        std::vector<int64_t> voiceTimes;
        for (const Sent& note : notes)
            if ((note.bytes[0] & 0x0F) == 0 && note.bytes[2] > 0) voiceTimes.push_back(note.micros);
        QCOMPARE(voiceTimes, (std::vector<int64_t>{0, Quarter, 2 * Quarter, 3 * Quarter, 4 * Quarter, 5 * Quarter}));
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void WhileItsSongPlaysTheSongTextCannotBeChanged() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        editor->Play1Click();
        QVERIFY(f.frame->Playing());
        QVERIFY(editor->Memo1->isReadOnly());
        for (QAction* action : {editor->Paste1, editor->Replace1, editor->SpecialLetters1, editor->Hyphenation1,
                                editor->VoiceTrackSelection1, editor->Play1, editor->PlayFromCursor1})
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        QVERIFY(editor->Find1->isEnabled());
        QVERIFY(editor->Stop1->isEnabled());
        QVERIFY(f.frame->StopButton->isEnabled());
        QVERIFY(!f.frame->PlayButton->isEnabled());
        QVERIFY(!f.frame->MidiSetup1->isEnabled());

        // Commands that would reach the text anyway do nothing.
        f.At(0);
        const QString before = editor->Memo1->toPlainText();
        editor->Delete1Click();
        editor->Paste1Click();
        editor->Cut1Click();
        editor->VoiceTrackSelection1Click();
        ModalAnswerer none;
        editor->Hyphenation1Click();
        editor->SpecialLetters1Click();
        QTest::keyClicks(editor->Memo1, QStringLiteral("xyz"));
        QCOMPARE(editor->Memo1->toPlainText(), before);
        QVERIFY(none.Seen.isEmpty());
        QVERIFY(none.Unexpected.isEmpty());

        // Stop: editable again, the highlight collapsed to a caret at its end.
        const int end = editor->Memo1->textCursor().selectionEnd();
        f.frame->StopButton->trigger();
        QVERIFY(!f.frame->Playing());
        QVERIFY(!editor->Memo1->isReadOnly());
        QCOMPARE(editor->Memo1->textCursor().position(), end);
        QVERIFY(!editor->Memo1->textCursor().hasSelection());
        QVERIFY(editor->Paste1->isEnabled());
        QVERIFY(editor->Play1->isEnabled());
        QVERIFY(!editor->Stop1->isEnabled());
        QVERIFY(f.frame->MidiSetup1->isEnabled());
        QCOMPARE(f.frame->Gauge1->maximum(), 100);
        QCOMPARE(f.frame->Gauge1->value(), 100);
        QVERIFY(f.Midi().catalog.log.silences >= 1);
        QTest::keyClicks(editor->Memo1, QStringLiteral("x"));
        QVERIFY(editor->Memo1->toPlainText() != before);
    }

    void TheSongEndsByItselfAndLeavesTheTextEditable() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Play1Click();
        f.At(20 * Quarter);
        QVERIFY(!f.frame->Playing());
        QVERIFY(!editor->Memo1->isReadOnly());
        QVERIFY(f.frame->PlayButton->isEnabled());
        QVERIFY(!f.frame->StopButton->isEnabled());
        QVERIFY(!f.frame->Timer1->isActive());
    }

    void PlayFromCursorStartsAtTheLyricOfTheCaretsLine() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        // The caret in the middle of "how are you": the start is "how", at tick 288.
        editor->Memo1->Select(editor->Memo1->LineStartIndex(5) + 6, 0);
        editor->PlayFromCursor1Click();
        QVERIFY(f.frame->Playing());
        QCOMPARE(f.frame->Engine().StartTime(), 288);
        // The lyric at the start time shows on the first tick.
        f.At(0);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("how "));
        QCOMPARE(f.frame->Gauge1->value(), 288);
        // The notes before the start are left out; the program before it is sent at once.
        f.At(Quarter / 2);
        const std::vector<Sent> programs = f.Midi().catalog.log.OfKind(0xC0);
        QVERIFY(!programs.empty());
        QCOMPARE(programs.front().micros, int64_t{0});
        const std::vector<Sent> notes = f.Midi().catalog.log.OfKind(0x90);
        QVERIFY(!notes.empty());
        QCOMPARE(notes.front().bytes[1], uint8_t{63});  // the fourth voice note
        QCOMPARE(notes.front().micros, int64_t{0});

        // From the Preview page, the start is the lyric under the preview's caret.
        f.frame->StopPlaying();
        editor->Preview1Click();
        editor->Memo2->Select(editor->Memo2->LineStartIndex(1) + 7, 0);  // in "world"
        editor->PlayFromCursor1Click();
        QCOMPARE(f.frame->Engine().StartTime(), 0);  // the line of "world" begins with "Hel"
        f.frame->StopPlaying();
        // A caret above the first lyric starts at the first lyric.
        editor->STF1Click();
        editor->Memo1->Select(0, 0);
        editor->PlayFromCursor1Click();
        QCOMPARE(f.frame->Engine().StartTime(), 0);
    }

    void ClosingTheWindowOfThePlayingSongStopsIt() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        TEditForm* other = f.Open(QStringLiteral("other.stf"), SixSyllables);
        editor->Play1Click();
        QVERIFY(f.frame->Playing());
        // Another window closing changes nothing.
        other->Close1Click();
        QVERIFY(f.frame->Playing());
        const int silences = f.Midi().catalog.log.silences;
        editor->Close1Click();
        QVERIFY(!f.frame->Playing());
        QCOMPARE(f.frame->PlayEditor(), nullptr);
        QCOMPARE(f.Midi().catalog.log.silences, silences + 1);
        // Time going on reaches nothing that is gone.
        QTest::qWait(1);
        f.At(3 * Quarter);
    }

    void ANewPlayRequestStopsTheSongThatPlays() {
        Fixture f;
        TEditForm* first = f.Open(QStringLiteral("song.stf"), SixSyllables);
        TEditForm* second = f.Open(QStringLiteral("again.stf"), SixSyllables);
        first->Play1Click();
        f.At(Quarter);
        QVERIFY(first->Memo1->isReadOnly());
        f.frame->StopPlaying();
        second->Play1Click();
        QCOMPARE(f.frame->PlayEditor(), second);
        QVERIFY(!first->Memo1->isReadOnly());
        QVERIFY(second->Memo1->isReadOnly());
        // The tool button plays the active window's song, stopping the one that plays.
        f.frame->PlaySong(second->KarFileName.toStdString(), first, false);
        QCOMPARE(f.frame->PlayEditor(), first);
        QVERIFY(!second->Memo1->isReadOnly());
    }

    void AnEndOfTheSongBeforeThatDoesNotStopTheNextOne() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Play1Click();
        // The first song runs out; its end is posted but not handled yet.
        TestMidiSystem& midi = f.Midi();
        for (int64_t t = 0; t <= 20 * Quarter; t += Quarter / 4) {
            midi.time.Set(t);
            midi.toolkit.GetScheduler().Service();
        }
        f.frame->PlaySong(editor->KarFileName.toStdString(), editor, false);
        QCoreApplication::sendPostedEvents(f.frame.get(), 0);
        QVERIFY(f.frame->Playing());
        QVERIFY(editor->Memo1->isReadOnly());
    }

    void TheClocksNotificationsFromAnotherThreadArriveAsEventsOfTheWindow() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Play1Click();
        // The toolkit's clock runs on a thread of its own; what it posts waits for the
        // window's thread.
        TestMidiSystem& midi = f.Midi();
        std::thread clock([&midi] {
            for (int64_t t = 0; t <= 20 * Quarter; t += Quarter / 4) {
                midi.time.Set(t);
                midi.toolkit.GetScheduler().Service();
            }
        });
        clock.join();
        QVERIFY(f.frame->Playing());
        QVERIFY(editor->Memo1->isReadOnly());
        QCoreApplication::sendPostedEvents(f.frame.get(), 0);
        QVERIFY(!f.frame->Playing());
        QVERIFY(!editor->Memo1->isReadOnly());
    }

    void AFileThatCannotBePlayedIsNamedAndChangesNothing() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        f.folder.WriteFile(QStringLiteral("broken.kar"), "MThd\0\0\0\6\0\1");
        f.folder.WriteFile(QStringLiteral("cut.kar"), SixNoteSong().left(60));
        const QString missing = f.folder.Path(QStringLiteral("missing.kar"));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok).Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        f.frame->PlaySong(f.folder.Path(QStringLiteral("broken.kar")).toStdString(), editor, false);
        f.frame->PlaySong(f.folder.Path(QStringLiteral("cut.kar")).toStdString(), editor, false);
        f.frame->PlaySong(missing.toStdString(), editor, false);
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error in Midi file header"),
                                            QStringLiteral("box: Error in Midi file"),
                                            QStringLiteral("box: Error opening Midi file ") + missing}));
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(!f.frame->Playing());
        QVERIFY(!editor->Memo1->isReadOnly());
        QVERIFY(f.frame->PlayButton->isEnabled());
        QVERIFY(!f.frame->StopButton->isEnabled());
    }

    void TheFirstDeviceIsOpenedAtStartAndItsNameKept() {
        TestProgramFolder folder;
        {
            TFrameForm frame(folder.Environment());
            frame.show();
            QTRY_COMPARE(frame.Settings.MidiOutDevice, std::string("Test Synth"));
            QVERIFY(frame.Engine().MidiOut() != 0);
            QCOMPARE(TestMidiSystem::Of(frame).catalog.log.opened, std::vector<int>{0});
            for (TEditForm* editor : frame.Editors()) editor->Memo1->document()->setModified(false);
            QVERIFY(frame.close());
        }
        QVERIFY(IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini"))).contains(QStringLiteral("View0MidiOutDevice=Test Synth")));
        // A stored name picks its device, whatever the letter case.
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\nView0MidiOutDevice=port b\n");
        TFrameForm frame(folder.Environment());
        frame.show();
        frame.FinishStart();
        QCOMPARE(TestMidiSystem::Of(frame).catalog.log.opened, std::vector<int>{1});
        QVERIFY(frame.close());
    }

    void AMissingDeviceIsToldOnceAndTheProgramRunsOn() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        folder.WriteFile(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        TFrameForm frame(folder.Environment([](TestMidiSystem& midi) { midi.catalog.failOpen = {0, 1}; }));
        frame.show();
        QTRY_COMPARE(answers.Seen, QStringList({"box: Cannot open Midi output device Test Synth"}));
        QCOMPARE(frame.Settings.MidiOutDevice, std::string("Test Synth"));
        QCOMPARE(frame.Engine().MidiOut(), MidiHandle{0});
        QVERIFY(frame.isVisible());

        // Each play tries again and tells again; the text stays editable.
        TEditForm* editor = frame.CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("song.stf")));
        answers.Press(QMessageBox::Ok);
        editor->Play1Click();
        QCOMPARE(answers.Seen.size(), qsizetype(2));
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Cannot open Midi output device Test Synth"));
        QVERIFY(!frame.Playing());
        QVERIFY(!editor->Memo1->isReadOnly());
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(frame.close());
    }

    void TheKaraokePlayerGetsTheFileAsOneArgumentAndTheDevice() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        // A player that writes down its arguments and where it was started.
        const QString log = f.folder.Path(QStringLiteral("player.log"));
        f.folder.WriteFile(QStringLiteral("bin/player"),
                           QStringLiteral("#!/bin/sh\npwd > '%1.tmp'\nfor a in \"$@\"; do echo \"[$a]\" >> '%1.tmp'; "
                                          "done\nmv '%1.tmp' '%1'\n")
                               .arg(log)
                               .toUtf8());
        QFile::setPermissions(f.folder.Path(QStringLiteral("bin/player")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        f.frame->Settings.KaraokePlayer = f.folder.Path(QStringLiteral("bin/player")).toStdString();
        f.frame->Settings.Parameters = "--play % \"two words\" $HOME;x";
        f.frame->UpdateFrameControls();
        QVERIFY(editor->PlayInKaraokePlayer1->isEnabled());
        QVERIFY(f.frame->Engine().MidiOut() != 0);
        ModalAnswerer answers;
        editor->PlayInKaraokePlayer1Click();
        QVERIFY(answers.Unexpected.isEmpty());
        // The device is handed over: closed.
        QCOMPARE(f.frame->Engine().MidiOut(), MidiHandle{0});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines, QStringList({f.folder.Path(QStringLiteral("bin")),
                                     QStringLiteral("[--play]"), QLatin1Char('[') + editor->KarFileName + QLatin1Char(']'),
                                     QStringLiteral("[two words]"), QStringLiteral("[$HOME;x]")}));

        // A player that cannot be started is named with its parameters and folder.
        f.frame->Settings.KaraokePlayer = f.folder.Path(QStringLiteral("bin/none")).toStdString();
        f.frame->Settings.Parameters = "%";
        answers.Press(QMessageBox::Ok);
        editor->PlayInKaraokePlayer1Click();
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error executing \"%1 %2\" in \"%3\".")
                                                .arg(f.folder.Path(QStringLiteral("bin/none")), editor->KarFileName,
                                                     f.folder.Path(QStringLiteral("bin/")))}));
        QVERIFY(answers.Unexpected.isEmpty());
    }
};

QTEST_MAIN(PlaybackTest)
#include "playback_test.moc"
