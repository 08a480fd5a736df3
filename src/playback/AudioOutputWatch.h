#pragma once
// Tells when a real-time sound output has gone: its driver asks for audio block by block
// while a song sounds, so a driver that stops asking (its sound server was stopped, its
// output device removed, its thread ended on a write error) has lost the output. While
// nothing sounds the driver is held waiting on purpose, so silence then proves nothing.
//
//   watch.Woken(now);       // a song starts: blocks are wanted from now on
//   watch.Pulled(now);      // the driver took a block (its own thread)
//   watch.Lost(now + 4 s);  // "... (PulseAudio stopped taking sound: ...)" when no block came
//
// Every member may be called from any thread.

#include <atomic>
#include <cstdint>
#include <string>

namespace sonkora {

class AudioOutputWatch {
public:
    // `outputName` names the system's output in the reason ("PulseAudio"); a driver that
    // takes no block for `stallMicros` while a song sounds has lost it.
    explicit AudioOutputWatch(std::string outputName, int64_t stallMicros = DefaultStallMicros);

    void Woken(int64_t nowMicros);
    void Idled();
    void Pulled(int64_t nowMicros);

    // Why the output is gone, in words for the user; empty while it works.
    std::string Lost(int64_t nowMicros) const;

    // Longer than any pause a working sound server makes, even when a new stream's
    // first block waits for it.
    static constexpr int64_t DefaultStallMicros = 3'000'000;

private:
    const std::string outputName_;
    const int64_t stallMicros_;
    std::atomic<bool> active_{false};
    std::atomic<int64_t> lastMicros_{0};
};

}  // namespace sonkora
