#include "playback/backend/FluidCore.h"

#include <climits>

namespace sonkora::backend {

namespace {

// FluidSynth writes every failed attempt to stderr; we report the outcome ourselves.
void QuietFluidSynth() {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
}

}  // namespace

FluidCore::~FluidCore() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
}

std::shared_ptr<FluidCore> CreateFluidCore(const std::string& soundFont, int sampleRate, std::string& error) {
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

}  // namespace sonkora::backend
