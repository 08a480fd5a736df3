// The playback engine on a recording device: what the device receives and when, how a
// play request ends, and what the user is told when it cannot start or its sound output
// goes away.
#include <gtest/gtest.h>

#include "PlaybackFixture.h"

namespace sonkora::test {
namespace {

// Track 0 with a tempo change and channel state before tick 96 and notes on both sides.
Bytes SongWithStateBeforeTick96() {
    return MidiFile(
        1, 96,
        {Cat({Tempo(0, 500000), Program(0, 0, 5), Controller(10, 0, 7, 90), NoteOn(0, 0, 60, 100), NoteOff(38, 0, 60),
              Tempo(2, 250000), NoteOn(46, 0, 62, 100), NoteOff(96, 0, 62), EndOfTrack()})});
}

TEST_F(EngineTest, PlayingFromATimeSendsTheStateBeforeItAtOnceAndDropsItsNotes) {
    engine.PlaySongFrom(folder.Write("state.mid", SongWithStateBeforeTick96()), &editor, 96);
    ASSERT_TRUE(engine.Playing()) << (ui.errors.empty() ? "" : ui.errors[0].first);
    EXPECT_TRUE(editor.readOnly && frame.timerEnabled);
    EXPECT_EQ(std::pair(frame.gaugeMaximum, frame.gaugeProgress), std::pair(192, 96));
    // A song of fewer than three tracks has no words track: nothing to highlight.
    EXPECT_TRUE(engine.Follower().LyricTimes().empty());
    Run(2'000'000);
    // The tempo set before the start holds from it: 96 ticks at 250000 us per quarter.
    EXPECT_EQ(catalog.log.sent,
              (SentList{{0, {0xC0, 5}}, {0, {0xB0, 7, 90}}, {0, {0x90, 62, 100}}, {250'000, {0x80, 62, 0}}}));
    // Running out of events ends the playback.
    ExpectIdle();
    EXPECT_EQ(std::pair(editor.collapses, catalog.log.silences), std::pair(1, 1));
}

TEST_F(EngineTest, AuditionStartsSoundingAtTheFirstNoteOfItsTracks) {
    const std::string song =
        folder.Write("audition.mid", MidiFile(1, 96,
                                              {Cat({Program(0, 0, 1), EndOfTrack(400)}),
                                               Cat({Program(0, 1, 20), Controller(0, 1, 10, 64), NoteOn(200, 1, 64, 90),
                                                    NoteOff(96, 1, 64), EndOfTrack()}),
                                               Cat({NoteOn(100, 2, 70, 90), NoteOff(10, 2, 70), EndOfTrack()})}));
    engine.PlayTrack(song, 1);
    EXPECT_EQ(engine.StartTime(), 200);
    Run(2'000'000);
    const SentList expected{
        {0, {0xC0, 1}}, {0, {0xC1, 20}}, {0, {0xB1, 10, 64}}, {0, {0x91, 64, 90}}, {500'000, {0x81, 64, 0}}};
    EXPECT_EQ(catalog.log.sent, expected);
    ExpectIdle();
    EXPECT_EQ(frame.trackDialogCleared, 1);
}

class ShortLookAheadTest : public EngineTest {
protected:
    ShortLookAheadTest() : EngineTest(SchedulerLimits{200'000, 100'000, 64, 16}) {}
};

TEST_F(ShortLookAheadTest, FeedRequestsThatStopOrNestNeitherLoseNorRepeatEvents) {
    // Forty quarter notes, one every 48 ticks (250 ms), and what the device gets of them from 15 s on.
    Bytes track;
    SentList whole;
    for (uint8_t i = 0; i < 40; ++i) {
        track = Cat({track, NoteOn(i == 0 ? 0 : 24, 0, 60, 100), NoteOff(24, 0, 60)});
        whole.push_back({15'000'000 + At120(48 * i), {0x90, 60, 100}});
        whole.push_back({15'000'000 + At120(48 * i + 24), {0x80, 60, 0}});
    }
    const std::string song = folder.Write("long.mid", MidiFile(1, 96, {Cat({track, EndOfTrack()})}));
    // A stop while a feed lets the window messages through queues nothing more.
    frame.onProcessPending = [&] { engine.StopPlaying(); };
    engine.PlaySongFrom(song, &editor, 0);
    const size_t queuedAtStart = toolkit.GetScheduler().QueuedCount();
    Run(15'000'000);
    EXPECT_EQ(frame.pendingProcessed, 1) << "one feed request";
    EXPECT_LT(catalog.log.sent.size(), queuedAtStart);
    ExpectIdle();

    // The next play request starts cleanly, with another feed request waiting among the window messages.
    int depth = 0;
    frame.onProcessPending = [&] {
        if (depth++ == 0) engine.MidiFeedRequest();
        --depth;
    };
    catalog.log.sent.clear();
    engine.PlaySongFrom(song, &editor, 0);
    Run(30'000'000);
    EXPECT_GT(frame.pendingProcessed, 10) << "the song goes to the toolkit piece by piece";
    EXPECT_EQ(catalog.log.sent, whole);
    ExpectIdle();
}

// A play request while a song plays stops it first: the shell's playback test plays a new song over one.
TEST_F(EngineTest, FailuresShowTheirMessageOnceAndLeaveTheSongTextEditable) {
    const struct {
        std::string file;
        std::string message;
    } cases[] = {
        {folder.Path("missing.kar"), "Error opening Midi file " + folder.Path("missing.kar")},
        {"", "Error opening Midi file "},
        {folder.Write("header.mid", Cat({Text("MThd"), Be32(7), Be16(1), Be16(1), Be16(96), {0}})),
         "Error in Midi file header"},
        {folder.Write("division0.mid", MidiFile(1, 0, {EndOfTrack()})), "Error in Midi file header"},
        {folder.Write("truncated.mid", Cat({Header(1, 1, 96), Text("MTrk"), Be32(100)})), "Error in Midi file"},
        {folder.Write("code.mid", MidiFile(1, 96, {{0x00, 0xF4}})), "Error in Midi file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ui.errors.clear();
        const int updates = frame.controlUpdates;
        engine.PlaySong(c.file, &editor, false);
        EXPECT_EQ(ui.errors, (Errors{{c.message, HelpContext::General}}));
        ExpectIdle();
        EXPECT_EQ(frame.controlUpdates, updates + 2) << "once for playing, once for idle";
    }
    EXPECT_TRUE(catalog.log.sent.empty());
}

TEST_F(EngineTest, TheDeviceSettingChoosesTheDeviceAndOneThatCannotOpenIsReportedByIt) {
    const std::string song = folder.Write("state.mid", SongWithStateBeforeTick96());
    const struct {
        std::string setting;
        int failOpen, failReset;  // a device index, or -1
        std::vector<int> opened;
        std::string settingAfter, error, openError;  // the error without "Cannot open Midi output device "
    } cases[] = {
        // An empty setting takes the first device, failing or not: the shell's device test.
        {"port b", -1, -1, {1}, "port b", "", ""},  // names match whatever their case
        {"Nope", -1, -1, {}, "Nope", "Nope", ""},
        // The catalog's reason is told when the device did not open, not when its reset failed.
        {"", 0, -1, {0}, "Test Synth", "Test Synth (no sound output)", "no sound output"},
        {"Port B", -1, 1, {1}, "Port B", "Port B", "no sound output"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting + " " + c.error);
        engine.CloseMidiOutput();
        ui.errors.clear();
        catalog.log = {};
        catalog.failOpen = c.failOpen, catalog.failReset = c.failReset;
        catalog.openError = c.openError;
        engine.SetMidiOutDevice(c.setting);
        engine.PlaySong(song, &editor, false);
        EXPECT_EQ(std::pair(catalog.log.opened, engine.MidiOutDevice()), std::pair(c.opened, c.settingAfter));
        EXPECT_EQ(engine.Playing(), c.error.empty());
        EXPECT_EQ(engine.MidiOut() != 0, c.error.empty());
        EXPECT_EQ(
            ui.errors,
            (c.error.empty() ? Errors{} : Errors{{"Cannot open Midi output device " + c.error, HelpContext::General}}));
        EXPECT_EQ(catalog.log.closes, c.failReset < 0 ? 0 : 1) << "a device that failed its reset is closed";
        engine.StopPlaying();
        ExpectIdle();
    }
    // Opening again closes the open device first instead of losing it.
    catalog.failReset = -1;
    EXPECT_TRUE(engine.OpenMidiOutput());
    EXPECT_TRUE(engine.OpenMidiOutput());
    EXPECT_EQ(catalog.log.closes, 2);
}

constexpr int64_t Stall = 1'000'000;  // the watch's limit in these tests

// The sound server stopped or its output device was removed while a song plays: the
// playback stops and the user is told why and where to choose another device. The test
// plays the audio driver by hand.
TEST_F(EngineTest, AnOutputThatStopsTakingSoundStopsThePlaybackAndIsReportedOnce) {
    catalog.watch = &watch.emplace("Test Audio", Stall);
    engine.SetDeviceAdvice("To choose another device: Options > Midi Setup...");
    // One note held for 20 s.
    const std::string song =
        folder.Write("held.mid", MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 100), NoteOff(3840, 0, 60), EndOfTrack()})}));
    const std::string lost =
        "Playback stopped: the built-in synthesizer lost its sound output (Test Audio stopped taking sound: the sound "
        "server was stopped or its output device removed)";
    const struct {
        const char* what;
        int64_t pullsUntil;  // after the start; the driver takes a block every 20 ms until then
        int64_t ticksUntil;  // the frame's timer ticks every 20 ms until then
        int64_t lostAt;      // the first tick past the limit; -1: it plays on
    } cases[] = {
        {"the driver takes every block", 3'000'000, 3'000'000, -1},
        {"a pause shorter than the limit", 1'000'000, 1'000'000 + Stall - 20'000, -1},
        // Long idle time lies before this start (the cases follow one another): it does not count.
        {"the driver stops", 1'000'000, 3'000'000, 1'000'000 + Stall},
        {"the driver never takes a block", -1, 3'000'000, Stall},
        {"a new start after a loss opens the output afresh and plays", 3'000'000, 3'000'000, -1},
    };
    ASSERT_TRUE(engine.OpenMidiOutput());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ui.errors.clear();
        catalog.log.opened.clear();
        const bool afterLoss = !engine.DeviceProblem().empty();
        const int64_t start = time.NowMicros();
        engine.PlaySong(song, &editor, false);
        ASSERT_TRUE(engine.Playing());
        EXPECT_EQ(catalog.log.opened.size(), afterLoss ? 1u : 0u);
        int64_t lostAt = -1;
        for (int64_t t = 20'000; t <= c.ticksUntil && engine.Playing(); t += 20'000) {
            Run(start + t);
            if (t <= c.pullsUntil) watch->Pulled(start + t);
            engine.Tick();
            if (!engine.Playing()) lostAt = t;
        }
        // Told once; the device is closed.
        EXPECT_EQ(lostAt, c.lostAt);
        EXPECT_EQ(engine.MidiOut() != 0, c.lostAt < 0);
        EXPECT_EQ(engine.DeviceProblem(), c.lostAt < 0 ? "" : lost);
        EXPECT_EQ(ui.errors, (c.lostAt < 0 ? Errors{}
                                           : Errors{{lost + ".\n\nTo choose another device: Options > Midi Setup...",
                                                     HelpContext::General}}));
        engine.StopPlaying();
        ExpectIdle();
        Run(time.NowMicros() + 5'000'000);  // nothing sounds, nothing pulls
    }
}

}  // namespace
}  // namespace sonkora::test
