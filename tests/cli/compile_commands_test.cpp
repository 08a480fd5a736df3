// sonkorac make, export, check, preview and print, run as a user runs them: what they
// print where, the files they leave, and their exit codes.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class CompileCommands : public SonkoracTest {
protected:
    // Conductor, an accompaniment and a voice of four notes a beat apart.
    CompileCommands() {
        const Bytes piano = Cat({Program(0, 1, 0), NoteOn(0, 1, 48, 80), NoteOff(1920, 1, 48), EndOfTrack()});
        Write("song.mid", MidiFile(1, 480,
                                   {Cat({Tempo(0, 500000), EndOfTrack()}), piano,
                                    Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOn(480, 0, 64, 90),
                                         NoteOn(480, 0, 65, 90), NoteOff(480, 0, 65), EndOfTrack()})}));
    }
    std::string Song(const std::string& text) { return Write("song.stf", Text(text)); }
};

TEST_F(CompileCommands, MakeAndExportWriteTheirFilesAndSaySo) {
    const ProgramRun make = Sonkorac({"make", Song("\\t 2\r\n@TTitle\r\n\r\nHel-lo world,\r\nyes\r\n")});
    EXPECT_EQ(make.exitCode, 0);
    // Where the file went, as the song text named it.
    EXPECT_EQ(make.out, "Karaoke file made succesfully: " + dir.Path("song.kar") + "\n");
    EXPECT_EQ(make.err, "");
    // The Words track follows chunk 0 (11 data bytes) and the information track (43).
    EXPECT_EQ(ChunkData(ReadBytes(dir.Path("song.kar")), 14 + 8 + 11 + 8 + 43),
              Cat({Meta(0, 0x03, "Words"), Meta(0, 0x01, "@TTitle"), Meta(0, 0x01, "\\Hel"), Meta(480, 0x01, "lo"),
                   Meta(480, 0x01, " world,"), Meta(480, 0x01, "/yes"), EndOfTrack()}));

    // A question is answered Yes and shown without its "Continue?".
    const ProgramRun exported = Sonkorac({"export", Song("\\t 2\n\\k lyrics.mid\n\nla li\n")});
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_EQ(exported.out, "Karaoke file made succesfully: " + dir.Path("lyrics.mid") + "\n");
    EXPECT_EQ(exported.err, "2 lyric(s) missing.\n");
    EXPECT_EQ(ChunkData(ReadBytes(dir.Path("lyrics.mid")), 14 + 8 + 11),
              Cat({Meta(0, 0x03, "Words"), Meta(0, 0x05, "la "), Meta(480, 0x05, "li "), EndOfTrack()}));
}

TEST_F(CompileCommands, StrictRefusesWhatTheQuestionsWouldHaveAsked) {
    const std::string song = Song("\\t 2\n\na b c d e f\n");
    const std::string question = "More lyrics than vocal notes.\n(6 lyric(s) and 4 note(s)/time-code(s) counted)\n";
    const ProgramRun strict = Sonkorac({"make", "--strict", song});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.err, question + "Karaoke file not made\n");
    EXPECT_EQ(strict.out, "");
    EXPECT_FALSE(Exists("song.kar"));
    EXPECT_EQ(Sonkorac({"make", song}).exitCode, 0);
    EXPECT_EQ(Sonkorac({"export", Song("\\t 2\n\\k x.mid\n\na b c d\n"), "--strict"}).exitCode, 0);
}

// A source that carries words already: warned about with their count and copied, refused
// by --strict, left out by --strip-lyrics with every other event at its tick.
TEST_F(CompileCommands, OldWordsInTheSourceAreCountedAndLeftOutOnRequest) {
    const Bytes conductor = Cat({Tempo(0, 500000), Meta(0, 0x01, "@TOld title"), EndOfTrack()});
    const Bytes piano = Cat({Program(0, 1, 0), NoteOn(0, 1, 48, 80), NoteOff(1920, 1, 48), EndOfTrack()});
    const Bytes voice = Cat({NoteOn(0, 0, 60, 90), Meta(0, 0x05, "old "), NoteOn(480, 0, 62, 90),
                             Meta(10, 0x05, "words"), NoteOff(470, 0, 62), EndOfTrack()});
    const Bytes source = MidiFile(1, 480, {conductor, piano, voice});
    Write("song.mid", source);
    const std::string song = Song("\\t 2\n\\k song.kar\n\nla li\n");
    const std::string warning =
        dir.Path("song.mid") + ": warning: 3 lyric or karaoke text event(s) already in the MIDI file.\n";
    const auto madeChunks = [&] { return SplitChunks(ReadBytes(dir.Path("song.kar"))).chunks; };
    const std::vector<Bytes> sourceChunks = SplitChunks(source).chunks;

    const ProgramRun kept = Sonkorac({"make", song});
    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_EQ(kept.err, warning + "They are copied as they are; --strip-lyrics leaves them out.\n");
    EXPECT_EQ(madeChunks(), (std::vector<Bytes>{sourceChunks[0], madeChunks()[1], madeChunks()[2], sourceChunks[1],
                                                sourceChunks[2]}));

    std::filesystem::remove(dir.Path("song.kar"));
    const ProgramRun strict = Sonkorac({"make", song, "--strict"});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.err, warning + "Leave them out with --strip-lyrics.\nKaraoke file not made\n");
    EXPECT_FALSE(Exists("song.kar"));

    for (const char* command : {"export", "make"}) {
        const ProgramRun stripped = Sonkorac({command, song, "--strip-lyrics", "--strict"});
        EXPECT_EQ(stripped.exitCode, 0) << command << stripped.err;
        EXPECT_EQ(stripped.err, warning + "They are left out (--strip-lyrics).\n") << command;
    }
    const std::vector<Bytes> made = madeChunks();
    ASSERT_EQ(made.size(), 5u);
    EXPECT_EQ(made[0], Track(Cat({Tempo(0, 500000), EndOfTrack()})));
    EXPECT_EQ(made[3], sourceChunks[1]);
    EXPECT_EQ(made[4], Track(Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOff(480, 0, 62), EndOfTrack()})));
    // The copy without the words is gone, and the source is as it was.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("")))
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
    EXPECT_EQ(ReadBytes(dir.Path("song.mid")), source);
}

TEST_F(CompileCommands, TrackOptionAnswersTheMissingTrackLine) {
    const std::string text = "\\m song.mid\n\na b c d\n";
    const std::string song = Song(text);
    const std::string missing = song + ":2:1: Track number \\t missing.\n";
    EXPECT_EQ(Sonkorac({"make", song}).err, missing);
    const ProgramRun beyond = Sonkorac({"make", song, "--track", "3"});
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_EQ(beyond.err, dir.Path("song.mid") + ": --track 3 is not in the list of 2 tracks\n" + missing);
    const ProgramRun chosen = Sonkorac({"make", song, "--track", "2"});
    EXPECT_EQ(chosen.exitCode, 0);
    EXPECT_EQ(chosen.err, "");
    EXPECT_EQ(ReadText(song), text);  // the song text on disk is left as it was
}

TEST_F(CompileCommands, ErrorsNameTheFileAndTheirPlaceInIt) {
    Write("bad.mid", Text("MThd"));
    std::filesystem::create_directory(dir.Path("taken.kar"));
    const std::string song = dir.Path("song.stf"), kar = dir.Path("taken.kar");
    // Command, song text (or the file to read instead), standard error.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // The caret stands after the "$", before the fifth character of line 4.
        {"make", "\\t 2\n\nla li\nlo $1:5:0$lu\n", song + ":4:5: Invalid MIDI time $1:5:0$.\n"},
        {"make", "\\t 9\n\nla\n",
         song + ":2:1: Track number \\t 9 greater than number of tracks (MIDI file contains 2 tracks).\n"},
        {"make", "\\t 1\n\\m bad.mid\n\na\n", dir.Path("bad.mid") + ": Not a MIDI file.\n"},
        {"make", "\\t 2\n\\k taken.kar\n\na b c d\n", kar + ": Error writing file " + kar + ".\n"},
        {"export", "\\t 2\n\\k song.mid\n\na\n",
         song + ":3:1: Output file " + dir.Path("song.mid") + " would overwrite the MIDI file.\n"},
        {"check", "\\t 1\n\n" + std::string(125, 'a') + "\n", song + ":3:122: Syllable too long.\n"},
        {"print", "\\t 1\n\nla " + std::string(121, 'a') + "\n", song + ":3:125: Syllable too long.\n"},
        {"check", dir.Path("none.stf"), dir.Path("none.stf") + ": no such file\n"},
        {"preview", kar, kar + ": is a directory\n"},
    };
    for (const auto& [command, text, err] : cases) {
        const ProgramRun run = Sonkorac({command, text[0] == '/' ? text : Song(text)});
        EXPECT_EQ(run.exitCode, 1) << err;
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(run.out, "") << err;
    }
    EXPECT_FALSE(Exists("song.kar"));
    EXPECT_EQ(ReadBytes(dir.Path("bad.mid")), Text("MThd"));
}

TEST_F(CompileCommands, CheckPreviewAndPrintWriteNoFile) {
    const ProgramRun check = Sonkorac({"check", Song("\\t x\n\nla $9:9:9$ li\n")});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out + check.err, "");

    const ProgramRun preview = Sonkorac({"preview", Song("\\t 1\r\n\r\nHel-lo w\xF6rld,\r\nhow\r\n\r\nFine\r\n")});
    EXPECT_EQ(preview.exitCode, 0);
    EXPECT_EQ(preview.out, "\nHello w\xC3\xB6rld,\nhow\n\nFine\n");
    const ProgramRun broken = Sonkorac({"preview", Song("\\t 1\n\nla li\nlo $2$\n")});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.out, "\nla li\nlo\nInvalid MIDI time $2$.\n");
    EXPECT_EQ(broken.err, "");

    const ProgramRun print = Sonkorac({"print", Song("@TTitle \x80\n@LENGL\n\nHel-lo world,\n$3:1:0$how\n")});
    EXPECT_EQ(print.exitCode, 0);
    EXPECT_EQ(print.out, "Title \xE2\x82\xAC\n\n\nHello world,\nhow\n");
    EXPECT_FALSE(Exists("song.kar"));
}

}  // namespace
}  // namespace sonkora::clitest
