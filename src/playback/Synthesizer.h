#pragma once
// Sonkora's built-in synthesizer: FluidSynth with the General MIDI soundfont found on
// the system, from the playback module (PlaybackModule). As a real-time output device it
// sounds through the system's audio; offline it renders samples on request, for writing
// WAV files faster than real time.

#include <memory>
#include <string>

#include "playback/OutputDevice.h"
#include "playback/PlaybackBackend.h"

namespace sonkora {

// The name the built-in synthesizer is listed under, always as device 0.
inline constexpr const char* SynthesizerName = "Sonkora Synthesizer";

// The soundfont to load: /usr/share/sounds/sf2/default-GM.sf2, else the TimGM6mb font;
// empty when neither is there.
std::string FindSoundFont();

// Opens the synthesizer with a running sound output; nothing, with `error` saying why,
// when the playback module cannot be loaded, the soundfont cannot be loaded or no sound
// output opens within a few seconds. `observer`, when given, sees every block it renders.
std::unique_ptr<OutputDevice> OpenSynthesizer(const std::string& soundFont, std::string& error,
                                              AudioObserver* observer = nullptr);

// The synthesizer without sound output; nothing, with `error` saying why, when the
// playback module or the soundfont cannot be loaded.
std::unique_ptr<OfflineSynthesizer> CreateOfflineSynthesizer(const std::string& soundFont, int sampleRate,
                                                             std::string& error);

}  // namespace sonkora
