#pragma once
// Sonkora's built-in synthesizer: FluidSynth with the General MIDI soundfont found on
// the system. As a real-time output device it sounds through the system's audio
// (PulseAudio, PipeWire or ALSA, tried in that order, each attempt bounded in time);
// offline it renders samples on request, for writing WAV files faster than real time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "playback/OutputDevice.h"

namespace sonkora {

namespace detail {
struct FluidCore;
}

// The name the built-in synthesizer is listed under, always as device 0.
inline constexpr const char* SynthesizerName = "Sonkora Synthesizer";

// The soundfont to load: /usr/share/sounds/sf2/default-GM.sf2, else the TimGM6mb font;
// empty when neither is there.
std::string FindSoundFont();

// Opens the synthesizer with a running audio output; nothing when the soundfont cannot
// be loaded or no audio output opens within a few seconds.
std::unique_ptr<OutputDevice> OpenSynthesizer(const std::string& soundFont);

// The synthesizer without audio output: samples come out of Render, 16-bit stereo.
class OfflineSynthesizer final : public OutputDevice {
public:
    ~OfflineSynthesizer() override;

    // Nothing, with `error` saying why, when the soundfont cannot be loaded.
    static std::unique_ptr<OfflineSynthesizer> Create(const std::string& soundFont, int sampleRate, std::string& error);

    bool Reset() override;
    void Send(std::span<const uint8_t> message) override;
    void Silence() override;
    void Prepare() override;

    // Renders the next frames.size() / 2 frames, left and right interleaved.
    void Render(std::span<int16_t> frames);
    int SampleRate() const { return sampleRate_; }

private:
    OfflineSynthesizer(std::shared_ptr<detail::FluidCore> core, int sampleRate);
    std::shared_ptr<detail::FluidCore> core_;
    int sampleRate_;
};

}  // namespace sonkora
