// sonkorac tracks, run as a user runs it: its output, its messages and its exit codes.
#include "midi/pass_fixture.h"

using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

class TracksCommand : public ::testing::Test {
protected:
    TempDir dir;

    ProgramRun Sonkorac(std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        return RunProgram(dir, args);
    }
};

const Bytes Conductor = Cat({Tempo(0, 500000), EndOfTrack()});

TEST_F(TracksCommand, ListsAMidiFileOneItemPerLine) {
    const std::string song = dir.File("song.mid");
    // The name holds a Windows-1252 e acute and a line break.
    WriteBytes(song, MidiFile(1, 96, {Conductor, Cat({Meta(0, 0x03, "Chanson d\xE9j\xE0\n2"), Program(0, 0, 4),
                                                      NoteOn(0, 0, 60, 64), EndOfTrack()})}));
    const ProgramRun run = Sonkorac({"tracks", song});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "1    1   Rhodes Piano             Chanson d\u00E9j\u00E0?2\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(TracksCommand, ListsASoftKaraokeFileFromItsFourthChunk) {
    const std::string kar = dir.File("song.kar");
    WriteBytes(kar, MidiFile(1, 96, {Conductor, Meta(0, 0x03, "Soft Karaoke"), Meta(0, 0x03, "Words"),
                                     Cat({Meta(0, 0x03, "Voice"), NoteOn(0, 3, 60, 64), EndOfTrack()})}));
    const ProgramRun run = Sonkorac({"tracks", "--kar", kar});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "1    4" + std::string(28, ' ') + "Voice\n");
    const ProgramRun plain = Sonkorac({"tracks", kar});
    EXPECT_EQ(plain.out.substr(0, plain.out.find('\n')), "1    --" + std::string(27, ' ') + "Soft Karaoke");
}

TEST_F(TracksCommand, ErrorsNameTheFileAndExitWithOne) {
    const std::string song = dir.File("song.mid");
    WriteBytes(song, MidiFile(1, 96, {Conductor, Cat({NoteOn(0, 0, 60, 64), EndOfTrack()})}));
    const ProgramRun notKaraoke = Sonkorac({"tracks", "--kar", song});
    EXPECT_EQ(notKaraoke.exitCode, 1);
    EXPECT_EQ(notKaraoke.err, song + ": Not a Soft Karaoke file\n");
    EXPECT_EQ(notKaraoke.out, "");

    WriteBytes(song, Text("MThd"));
    const ProgramRun notMidi = Sonkorac({"tracks", song});
    EXPECT_EQ(notMidi.exitCode, 1);
    EXPECT_EQ(notMidi.err, song + ": Not a MIDI file.\n");

    const ProgramRun missing = Sonkorac({"tracks", dir.File("gone.mid")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "File " + dir.File("gone.mid") + " not found.\n");
}

TEST_F(TracksCommand, WrongUsageShowsTheUsageAndExitsWithTwo) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"tracks"}, {"tracks", "a.mid", "b.mid"},
                                                 {"tracks", "--karaoke", "a.mid"}}) {
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.err.find("sonkorac tracks [--kar] FILE"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
