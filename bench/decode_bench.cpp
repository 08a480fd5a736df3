// How fast playback's reader gets a large song into memory and decodes it: every event
// of every track of a 16 MB, 64-track file, in events per second. For scale, the same
// run also times a plain pass over the bytes (a sum), the least any decoder must do.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "SyntheticSong.h"
#include "midi/MidiReader.h"

using namespace sonkora;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Tracks = 64;
constexpr size_t SongBytes = 16u << 20;
constexpr int Rounds = 5;

struct Decoded {
    double loadSeconds = 0;
    double decodeSeconds = 0;
    int64_t events = 0;
};

Decoded LoadAndDecode(const bench::Bytes& bytes) {
    Decoded result;
    const auto start = Clock::now();
    MidiReader reader;
    reader.OpenMidiBuffer(bytes);
    if (!reader.ReadMidiHeader() || !reader.LoadTracks())
        throw std::runtime_error("the reader refused the song with code " + std::to_string(reader.MidiError()));
    reader.CloseMidi();
    reader.RewindTracks();
    const auto loaded = Clock::now();
    MidiEvent event;
    for (uint16_t track = 0; track < reader.Header().TrackCount; ++track) {
        bool more = true;
        while (more) {
            more = reader.ReadEvent(track, event);
            if (reader.MidiError() != 0) throw std::runtime_error("decoding failed in track " + std::to_string(track));
            ++result.events;
        }
    }
    const auto decoded = Clock::now();
    result.loadSeconds = std::chrono::duration<double>(loaded - start).count();
    result.decodeSeconds = std::chrono::duration<double>(decoded - loaded).count();
    return result;
}

double ByteScan(const bench::Bytes& bytes, uint64_t& sum) {
    const auto start = Clock::now();
    for (uint8_t byte : bytes) sum = sum * 31 + byte;  // a dependency chain, so it is not vectorised away
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    try {
        const bench::Bytes bytes = bench::SyntheticSongBytes(Tracks, SongBytes);
        std::printf("song: %zu bytes, %d tracks\n", bytes.size(), Tracks);
        std::vector<double> loads;
        std::vector<double> decodes;
        std::vector<double> scans;
        int64_t events = 0;
        uint64_t sum = 0;
        for (int round = 0; round < Rounds; ++round) {
            const Decoded run = LoadAndDecode(bytes);
            loads.push_back(run.loadSeconds);
            decodes.push_back(run.decodeSeconds);
            events = run.events;
            scans.push_back(ByteScan(bytes, sum));
        }
        for (std::vector<double>* v : {&loads, &decodes, &scans}) std::sort(v->begin(), v->end());
        const double load = loads[Rounds / 2];
        const double decode = decodes[Rounds / 2];
        const double scan = scans[Rounds / 2];
        std::printf("events: %lld (checksum %llu)\n", static_cast<long long>(events),
                    static_cast<unsigned long long>(sum % 1000));
        std::printf("load:   %8.2f ms\n", load * 1e3);
        std::printf("decode: %8.2f ms, %.1f million events per second\n", decode * 1e3, events / decode / 1e6);
        std::printf("load and decode: %.1f million events per second, %.2f times a plain byte scan\n",
                    events / (load + decode) / 1e6, (load + decode) / scan);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "decode_bench: %s\n", error.what());
        return 1;
    }
}
