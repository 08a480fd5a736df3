// Making a karaoke file from a large song, against a plain copy of the same MIDI file
// in the same run: the song's Words track comes close to its 64 KiB limit and the MIDI
// file holds many megabytes of accompaniment, which the pass copies without decoding.
// Also reported: how much the peak memory of the process grows while compiling, which
// must stay near the pass's two 64 KiB buffers however large the MIDI file is.
//
//   compile_bench [megabytes]      (default 64)

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuietUi.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "midi/MidiWriter.h"

namespace {

using namespace sonkora;
using bench::QuietUi;
using Clock = std::chrono::steady_clock;

constexpr int Division = 480;
constexpr int Syllables = 520;  // of 110 characters each: about 60 KiB of Words
constexpr int SyllableLength = 110;

void Put32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutQuantity(std::string& out, uint32_t v) {
    for (const uint8_t byte : EncodeQuantity(v)) out += static_cast<char>(byte);
}

void WriteChunk(std::ofstream& file, const std::string& data) {
    std::string header = "MTrk";
    Put32(header, static_cast<uint32_t>(data.size()));
    file.write(header.data(), static_cast<std::streamsize>(header.size()));
    file.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Conductor, voice and accompaniment tracks of about `megabytes` MB, written chunk by
// chunk so that making the file does not itself raise the peak memory much.
void WriteMidi(const std::string& path, int megabytes) {
    const int accompanimentTracks = 8;
    const size_t perTrack = static_cast<size_t>(megabytes) * 1024 * 1024 / accompanimentTracks;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::string header = "MThd";
    Put32(header, 6);
    header += std::string{'\0', '\1', '\0', static_cast<char>(2 + accompanimentTracks)};
    header += static_cast<char>(Division >> 8);
    header += static_cast<char>(Division & 0xFF);
    file.write(header.data(), static_cast<std::streamsize>(header.size()));

    WriteChunk(file, std::string("\x00\xFF\x51\x03\x07\xA1\x20\x00\xFF\x2F\x00", 11));
    std::string voice;
    for (int i = 0; i < Syllables; ++i) {
        PutQuantity(voice, i == 0 ? 0 : Division - 10);
        voice += "\x90\x3C\x64";
        PutQuantity(voice, 10);
        voice += std::string("\x80\x3C\x00", 3);
    }
    voice += std::string("\x00\xFF\x2F\x00", 4);
    WriteChunk(file, voice);
    // Each accompaniment track: a short note every 4 ticks, written a block at a time.
    const size_t events = perTrack / 8;
    for (int t = 0; t < accompanimentTracks; ++t) {
        const char channel = static_cast<char>(1 + t);
        const char event[8] = {'\x00', static_cast<char>(0x90 | channel), '\x30', '\x50',
                               '\x04', static_cast<char>(0x80 | channel), '\x30', '\x00'};
        std::string chunkHeader = "MTrk";
        Put32(chunkHeader, static_cast<uint32_t>(events * 8 + 4));
        file.write(chunkHeader.data(), static_cast<std::streamsize>(chunkHeader.size()));
        std::string block;
        for (size_t i = 0; i < 8192; ++i) block.append(event, 8);
        for (size_t written = 0; written < events; written += 8192) {
            const size_t count = std::min<size_t>(8192, events - written);
            file.write(block.data(), static_cast<std::streamsize>(count * 8));
        }
        file.write("\x00\xFF\x2F\x00", 4);
    }
    if (!file) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> SongLines() {
    std::vector<std::string> lines = {"\\t 1", "\\m big.mid", "\\k big.kar", "@LENGL", "@TA large song", ""};
    std::string line;
    for (int i = 0; i < Syllables; ++i) {
        line += std::string(SyllableLength, static_cast<char>('a' + i % 26));
        line += i % 8 == 7 ? "" : "-";
        if (i % 8 == 7) {
            lines.push_back(line);
            line.clear();
            if (i % 32 == 31) lines.emplace_back();
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

double PlainCopy(const std::string& from, const std::string& to) {
    const auto start = Clock::now();
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (in == nullptr || out == nullptr) throw std::runtime_error("cannot copy " + from);
    std::vector<char> buffer(65536);
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        if (std::fwrite(buffer.data(), 1, got, out) != got) throw std::runtime_error("cannot write " + to);
    }
    std::fclose(in);
    if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + to);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Compile(MemorySongDocument& document, QuietUi& ui) {
    const auto start = Clock::now();
    SongCompiler compiler;
    compiler.CompileSongText(CompileKind::Make, document, ui);
    if (compiler.MidiError() != 0)
        throw std::runtime_error("the song did not compile: " + std::to_string(compiler.MidiError()));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 64;
        const std::filesystem::path dir = std::filesystem::temp_directory_path() / "sonkora-compile-bench";
        std::filesystem::create_directories(dir);
        const std::string midi = (dir / "big.mid").string();
        WriteMidi(midi, megabytes);
        MemorySongDocument document((dir / "big.stf").string(), SongLines());
        QuietUi ui;

        // Warm the file cache, then take the best of a few runs of each.
        PlainCopy(midi, (dir / "copy.mid").string());
        const long peakBefore = PeakKilobytes();
        Compile(document, ui);
        const long peakAfter = PeakKilobytes();
        double copy = 1e9;
        double compile = 1e9;
        for (int run = 0; run < 5; ++run) {
            copy = std::min(copy, PlainCopy(midi, (dir / "copy.mid").string()));
            compile = std::min(compile, Compile(document, ui));
        }
        const auto size = std::filesystem::file_size(midi);
        const auto words = std::filesystem::file_size(dir / "big.kar") - size - 51;
        std::cout << "MIDI file: " << size / (1024 * 1024) << " MiB; Words track: " << words << " bytes\n"
                  << "plain copy: " << copy * 1000 << " ms; compile: " << compile * 1000 << " ms\n"
                  << "compile / copy: " << compile / copy << "\n"
                  << "peak memory growth while compiling: " << (peakAfter - peakBefore) << " KiB\n";
        std::filesystem::remove_all(dir);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "compile_bench: " << error.what() << "\n";
        return 1;
    }
}
