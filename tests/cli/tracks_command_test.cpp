// sonkorac tracks, run as a user runs it: its output, its messages and its exit codes.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

const Bytes Tempo120 = Cat({Tempo(0, 500000), EndOfTrack()});

using TracksCommand = SonkoracTest;

TEST_F(TracksCommand, ListsAMidiFileOrASoftKaraokeFileOneItemPerLine) {
    // The name holds a Windows-1252 e acute and a line break.
    const Bytes piano =
        Cat({Meta(0, 0x03, "Chanson d\xE9j\xE0\n2"), Program(0, 0, 4), NoteOn(0, 0, 60, 64), EndOfTrack()});
    const std::string song = Write("song.mid", MidiFile(1, 96, {Tempo120, piano}));
    const ProgramRun plain = Sonkorac({"tracks", song});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, "1    1   Rhodes Piano             Chanson d\u00E9j\u00E0?2\n");
    EXPECT_EQ(plain.err, "");

    // A karaoke file lists from its fourth chunk on.
    const Bytes voice = Cat({Meta(0, 0x03, "Voice"), NoteOn(0, 3, 60, 64), EndOfTrack()});
    const std::string kar =
        Write("song.kar", MidiFile(1, 96, {Tempo120, Meta(0, 0x03, "Soft Karaoke"), Meta(0, 0x03, "Words"), voice}));
    EXPECT_EQ(Sonkorac({"tracks", "--kar", kar}).out, "1    4" + std::string(28, ' ') + "Voice\n");
    const ProgramRun asMidi = Sonkorac({"tracks", kar});
    EXPECT_EQ(asMidi.out.substr(0, asMidi.out.find('\n')), "1    --" + std::string(27, ' ') + "Soft Karaoke");
}

TEST_F(TracksCommand, ErrorsNameTheFileAndExitWithOne) {
    const std::string song = Write("song.mid", MidiFile(1, 96, {Tempo120, Cat({NoteOn(0, 0, 60, 64), EndOfTrack()})}));
    const std::string bad = Write("bad.mid", Text("MThd"));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"tracks", "--kar", song}, song + ": Not a Soft Karaoke file, and no track holds lyric events\n"},
        {{"tracks", bad}, bad + ": Not a MIDI file.\n"},
        {{"tracks", dir.Path("gone.mid")}, "File " + dir.Path("gone.mid") + " not found.\n"},
    };
    for (const auto& [args, err] : cases) {
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 1) << err;
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace sonkora::clitest
