// From Play to the first sample that is not silence reaching the sound output, with the
// sound output idle before (nothing rendered, nothing handed over): what a user waits
// for between pressing Play and hearing the first note. Measured at the synthesizer's
// output callback, on the real engine, scheduler thread and sound server. The first
// Play of the process (playback module, soundfont, sound output all opened) is shown
// apart. Goal: median at most 50 ms. Needs a sound server (PulseAudio with a null sink
// will do) and skips without one.
//
//   play_latency_bench [runs]      (default 15)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "SoundBench.h"

namespace {

using namespace sonkora::bench;
using Clock = std::chrono::steady_clock;

// Milliseconds from Play to the first sound, or nothing when none came within 2 s.
std::optional<double> TimePlay(SoundPlayer& player, const std::string& song) {
    player.Probe().Arm();
    const auto pressed = Clock::now();
    if (!player.Play(song)) return std::nullopt;
    const auto deadline = pressed + std::chrono::seconds(2);
    std::optional<Clock::time_point> heard;
    while (!(heard = player.Probe().HeardAt()) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    player.Stop();
    if (!heard) return std::nullopt;
    return std::chrono::duration<double, std::milli>(*heard - pressed).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    BenchDir dir;
    WriteFile(dir.File("note.mid"), OneNoteSong(1));
    SoundPlayer player;
    const std::optional<double> first = TimePlay(player, dir.File("note.mid"));
    if (!first) return SkipWithoutSound("play_latency_bench", player.Error());

    std::vector<double> latencies;
    for (int run = 0; run < runs; ++run) {
        // Long enough for the stopped song's sound output to run dry and wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::optional<double> latency = TimePlay(player, dir.File("note.mid"));
        if (!latency) {
            std::fprintf(stderr, "play_latency_bench: no sound came out (%s)\n", player.Error().c_str());
            return 1;
        }
        latencies.push_back(*latency);
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    std::printf("first Play of the process (module, soundfont, sound output): %7.1f ms\n", *first);
    std::printf(
        "Play to first sound, output idle before: median %5.1f ms, max %5.1f ms over %d runs  "
        "(goal <= 50 ms) %s\n",
        median, latencies.back(), runs, median <= 50 ? "ok" : "MISSED");
    return 0;
}
