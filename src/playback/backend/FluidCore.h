#pragma once
// FluidSynth's settings, synthesizer and soundfont together, torn down in the order
// FluidSynth needs, and the translation of MIDI messages into its calls. Shared by the
// real-time and the offline synthesizer.

#include <fluidsynth.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace sonkora::backend {

struct FluidCore {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;

    FluidCore() = default;
    FluidCore(const FluidCore&) = delete;
    FluidCore& operator=(const FluidCore&) = delete;
    ~FluidCore();
};

// A synthesizer at `sampleRate` with `soundFont` loaded; nothing, with `error` saying
// why, when that fails.
std::shared_ptr<FluidCore> CreateFluidCore(const std::string& soundFont, int sampleRate, std::string& error);

// One complete MIDI message, as OutputDevice::Send takes it.
void SendToSynth(fluid_synth_t* synth, std::span<const uint8_t> message);

// Sustain off and every voice ended at once.
void SilenceSynth(fluid_synth_t* synth);

}  // namespace sonkora::backend
