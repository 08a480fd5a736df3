// sonkorac play FILE [--device NAME] [--from TIME] [--track N]: plays a karaoke or MIDI
// file in real time through the playback engine and prints each lyric as the song
// reaches it. Ctrl+C stops cleanly: the engine stops, every note ends, the device closes.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>

#include "cli/Commands.h"
#include "cli/playback/PlaybackConsole.h"
#include "common/CodePage.h"
#include "common/TerminalText.h"
#include "midi/MidiReader.h"
#include "playback/NotificationQueue.h"
#include "playback/PlaybackEngine.h"
#include "playback/SchedulerToolkit.h"
#include "playback/SystemDevices.h"
#include "playback/TimeSource.h"

namespace sonkora::cli {

namespace {

using Clock = std::chrono::steady_clock;
// Once the last event has been played the song still runs to its end, for at least
// this long (the last notes ring out) and at most ...
constexpr auto ShortestRingOut = std::chrono::milliseconds(500);
// ... this long (a long silence after the last note is not waited out).
constexpr auto LongestRingOut = std::chrono::seconds(10);

// Ctrl+C and termination requests, taken from the signal queue by the loop instead of
// a handler: blocked in every thread (the scheduler and audio threads inherit the mask)
// and collected with sigtimedwait.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    }
    ~StopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Arrived() {
        timespec none{0, 0};
        return sigtimedwait(&signals_, nullptr, &none) > 0;
    }

private:
    sigset_t signals_;
    sigset_t previous_;
};

// A terminal karaoke display: the song's lyrics (the texts of its words track, by the
// same rule the follower uses) printed as they are reached, a line mark "/" starting a
// new line and a paragraph mark "\" a new paragraph.
class TerminalLyrics final : public PlaybackEditor {
public:
    TerminalLyrics(const std::string& fileName, std::ostream& out) : out_(out) {
        MidiReader reader;
        if (!reader.OpenMidi(fileName) || !reader.ReadMidiHeader() || !reader.LoadTracks()) return;
        reader.CloseMidi();
        reader.RewindTracks();
        constexpr uint16_t wordsTrack = 2;
        if (wordsTrack >= reader.Header().TrackCount) return;
        const int64_t limit = int64_t{reader.Track(wordsTrack).Length} + 1;
        MidiEvent event;
        for (int64_t count = 0; count < limit; ++count) {
            const bool more = reader.ReadEvent(wordsTrack, event);
            if (reader.MidiError() != 0) break;
            if (event.Status == 0xFF && event.MetaType == 0x01 && (event.Text.empty() || event.Text[0] != '@'))
                lyrics_.push_back({event.Time, event.Text});
            if (!more) break;
        }
    }

    // Lyrics before a --from start are not sung.
    void SkipBefore(int32_t time) {
        while (next_ < lyrics_.size() && lyrics_[next_].time < time) ++next_;
    }

    void ShowLyricsAt(int32_t time) override {
        // Every lyric up to this time: the follower shows the latest of those it passed
        // in one timer tick, a terminal must not lose the ones in between.
        while (next_ < lyrics_.size() && lyrics_[next_].time <= time) Print(lyrics_[next_++].text);
        out_ << std::flush;
    }
    void SetReadOnly(bool) override {}
    void CollapseSelectionToEnd() override {
        if (printed_) out_ << "\n" << std::flush;
        printed_ = false;
    }
    int32_t CaretLineStart() const override { return 0; }
    int32_t LyricCount() const override { return 0; }
    LyricMark LyricAt(int32_t) const override { return {}; }

private:
    struct Lyric {
        int32_t time;
        std::string text;
    };

    void Print(const std::string& text) {
        std::string_view rest = text;
        if (!rest.empty() && rest[0] == '\\') {
            out_ << (printed_ ? "\n\n" : "");
            rest.remove_prefix(1);
        } else if (!rest.empty() && rest[0] == '/') {
            out_ << (printed_ ? "\n" : "");
            rest.remove_prefix(1);
        }
        // Bytes from the file must not steer the terminal.
        out_ << TerminalSafe(Cp1252ToUtf8(rest));
        printed_ = true;
    }

    std::ostream& out_;
    std::vector<Lyric> lyrics_;
    size_t next_ = 0;
    bool printed_ = false;
};

}  // namespace

int RunPlay(const Arguments& args) {
    std::string problem;
    auto parsed = playback::ParsePlaybackArguments(args, {"play", false, true}, problem);
    if (!parsed) return UsageError(problem);
    if (!playback::CompileSongText(*parsed)) return 1;
    const std::optional<int32_t> start = playback::StartTick(*parsed, problem);
    if (!start) return UsageError("play: " + problem);
    if (!playback::PlaybackModuleLoads()) return 1;

    StopSignals stopSignals;  // before any thread starts
    playback::PlaybackConsoleUi ui(std::cout, std::cerr);
    SystemDeviceCatalog catalog;
    SteadyTimeSource steady;
    NotificationQueue notifications;
    SchedulerToolkit toolkit(catalog, steady, SchedulerToolkit::Drive::Thread);
    toolkit.SetNotificationHandler([&notifications](ToolkitNotification n) { notifications.Post(n); });
    WindowlessFrame frame;
    TerminalLyrics lyrics(parsed->file, std::cout);
    PlaybackEngine engine(toolkit, ui, frame);
    if (parsed->device) engine.SetMidiOutDevice(*parsed->device);
    engine.SetDeviceAdvice("\"sonkorac devices\" lists the devices; --device NAME chooses one");

    if (parsed->track) {
        engine.PlayTrack(parsed->file, *parsed->track);
    } else {
        lyrics.SkipBefore(*start);
        engine.PlaySongFrom(parsed->file, &lyrics, *start);
    }

    bool interrupted = false;
    std::optional<Clock::time_point> ranOutAt;
    Clock::time_point nextTick = Clock::now() + std::chrono::milliseconds(PlaybackEngine::TimerMillis);
    while (engine.Playing()) {
        if (stopSignals.Arrived()) {
            interrupted = true;
            engine.StopPlaying();
            break;
        }
        if (const auto notification = notifications.WaitUntil(nextTick)) {
            if (*notification == ToolkitNotification::MoreEventsWanted) {
                engine.MidiFeedRequest();
            } else if (!ranOutAt) {
                ranOutAt = Clock::now();
            }
            continue;
        }
        const Clock::time_point now = Clock::now();
        // The engine says when to come again: sooner than the period when a lyric is due.
        const int wait = frame.TimerEnabled() ? engine.Tick() : PlaybackEngine::TimerMillis;
        nextTick = Clock::now() + std::chrono::milliseconds(wait);
        if (ranOutAt) {
            // An audition that never reached a note has no song time to wait for.
            const int64_t songTime = int64_t{toolkit.ReadClock()} + engine.StartTime();
            const bool atEnd =
                (engine.StartTime() < 0 || songTime >= engine.SongTicks()) && now >= *ranOutAt + ShortestRingOut;
            if (atEnd || now >= *ranOutAt + LongestRingOut) engine.MidiPlaybackEnded();
        }
    }
    engine.CloseMidiOutput();
    if (interrupted) return 130;
    return ui.Errors() > 0 ? 1 : 0;
}

}  // namespace sonkora::cli
