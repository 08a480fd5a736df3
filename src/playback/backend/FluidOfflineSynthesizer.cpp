#include "playback/backend/FluidOfflineSynthesizer.h"

#include <algorithm>

namespace sonkora::backend {

bool FluidOfflineSynthesizer::Reset() {
    fluid_synth_system_reset(core_->synth);
    return true;
}

void FluidOfflineSynthesizer::Send(std::span<const uint8_t> message) {
    SendToSynth(core_->synth, message);
}

void FluidOfflineSynthesizer::Silence() {
    SilenceSynth(core_->synth);
}

void FluidOfflineSynthesizer::Prepare() {
    fluid_synth_system_reset(core_->synth);
}

void FluidOfflineSynthesizer::Render(std::span<int16_t> frames) {
    size_t done = 0;
    const size_t total = frames.size() / 2;
    while (done < total) {
        const int count = static_cast<int>(std::min<size_t>(total - done, 65536));
        int16_t* out = frames.data() + done * 2;
        fluid_synth_write_s16(core_->synth, count, out, 0, 2, out, 1, 2);
        done += static_cast<size_t>(count);
    }
}

}  // namespace sonkora::backend
