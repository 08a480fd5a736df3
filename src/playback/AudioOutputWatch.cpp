#include "playback/AudioOutputWatch.h"

#include <utility>

namespace sonkora {

AudioOutputWatch::AudioOutputWatch(std::string outputName, int64_t stallMicros)
    : outputName_(std::move(outputName)), stallMicros_(stallMicros) {}

void AudioOutputWatch::Woken(int64_t nowMicros) {
    // The time first: a reader that sees the watch active must not judge by an old time.
    lastMicros_.store(nowMicros, std::memory_order_release);
    active_.store(true, std::memory_order_release);
}

void AudioOutputWatch::Idled() {
    active_.store(false, std::memory_order_release);
}

void AudioOutputWatch::Pulled(int64_t nowMicros) {
    // Times from two threads may arrive out of order; the latest one counts.
    int64_t last = lastMicros_.load(std::memory_order_acquire);
    while (last < nowMicros && !lastMicros_.compare_exchange_weak(last, nowMicros, std::memory_order_acq_rel)) {
    }
}

std::string AudioOutputWatch::Lost(int64_t nowMicros) const {
    if (!active_.load(std::memory_order_acquire)) return {};
    if (nowMicros - lastMicros_.load(std::memory_order_acquire) < stallMicros_) return {};
    return "the built-in synthesizer lost its sound output (" + outputName_ +
           " stopped taking sound: the sound server was stopped or its output device removed)";
}

}  // namespace sonkora
