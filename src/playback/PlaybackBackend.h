#pragma once
// What the playback layer asks of its back-end: the part that needs the libraries of
// sound (FluidSynth, RtMidi with the ALSA sequencer, the sound server's client) and the
// Ogg Vorbis encoder. The back-end is a shared module beside the programs, loaded on
// first use (PlaybackModule), so that commands that never play do not pay for loading
// those libraries.
//
// The module is built with this same header by the same build; its objects are used
// through their virtual members only, and the module stays loaded until the process ends.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "playback/OutputDevice.h"

namespace sonkora {

// Sees every block of samples the built-in synthesizer hands to the sound output, on the
// audio thread: how a benchmark learns when the first note really reached the output.
class AudioObserver {
public:
    virtual ~AudioObserver() = default;
    virtual void AudioRendered(const float* left, const float* right, int frames) = 0;
};

// The synthesizer without audio output: samples come out of Render, 16-bit stereo.
class OfflineSynthesizer : public OutputDevice {
public:
    // Renders the next frames.size() / 2 frames, left and right interleaved.
    virtual void Render(std::span<int16_t> frames) = 0;
    virtual int SampleRate() const = 0;
};

// Turns 16-bit interleaved samples into the bytes of a compressed sound file. Each call
// appends to `bytes` what the encoder has ready; the caller writes them out.
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;
    // The stream's headers; false, with `error` saying why, when the format is refused.
    virtual bool Start(int sampleRate, int channels, std::string& bytes, std::string& error) = 0;
    virtual void Encode(std::span<const int16_t> samples, std::string& bytes) = 0;
    // The end of the stream: the last pages.
    virtual void Finish(std::string& bytes) = 0;
};

class PlaybackBackend {
public:
    // The built-in synthesizer with a sound output; nothing, with `error` saying why in
    // words for the user, when the soundfont cannot be loaded or no sound output opens
    // within a few seconds. Once silenced it renders nothing and hands nothing to the
    // sound output until Prepare wakes it; Lost() tells when its output has gone.
    virtual std::unique_ptr<OutputDevice> OpenSynthesizer(const std::string& soundFont, AudioObserver* observer,
                                                          std::string& error) = 0;
    // Nothing, with `error` saying why, when the soundfont cannot be loaded.
    virtual std::unique_ptr<OfflineSynthesizer> CreateOfflineSynthesizer(const std::string& soundFont, int sampleRate,
                                                                         std::string& error) = 0;
    // The system's MIDI output ports, in the sequencer's order.
    virtual std::vector<std::string> MidiPortNames() = 0;
    // The port with this name; nothing when it is gone or cannot be opened.
    virtual std::unique_ptr<OutputDevice> OpenMidiPort(const std::string& name) = 0;
    // An Ogg Vorbis encoder (libvorbisenc lives in the module too: only rendering needs it).
    virtual std::unique_ptr<AudioEncoder> CreateOggVorbisEncoder() = 0;

protected:
    ~PlaybackBackend() = default;
};

// The module's one exported function, by this name: the back-end when the module was
// built for `version`, otherwise nullptr.
inline constexpr const char* PlaybackBackendEntryName = "SonkoraPlaybackBackend";
inline constexpr int PlaybackBackendVersion = 2;
using PlaybackBackendEntry = PlaybackBackend* (*)(int version);

// The module's file name, in the programs' own folder.
inline constexpr const char* PlaybackModuleFileName = "libsonkora-playback.so";

}  // namespace sonkora
