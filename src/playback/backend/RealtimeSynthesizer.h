#pragma once
// The built-in synthesizer sounding through the system's audio (PulseAudio, PipeWire or
// ALSA, tried in that order, each attempt bounded in time).
//
// Idle means idle: after Silence (playback stopped or ended) the sound output's thread
// waits, so nothing renders and nothing is written; the stream stays connected and the
// sound server plays silence for it. Prepare (a new song starts) wakes it: the next block
// it hands over already holds the song. Closing and opening the stream instead would be
// far slower: a new stream's first write waits for the server for up to seconds.

#include <memory>
#include <span>
#include <string>

#include "playback/PlaybackBackend.h"
#include "playback/backend/FluidCore.h"

namespace sonkora::backend {

struct AudioStream;

class RealtimeSynthesizer final : public OutputDevice {
public:
    // Nothing, with `error` saying why, when the soundfont cannot be loaded or no sound
    // output opens.
    static std::unique_ptr<RealtimeSynthesizer> Open(const std::string& soundFont, AudioObserver* observer,
                                                     std::string& error);
    ~RealtimeSynthesizer() override;

    bool Reset() override;
    void Send(std::span<const uint8_t> message) override;
    void Silence() override;
    void Prepare() override;
    std::string Lost() const override;

private:
    RealtimeSynthesizer(std::shared_ptr<FluidCore> core, std::shared_ptr<AudioStream> stream);

    std::shared_ptr<FluidCore> core_;
    std::shared_ptr<AudioStream> stream_;
};

}  // namespace sonkora::backend
