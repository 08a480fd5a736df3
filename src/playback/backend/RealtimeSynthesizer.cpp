#include "playback/backend/RealtimeSynthesizer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "playback/AudioOutputWatch.h"
#include "playback/backend/AlsaMessages.h"

namespace sonkora::backend {

namespace {

int64_t SteadyMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// One open sound output. Its driver calls Render on the driver's own thread.
struct AudioStream {
    std::shared_ptr<FluidCore> core;
    AudioObserver* observer = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    std::unique_ptr<AudioOutputWatch> watch;

    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> idle{false};  // nothing sounds: the driver's thread waits
    std::atomic<bool> live{true};   // cleared before the driver is deleted

    static int Render(void* data, int frames, int, float*[], int outputs, float* out[]) {
        auto* stream = static_cast<AudioStream*>(data);
        if (stream->idle.load(std::memory_order_acquire)) {
            std::unique_lock lock(stream->mutex);
            stream->wake.wait(lock, [stream] { return !stream->idle.load() || !stream->live.load(); });
        }
        if (!stream->live.load(std::memory_order_acquire)) return FLUID_OK;  // the driver zeroed the buffers
        stream->watch->Pulled(SteadyMicros());
        // The effects go into the same buffers as the dry sound.
        const int result = fluid_synth_process(stream->core->synth, frames, outputs, out, outputs, out);
        if (stream->observer != nullptr && outputs >= 2) stream->observer->AudioRendered(out[0], out[1], frames);
        return result;
    }

    void SetIdle(bool value) {
        {
            std::lock_guard lock(mutex);
            idle.store(value, std::memory_order_release);
        }
        wake.notify_all();
    }

    // Lets a waiting driver thread go and deletes the driver, which waits for the sound
    // server to drain what it was given.
    void Close() {
        {
            std::lock_guard lock(mutex);
            live.store(false, std::memory_order_release);
        }
        wake.notify_all();
        delete_fluid_audio_driver(driver);
        driver = nullptr;
    }
};

namespace {

// How long one sound output may take to open before we give up on it: a sound server
// that accepts the connection and then never answers must not hang the program.
constexpr std::chrono::seconds AudioOpenLimit{3};

// The system's audio outputs, in the order we try them, and their names for the user.
// JACK is never tried: without a running server it may start one or wait for one.
struct AudioDriver {
    const char* setting;
    const char* name;
};
constexpr AudioDriver AudioDrivers[] = {{"pulseaudio", "PulseAudio"}, {"pipewire", "PipeWire"}, {"alsa", "ALSA"}};

// One attempt to open a sound output, on a helper thread so that it can be abandoned.
// An abandoned attempt closes what it opened if it ever returns.
struct AudioAttempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
};

// The stream, or nullptr. `abandoned` tells the caller that an attempt did not come back
// and still uses the core.
// `known` tells whether this FluidSynth has the driver at all.
std::shared_ptr<AudioStream> OpenAudio(const std::shared_ptr<FluidCore>& core, const AudioDriver& driver,
                                       AudioObserver* observer, bool& known, bool& abandoned) {
    abandoned = false;
    known = fluid_settings_setstr(core->settings, "audio.driver", driver.setting) != FLUID_FAILED;
    if (!known) return nullptr;
    auto stream = std::make_shared<AudioStream>();
    stream->core = core;
    stream->observer = observer;
    stream->watch = std::make_unique<AudioOutputWatch>(driver.name);
    auto attempt = std::make_shared<AudioAttempt>();
    std::thread([attempt, stream] {
        fluid_audio_driver_t* driver =
            new_fluid_audio_driver2(stream->core->settings, AudioStream::Render, stream.get());
        std::lock_guard lock(attempt->mutex);
        stream->driver = driver;
        if (attempt->abandoned && driver != nullptr) stream->Close();
        attempt->done = true;
        attempt->finished.notify_all();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, AudioOpenLimit, [&] { return attempt->done; })) {
        attempt->abandoned = true;
        abandoned = true;
        return nullptr;
    }
    return stream->driver != nullptr ? stream : nullptr;
}

}  // namespace

std::unique_ptr<RealtimeSynthesizer> RealtimeSynthesizer::Open(const std::string& soundFont, AudioObserver* observer,
                                                               std::string& error) {
    QuietAlsaMessages();  // a failed ALSA attempt is ours to report
    std::shared_ptr<FluidCore> core;
    std::vector<std::string> tried;
    for (const AudioDriver& driver : AudioDrivers) {
        if (core == nullptr) core = CreateFluidCore(soundFont, 44100, error);
        if (core == nullptr) return nullptr;
        bool known = false;
        bool abandoned = false;
        std::shared_ptr<AudioStream> stream = OpenAudio(core, driver, observer, known, abandoned);
        if (stream != nullptr)
            return std::unique_ptr<RealtimeSynthesizer>(new RealtimeSynthesizer(std::move(core), std::move(stream)));
        if (abandoned) core.reset();  // still in use by the attempt that hangs; the next gets its own
        if (known) tried.emplace_back(driver.name);
    }
    error = "the built-in synthesizer found no sound output";
    for (size_t i = 0; i < tried.size(); ++i)
        error += (i == 0 ? "; it tried " : i + 1 == tried.size() ? " and " : ", ") + tried[i];
    return nullptr;
}

RealtimeSynthesizer::RealtimeSynthesizer(std::shared_ptr<FluidCore> core, std::shared_ptr<AudioStream> stream)
    : core_(std::move(core)), stream_(std::move(stream)) {}

RealtimeSynthesizer::~RealtimeSynthesizer() {
    // A driver that lost its output may be stuck in a write that never returns, and
    // closing waits for it: the program must not wait with it.
    if (!Lost().empty())
        std::thread([stream = stream_] { stream->Close(); }).detach();
    else
        stream_->Close();
}

std::string RealtimeSynthesizer::Lost() const {
    return stream_->watch->Lost(SteadyMicros());
}

bool RealtimeSynthesizer::Reset() {
    fluid_synth_system_reset(core_->synth);
    return true;
}

void RealtimeSynthesizer::Send(std::span<const uint8_t> message) {
    SendToSynth(core_->synth, message);
}

void RealtimeSynthesizer::Silence() {
    SilenceSynth(core_->synth);
    stream_->watch->Idled();
    stream_->SetIdle(true);
}

void RealtimeSynthesizer::Prepare() {
    fluid_synth_system_reset(core_->synth);
    stream_->watch->Woken(SteadyMicros());
    stream_->SetIdle(false);
}

}  // namespace sonkora::backend
