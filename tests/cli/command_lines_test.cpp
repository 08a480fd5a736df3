// sonkorac tracks and import, run as a user runs them: their output, the names import
// writes, the files it will not replace, their messages and exit codes; and every command
// line sonkorac cannot read shows the usage, exits with 2 and touches no file.
#include <sstream>

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

using Usage = SonkoracTest;

TEST_F(Usage, WrongCommandLinesShowTheUsageAndExitWithTwo) {
    const std::string song = Write("song.stf", Text("\\t 1\n\na\n"));
    const std::string kar = Write("song.kar", KaraokeFile(96, WordsTrack({{96, "\\Hel"}}), {VoiceTrack({96})}));
    // Command lines split at ";", their words at blanks; S stands for the song text, K for the
    // karaoke file, '' for an empty word.
    std::istringstream lines(
        ";compile S;make;make S S;make S --track;make S --track 0;export S --track -1;make S --fast;check S --strict;"
        "preview S --track 1;print;tracks;tracks K K;tracks --karaoke K;import K --track;import K --track one;"
        "import K --track 1 --track 2;import K --track 1 --stf;import K --track 1 --mid '';import K K --track 1;"
        "import K --track 1 --force");
    for (std::string line; std::getline(lines, line, ';');) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            args.push_back(word == "S" ? song : word == "K" ? kar : word == "''" ? "" : word);
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 2) << line;
        EXPECT_NE(run.err.find("usage:\n  sonkorac tracks [--kar] FILE\n"), std::string::npos) << line << run.err;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_FALSE(Exists("song.mid"));
    EXPECT_EQ(ReadText(song), "\\t 1\n\na\n");
}

using TracksCommand = SonkoracTest;

TEST_F(TracksCommand, ListsAMidiFileOrASoftKaraokeFileOneItemPerLineOrNamesWhyNot) {
    // The name holds a Windows-1252 e acute and a line break.
    const Bytes piano =
        Cat({Meta(0, 0x03, "Chanson d\xE9j\xE0\n2"), Program(0, 0, 4), NoteOn(0, 0, 60, 64), EndOfTrack()});
    const std::string song = Write("song.mid", MidiFile(1, 96, {Tempo120, piano}));
    // A karaoke file lists from its fourth chunk on.
    const Bytes voice = Cat({Meta(0, 0x03, "Voice"), NoteOn(0, 3, 60, 64), EndOfTrack()});
    const std::string kar =
        Write("song.kar", MidiFile(1, 96, {Tempo120, Meta(0, 0x03, "Soft Karaoke"), Meta(0, 0x03, "Words"), voice}));
    const std::string none = std::string(27, ' '), voiceLine = "4" + none + " Voice\n";
    const std::pair<std::vector<std::string>, ProgramRun> cases[] = {
        {{song}, {0, "1    1   Rhodes Piano             Chanson d\u00E9j\u00E0?2\n", ""}},
        {{"--kar", kar}, {0, "1    " + voiceLine, ""}},
        {{kar}, {0, "1    --" + none + "Soft Karaoke\n2    --" + none + "Words\n3    " + voiceLine, ""}},
        {{"--kar", song}, {1, "", song + ": Not a Soft Karaoke file, and no track holds lyric events\n"}},
        {{dir.Path("gone.mid")}, {1, "", "File " + dir.Path("gone.mid") + " not found.\n"}},
    };
    for (auto [args, run] : cases) {
        args.insert(args.begin(), "tracks");
        EXPECT_EQ(Sonkorac(args), run);
    }
}

class ImportCommand : public SonkoracTest {
protected:
    std::string kar = Write("song.kar", KaraokeFile(96, WordsTrack({{0, "@TSong"}, {96, "\\Hel"}, {192, "lo"}}),
                                                    {VoiceTrack({96, 192}), VoiceTrack({0, 48}, 1, "Bass")}));
    std::string stf = dir.Path("song.stf");
    std::string mid = dir.Path("song.mid");
};

TEST_F(ImportCommand, WritesTheSongTextAndPrintsItsNameOrNamesTheKaraokeFileInItsError) {
    // A file in the way is not replaced, and nothing is written, unless --yes says so. Named
    // .mid, the karaoke file would be its own MIDI output: not even --yes allows it.
    Write("song.mid", "my music");
    const std::string named = Write("named.mid", ReadBytes(kar));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"import", kar, "--track", "3", "--yes"}, kar + ": --track 3 is not in the list of 2 tracks\n"},
        {{"import", kar, "--track", "1"}, "File " + mid + " already exists.\n"},
        {{"import", named, "--track", "1", "--yes"}, named + ": Error writing file " + named + ".\n"},
    };
    for (const auto& [args, err] : cases) EXPECT_EQ(Sonkorac(args), (ProgramRun{1, "", err}));
    EXPECT_EQ(ReadBytes(named), ReadBytes(kar));
    EXPECT_EQ(ReadText(mid), "my music");
    EXPECT_FALSE(Exists("song.stf") || Exists("named.stf"));
    // Without a track it lists the tracks to choose from.
    const ProgramRun list = Sonkorac({"import", kar});
    EXPECT_EQ(list.exitCode, 2);
    EXPECT_EQ(list.out, "1    1                            Melody\n2    2                            Bass\n");
    EXPECT_NE(list.err.find("import: choose the voice track with --track N"), std::string::npos) << list.err;
    EXPECT_EQ(Sonkorac({"import", kar, "--track", "1", "--yes"}), (ProgramRun{0, stf + "\n", ""}));
    EXPECT_EQ(ReadText(stf),
              "\\t 1\r\n\\m " + mid + "\r\n\\k " + dir.Path("song_1.kar") + "\r\n@TSong\r\n\r\nHel-lo\r\n");
    EXPECT_NE(ReadText(mid), "my music");
}

}  // namespace
}  // namespace sonkora::clitest
