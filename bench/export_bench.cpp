// Exporting a 5,000-syllable song in each lyric format, against a plain compile (Make) of
// the same song text in the same run. An export compiles the song as Make does and then
// reads the MIDI file again for the tempo map and the voice notes, so a ratio near 1 to 2
// is expected; more would mean the formats themselves cost something.
//
//   export_bench [runs]      (default 5; the median of the runs is reported)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuietUi.h"
#include "SyntheticSong.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "formats/KaraokeExport.h"

namespace {

using namespace sonkora;
using namespace sonkora::bench;
using Clock = std::chrono::steady_clock;

constexpr int Division = 480;
constexpr int Syllables = 5000;

// A conductor with a tempo change every 64 notes, a voice of 5,000 notes and an
// accompaniment track.
Bytes Song() {
    SongWriter conductor;
    for (int i = 0; i < Syllables / 64; ++i) {
        conductor.Quantity(i == 0 ? 0 : 64 * Division / 2);
        const uint32_t tempo = 400000 + 20000 * static_cast<uint32_t>(i % 10);
        conductor.Raw({0xFF, 0x51, 0x03, static_cast<uint8_t>(tempo >> 16), static_cast<uint8_t>(tempo >> 8),
                       static_cast<uint8_t>(tempo)});
    }
    conductor.Raw({0x00, 0xFF, 0x2F, 0x00});
    SongWriter voice;
    SongWriter accompaniment;
    for (int i = 0; i < Syllables; ++i) {
        const auto key = static_cast<uint8_t>(55 + i % 20);
        voice.Quantity(0);
        voice.Raw({0x90, key, 0x64});
        voice.Quantity(Division / 2 - 10);
        voice.Raw({0x80, key, 0x00});
        voice.Quantity(10);
        voice.Raw({0x91, 0x30, 0x00});  // a silent note-on (an end) keeps the deltas honest
        accompaniment.Quantity(i == 0 ? 0 : Division / 2);
        accompaniment.Raw({0x92, 0x30, 0x50, 0x00, 0x82, 0x30, 0x00});
    }
    voice.Raw({0x00, 0xFF, 0x2F, 0x00});
    accompaniment.Raw({0x00, 0xFF, 0x2F, 0x00});
    SongWriter file;
    file.Raw({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, Division >> 8, Division & 0xFF});
    for (SongWriter* track : {&conductor, &voice, &accompaniment}) {
        file.Raw({'M', 'T', 'r', 'k'});
        file.Be32(static_cast<uint32_t>(track->Size()));
        file.Data().insert(file.Data().end(), track->Data().begin(), track->Data().end());
    }
    return file.Data();
}

std::vector<std::string> SongLines() {
    static const char* const syllables[] = {"la", "dé", "mi", "so", "fa", "ti", "do", "ré"};
    std::vector<std::string> lines = {"\\t 1", "\\m big.mid", "\\k big.kar", "@LENGL", "@TA long song", ""};
    std::string line;
    for (int i = 0; i < Syllables; ++i) {
        line += syllables[i % 8];
        if (i % 8 == 7) {
            lines.push_back(line);
            line.clear();
            if (i % 32 == 31) lines.emplace_back();
        } else {
            line += i % 2 == 0 ? "-" : " ";
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

template <typename Work>
double Median(int runs, Work work) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    BenchDir dir;
    WriteFile(dir.File("big.mid"), Song());
    MemorySongDocument document(dir.File("big.stf"), SongLines());
    QuietUi ui;

    const double compile = Median(runs, [&] {
        SongCompiler compiler;
        compiler.CompileSongText(CompileKind::Make, document, ui);
        if (compiler.MidiError() != 0) throw std::runtime_error("the song did not compile");
    });
    std::printf("compile (Make) of %d syllables: %.2f ms\n", Syllables, compile * 1000);
    const struct {
        const char* name;
        ExportFormat format;
    } formats[] = {{"lrc", ExportFormat::Lrc},
                   {"elrc", ExportFormat::EnhancedLrc},
                   {"vtt", ExportFormat::WebVtt},
                   {"ultrastar", ExportFormat::UltraStar}};
    for (const auto& [name, format] : formats) {
        ExportRequest request;
        request.format = format;
        request.inputFile = document.FileName();
        request.songText = &document;
        const double seconds = Median(runs, [&] {
            if (!ExportKaraoke(request, ui).written) throw std::runtime_error(std::string("export failed: ") + name);
        });
        std::printf("export %-9s %.2f ms, %.2f times the compile\n", name, seconds * 1000, seconds / compile);
    }
    return 0;
}
