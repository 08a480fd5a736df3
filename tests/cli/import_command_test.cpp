// sonkorac import, run as a user runs it: the list when no track is given, the names it
// writes, the files it will not replace, its messages and its exit codes.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class ImportCommand : public SonkoracTest {
protected:
    std::string kar = Write("song.kar", KaraokeFile(96, WordsTrack({{0, "@TSong"}, {96, "\\Hel"}, {192, "lo"}}),
                                                    {VoiceTrack({96, 192}), VoiceTrack({0, 48}, 1, "Bass")}));
    std::string stf = dir.Path("song.stf");
    std::string mid = dir.Path("song.mid");
};

TEST_F(ImportCommand, WritesTheSongTextAndPrintsItsName) {
    // Without a track it lists the tracks to choose from.
    const ProgramRun list = Sonkorac({"import", kar});
    EXPECT_EQ(list.exitCode, 2);
    EXPECT_EQ(list.out, "1    1                            Melody\n2    2                            Bass\n");
    EXPECT_NE(list.err.find("import: choose the voice track with --track N"), std::string::npos) << list.err;
    // A file in the way is not replaced, and nothing is written, unless --yes says so.
    Write("song.mid", "my music");
    EXPECT_EQ(Sonkorac({"import", kar, "--track", "1"}), (ProgramRun{1, "", "File " + mid + " already exists.\n"}));
    EXPECT_FALSE(Exists("song.stf"));
    EXPECT_EQ(ReadText(mid), "my music");
    EXPECT_EQ(Sonkorac({"import", kar, "--track", "1", "--yes"}), (ProgramRun{0, stf + "\n", ""}));
    EXPECT_EQ(ReadText(stf),
              "\\t 1\r\n\\m " + mid + "\r\n\\k " + dir.Path("song_1.kar") + "\r\n@TSong\r\n\r\nHel-lo\r\n");
    EXPECT_NE(ReadText(mid), "my music");
}

TEST_F(ImportCommand, ErrorsNameTheKaraokeFile) {
    // Named .mid, the karaoke file would be its own MIDI output: not even --yes allows it.
    const std::string named = Write("named.mid", ReadBytes(kar));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"import", kar, "--track", "3"}, dir.Path("song.kar") + ": --track 3 is not in the list of 2 tracks\n"},
        {{"import", named, "--track", "1", "--yes"}, named + ": Error writing file " + named + ".\n"},
    };
    for (const auto& [args, err] : cases) EXPECT_EQ(Sonkorac(args), (ProgramRun{1, "", err}));
    EXPECT_EQ(ReadBytes(named), ReadBytes(kar));
    EXPECT_FALSE(Exists("song.stf") || Exists("named.stf"));
}

}  // namespace
}  // namespace sonkora::clitest
