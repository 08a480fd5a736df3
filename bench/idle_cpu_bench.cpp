// What the program costs while nothing plays: a song plays through the built-in
// synthesizer to its end, then the process's own CPU time is measured over 10 s with
// the device still open, as a share of one core (the wall time of the same 10 s). Goal:
// at most 1 %. For comparison, the same share while a note sounds. Needs a sound server
// (PulseAudio with a null sink will do) and skips without one.
//
//   idle_cpu_bench [seconds]      (default 10)

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "SoundBench.h"

namespace {

using namespace sonkora::bench;
using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The share of one core the process used over `seconds` of wall time.
double CoreShare(double seconds) {
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    return (ProcessCpuSeconds() - cpuBefore) / wall;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    BenchDir dir;
    WriteFile(dir.File("note.mid"), OneNoteSong(6));  // 3 s
    SoundPlayer player;
    if (!player.Play(dir.File("note.mid"))) return SkipWithoutSound("idle_cpu_bench", player.Error());

    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double sounding = CoreShare(2.0);
    player.PlayToEnd();
    const double idle = CoreShare(seconds);
    std::printf("CPU while a note sounds: %5.2f %% of a core\n", sounding * 100);
    std::printf("CPU while idle, device open (%.0f s): %5.2f %% of a core  (goal <= 1 %%) %s\n", seconds, idle * 100,
                idle <= 0.01 ? "ok" : "MISSED");

    // The long idle must not have cost the sound output: the next Play sounds again.
    player.Probe().Arm();
    const auto pressed = Clock::now();
    if (!player.Play(dir.File("note.mid"))) {
        std::fprintf(stderr, "idle_cpu_bench: Play after the idle time failed (%s)\n", player.Error().c_str());
        return 1;
    }
    while (!player.Probe().HeardAt() && Clock::now() < pressed + std::chrono::seconds(2))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto heard = player.Probe().HeardAt();
    player.Stop();
    if (!heard) {
        std::fprintf(stderr, "idle_cpu_bench: no sound after the idle time\n");
        return 1;
    }
    std::printf("Play after the idle time sounds after %.1f ms\n",
                std::chrono::duration<double, std::milli>(*heard - pressed).count());
    return 0;
}
