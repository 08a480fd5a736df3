// Timing by ear at scale: retiming a song of 5,000 syllables with 5,000 taps (about half
// of them within the snap window of a voice note), against a plain compile (Make) of the
// same song in the same run. The goal is the retiming taking under 1 % of the time the
// song plays.
//
//   retime_bench [syllables]      (default 5000)

#include <algorithm>
#include <chrono>
#include <iostream>
#include <stdexcept>

#include "QuietUi.h"
#include "SyntheticSong.h"
#include "common/UserInterface.h"
#include "compiler/Retiming.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "midi/TempoMap.h"

namespace {

using namespace sonkora;
using namespace sonkora::bench;
using Clock = std::chrono::steady_clock;

constexpr uint16_t Division = 480;
constexpr uint32_t Step = 240;  // a syllable every eighth note

// A conductor whose tempo changes every four bars, and a voice of one note a syllable.
Bytes SongBytes(int syllables, std::vector<TempoChange>& tempos) {
    SongWriter conductor;
    const uint32_t length = static_cast<uint32_t>(syllables) * Step;
    for (uint32_t tick = 0, bar = 0; tick < length; tick += 4 * 4 * Division, ++bar) {
        const uint32_t tempo = 400000 + 40000 * (bar % 5);
        tempos.push_back({tick, tempo});
        conductor.Quantity(tick == 0 ? 0 : 4 * 4 * Division);
        conductor.Raw({0xFF, 0x51, 0x03, static_cast<uint8_t>(tempo >> 16), static_cast<uint8_t>(tempo >> 8),
                       static_cast<uint8_t>(tempo)});
    }
    // The song ends a bar after its last syllable.
    conductor.Quantity(length + 4 * Division - static_cast<uint32_t>(tempos.back().tick));
    conductor.Raw({0xFF, 0x2F, 0x00});
    SongWriter voice;
    for (int i = 0; i < syllables; ++i) {
        voice.Quantity(i == 0 ? 0 : Step - 10);
        voice.Raw({0x90, static_cast<uint8_t>(60 + i % 12), 90});
        voice.Quantity(10);
        voice.Raw({0x80, static_cast<uint8_t>(60 + i % 12), 0});
    }
    voice.Raw({0x00, 0xFF, 0x2F, 0x00});

    SongWriter file;
    file.Raw({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, Division >> 8, Division & 0xFF});
    for (SongWriter* track : {&conductor, &voice}) {
        file.Raw({'M', 'T', 'r', 'k'});
        file.Be32(static_cast<uint32_t>(track->Size()));
        file.Data().insert(file.Data().end(), track->Data().begin(), track->Data().end());
    }
    return file.Data();
}

std::vector<std::string> SongLines(int syllables) {
    std::vector<std::string> lines = {"\\t 1", "\\m song.mid", "\\k song.kar", "@TA long song", ""};
    std::string line;
    for (int i = 0; i < syllables; ++i) {
        line += i % 3 == 2 ? "la" : "li";
        line += i % 8 == 7 ? "" : i % 2 == 0 ? "-" : " ";
        if (i % 8 == 7) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

template <typename Work>
double Best(int runs, Work work) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const int syllables = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
        BenchDir dir;
        std::vector<TempoChange> tempos;
        WriteFile(dir.File("song.mid"), SongBytes(syllables, tempos));
        const TempoMap tempo(Division, tempos);
        const std::vector<std::string> lines = SongLines(syllables);

        // Every other tap lands 30 ms from its note; the others between two notes.
        std::vector<double> taps;
        for (int i = 0; i < syllables; ++i) {
            const int64_t tick = int64_t{i} * Step + (i % 2 == 0 ? 0 : Step / 2);
            taps.push_back(tempo.SecondsAt(tick) + (i % 2 == 0 ? 0.03 : 0.0));
        }
        const double plays = tempo.SecondsAt(int64_t{syllables} * Step);

        QuietUi ui;
        const double compile = Best(5, [&] {
            MemorySongDocument document(dir.File("song.stf"), lines);
            SongCompiler compiler;
            compiler.CompileSongText(CompileKind::Make, document, ui);
            if (compiler.MidiError() != 0) throw std::runtime_error("the song did not compile");
        });
        RetimeCounts counts;
        const double retime = Best(5, [&] {
            MemorySongDocument document(dir.File("song.stf"), lines);
            SongCompiler compiler;
            const RetimeOutcome outcome = RetimeSong(compiler, document, ui, 0, taps, {});
            if (!outcome.done) throw std::runtime_error("the song was not retimed: " + outcome.tapProblem);
            counts = outcome.counts;
        });
        std::cout << syllables << " syllables, " << taps.size() << " taps; the song plays " << plays << " s\n"
                  << "codes written: " << counts.written << ", removed: " << counts.removed << "\n"
                  << "plain compile: " << compile * 1000 << " ms; retime: " << retime * 1000 << " ms\n"
                  << "retime / compile: " << retime / compile << "\n"
                  << "retime / playing time: " << retime / plays * 100 << " % (goal: under 1 %)\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "retime_bench: " << error.what() << "\n";
        return 1;
    }
}
