#pragma once
// The time base under the scheduler: microseconds on a clock that never goes backwards.
// Real playback reads the steady clock; tests, the offline renderer and benchmarks set
// the time by hand, so nothing that checks timing ever has to sleep.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace sonkora {

class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual int64_t NowMicros() const = 0;
};

class SteadyTimeSource final : public TimeSource {
public:
    int64_t NowMicros() const override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// Moved only by whoever drives it. Reads may come from another thread (a benchmark's
// scheduler thread), hence the atomic.
class ManualTimeSource final : public TimeSource {
public:
    int64_t NowMicros() const override { return now_.load(std::memory_order_acquire); }
    // Time only moves forward: an earlier value is ignored.
    void Set(int64_t micros) {
        int64_t current = now_.load(std::memory_order_relaxed);
        while (micros > current && !now_.compare_exchange_weak(current, micros, std::memory_order_release)) {
        }
    }
    void Advance(int64_t micros) {
        if (micros > 0) now_.fetch_add(micros, std::memory_order_acq_rel);
    }

private:
    std::atomic<int64_t> now_{0};
};

}  // namespace sonkora
