// sonkorac make, export, check, preview and print, run as a user runs them: what they
// print where, the files they leave, and their exit codes.
#include "midi/pass_fixture.h"

using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

class CompileCommands : public ::testing::Test {
protected:
    CompileCommands() {
        // Conductor, an accompaniment and a voice of four notes a beat apart.
        WriteBytes(dir.File("song.mid"),
                   MidiFile(1, 480, {Cat({Tempo(0, 500000), EndOfTrack()}),
                                     Cat({Program(0, 1, 0), NoteOn(0, 1, 48, 80), NoteOff(1920, 1, 48), EndOfTrack()}),
                                     Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOn(480, 0, 64, 90),
                                          NoteOn(480, 0, 65, 90), NoteOff(480, 0, 65), EndOfTrack()})}));
    }

    std::string Song(const std::string& text, const std::string& name = "song.stf") {
        WriteBytes(dir.File(name), Text(text));
        return dir.File(name);
    }

    ProgramRun Sonkorac(std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        return RunProgram(dir, args);
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }

    TempDir dir;
};

TEST_F(CompileCommands, MakeWritesTheKaraokeFileAndSaysSo) {
    const std::string song = Song("\\t 2\r\n@TTitle\r\n\r\nHel-lo world,\r\nyes\r\n");
    const ProgramRun run = Sonkorac({"make", song});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Karaoke file made succesfully\n");
    EXPECT_EQ(run.err, "");
    const Bytes kar = ReadBytes(dir.File("song.kar"));
    ASSERT_GT(kar.size(), 14u);
    EXPECT_EQ(kar[11], 5);
    // The Words track follows chunk 0 (11 data bytes) and the information track (43).
    const size_t words = 14 + 8 + 11 + 8 + 43;
    EXPECT_EQ(ChunkData(kar, words),
              Cat({Meta(0, 0x03, "Words"), Meta(0, 0x01, "@TTitle"), Meta(0, 0x01, "\\Hel"), Meta(480, 0x01, "lo"),
                   Meta(480, 0x01, " world,"), Meta(480, 0x01, "/yes"), EndOfTrack()}));
}

TEST_F(CompileCommands, ExportWritesTheNamedFile) {
    const std::string song = Song("\\t 2\n\\k lyrics.mid\n\nla li\n");
    const ProgramRun run = Sonkorac({"export", song});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Karaoke file made succesfully\n");
    EXPECT_EQ(run.err, "2 lyric(s) missing.\n");
    const Bytes out = ReadBytes(dir.File("lyrics.mid"));
    ASSERT_GT(out.size(), 14u);
    EXPECT_EQ(out[11], 4);
    EXPECT_EQ(ChunkData(out, 14 + 8 + 11),
              Cat({Meta(0, 0x03, "Words"), Meta(0, 0x05, "la "), Meta(480, 0x05, "li "), EndOfTrack()}));
    EXPECT_FALSE(Exists("song.kar"));
}

TEST_F(CompileCommands, SongTextErrorsNameLineAndCaretColumn) {
    const std::string song = Song("\\t 2\n\nla li\nlo $1:5:0$lu\n");
    const ProgramRun run = Sonkorac({"make", song});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    // The caret stands after the "$", before the fifth character of line 4.
    EXPECT_EQ(run.err, song + ":4:5: Invalid MIDI time $1:5:0$.\n");
    EXPECT_FALSE(Exists("song.kar"));

    const ProgramRun header = Sonkorac({"make", Song("\\t 9\n\nla\n")});
    EXPECT_EQ(header.err, song +
                              ":2:1: Track number \\t 9 greater than number of tracks (MIDI file contains 2 tracks).\n");
    EXPECT_EQ(header.exitCode, 1);
}

TEST_F(CompileCommands, LyricCountQuestionsAreAnsweredYesUnlessStrict) {
    const std::string song = Song("\\t 2\n\na b c d e f\n");
    const ProgramRun yes = Sonkorac({"make", song});
    EXPECT_EQ(yes.exitCode, 0);
    EXPECT_EQ(yes.err, "More lyrics than vocal notes.\n(6 lyric(s) and 4 note(s)/time-code(s) counted)\n");
    EXPECT_EQ(yes.out, "Karaoke file made succesfully\n");
    EXPECT_TRUE(Exists("song.kar"));

    const ProgramRun strict = Sonkorac({"make", "--strict", song});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.err,
              "More lyrics than vocal notes.\n(6 lyric(s) and 4 note(s)/time-code(s) counted)\nKaraoke file not made\n");
    EXPECT_EQ(strict.out, "");
    EXPECT_FALSE(Exists("song.kar"));

    // Agreeing counts need no answer, strict or not.
    EXPECT_EQ(Sonkorac({"export", Song("\\t 2\n\\k x.mid\n\na b c d\n"), "--strict"}).exitCode, 0);
}

TEST_F(CompileCommands, TrackOptionAnswersTheMissingTrackLine) {
    const std::string text = "\\m song.mid\n\na b c d\n";
    const std::string song = Song(text);
    const ProgramRun missing = Sonkorac({"make", song});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, song + ":2:1: Track number \\t missing.\n");

    const ProgramRun chosen = Sonkorac({"make", song, "--track", "2"});
    EXPECT_EQ(chosen.exitCode, 0);
    EXPECT_EQ(chosen.err, "");
    // The song text on disk is left as it was.
    EXPECT_EQ(ReadText(song), text);

    const ProgramRun beyond = Sonkorac({"make", song, "--track", "3"});
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_EQ(beyond.err, dir.File("song.mid") + ": --track 3 is not in the list of 2 tracks\n" + song +
                              ":2:1: Track number \\t missing.\n");
}

TEST_F(CompileCommands, FileErrorsNameTheFile) {
    WriteBytes(dir.File("bad.mid"), Text("MThd"));
    const ProgramRun notMidi = Sonkorac({"make", Song("\\t 1\n\\m bad.mid\n\na\n")});
    EXPECT_EQ(notMidi.exitCode, 1);
    EXPECT_EQ(notMidi.err, dir.File("bad.mid") + ": Not a MIDI file.\n");

    std::filesystem::create_directory(dir.File("taken.kar"));
    const ProgramRun unwritable = Sonkorac({"make", Song("\\t 2\n\\k taken.kar\n\na b c d\n")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err, dir.File("taken.kar") + ": Error writing file " + dir.File("taken.kar") + ".\n");

    const ProgramRun same = Sonkorac({"make", Song("\\t 2\n\\k song.mid\n\na\n")});
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_EQ(same.err, dir.File("song.stf") + ":3:1: Output file " + dir.File("song.mid") +
                            " would overwrite the MIDI file.\n");

    const ProgramRun noSong = Sonkorac({"check", dir.File("none.stf")});
    EXPECT_EQ(noSong.exitCode, 1);
    EXPECT_EQ(noSong.err, dir.File("none.stf") + ": no such file\n");
}

TEST_F(CompileCommands, CheckIsSilentWhenClean) {
    const ProgramRun clean = Sonkorac({"check", Song("\\t x\n\nla $9:9:9$ li\n")});
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_EQ(clean.out + clean.err, "");

    const std::string song = Song("\\t 1\n\n" + std::string(125, 'a') + "\n");
    const ProgramRun broken = Sonkorac({"check", song});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.err, song + ":3:122: Syllable too long.\n");
}

TEST_F(CompileCommands, PreviewPrintsItsLinesWithAnErrorLast) {
    const ProgramRun run = Sonkorac({"preview", Song("\\t 1\r\n\r\nHel-lo w\xF6rld,\r\nhow\r\n\r\nFine\r\n")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "\nHello w\xF6rld,\nhow\n\nFine\n");
    EXPECT_EQ(run.err, "");

    const ProgramRun broken = Sonkorac({"preview", Song("\\t 1\n\nla li\nlo $2$\n")});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.out, "\nla li\nlo\nInvalid MIDI time $2$.\n");
    EXPECT_EQ(broken.err, "");
}

TEST_F(CompileCommands, PrintChecksFirstThenPrintsTheLyrics) {
    const ProgramRun run = Sonkorac({"print", Song("@TTitle\n@LENGL\n\nHel-lo world,\n$3:1:0$how\n")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Title\n\n\nHello world,\nhow\n");

    const std::string song = Song("\\t 1\n\n" + std::string(121, 'a') + "\n");
    const ProgramRun broken = Sonkorac({"print", song});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_EQ(broken.err, song + ":3:122: Syllable too long.\n");
}

TEST_F(CompileCommands, WrongUsageExitsWithTwo) {
    const std::string song = Song("\\t 2\n\na\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"make"}, {"make", song, song}, {"make", song, "--track"}, {"make", song, "--track", "0"},
          {"export", song, "--track", "-1"}, {"make", song, "--fast"}, {"check", song, "--strict"},
          {"preview", song, "--track", "1"}, {"print"}}) {
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(Exists("song.kar"));
}

}  // namespace
