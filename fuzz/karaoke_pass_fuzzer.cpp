// Arbitrary bytes as a MIDI or karaoke file (plain, RIFF-wrapped or type 0, which the
// pass splits): a karaoke file and a lyrics export are made from them with a few lyrics
// and a track switch, an import is run over them, and they are listed as a plain MIDI
// file and as a Soft Karaoke file. Any crash, sanitizer report or escaping exception is
// a finding, and so is a file written whose track chunks claim bytes it does not have.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzWorkspace.h"
#include "midi/KaraokePass.h"
#include "midi/TrackListing.h"

using namespace sonkora;

using fuzz::Workspace;

namespace {

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
}

uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// A file the pass finished must hold every track chunk its header counts, in full.
void CheckWritten(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) std::abort();
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0) std::abort();
    const unsigned count = (bytes[10] << 8) | bytes[11];
    size_t at = 14;
    for (unsigned i = 0; i < count; ++i) {
        if (bytes.size() - at < 8 || std::memcmp(bytes.data() + at, "MTrk", 4) != 0) std::abort();
        const uint32_t length = Be32(bytes.data() + at + 4);
        if (bytes.size() - at - 8 < length) std::abort();
        at += 8 + length;
    }
}

void MakeFile(const Workspace& ws, PassMode mode, size_t seed) {
    KaraokePass pass;
    pass.OpenPass(ws.File("in.mid"), ws.File("out.kar"), "", mode, 0, "", "");
    if (pass.MidiError() == 0) pass.ReadPassHeader();
    const int tracks = pass.Header().TrackCount;
    if (pass.MidiError() == 0 && tracks > 1) {
        pass.SelectVoiceTrack(1 + static_cast<int>(seed % static_cast<size_t>(tracks - 1)));
        if (pass.MidiError() == 0) pass.WriteKaraokeTracks();
        if (pass.MidiError() == 0) pass.WriteTextEvent(0, 0x01, "@TFuzz");
        bool found = true;
        for (const char* lyric : {"\\One", "two", " three", "/four", "", "five"}) {
            if (pass.MidiError() != 0) break;
            pass.NextNoteLyric(lyric, found);
        }
        if (pass.MidiError() == 0 && tracks > 2) {
            pass.SwitchVoiceTrack(1 + static_cast<int>((seed / 7) % static_cast<size_t>(tracks - 1)));
            pass.NextNoteLyric("/six", found);
            if (pass.MidiError() == 0 && pass.LastLyricTime() < INT32_MAX)
                pass.WriteLyric("seven", pass.LastLyricTime() + 1);
            if (pass.MidiError() == 0) pass.SwitchVoiceTrack(1);
            if (pass.MidiError() == 0) pass.NextNoteLyric(" eight", found);
        }
        // Counting the notes left, as the compiler does.
        for (int i = 0; i < 1000 && found && pass.MidiError() == 0; ++i) pass.NextNoteLyric("", found);
        if (pass.MidiError() == 0) pass.FinishWords();
    }
    pass.ClosePass();
    if (pass.MidiError() == 0 && tracks > 1) CheckWritten(ws.File("out.kar"));
}

void Import(const Workspace& ws) {
    KaraokePass pass;
    pass.OpenPass(ws.File("in.mid"), "", "", PassMode::Collect, 0, "", "");
    pass.ReadPassHeader();
    if (pass.MidiError() != 0 || pass.Header().TrackCount < 4) return;
    pass.SelectVoiceTrack(3);
    bool found = true;
    while (found && pass.MidiError() == 0) pass.NextNoteLyric("", found);
    pass.ClosePass();
    if (pass.MidiError() != 0) return;
    pass.OpenPass(ws.File("in.mid"), ws.File("out.mid"), ws.File("out.stf"), PassMode::Convert, 1, "out.mid",
                  "out_1.kar");
    if (pass.MidiError() == 0) pass.ReadPassHeader();
    if (pass.MidiError() == 0) pass.SelectVoiceTrack(2);
    if (pass.MidiError() == 0) pass.NextNoteLyric("", found);
    if (pass.MidiError() == 0) pass.CopyRest();
    pass.ClosePass();
    if (pass.MidiError() == 0) CheckWritten(ws.File("out.mid"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Workspace ws("sonkora-fuzz");
    WriteInput(ws.File("in.mid"), data, size);
    const size_t seed = size > 0 ? data[size - 1] : 0;
    MakeFile(ws, PassMode::Make, seed);
    MakeFile(ws, PassMode::Export, seed + 1);
    Import(ws);
    ListTracks(ws.File("in.mid"), ListKindPlainMidi);
    ListTracks(ws.File("in.mid"), ListKindSoftKaraoke);
    return 0;
}
