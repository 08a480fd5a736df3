#pragma once
// Shared helpers of the karaoke pass and track listing tests: a private folder for the
// files a test writes, and whole-file reads and writes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>  // environ

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "midi/KaraokePass.h"
#include "support/MidiBytes.h"

namespace sonkora::passtest {

using test::Bytes;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonkora-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// What a program run left behind; exitCode -1 when it could not be started.
struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program (found on the PATH when the name has no folder) with its standard
// output and error sent to files in `dir`, never through a shell.
inline ProgramRun RunProgram(const TempDir& dir, std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string outName = dir.File("program.out");
    const std::string errName = dir.File("program.err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    ProgramRun run;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child) return run;
    // posix_spawnp may report a missing program only through the child's exit code 127.
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadText(outName);
    run.err = ReadText(errName);
    return run;
}

// The steps of a compilation up to the first lyric, as the compiler takes them: each
// only while no error is set.
inline void StartPass(KaraokePass& pass, const std::string& input, const std::string& output, PassMode mode,
                      int voiceTrack) {
    pass.OpenPass(input, output, "", mode, 0, "", "");
    if (pass.MidiError() == 0) pass.ReadPassHeader();
    if (pass.MidiError() == 0) pass.SelectVoiceTrack(voiceTrack);
    if (pass.MidiError() == 0 && (mode == PassMode::Make || mode == PassMode::Export)) pass.WriteKaraokeTracks();
}

// The data of the chunk that starts at `offset` of `file` ("MTrk" and length skipped).
inline Bytes ChunkData(const Bytes& file, size_t offset) {
    const size_t length = (size_t{file.at(offset + 4)} << 24) | (size_t{file.at(offset + 5)} << 16) |
                          (size_t{file.at(offset + 6)} << 8) | file.at(offset + 7);
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(offset + 8),
                 file.begin() + static_cast<std::ptrdiff_t>(offset + 8 + length));
}

}  // namespace sonkora::passtest
