#pragma once
// What the benchmarks of the real sound output share: a short song on disk, and the
// playback engine driving the built-in synthesizer through the scheduler thread exactly
// as sonkorac play does, with an observer on the synthesizer's sound output. They need a
// sound server (PulseAudio, PipeWire) or an ALSA device, and skip without one.

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SyntheticSong.h"
#include "playback/NotificationQueue.h"
#include "playback/PlaybackEngine.h"
#include "playback/SchedulerToolkit.h"
#include "playback/Synthesizer.h"
#include "playback/TimeSource.h"

namespace sonkora::bench {

// One note of `quarters` quarter notes on a piano at tick 0, 480 ticks per quarter at 120 bpm.
inline Bytes OneNoteSong(int quarters) {
    SongWriter data;
    data.Raw({0x00, 0xC0, 0x00, 0x00, 0x90, 60, 100});
    data.Quantity(static_cast<uint32_t>(480 * quarters));
    data.Raw({0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    SongWriter file;
    file.Raw({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'});
    file.Be32(static_cast<uint32_t>(data.Size()));
    file.Data().insert(file.Data().end(), data.Data().begin(), data.Data().end());
    return file.Data();
}

// Notes when the first sample that is not silence reaches the sound output, once armed.
class FirstSoundProbe final : public AudioObserver {
public:
    using Clock = std::chrono::steady_clock;
    void Arm() {
        heardAt_.store(0);
        armed_.store(true);
    }
    void AudioRendered(const float* left, const float* right, int frames) override {
        if (!armed_.load(std::memory_order_relaxed)) return;
        for (int i = 0; i < frames; ++i) {
            if (std::fabs(left[i]) > 1e-4f || std::fabs(right[i]) > 1e-4f) {
                heardAt_.store(Clock::now().time_since_epoch().count());
                armed_.store(false);
                return;
            }
        }
    }
    // When it was heard since Arm, if it was.
    std::optional<Clock::time_point> HeardAt() const {
        const auto at = heardAt_.load();
        if (at == 0) return std::nullopt;
        return Clock::time_point(Clock::duration(at));
    }

private:
    std::atomic<bool> armed_{false};
    std::atomic<Clock::rep> heardAt_{0};
};

// The synthesizer as the only device, with the probe on its output.
class ProbedSynthesizerCatalog final : public DeviceCatalog {
public:
    explicit ProbedSynthesizerCatalog(AudioObserver& observer) : observer_(observer) {}
    std::vector<std::string> DeviceNames() override { return {SynthesizerName}; }
    std::unique_ptr<OutputDevice> Open(int index) override {
        if (index != 0) return nullptr;
        return OpenSynthesizer(FindSoundFont(), error_, &observer_);
    }
    std::string OpenError() const override { return error_; }

private:
    AudioObserver& observer_;
    std::string error_;
};

class BenchUi final : public UserInterface {
public:
    void ErrorBox(const std::string& message, int) override { errors.push_back(message); }
    void InformationBox(const std::string&, int) override {}
    bool QueryBox(const std::string&, int) override { return true; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>&) override { return 0; }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return true; }
    std::vector<std::string> errors;
};

// The engine on the real-time scheduler thread and the probed synthesizer.
class SoundPlayer {
public:
    SoundPlayer() : catalog_(probe_), toolkit_(catalog_, steady_, SchedulerToolkit::Drive::Thread) {
        toolkit_.SetNotificationHandler([this](ToolkitNotification n) { notifications_.Post(n); });
    }

    // Starts the song; false, with the reason in Error(), when it does not play.
    bool Play(const std::string& file) {
        engine_.PlaySong(file, nullptr, false);
        return engine_.Playing();
    }
    // Feeds the song until its events have all been played, then stops as the end of a song does.
    void PlayToEnd() {
        while (engine_.Playing()) {
            const auto notification =
                notifications_.WaitUntil(NotificationQueue::Clock::now() + std::chrono::milliseconds(20));
            if (notification == ToolkitNotification::MoreEventsWanted) engine_.MidiFeedRequest();
            if (notification == ToolkitNotification::RanOutOfEvents) engine_.MidiPlaybackEnded();
        }
    }
    void Stop() { engine_.StopPlaying(); }
    std::string Error() const { return ui_.errors.empty() ? std::string("no error shown") : ui_.errors.back(); }
    FirstSoundProbe& Probe() { return probe_; }

private:
    FirstSoundProbe probe_;
    ProbedSynthesizerCatalog catalog_;
    SteadyTimeSource steady_;
    SchedulerToolkit toolkit_;
    NotificationQueue notifications_;
    BenchUi ui_;
    WindowlessFrame frame_;
    PlaybackEngine engine_{toolkit_, ui_, frame_};
};

// Prints why the benchmark cannot run here and what would let it.
inline int SkipWithoutSound(const char* name, const std::string& reason) {
    std::printf(
        "%s: skipped, no sound output (%s). As root, start one with\n"
        "  XDG_RUNTIME_DIR=/tmp/xdg pulseaudio -D --exit-idle-time=-1 -n -L module-null-sink "
        "-L module-native-protocol-unix\nand run this with XDG_RUNTIME_DIR=/tmp/xdg.\n",
        name, reason.c_str());
    return 0;
}

}  // namespace sonkora::bench
