// How long after a lyric is due the editor is asked to highlight it: a karaoke song
// played in real time through the engine, the scheduler thread and a recording device,
// with the frame's 20 ms timer calling the follower. The baseline is the timer's own
// period, measured in the same run. Goal: the highlight at most 25 ms after its time.
//
//   playback_lyriclag_bench [seconds]      (default 8)

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "QuietUi.h"
#include "midi/MidiWriter.h"
#include "playback/NotificationQueue.h"
#include "playback/PlaybackEngine.h"
#include "playback/SchedulerToolkit.h"
#include "playback/TimeSource.h"

namespace {

using namespace sonkora;
using bench::QuietUi;
using Clock = std::chrono::steady_clock;

constexpr int Division = 480;
constexpr int LyricTicks = 130;  // a syllable every 135 ms at 120 bpm, off the timer's beat

void Put32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}
void PutQuantity(std::string& out, uint32_t v) {
    for (const uint8_t byte : EncodeQuantity(v)) out += static_cast<char>(byte);
}
std::string Chunk(const std::string& data) {
    std::string out = "MTrk";
    Put32(out, static_cast<uint32_t>(data.size()));
    return out + data;
}

// Three tracks: tempo, a note under every syllable, and the words.
std::string KaraokeSong(int lyrics) {
    std::string conductor, notes, words;
    conductor += std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7);
    conductor += std::string("\x00\xFF\x2F\x00", 4);
    for (int i = 0; i < lyrics; ++i) {
        PutQuantity(notes, i == 0 ? 0 : 30);
        notes += std::string("\x90\x3C\x50", 3);
        PutQuantity(notes, LyricTicks - 30);
        notes += std::string("\x80\x3C\x00", 3);
        PutQuantity(words, i == 0 ? 0 : LyricTicks);
        const std::string text = (i % 8 == 0 ? "/la" : "la");
        words += "\xFF\x01";
        PutQuantity(words, static_cast<uint32_t>(text.size()));
        words += text;
    }
    notes += std::string("\x00\xFF\x2F\x00", 4);
    words += std::string("\x00\xFF\x2F\x00", 4);
    std::string file = "MThd";
    Put32(file, 6);
    file += std::string("\x00\x01\x00\x03", 4);
    file += static_cast<char>(Division >> 8);
    file += static_cast<char>(Division & 0xFF);
    return file + Chunk(conductor) + Chunk(notes) + Chunk(words);
}

class NullDevice final : public OutputDevice {
public:
    bool Reset() override { return true; }
    void Send(std::span<const uint8_t>) override {}
    void Silence() override {}
    void Prepare() override {}
};

class NullCatalog final : public DeviceCatalog {
public:
    std::vector<std::string> DeviceNames() override { return {"Recorder"}; }
    std::unique_ptr<OutputDevice> Open(int) override { return std::make_unique<NullDevice>(); }
};

class BenchFrame final : public PlaybackFrame {
public:
    void UpdateFrameControls() override {}
    void SetGauge(int32_t, int32_t) override {}
    void SetGaugeProgress(int32_t) override {}
    void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void ProcessPendingMessages() override {}
    void ClearTrackDialogStatus() override {}
    bool timerEnabled = false;
};

// Notes when each highlight is asked for.
class StampingEditor final : public PlaybackEditor {
public:
    explicit StampingEditor(const TimeSource& time) : time_(time) {}
    void ShowLyricsAt(int32_t time) override { shown.emplace_back(time, time_.NowMicros()); }
    void SetReadOnly(bool) override {}
    void CollapseSelectionToEnd() override {}
    int32_t CaretLineStart() const override { return 0; }
    int32_t LyricCount() const override { return 0; }
    LyricMark LyricAt(int32_t) const override { return {}; }
    std::vector<std::pair<int32_t, int64_t>> shown;  // lyric tick, when

private:
    const TimeSource& time_;
};

double Percentile(std::vector<int64_t> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return static_cast<double>(values[static_cast<size_t>(q * (values.size() - 1))]);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int lyrics = seconds * 1000 / (LyricTicks * 500 / Division);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sonkora-lyriclag-" + std::to_string(getpid()) + ".kar");
    {
        std::ofstream out(file, std::ios::binary);
        out << KaraokeSong(lyrics);
    }

    SteadyTimeSource steady;
    NullCatalog catalog;
    NotificationQueue notifications;
    SchedulerToolkit toolkit(catalog, steady, SchedulerToolkit::Drive::Thread);
    toolkit.SetNotificationHandler([&](ToolkitNotification n) { notifications.Post(n); });
    QuietUi ui;
    BenchFrame frame;
    StampingEditor editor(steady);
    PlaybackEngine engine(toolkit, ui, frame);

    engine.PlaySong(file.string(), &editor, false);
    const int64_t startMicros = toolkit.GetScheduler().MicrosOfTick(0);
    std::vector<int64_t> periods;
    int64_t lastTick = steady.NowMicros();
    Clock::time_point nextTick = Clock::now() + std::chrono::milliseconds(20);
    // The frame's loop: toolkit messages as they come, the timer every 20 ms.
    while (engine.Playing()) {
        if (const auto n = notifications.WaitUntil(nextTick)) {
            if (*n == ToolkitNotification::MoreEventsWanted) {
                engine.MidiFeedRequest();
            } else {
                engine.MidiPlaybackEnded();
            }
            continue;
        }
        nextTick += std::chrono::milliseconds(20);
        const int64_t now = steady.NowMicros();
        periods.push_back(now - lastTick);
        lastTick = now;
        if (frame.timerEnabled) engine.Tick();
    }
    std::filesystem::remove(file);

    std::vector<int64_t> lags;
    for (const auto& [tick, when] : editor.shown)
        lags.push_back(when - (startMicros + int64_t{tick} * 500'000 / Division));
    const double p50 = Percentile(lags, 0.5) / 1000, p99 = Percentile(lags, 0.99) / 1000;
    const double worst = lags.empty() ? 0 : static_cast<double>(*std::max_element(lags.begin(), lags.end())) / 1000;
    const double period = Percentile(periods, 0.5) / 1000;
    std::printf("highlight lag  p50 %6.1f ms  p99 %6.1f ms  max %6.1f ms  (%zu of %d lyrics shown)\n", p50, p99, worst,
                lags.size(), lyrics);
    std::printf("timer period   p50 %6.1f ms; max lag / period %.2f; goal max lag <= 25 ms: %s\n", period,
                period > 0 ? worst / period : 0.0, worst <= 25 ? "met" : "MISSED");
    return 0;
}
