#pragma once
// Shared helpers of the sonkorac tests: a private folder to run the built program in.
// Files, chunks and meta texts are built and read with the helpers of the MIDI layer's
// tests.

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>

#include <filesystem>
#include <string>
#include <vector>

#include "midi/import_fixture.h"

namespace sonkora::clitest {

using namespace sonkora::test;
using namespace sonkora::passtest;
using namespace sonkora::importtest;

class SonkoracTest : public ::testing::Test {
protected:
    ProgramRun Sonkorac(std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        return RunProgram(dir, std::move(args));
    }
    // Writes a file of the folder and returns its full name.
    std::string Write(const std::string& name, const Bytes& bytes) {
        WriteBytes(dir.Path(name), bytes);
        return dir.Path(name);
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.Path(name)); }

    TempDir dir;
};

// Runs sonkorac with extra environment settings and a deadline: a run that has not ended
// within `seconds` is killed and reported as blocked (exit code -2), so a regression
// that waits on a FIFO fails the test instead of hanging the suite.
inline ProgramRun RunWithDeadline(const TempDir& dir, std::vector<std::string> args,
                                  const std::vector<std::string>& environment = {}, int seconds = 10) {
    args.insert(args.begin(), SONKORAC_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> settings = environment;
    for (char** e = environ; *e != nullptr; ++e) settings.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& setting : settings) envp.push_back(setting.data());
    envp.push_back(nullptr);
    const std::string outName = dir.Path("program.out"), errName = dir.Path("program.err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    ProgramRun run;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    const int processHandle = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    pollfd ended{processHandle, POLLIN, 0};
    if (processHandle < 0 || ::poll(&ended, 1, seconds * 1000) != 1) {
        ::kill(child, SIGKILL);
        run.exitCode = -2;
    }
    if (processHandle >= 0) ::close(processHandle);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (run.exitCode != -2) run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadText(outName);
    run.err = ReadText(errName);
    return run;
}

}  // namespace sonkora::clitest
