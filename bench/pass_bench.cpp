// Making a karaoke file from a large song should cost little more than copying the
// file: the pass decodes only the voice track and copies every other chunk in 64 KiB
// blocks. Reported as the time of the pass over the time of a plain block copy of the
// same file, both measured in this run. Goal: at most 1.5.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "SyntheticSong.h"
#include "midi/KaraokePass.h"

using namespace sonkora;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Tracks = 64;
constexpr size_t SongBytes = 16u << 20;
constexpr int Rounds = 11;
constexpr double Goal = 1.5;

// The baseline: what any program must do to copy the file through a 64 KiB buffer.
double PlainCopy(const std::string& from, const std::string& to) {
    const auto start = Clock::now();
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (in == nullptr || out == nullptr) throw std::runtime_error("cannot open the copy files");
    std::vector<uint8_t> buffer(65536);
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
        if (std::fwrite(buffer.data(), 1, got, out) != got) throw std::runtime_error("cannot write the copy");
    std::fclose(in);
    if (std::fclose(out) != 0) throw std::runtime_error("cannot write the copy");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A compilation's use of the pass: a lyric on each of the first notes of the voice
// track, then the count of the notes left, which reads the voice track to its end.
double KaraokePassRun(const std::string& from, const std::string& to, int& lyrics) {
    const auto start = Clock::now();
    KaraokePass pass;
    pass.OpenPass(from, to, "", PassMode::Make, 0, "", "");
    pass.ReadPassHeader();
    pass.SelectVoiceTrack(1);
    pass.WriteKaraokeTracks();
    pass.WriteTextEvent(0, 0x01, "@TSynthetic song");
    bool found = true;
    lyrics = 0;
    for (; lyrics < 4000 && found && pass.MidiError() == 0; ++lyrics)
        pass.NextNoteLyric(lyrics % 5 == 0 ? " la" : "la", found);
    while (found && pass.MidiError() == 0) pass.NextNoteLyric("", found);
    if (pass.MidiError() == 0) pass.FinishWords();
    pass.ClosePass();
    if (pass.MidiError() != 0)
        throw std::runtime_error("the pass failed with code " + std::to_string(pass.MidiError()));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    try {
        bench::BenchDir dir;
        const std::string song = dir.File("song.mid");
        const bench::Bytes bytes = bench::SyntheticSongBytes(Tracks, SongBytes);
        bench::WriteFile(song, bytes);
        std::printf("song: %zu bytes, %d tracks\n", bytes.size(), Tracks);

        std::vector<double> copies;
        std::vector<double> passes;
        int lyrics = 0;
        PlainCopy(song, dir.File("warm.mid"));  // both start from a warm page cache
        for (int round = 0; round < Rounds; ++round) {
            // Outputs are removed untimed: truncating a large file costs more than either run.
            std::filesystem::remove(dir.File("copy.mid"));
            std::filesystem::remove(dir.File("song.kar"));
            // Alternating the order spreads the disturbance of other work on the machine.
            if (round % 2 == 0) copies.push_back(PlainCopy(song, dir.File("copy.mid")));
            passes.push_back(KaraokePassRun(song, dir.File("song.kar"), lyrics));
            if (round % 2 == 1) copies.push_back(PlainCopy(song, dir.File("copy.mid")));
        }
        const double copy = Median(copies);
        const double pass = Median(passes);
        const double ratio = pass / copy;
        std::printf("plain copy:    %8.2f ms (median of %d)\n", copy * 1e3, Rounds);
        std::printf("karaoke pass:  %8.2f ms (median of %d, %d lyrics)\n", pass * 1e3, Rounds, lyrics);
        std::printf("ratio pass/copy: %.2f (goal at most %.1f): %s\n", ratio, Goal, ratio <= Goal ? "met" : "NOT MET");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pass_bench: %s\n", error.what());
        return 1;
    }
}
