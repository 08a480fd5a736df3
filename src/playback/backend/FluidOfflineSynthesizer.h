#pragma once
// The built-in synthesizer without a sound output, rendering samples on request: how
// songs are written to WAV files far faster than real time.

#include <memory>
#include <span>
#include <string>

#include "playback/PlaybackBackend.h"
#include "playback/backend/FluidCore.h"

namespace sonkora::backend {

class FluidOfflineSynthesizer final : public OfflineSynthesizer {
public:
    explicit FluidOfflineSynthesizer(std::shared_ptr<FluidCore> core, int sampleRate)
        : core_(std::move(core)), sampleRate_(sampleRate) {}

    bool Reset() override;
    void Send(std::span<const uint8_t> message) override;
    void Silence() override;
    void Prepare() override;
    void Render(std::span<int16_t> frames) override;
    int SampleRate() const override { return sampleRate_; }

private:
    std::shared_ptr<FluidCore> core_;
    int sampleRate_;
};

}  // namespace sonkora::backend
