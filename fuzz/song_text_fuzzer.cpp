// Arbitrary song texts through the compiler in every mode, against one fixed MIDI file,
// and the lyric list mappings over whatever records they leave.
//
// The names in "\m" and "\k" lines are replaced by names inside the fuzzer's own folder
// (chosen by the input), so no input can make the fuzzer write anywhere else.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/IoError.h"
#include "common/UserInterface.h"
#include "compiler/CompileHost.h"
#include "compiler/LyricList.h"
#include "compiler/Retiming.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "compiler/TimeCodeShift.h"

namespace {

using namespace sonkora;

class FuzzUi : public UserInterface {
public:
    explicit FuzzUi(uint8_t choices) : choices_(choices) {}
    void ErrorBox(const std::string&, int) override {}
    void InformationBox(const std::string&, int) override {}
    bool QueryBox(const std::string&, int) override { return (choices_ & 1) != 0; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        if ((choices_ & 2) == 0 || items.empty()) return std::nullopt;
        return static_cast<int>((choices_ >> 4) % items.size());
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return (choices_ & 4) != 0; }

private:
    uint8_t choices_;
};

class FuzzHost : public CompileHost {
public:
    CompilerSettings Settings() const override { return {}; }
    void TakePreviewLines(const std::vector<std::string>&) override {}
    void StopPlayback() override {}
    void PlaySong(const std::string&, bool) override {}
    bool StartProgram(const std::string&, const std::string&, const std::string&) override { return false; }
};

void Put(std::string& out, std::initializer_list<int> bytes) {
    for (int b : bytes) out += static_cast<char>(b);
}

// Conductor, a voice with chords, repeated notes, silent notes and a text event, and a
// second voice without an end-of-track event.
std::string FixedMidi() {
    std::string voice;
    Put(voice, {0x00, 0xFF, 0x03, 0x05, 'V', 'o', 'i', 'c', 'e'});
    for (int i = 0; i < 24; ++i) {
        Put(voice, {0x83, 0x60, 0x90, 0x3C + i % 12, i % 5 == 0 ? 0 : 0x64});
        Put(voice, {0x00, 0x40 + i % 3, 0x50});  // running status: a chord
        Put(voice, {0x60, 0x80, 0x3C + i % 12, 0x00});
    }
    Put(voice, {0x00, 0xFF, 0x01, 0x02, 'h', 'i', 0x00, 0xFF, 0x2F, 0x00});
    std::string open;
    for (int i = 0; i < 6; ++i) Put(open, {0x81, 0x70, 0x91, 0x40, 0x64});

    std::string file = "MThd";
    Put(file, {0, 0, 0, 6, 0, 1, 0, 3, 0x01, 0xE0});
    auto chunk = [&file](const std::string& data) {
        file += "MTrk";
        Put(file, {0, 0, static_cast<int>(data.size() >> 8), static_cast<int>(data.size() & 0xFF)});
        file += data;
    };
    std::string conductor;
    Put(conductor, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00});
    chunk(conductor);
    chunk(voice);
    chunk(open);
    return file;
}

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "song-text-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        std::ofstream(pattern + "/song.mid", std::ios::binary) << FixedMidi();
        std::ofstream(pattern + "/other.mid", std::ios::binary) << std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
        return pattern + "/";
    }();
    return folder;
}

// Keeps file names inside the fuzzer's folder.
std::string Confine(const std::string& line, size_t salt) {
    const std::string trimmed = TrimLine(line);
    if (trimmed.size() < 2 || trimmed[0] != '\\' || (trimmed[1] != 'm' && trimmed[1] != 'k')) return line;
    static const char* const names[] = {"song.mid", "other.mid", "missing.mid", "out.kar",
                                        "song.stf", "",          "./song.mid"};
    return trimmed.substr(0, 2) + " " + names[salt % (sizeof names / sizeof names[0])];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 65536) return 0;
    const uint8_t choices = data[0];
    std::vector<std::string> lines =
        SplitSongLines(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    for (size_t i = 0; i < lines.size(); ++i) lines[i] = Confine(lines[i], i + lines[i].size());

    const CompileKind kinds[] = {CompileKind::Make,     CompileKind::Play,    CompileKind::PrintText,
                                 CompileKind::Language, CompileKind::Export,  CompileKind::SelectTrack,
                                 CompileKind::Check,    CompileKind::Preview, CompileKind::Timing};
    for (const CompileKind kind : kinds) {
        MemorySongDocument document(Folder() + "song.stf", lines);
        FuzzUi ui(choices);
        FuzzHost host;
        SongCompiler compiler;
        std::ostringstream printed;
        try {
            if (kind == CompileKind::Make || kind == CompileKind::Play || kind == CompileKind::Export) {
                CompileAndAct(compiler, kind, (choices & 8) != 0, (choices & 16) != 0, document, ui, host);
            } else {
                compiler.CompileSongText(kind, document, ui, {}, &printed);
            }
        } catch (const IoError&) {
            // A file failing underneath is reported, not a fault of the compiler.
        }
        const LyricList& lyrics = compiler.Lyrics();
        const int caret = document.CaretIndex();
        (void)PreviewSelectionForCaret(lyrics, caret);
        (void)SourceRangeAtPreviewCaret(lyrics, {caret % 7, caret % 13});
        if (lyrics.LyricCount() > 0) (void)LyricsAtTime(lyrics, lyrics[lyrics.LyricCount() / 2].Time);
    }

    // Timing by ear and shifting edit the text around what the lexer finds: taps one
    // tenth of a second apart from the choices on, and a shift either way.
    try {
        MemorySongDocument document(Folder() + "song.stf", lines);
        FuzzUi ui(choices);
        SongCompiler compiler;
        std::vector<double> taps;
        for (int i = 0; i < (choices & 31); ++i) taps.push_back(0.1 * (i + choices / 32));
        (void)RetimeSong(compiler, document, ui, choices % 3, taps, {(choices & 64) ? 0.0 : 80.0, 0});
        (void)ShiftTimeCodes(document, ui, std::nullopt, (choices & 128) ? -120 : 7);
    } catch (const IoError&) {
    }
    return 0;
}
