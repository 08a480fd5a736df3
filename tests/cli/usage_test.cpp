// sonkorac's command lines: every one it cannot read shows the usage, exits with 2 and
// touches no file.
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

}  // namespace
}  // namespace sonkora::clitest
