#pragma once
// Shared helpers of the sonkorac tests: a private folder to run the built program in, and
// the songs most tests make their karaoke files from. Files, chunks and meta texts are
// built and read with the helpers of the MIDI layer's tests.

#include <filesystem>
#include <string>
#include <vector>

#include "midi/import_fixture.h"

namespace sonkora::clitest {

using namespace sonkora::test;
using namespace sonkora::passtest;
using namespace sonkora::importtest;

// The conductor track of the songs below: 120 bpm, nothing else.
inline const Bytes Tempo120 = Cat({Tempo(0, 500000), EndOfTrack()});

// A voice of `notes` notes a beat (480 ticks) apart from tick 0, keys 60, 62, ..., the
// last ended a beat later.
inline Bytes VoiceOf(int notes) {
    Bytes voice;
    for (int i = 0; i < notes; ++i)
        voice = Cat({voice, NoteOn(i == 0 ? 0 : 480, 0, static_cast<uint8_t>(60 + 2 * i), 90)});
    return Cat({voice, NoteOff(480, 0, static_cast<uint8_t>(58 + 2 * notes)), EndOfTrack()});
}

class SonkoracTest : public ::testing::Test {
protected:
    // Runs the built sonkorac in the folder, with `environment` added; a run that waits
    // (on a FIFO, say) is ended after 30 s with exit code -2.
    ProgramRun Sonkorac(std::vector<std::string> args, std::vector<std::string> environment = {}) {
        args.insert(args.begin(), SONKORAC_PATH);
        return RunProgram(dir, std::move(args), std::move(environment), 30);
    }
    // Writes a file of the folder and returns its full name.
    std::string Write(const std::string& name, const Bytes& bytes) { return dir.Write(name, bytes); }
    std::string Write(const std::string& name, const std::string& text) { return dir.Write(name, text); }
    std::string Read(const std::string& name) const { return ReadText(dir.Path(name)); }
    // Copies a file of tests/data ("kar/classic.kar") into the folder; returns its new name.
    std::string CopyData(const std::string& path) const {
        const std::string name = dir.Path(std::filesystem::path(path).filename());
        std::filesystem::copy_file(std::string(SONKORA_TEST_DATA_DIR) + "/" + path, name,
                                   std::filesystem::copy_options::overwrite_existing);
        return name;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.Path(name)); }
    // The names of the temporary files a save left in the folder.
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> found;
        for (const std::string& name : dir.Names())
            if (name.find(".sonkora-tmp-") != std::string::npos) found.push_back(dir.Path(name));
        return found;
    }

    TempDir dir;
};

}  // namespace sonkora::clitest
