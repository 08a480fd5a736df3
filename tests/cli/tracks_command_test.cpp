// sonkorac tracks, run as a user runs it: its output, its messages and its exit codes.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

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

}  // namespace
}  // namespace sonkora::clitest
