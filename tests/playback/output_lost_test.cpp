// A sound output that goes away while a song plays (the sound server stopped, its output
// device removed): the playback stops and the user is told why and where to choose
// another device. The test plays the audio driver by hand.
#include <gtest/gtest.h>

#include "PlaybackFixture.h"

namespace sonkora::test {
namespace {

constexpr int64_t Stall = 1'000'000;  // the watch's limit in these tests

TEST_F(EngineTest, AnOutputThatStopsTakingSoundStopsThePlaybackAndIsReportedOnce) {
    AudioOutputWatch watch("Test Audio", Stall);
    catalog.watch = &watch;
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
            if (t <= c.pullsUntil) watch.Pulled(start + t);
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
