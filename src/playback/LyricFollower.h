#pragma once
// Follows the lyrics of a playing song: a timer (every 20 ms, sooner when the next lyric
// falls due before that: NextLyricTime) reads the playback clock, finds the lyric that is
// due among the text events of the song's third track (the words track of a compiled
// karaoke file) and asks the editor to highlight it; every twentieth tick it moves the
// progress gauge.
//
// The highlight only moves forward and shows each lyric once. Lyrics at 0, 96 and 192
// ticks, playing from the start: nothing is shown before tick 0 is reached; at tick 100
// the editor is asked for time 96; at 150 nothing new happens; at 200 for time 192.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "midi/MidiReader.h"
#include "playback/PlaybackInterfaces.h"

namespace sonkora {

struct LyricTime {
    int32_t Time = 0;  // ticks from the start of the song
};

class LyricFollower {
public:
    // Reads track 2 from where it stands to its end: every text event (meta type 1) that
    // does not begin with "@" is a lyric, empty texts and paragraph and line marks
    // included. The tracks must have been rewound.
    void LoadLyricTimes(MidiReader& reader);
    void ClearLyricTimes();
    // Playing from `startTime`: every lyric before it counts as passed.
    void SkipLyricTimesBefore(int32_t startTime);
    // A playback starts: the gauge is refreshed on the first tick.
    void StartTicking();

    // One tick of the timer. `followLyrics`: an editor's song plays (no audition).
    // `readClock` gives ticks since the start of playback; song time is that plus
    // `startTime`.
    void Tick(bool followLyrics, int32_t startTime, PlaybackEditor* editor, const std::function<int32_t()>& readClock,
              const std::function<void(int32_t)>& setGauge);

    const std::vector<LyricTime>& LyricTimes() const { return lyricTimes_; }
    // The song time of the first lyric after the time the last tick looked at; nothing
    // when that tick followed no lyrics or none is left.
    std::optional<int32_t> NextLyricTime() const;
    int32_t LyricIndex() const { return lyricIndex_; }
    int32_t LastShownLyric() const { return lastShownLyric_; }
    bool TimerBusy() const { return timerBusy_; }
    uint16_t GaugeTick() const { return gaugeTick_; }

private:
    std::vector<LyricTime> lyricTimes_;
    int32_t lyricIndex_ = 0;
    int32_t lastShownLyric_ = -1;
    bool timerBusy_ = false;
    uint16_t gaugeTick_ = 0;
    std::optional<int32_t> lookedAt_;  // the song time of the last tick that followed lyrics
};

// Song time from a clock reading: clock + start, kept within 32 bits.
int32_t SongTime(int32_t clock, int32_t startTime);

}  // namespace sonkora
