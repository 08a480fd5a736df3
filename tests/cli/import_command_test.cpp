// sonkorac import, run as a user runs it: the list when no track is given, the names it
// writes, the files it will not replace, its messages and its exit codes.
#include <filesystem>

#include "midi/import_fixture.h"

using namespace sonkora::test;
using namespace sonkora::passtest;
using namespace sonkora::importtest;

namespace {

class ImportCommand : public ::testing::Test {
protected:
    TempDir dir;
    std::string kar = dir.File("song.kar");
    std::string stf = dir.File("song.stf");
    std::string mid = dir.File("song.mid");

    ImportCommand() {
        WriteBytes(kar, KaraokeFile(96, WordsTrack({{0, "@TSong"}, {96, "\\Hel"}, {192, "lo"}}),
                                    {VoiceTrack({96, 192}), VoiceTrack({0, 48}, 1, "Bass")}));
    }

    ProgramRun Sonkorac(std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        return RunProgram(dir, args);
    }
};

TEST_F(ImportCommand, WithoutATrackItListsTheTracksAndTheUsage) {
    const ProgramRun run = Sonkorac({"import", kar});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "1    1                            Melody\n2    2                            Bass\n");
    EXPECT_NE(run.err.find("sonkorac import FILE.kar --track N [--stf OUT.stf] [--mid OUT.mid] [--yes]"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(stf));
}

TEST_F(ImportCommand, PrintsTheSongTextItWrote) {
    ProgramRun run = Sonkorac({"import", kar, "--track", "1"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, stf + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadText(stf), "\\t 1\n\\m " + mid + "\n\\k " + dir.File("song_1.kar") + "\n@TSong\n\nHel-lo\n");
    EXPECT_EQ(SplitChunks(ReadBytes(mid)).chunks.size(), 3u);
    // The second item of the list is the fifth chunk; the names may be chosen.
    run = Sonkorac({"import", kar, "--track", "2", "--stf", dir.File("b.stf"), "--mid", dir.File("b.mid")});
    EXPECT_EQ(run.out, dir.File("b.stf") + "\n");
    EXPECT_EQ(ReadText(dir.File("b.stf")).substr(0, 5), "\\t 2\n");
}

TEST_F(ImportCommand, AnExistingOutputIsReplacedOnlyWithYes) {
    WriteBytes(mid, Text("my music"));
    ProgramRun run = Sonkorac({"import", kar, "--track", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "File " + mid + " already exists.\n");
    EXPECT_FALSE(std::filesystem::exists(stf));
    EXPECT_EQ(ReadText(mid), "my music");

    run = Sonkorac({"import", "--yes", kar, "--track", "1"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(ReadText(mid), "my music");
}

TEST_F(ImportCommand, ErrorsNameTheKaraokeFile) {
    const std::string nowhere = dir.File("missing/song.mid");
    ProgramRun run = Sonkorac({"import", kar, "--track", "1", "--mid", nowhere});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kar + ": Error writing file " + nowhere + ".\n");

    run = Sonkorac({"import", kar, "--track", "3"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind(kar + ": ", 0), 0u) << run.err;

    const std::string plain = dir.File("plain.kar");
    WriteBytes(plain, MidiFile(1, 96, {Conductor(), VoiceTrack({0})}));
    run = Sonkorac({"import", plain, "--track", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, plain + ": Not a Soft Karaoke file\n");

    // Named .mid, the karaoke file would be its own MIDI output: not even --yes allows it.
    const std::string named = dir.File("named.mid");
    std::filesystem::copy_file(kar, named);
    run = Sonkorac({"import", named, "--track", "1", "--yes"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, named + ": Error writing file " + named + ".\n");
    EXPECT_EQ(ReadBytes(named), ReadBytes(kar));

    run = Sonkorac({"import", dir.File("gone.kar"), "--track", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "File " + dir.File("gone.kar") + " not found.\n");
    EXPECT_FALSE(std::filesystem::exists(stf));
}

TEST_F(ImportCommand, WrongUsageExitsWithTwo) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"import"},
             {"import", kar, "--track"},
             {"import", kar, "--track", "0"},
             {"import", kar, "--track", "one"},
             {"import", kar, "--track", "1", "--track", "2"},
             {"import", kar, "--track", "1", "--stf"},
             {"import", kar, "--track", "1", "--mid", ""},
             {"import", kar, kar, "--track", "1"},
             {"import", kar, "--track", "1", "--force"},
         }) {
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(stf));
}

}  // namespace
