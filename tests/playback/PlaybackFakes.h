#pragma once
// Stand-ins for what surrounds playback in tests: a device that records what it gets
// and when, a catalog of such devices, and a frame, an editor and a user interface that
// remember how they were called.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/UserInterface.h"
#include "playback/OutputDevice.h"
#include "playback/PlaybackInterfaces.h"
#include "playback/Scheduler.h"
#include "playback/TimeSource.h"

namespace sonkora::test {

struct Sent {
    int64_t micros = 0;
    std::vector<uint8_t> bytes;
};

// What happened to the devices of a catalog, kept after a device is closed.
struct DeviceLog {
    std::vector<Sent> sent;
    int resets = 0;
    int silences = 0;
    int prepares = 0;
    int closes = 0;
    std::vector<int> opened;  // device indexes, in order

    std::vector<std::vector<uint8_t>> Messages() const {
        std::vector<std::vector<uint8_t>> out;
        for (const Sent& s : sent) out.push_back(s.bytes);
        return out;
    }
    // The messages whose status has this high nibble (0x90 note on ...).
    std::vector<Sent> OfKind(uint8_t kind) const {
        std::vector<Sent> out;
        for (const Sent& s : sent)
            if (!s.bytes.empty() && (s.bytes[0] & 0xF0) == kind) out.push_back(s);
        return out;
    }
};

class RecordingDevice final : public OutputDevice {
public:
    RecordingDevice(const TimeSource& time, DeviceLog& log, bool resetSucceeds = true)
        : time_(time), log_(log), resetSucceeds_(resetSucceeds) {}
    ~RecordingDevice() override { ++log_.closes; }
    bool Reset() override {
        ++log_.resets;
        return resetSucceeds_;
    }
    void Send(std::span<const uint8_t> message) override {
        log_.sent.push_back(Sent{time_.NowMicros(), std::vector<uint8_t>(message.begin(), message.end())});
    }
    void Silence() override { ++log_.silences; }
    void Prepare() override { ++log_.prepares; }

private:
    const TimeSource& time_;
    DeviceLog& log_;
    bool resetSucceeds_;
};

class RecordingCatalog final : public DeviceCatalog {
public:
    RecordingCatalog(const TimeSource& time, std::vector<std::string> names) : time_(time), names_(std::move(names)) {}

    std::vector<std::string> DeviceNames() override { return names_; }
    std::unique_ptr<OutputDevice> Open(int index) override {
        log.opened.push_back(index);
        if (failOpen.count(index) != 0) return nullptr;
        return std::make_unique<RecordingDevice>(time_, log, failReset.count(index) == 0);
    }

    DeviceLog log;
    std::set<int> failOpen;
    std::set<int> failReset;

private:
    const TimeSource& time_;
    std::vector<std::string> names_;
};

class RecordingUi final : public UserInterface {
public:
    void ErrorBox(const std::string& message, int helpContext) override { errors.emplace_back(message, helpContext); }
    void InformationBox(const std::string& message, int) override { information.push_back(message); }
    bool QueryBox(const std::string&, int) override { return true; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>&) override { return std::nullopt; }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return false; }

    std::vector<std::pair<std::string, int>> errors;
    std::vector<std::string> information;
};

class RecordingFrame final : public PlaybackFrame {
public:
    void UpdateFrameControls() override { ++controlUpdates; }
    void SetGauge(int32_t maximum, int32_t progress) override {
        gaugeMaximum = maximum;
        gaugeProgress = progress;
    }
    void SetGaugeProgress(int32_t progress) override {
        gaugeProgress = progress;
        progressUpdates.push_back(progress);
    }
    void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void ProcessPendingMessages() override {
        if (onProcessPending) onProcessPending();
    }
    void ClearTrackDialogStatus() override { ++trackDialogCleared; }

    int controlUpdates = 0;
    int32_t gaugeMaximum = 100;
    int32_t gaugeProgress = 100;
    std::vector<int32_t> progressUpdates;
    bool timerEnabled = false;
    int trackDialogCleared = 0;
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

// Runs a hand-driven scheduler up to `until`, moving the time to each moment something is
// due, so every record is dispatched exactly at its time.
inline void RunScheduler(Scheduler& scheduler, ManualTimeSource& time, int64_t until) {
    for (int guard = 0; guard < 1000000; ++guard) {
        const int64_t next = scheduler.Service();
        if (next > until || next <= time.NowMicros()) break;
        time.Set(next);
    }
    time.Set(until);
    scheduler.Service();
}

}  // namespace sonkora::test
