#include "playback/Synthesizer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

namespace sonkora {

namespace detail {

// Settings, synthesizer and soundfont, torn down in the order FluidSynth needs.
struct FluidCore {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    FluidCore() = default;
    FluidCore(const FluidCore&) = delete;
    FluidCore& operator=(const FluidCore&) = delete;
    ~FluidCore() {
        if (synth != nullptr) delete_fluid_synth(synth);
        if (settings != nullptr) delete_fluid_settings(settings);
    }
};

}  // namespace detail

namespace {

using detail::FluidCore;

// How long one audio output may take to open before we give up on it: a sound server
// that accepts the connection and then never answers must not hang the program.
constexpr std::chrono::seconds AudioOpenLimit{3};

// The system's audio outputs, in the order we try them. JACK is never tried: without a
// running server it may start one or wait for one.
constexpr const char* AudioDrivers[] = {"pulseaudio", "pipewire", "alsa"};

// FluidSynth writes every failed attempt to stderr; we report the outcome ourselves.
void QuietFluidSynth() {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
}

std::shared_ptr<FluidCore> CreateCore(const std::string& soundFont, int sampleRate, std::string& error) {
    QuietFluidSynth();
    if (soundFont.empty()) {
        error = "no General MIDI soundfont found";
        return nullptr;
    }
    auto core = std::make_shared<FluidCore>();
    core->settings = new_fluid_settings();
    if (core->settings == nullptr) {
        error = "cannot set up the synthesizer";
        return nullptr;
    }
    fluid_settings_setnum(core->settings, "synth.sample-rate", static_cast<double>(sampleRate));
    core->synth = new_fluid_synth(core->settings);
    if (core->synth == nullptr) {
        error = "cannot set up the synthesizer";
        return nullptr;
    }
    if (fluid_synth_sfload(core->synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        error = "cannot load the soundfont " + soundFont;
        return nullptr;
    }
    return core;
}

void SendToSynth(fluid_synth_t* synth, std::span<const uint8_t> message) {
    if (message.empty()) return;
    const uint8_t status = message[0];
    if (status == 0xF0) {
        // FluidSynth wants the bytes between 0xF0 and 0xF7.
        size_t end = message.size();
        if (end >= 2 && message[end - 1] == 0xF7) --end;
        if (end > 1 && end - 1 <= static_cast<size_t>(INT_MAX))
            fluid_synth_sysex(synth, reinterpret_cast<const char*>(message.data() + 1), static_cast<int>(end - 1),
                              nullptr, nullptr, nullptr, 0);
        return;
    }
    if (status == 0xFF) {
        fluid_synth_system_reset(synth);
        return;
    }
    if (status < 0x80 || status >= 0xF0) return;  // other real-time messages mean nothing to a synthesizer
    const int channel = status & 0x0F;
    const int data1 = message.size() > 1 ? message[1] : 0;
    const int data2 = message.size() > 2 ? message[2] : 0;
    switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
        case 0x90: fluid_synth_noteon(synth, channel, data1, data2); break;  // velocity 0 ends the note
        case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
        case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
        case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
        default: break;
    }
}

void SilenceSynth(fluid_synth_t* synth) {
    for (int channel = 0; channel < 16; ++channel) fluid_synth_cc(synth, channel, 64, 0);
    fluid_synth_all_sounds_off(synth, -1);
}

// One attempt to open an audio output, on a helper thread so that it can be abandoned.
// An abandoned attempt keeps the core alive and cleans up after itself if it ever
// returns.
struct AudioAttempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    fluid_audio_driver_t* driver = nullptr;
};

// The driver, or nullptr. `abandoned` tells the caller that the core is still in use by
// an attempt that did not come back, so it must not be touched again.
fluid_audio_driver_t* OpenAudio(const std::shared_ptr<FluidCore>& core, const char* driverName, bool& abandoned) {
    abandoned = false;
    if (fluid_settings_setstr(core->settings, "audio.driver", driverName) == FLUID_FAILED) return nullptr;
    auto attempt = std::make_shared<AudioAttempt>();
    std::thread([attempt, core] {
        fluid_audio_driver_t* driver = new_fluid_audio_driver(core->settings, core->synth);
        std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) {
            if (driver != nullptr) delete_fluid_audio_driver(driver);
        } else {
            attempt->driver = driver;
        }
        attempt->done = true;
        attempt->finished.notify_all();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, AudioOpenLimit, [&] { return attempt->done; })) {
        attempt->abandoned = true;
        abandoned = true;
        return nullptr;
    }
    return attempt->driver;
}

class RealtimeSynthesizer final : public OutputDevice {
public:
    RealtimeSynthesizer(std::shared_ptr<FluidCore> core, fluid_audio_driver_t* driver)
        : core_(std::move(core)), driver_(driver) {}
    ~RealtimeSynthesizer() override {
        if (driver_ != nullptr) delete_fluid_audio_driver(driver_);
    }

    bool Reset() override {
        if (driver_ == nullptr) return false;
        fluid_synth_system_reset(core_->synth);
        return true;
    }
    void Send(std::span<const uint8_t> message) override { SendToSynth(core_->synth, message); }
    void Silence() override { SilenceSynth(core_->synth); }
    void Prepare() override { fluid_synth_system_reset(core_->synth); }

private:
    std::shared_ptr<FluidCore> core_;
    fluid_audio_driver_t* driver_;
};

}  // namespace

std::string FindSoundFont() {
    for (const char* candidate : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored)) return candidate;
    }
    return {};
}

std::unique_ptr<OutputDevice> OpenSynthesizer(const std::string& soundFont) {
    std::string error;
    std::shared_ptr<FluidCore> core;
    for (const char* driverName : AudioDrivers) {
        if (core == nullptr) core = CreateCore(soundFont, 44100, error);
        if (core == nullptr) return nullptr;
        bool abandoned = false;
        fluid_audio_driver_t* driver = OpenAudio(core, driverName, abandoned);
        if (driver != nullptr) return std::make_unique<RealtimeSynthesizer>(std::move(core), driver);
        if (abandoned) core.reset();  // still in use by the attempt that hangs; the next gets its own
    }
    return nullptr;
}

OfflineSynthesizer::OfflineSynthesizer(std::shared_ptr<FluidCore> core, int sampleRate)
    : core_(std::move(core)), sampleRate_(sampleRate) {}

OfflineSynthesizer::~OfflineSynthesizer() = default;

std::unique_ptr<OfflineSynthesizer> OfflineSynthesizer::Create(const std::string& soundFont, int sampleRate,
                                                               std::string& error) {
    std::shared_ptr<FluidCore> core = CreateCore(soundFont, sampleRate, error);
    if (core == nullptr) return nullptr;
    return std::unique_ptr<OfflineSynthesizer>(new OfflineSynthesizer(std::move(core), sampleRate));
}

bool OfflineSynthesizer::Reset() {
    fluid_synth_system_reset(core_->synth);
    return true;
}

void OfflineSynthesizer::Send(std::span<const uint8_t> message) {
    SendToSynth(core_->synth, message);
}

void OfflineSynthesizer::Silence() {
    SilenceSynth(core_->synth);
}

void OfflineSynthesizer::Prepare() {
    fluid_synth_system_reset(core_->synth);
}

void OfflineSynthesizer::Render(std::span<int16_t> frames) {
    size_t done = 0;
    const size_t total = frames.size() / 2;
    while (done < total) {
        const int count = static_cast<int>(std::min<size_t>(total - done, 65536));
        int16_t* out = frames.data() + done * 2;
        fluid_synth_write_s16(core_->synth, count, out, 0, 2, out, 1, 2);
        done += static_cast<size_t>(count);
    }
}

}  // namespace sonkora
