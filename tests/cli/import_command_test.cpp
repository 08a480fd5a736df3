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
    EXPECT_FALSE(Exists("song.stf"));

    ProgramRun run = Sonkorac({"import", kar, "--track", "1"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, stf + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadText(stf),
              "\\t 1\r\n\\m " + mid + "\r\n\\k " + dir.Path("song_1.kar") + "\r\n@TSong\r\n\r\nHel-lo\r\n");
    EXPECT_EQ(SplitChunks(ReadBytes(mid)).chunks.size(), 3u);
    // The second item of the list is the fifth chunk; the names may be chosen.
    run = Sonkorac({"import", kar, "--track", "2", "--stf", dir.Path("b.stf"), "--mid", dir.Path("b.mid")});
    EXPECT_EQ(run.out, dir.Path("b.stf") + "\n");
    EXPECT_EQ(ReadText(dir.Path("b.stf")).substr(0, 6), "\\t 2\r\n");
}

TEST_F(ImportCommand, AnExistingOutputIsReplacedOnlyWithYes) {
    WriteBytes(mid, Text("my music"));
    ProgramRun run = Sonkorac({"import", kar, "--track", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "File " + mid + " already exists.\n");
    EXPECT_FALSE(Exists("song.stf"));
    EXPECT_EQ(ReadText(mid), "my music");

    run = Sonkorac({"import", "--yes", kar, "--track", "1"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(ReadText(mid), "my music");
}

TEST_F(ImportCommand, ErrorsNameTheKaraokeFile) {
    const std::string nowhere = dir.Path("missing/song.mid");
    const std::string plain = Write("plain.kar", MidiFile(1, 96, {Conductor(), VoiceTrack({0})}));
    // Named .mid, the karaoke file would be its own MIDI output: not even --yes allows it.
    const std::string named = Write("named.mid", ReadBytes(kar));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"import", kar, "--track", "1", "--mid", nowhere}, kar + ": Error writing file " + nowhere + ".\n"},
        {{"import", kar, "--track", "3"}, dir.Path("song.kar") + ": --track 3 is not in the list of 2 tracks\n"},
        {{"import", plain, "--track", "1"}, plain + ": Not a Soft Karaoke file, and no track holds lyric events\n"},
        {{"import", named, "--track", "1", "--yes"}, named + ": Error writing file " + named + ".\n"},
        {{"import", dir.Path("gone.kar"), "--track", "1"}, "File " + dir.Path("gone.kar") + " not found.\n"},
    };
    for (const auto& [args, err] : cases) {
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 1) << err;
        EXPECT_EQ(run.err, err);
    }
    EXPECT_EQ(ReadBytes(named), ReadBytes(kar));
    EXPECT_FALSE(Exists("song.stf") || Exists("named.stf") || Exists("plain.stf"));
}

}  // namespace
}  // namespace sonkora::clitest
