#include "playback/LyricFollower.h"

#include <algorithm>
#include <limits>

namespace sonkora {

namespace {

// The track that holds the words in a compiled karaoke file.
constexpr uint16_t WordsTrack = 2;

// The gauge moves every this many timer ticks: at least every 400 ms, as ticks come at
// least every 20 ms.
constexpr uint16_t GaugeTicks = 20;

bool IsLyric(const MidiEvent& event) {
    return event.Status == 0xFF && event.MetaType == 0x01 && (event.Text.empty() || event.Text[0] != '@');
}

}  // namespace

int32_t SongTime(int32_t clock, int32_t startTime) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{clock} + startTime, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void LyricFollower::ClearLyricTimes() {
    lyricTimes_.clear();
    lyricTimes_.shrink_to_fit();
    lyricIndex_ = 0;
}

void LyricFollower::LoadLyricTimes(MidiReader& reader) {
    ClearLyricTimes();
    lyricIndex_ = 0;
    lastShownLyric_ = -1;
    if (WordsTrack >= reader.Header().TrackCount) return;
    // Every event takes at least one byte, so a track cannot hold more events than
    // bytes; the bound only guards against a reader that stops advancing.
    const int64_t limit = int64_t{reader.Track(WordsTrack).Length} + 1;
    MidiEvent event;
    for (int64_t count = 0; count < limit; ++count) {
        const bool more = reader.ReadEvent(WordsTrack, event);
        // A false answer still delivers the track's last event, unless decoding failed.
        if (reader.MidiError() != 0) break;
        if (IsLyric(event)) lyricTimes_.push_back(LyricTime{event.Time});
        if (!more) break;
    }
}

void LyricFollower::SkipLyricTimesBefore(int32_t startTime) {
    while (lyricIndex_ < static_cast<int32_t>(lyricTimes_.size()) &&
           lyricTimes_[static_cast<size_t>(lyricIndex_)].Time < startTime)
        ++lyricIndex_;
}

void LyricFollower::StartTicking() {
    gaugeTick_ = 0;
    timerBusy_ = false;
    lookedAt_.reset();
}

std::optional<int32_t> LyricFollower::NextLyricTime() const {
    if (!lookedAt_) return std::nullopt;
    const auto later = std::upper_bound(lyricTimes_.begin() + lyricIndex_, lyricTimes_.end(), *lookedAt_,
                                        [](int32_t time, const LyricTime& lyric) { return time < lyric.Time; });
    if (later == lyricTimes_.end()) return std::nullopt;
    return later->Time;
}

void LyricFollower::Tick(bool followLyrics, int32_t startTime, PlaybackEditor* editor,
                         const std::function<int32_t()>& readClock, const std::function<void(int32_t)>& setGauge) {
    // A tick that arrives while the editor is still busy with the previous one is skipped.
    if (timerBusy_) return;
    timerBusy_ = true;
    struct BusyGuard {
        bool& busy;
        ~BusyGuard() { busy = false; }
    } guard{timerBusy_};

    lookedAt_.reset();
    if (followLyrics && editor != nullptr) {
        const int32_t now = SongTime(readClock(), startTime);
        lookedAt_ = now;
        const auto count = static_cast<int32_t>(lyricTimes_.size());
        bool advanced = false;
        while (lyricIndex_ < count && lyricTimes_[static_cast<size_t>(lyricIndex_)].Time <= now) {
            ++lyricIndex_;
            advanced = true;
        }
        if (lyricIndex_ > 0) --lyricIndex_;
        if (lyricIndex_ > lastShownLyric_ && count > 0 && advanced) {
            const int32_t index = lyricIndex_;
            lastShownLyric_ = index;
            editor->ShowLyricsAt(lyricTimes_[static_cast<size_t>(index)].Time);
        }
    }
    if (gaugeTick_ == 0) setGauge(SongTime(readClock(), startTime));
    gaugeTick_ = static_cast<uint16_t>((gaugeTick_ + 1) % GaugeTicks);
}

}  // namespace sonkora
