// Following the lyrics: which text events count, and how the highlight moves with the clock.
#include <gtest/gtest.h>

#include "PlaybackFixture.h"

namespace sonkora::test {
namespace {

using Ticks = std::vector<int32_t>;

// Lyrics at ticks 10, 20, 20 and 40 in the third track, among texts that do not count;
// a note in track 1 keeps the song going until tick 400.
Bytes KaraokeSong() {
    return MidiFile(
        1, 96,
        {Cat({Tempo(0, 500000), EndOfTrack()}),
         Cat({Meta(0, 1, "not the words track"), NoteOn(0, 0, 60, 100), NoteOff(400, 0, 60), EndOfTrack()}),
         Cat({Meta(0, 1, "@KMIDI KARAOKE FILE"), Meta(10, 1, "Hel"), Meta(10, 1, "/lo"), Meta(0, 1, ""),
              Meta(10, 5, "a lyric event"), Meta(5, 3, "a track name"), Meta(5, 1, "\\World"), EndOfTrack()}),
         Cat({Meta(7, 1, "fourth track"), EndOfTrack()})});
}

class FollowerTest : public EngineTest {
protected:
    void Play() { engine.PlaySong(folder.Write("song.kar", KaraokeSong()), &editor, false); }
    // Moves the clock to `tick` (at 120 bpm) and lets the timer tick once.
    void TickAt(int64_t tick) {
        Run(At120(tick));
        engine.Tick();
    }
};

// A timer that waits what each tick asks highlights every lyric within a millisecond of its time.
TEST_F(FollowerTest, TheHighlightFollowsTheTextEventsOfTheThirdTrackInTimeForwardOnlyAndOnce) {
    Play();
    Ticks times;
    for (const LyricTime& lyric : engine.Follower().LyricTimes()) times.push_back(lyric.Time);
    EXPECT_EQ(times, (Ticks{10, 20, 20, 40}));
    editor.onShow = [&] {
        const int64_t late = time.NowMicros() - At120(editor.shown.back());
        EXPECT_TRUE(late >= 0 && late < 1000) << "the lyric at tick " << editor.shown.back() << ", " << late;
    };
    while (engine.Playing() && time.NowMicros() < 5'000'000) {
        const int wait = engine.Tick();
        ASSERT_TRUE(wait >= 1 && wait <= PlaybackEngine::TimerMillis) << wait;
        Run(time.NowMicros() + int64_t{wait} * 1000);
    }
    EXPECT_EQ(editor.shown, (Ticks{10, 20, 40})) << "the two lyrics at tick 20 come with one call";
}

TEST_F(FollowerTest, TickArrivingWhileTheEditorIsBusyIsSkipped) {
    Play();
    editor.onShow = [&] {
        Run(At120(30));
        engine.Tick();  // the editor let the timer's message through
    };
    TickAt(15);
    EXPECT_EQ(editor.shown, (Ticks{10}));
    editor.onShow = nullptr;
    engine.Tick();
    EXPECT_EQ(editor.shown, (Ticks{10, 20}));
}

TEST_F(FollowerTest, EditorThatStopsTheSongWhileHighlightingLeavesTheGaugeIdle) {
    Play();
    editor.onShow = [&] { engine.StopPlaying(); };
    TickAt(15);
    ExpectIdle();
    EXPECT_TRUE(frame.progressUpdates.empty());
}

// Play From Cursor highlighting its first lyric at once is the shell's playback test.
TEST_F(FollowerTest, GaugeFollowsTheSongTimeEveryTwentiethTickAlsoDuringAnAudition) {
    const std::string song = folder.Write("song.kar", KaraokeSong());
    engine.PlayTrack(song, 1);
    for (int i = 0; i < 21; ++i) TickAt(10 * i);
    EXPECT_EQ(frame.progressUpdates, (Ticks{0, 200}));
    EXPECT_TRUE(editor.shown.empty());

    engine.PlaySongFrom(song, &editor, 96);
    Run(time.NowMicros() + At120(48));
    engine.Tick();
    EXPECT_EQ(frame.progressUpdates, (Ticks{0, 200, 96 + 48}));
}

TEST(CursorStartTimeTest, StartsAtTheLyricOfTheCaretsLine) {
    RecordingEditor editor;
    EXPECT_EQ(PlaybackEngine::CursorStartTime(editor), 0) << "no lyric at all";
    editor.lyrics = {{10, 100}, {20, 200}, {30, 300}};
    // Before the first lyric, on it, between two, on the last, after the last.
    const int32_t carets[] = {0, 10, 25, 30, 500}, starts[] = {100, 100, 200, 300, 300};
    for (size_t i = 0; i < std::size(carets); ++i) {
        editor.caretLineStart = carets[i];
        EXPECT_EQ(PlaybackEngine::CursorStartTime(editor), starts[i]) << "caret " << carets[i];
    }
    editor.lyrics = {{0, -1}};
    EXPECT_EQ(PlaybackEngine::CursorStartTime(editor), 0) << "a lyric without a time does not start an audition";
}

}  // namespace
}  // namespace sonkora::test
