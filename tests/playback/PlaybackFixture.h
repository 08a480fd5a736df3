#pragma once
// Stand-ins for what surrounds playback in tests: a device that records what it gets and
// when, a catalog of such devices, a frame, an editor and a user interface that remember
// how they were called; and an engine on a hand-driven toolkit whose notifications are
// delivered as the frame's message loop would.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "playback/AudioOutputWatch.h"
#include "playback/OutputDevice.h"
#include "playback/PlaybackEngine.h"
#include "playback/PlaybackInterfaces.h"
#include "playback/Scheduler.h"
#include "playback/SchedulerToolkit.h"
#include "playback/TimeSource.h"
#include "support/MidiBytes.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace sonkora::test {

// One message as the device got it, and when.
struct Sent {
    int64_t micros = 0;
    Bytes bytes;
    bool operator==(const Sent&) const = default;
};
inline void PrintTo(const Sent& sent, std::ostream* out) {
    *out << sent.micros << " us " << ::testing::PrintToString(sent.bytes);
}
using SentList = std::vector<Sent>;
using Errors = std::vector<std::pair<std::string, int>>;

// What happened to the devices of a catalog, kept after a device is closed.
struct DeviceLog {
    SentList sent;
    int silences = 0, closes = 0;
    std::vector<int> opened;  // device indexes, in order
};

// With a watch, it stands for the built-in synthesizer: the test plays its audio driver
// by calling Pulled on the watch.
class RecordingDevice final : public OutputDevice {
public:
    RecordingDevice(const TimeSource& time, DeviceLog& log, bool resetSucceeds = true,
                    AudioOutputWatch* watch = nullptr)
        : time_(time), log_(log), resetSucceeds_(resetSucceeds), watch_(watch) {}
    ~RecordingDevice() override { ++log_.closes; }
    bool Reset() override { return resetSucceeds_; }
    void Send(std::span<const uint8_t> message) override {
        log_.sent.push_back(Sent{time_.NowMicros(), Bytes(message.begin(), message.end())});
    }
    void Silence() override {
        ++log_.silences;
        if (watch_) watch_->Idled();
    }
    void Prepare() override {
        if (watch_) watch_->Woken(time_.NowMicros());
    }
    std::string Lost() const override { return watch_ ? watch_->Lost(time_.NowMicros()) : std::string(); }

private:
    const TimeSource& time_;
    DeviceLog& log_;
    bool resetSucceeds_;
    AudioOutputWatch* watch_;
};

class RecordingCatalog final : public DeviceCatalog {
public:
    RecordingCatalog(const TimeSource& time, std::vector<std::string> deviceNames)
        : names(std::move(deviceNames)), time_(time) {}
    std::vector<std::string> DeviceNames() override { return names; }
    std::unique_ptr<OutputDevice> Open(int index) override {
        log.opened.push_back(index);
        if (index == failOpen) return nullptr;
        return std::make_unique<RecordingDevice>(time_, log, index != failReset, watch);
    }

    std::string OpenError() const override { return openError; }

    std::vector<std::string> names;
    DeviceLog log;
    int failOpen = -1, failReset = -1;  // a device that does not open, one whose reset fails
    std::string openError;              // what the catalog says about any failed open
    AudioOutputWatch* watch = nullptr;  // given to every device opened

private:
    const TimeSource& time_;
};

class RecordingFrame final : public PlaybackFrame {
public:
    void UpdateFrameControls() override { ++controlUpdates; }
    void SetGauge(int32_t maximum, int32_t progress) override { gaugeMaximum = maximum, gaugeProgress = progress; }
    void SetGaugeProgress(int32_t progress) override { gaugeProgress = progress, progressUpdates.push_back(progress); }
    void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void ProcessPendingMessages() override {
        ++pendingProcessed;
        if (onProcessPending) onProcessPending();
    }
    void ClearTrackDialogStatus() override { ++trackDialogCleared; }

    int controlUpdates = 0, trackDialogCleared = 0, pendingProcessed = 0;
    int32_t gaugeMaximum = 100, gaugeProgress = 100;
    std::vector<int32_t> progressUpdates;
    bool timerEnabled = false;
    std::function<void()> onProcessPending;
};

class RecordingEditor final : public PlaybackEditor {
public:
    void ShowLyricsAt(int32_t time) override {
        shown.push_back(time);
        if (onShow) onShow();
    }
    void SetReadOnly(bool value) override { readOnly = value; }
    void CollapseSelectionToEnd() override { ++collapses; }
    int32_t CaretLineStart() const override { return caretLineStart; }
    int32_t LyricCount() const override { return static_cast<int32_t>(lyrics.size()); }
    LyricMark LyricAt(int32_t index) const override { return lyrics.at(static_cast<size_t>(index)); }

    std::vector<int32_t> shown;
    bool readOnly = false;
    int collapses = 0;
    int32_t caretLineStart = 0;
    std::vector<LyricMark> lyrics;
    std::function<void()> onShow;
};

// Runs a hand-driven scheduler up to `until`, moving the time to each moment something
// is due, so every record goes out exactly at its time. `deliver` hands the notifications
// posted so far on and says whether there were any. A scheduler that keeps saying that
// something is due now would keep the real-time thread spinning.
inline void RunUntil(Scheduler& scheduler, ManualTimeSource& time, int64_t until,
                     const std::function<bool()>& deliver = nullptr) {
    int dueNowInARow = 0;
    for (int guard = 0; guard < 1000000 && dueNowInARow < 2; ++guard) {
        const int64_t next = scheduler.Service();
        if (deliver && deliver()) continue;
        if (next > until) break;
        dueNowInARow = next <= time.NowMicros() ? dueNowInARow + 1 : 0;
        if (dueNowInARow == 0) time.Set(next);
    }
    EXPECT_LT(dueNowInARow, 2) << "the scheduler asks to be called again at once, over and over";
    time.Set(until);
    scheduler.Service();
    if (deliver) deliver();
}

inline Bytes Controller(uint32_t delta, uint8_t channel, uint8_t controller, uint8_t value) {
    return Cat({Quantity(delta), {static_cast<uint8_t>(0xB0 | channel), controller, value}});
}

// Microseconds of `ticks` at 96 ticks per quarter and 120 bpm.
constexpr int64_t At120(int64_t ticks) {
    return (ticks * 500000 + 95) / 96;
}

class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(SchedulerLimits limits = {}) : toolkit(catalog, time, SchedulerToolkit::Drive::ByHand, limits) {
        toolkit.SetNotificationHandler([this](ToolkitNotification n) { posted.push_back(n); });
    }

    // Moves time to `until`, handing every notification to the engine as it comes.
    void Run(int64_t until) {
        RunUntil(toolkit.GetScheduler(), time, until, [this] {
            const bool any = !posted.empty();
            for (; !posted.empty(); posted.erase(posted.begin()))
                posted.front() == ToolkitNotification::RanOutOfEvents ? engine.MidiPlaybackEnded()
                                                                      : engine.MidiFeedRequest();
            return any;
        });
    }

    // Idle as StopPlaying leaves it, with the song text editable again.
    void ExpectIdle() {
        EXPECT_FALSE(engine.Playing());
        EXPECT_FALSE(frame.timerEnabled);
        EXPECT_EQ(std::pair(frame.gaugeMaximum, frame.gaugeProgress), std::pair(100, 100));
        EXPECT_TRUE(engine.Follower().LyricTimes().empty());
        EXPECT_FALSE(editor.readOnly);
    }

    TempFolder folder;
    ManualTimeSource time;
    std::optional<AudioOutputWatch> watch;  // outlives every device it is given to
    RecordingCatalog catalog{time, {"Test Synth", "Port B"}};
    SchedulerToolkit toolkit;
    RecordingUser ui;
    RecordingFrame frame;
    RecordingEditor editor;
    PlaybackEngine engine{toolkit, ui, frame};
    std::vector<ToolkitNotification> posted;
};

}  // namespace sonkora::test
