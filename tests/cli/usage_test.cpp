// sonkorac's command lines: every one it cannot read shows the usage, exits with 2 and
// touches no file.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

using Usage = SonkoracTest;

TEST_F(Usage, WrongCommandLinesShowTheUsageAndExitWithTwo) {
    const std::string song = Write("song.stf", Text("\\t 1\n\na\n"));
    const std::string kar = Write("song.kar", KaraokeFile(96, WordsTrack({{96, "\\Hel"}}), {VoiceTrack({96})}));
    const std::vector<std::string> cases[] = {
        {},
        {"compile", song},
        {"make"},
        {"make", song, song},
        {"make", song, "--track"},
        {"make", song, "--track", "0"},
        {"export", song, "--track", "-1"},
        {"make", song, "--fast"},
        {"check", song, "--strict"},
        {"preview", song, "--track", "1"},
        {"print"},
        {"tracks"},
        {"tracks", kar, kar},
        {"tracks", "--karaoke", kar},
        {"import", kar, "--track"},
        {"import", kar, "--track", "one"},
        {"import", kar, "--track", "1", "--track", "2"},
        {"import", kar, "--track", "1", "--stf"},
        {"import", kar, "--track", "1", "--mid", ""},
        {"import", kar, kar, "--track", "1"},
        {"import", kar, "--track", "1", "--force"},
    };
    for (const std::vector<std::string>& args : cases) {
        const ProgramRun run = Sonkorac(args);
        const std::string line = args.empty() ? "" : args[0] + " " + args.back();
        EXPECT_EQ(run.exitCode, 2) << line;
        EXPECT_NE(run.err.find("usage:\n  sonkorac tracks [--kar] FILE\n"), std::string::npos) << line << run.err;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_FALSE(Exists("song.mid"));
    EXPECT_EQ(ReadText(song), "\\t 1\n\na\n");
}

}  // namespace
}  // namespace sonkora::clitest
