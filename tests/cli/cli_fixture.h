#pragma once
// Shared helpers of the sonkorac tests: a private folder to run the built program in.
// Files, chunks and meta texts are built and read with the helpers of the MIDI layer's
// tests.

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

}  // namespace sonkora::clitest
