// sonkorac make, export (in every format), check, preview and print, run as a user runs
// them: what they print where, the files they leave, and their exit codes.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

const Bytes Piano = Cat({Program(0, 1, 0), NoteOn(0, 1, 48, 80), NoteOff(1920, 1, 48), EndOfTrack()});

// Conductor, an accompaniment and a voice of four notes a beat apart.
class CompileCommands : public SonkoracTest {
protected:
    CompileCommands() { Write("song.mid", MidiFile(1, 480, {Tempo120, Piano, VoiceOf(4)})); }
    std::string Song(const std::string& text) { return Write("song.stf", text); }
};

TEST_F(CompileCommands, MakeAndExportWriteTheirFilesAndSaySo) {
    // Where the file went, as the song text named it.
    EXPECT_EQ(Sonkorac({"make", Song("\\t 2\r\n@TTitle\r\n\r\nHel-lo world,\r\nyes\r\n")}),
              (ProgramRun{0, "Karaoke file made succesfully: " + dir.Path("song.kar") + "\n", ""}));
    EXPECT_EQ(SplitChunks(ReadBytes(dir.Path("song.kar"))).chunks[2],
              Track(Cat({Meta(0, 0x03, "Words"), Meta(0, 0x01, "@TTitle"), Meta(0, 0x01, "\\Hel"),
                         Meta(480, 0x01, "lo"), Meta(480, 0x01, " world,"), Meta(480, 0x01, "/yes"), EndOfTrack()})));

    // A question is answered Yes and shown without its "Continue?".
    EXPECT_EQ(
        Sonkorac({"export", Song("\\t 2\n\\k lyrics.mid\n\nla li\n")}),
        (ProgramRun{0, "Karaoke file made succesfully: " + dir.Path("lyrics.mid") + "\n", "2 lyric(s) missing.\n"}));
    EXPECT_EQ(SplitChunks(ReadBytes(dir.Path("lyrics.mid"))).chunks[1],
              Track(Cat({Meta(0, 0x03, "Words"), Meta(0, 0x05, "la "), Meta(480, 0x05, "li "), EndOfTrack()})));
}

// A source that carries words already: warned about with their count and copied, refused
// by --strict, left out by --strip-lyrics with every other event at its tick.
TEST_F(CompileCommands, OldWordsInTheSourceAreCountedAndLeftOutOnRequest) {
    const Bytes conductor = Cat({Tempo(0, 500000), Meta(0, 0x01, "@TOld title"), EndOfTrack()});
    const Bytes voice = Cat({NoteOn(0, 0, 60, 90), Meta(0, 0x05, "old "), NoteOn(480, 0, 62, 90),
                             Meta(10, 0x05, "words"), NoteOff(470, 0, 62), EndOfTrack()});
    const Bytes source = MidiFile(1, 480, {conductor, Piano, voice});
    Write("song.mid", source);
    const std::string song = Song("\\t 2\n\\k song.kar\n\nla li\n");
    const std::string warning =
        dir.Path("song.mid") + ": warning: 3 lyric or karaoke text event(s) already in the MIDI file.\n";
    // The chunks of the karaoke file made but its own two karaoke tracks.
    const auto music = [&] {
        std::vector<Bytes> chunks = SplitChunks(ReadBytes(dir.Path("song.kar"))).chunks;
        if (chunks.size() > 2) chunks.erase(chunks.begin() + 1, chunks.begin() + 3);
        return chunks;
    };
    const std::vector<Bytes> sourceChunks = SplitChunks(source).chunks;

    EXPECT_EQ(Sonkorac({"make", song}).err, warning + "They are copied as they are; --strip-lyrics leaves them out.\n");
    EXPECT_EQ(music(), sourceChunks);

    std::filesystem::remove(dir.Path("song.kar"));
    EXPECT_EQ(Sonkorac({"make", song, "--strict"}),
              (ProgramRun{1, "", warning + "Leave them out with --strip-lyrics.\nKaraoke file not made\n"}));
    EXPECT_FALSE(Exists("song.kar"));

    for (const char* command : {"export", "make"}) {
        const ProgramRun stripped = Sonkorac({command, song, "--strip-lyrics", "--strict"});
        EXPECT_EQ(std::pair(stripped.exitCode, stripped.err),
                  std::pair(0, warning + "They are left out (--strip-lyrics).\n"))
            << command;
    }
    EXPECT_EQ(music(),
              (std::vector<Bytes>{
                  Track(Tempo120), sourceChunks[1],
                  Track(Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOff(480, 0, 62), EndOfTrack()}))}));
    // The copy without the words is gone, and the source is as it was.
    EXPECT_TRUE(Temporaries().empty());
    EXPECT_EQ(ReadBytes(dir.Path("song.mid")), source);
}

TEST_F(CompileCommands, ErrorsNameTheFileAndTheirPlaceInIt) {
    Write("bad.mid", "MThd");
    std::filesystem::create_directory(dir.Path("taken.kar"));
    const std::string song = dir.Path("song.stf"), kar = dir.Path("taken.kar"), noTrack = "\\m song.mid\n\na b c d\n";
    // Command and options, song text (or the file to read instead), standard error.
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        // The caret stands after the "$", before the fifth character of line 4.
        {{"make"}, "\\t 2\n\nla li\nlo $1:5:0$lu\n", song + ":4:5: Invalid MIDI time $1:5:0$.\n"},
        {{"make"},
         "\\t 9\n\nla\n",
         song + ":2:1: Track number \\t 9 greater than number of tracks (MIDI file contains 2 tracks).\n"},
        {{"make"}, "\\t 1\n\\m bad.mid\n\na\n", dir.Path("bad.mid") + ": Not a MIDI file.\n"},
        {{"make"}, "\\t 2\n\\k taken.kar\n\na b c d\n", kar + ": Error writing file " + kar + ".\n"},
        {{"export"},
         "\\t 2\n\\k song.mid\n\na\n",
         song + ":3:1: Output file " + dir.Path("song.mid") + " would overwrite the MIDI file.\n"},
        {{"check"}, "\\t 1\n\n" + std::string(125, 'a') + "\n", song + ":3:122: Syllable too long.\n"},
        {{"print"}, "\\t 1\n\nla " + std::string(121, 'a') + "\n", song + ":3:125: Syllable too long.\n"},
        // --track answers only a missing track line, naming the tracks to choose from.
        {{"make", "--track", "3"},
         noTrack,
         dir.Path("song.mid") + ": --track 3 is not in the list of 2 tracks\n" + song +
             ":2:1: Track number \\t missing.\n"},
        {{"check"}, dir.Path("none.stf"), dir.Path("none.stf") + ": no such file\n"},
        {{"preview"}, kar, kar + ": is a directory\n"},
        // --strict refuses what a question would have asked.
        {{"make", "--strict"},
         "\\t 2\n\na b c d e f\n",
         "More lyrics than vocal notes.\n(6 lyric(s) and 4 note(s)/time-code(s) counted)\nKaraoke file not made\n"},
    };
    for (const auto& [command, text, err] : cases) {
        std::vector<std::string> args = command;
        args.push_back(text[0] == '/' ? text : Song(text));
        EXPECT_EQ(Sonkorac(args), (ProgramRun{1, "", err}));
    }
    EXPECT_FALSE(Exists("song.kar"));
    EXPECT_EQ(Read("bad.mid"), "MThd");
    EXPECT_EQ(Sonkorac({"make", Song(noTrack), "--track", "2"}).err, "");
    EXPECT_EQ(Read("song.stf"), noTrack);  // the song text on disk is left as it was
    // Asked nothing, --strict makes the file; without it the question is answered Yes.
    EXPECT_EQ(Sonkorac({"export", Song("\\t 2\n\\k x.mid\n\na b c d\n"), "--strict"}).exitCode, 0);
    EXPECT_EQ(Sonkorac({"make", Song("\\t 2\n\na b c d e f\n")}).exitCode, 0);
}

TEST_F(CompileCommands, CheckPreviewAndPrintWriteNoFile) {
    EXPECT_EQ(Sonkorac({"check", Song("\\t x\n\nla $9:9:9$ li\n")}), (ProgramRun{0, "", ""}));

    EXPECT_EQ(Sonkorac({"preview", Song("\\t 1\r\n\r\nHel-lo w\xF6rld,\r\nhow\r\n\r\nFine\r\n")}),
              (ProgramRun{0, "\nHello w\xC3\xB6rld,\nhow\n\nFine\n", ""}));
    EXPECT_EQ(Sonkorac({"preview", Song("\\t 1\n\nla li\nlo $2$\n")}),
              (ProgramRun{1, "\nla li\nlo\nInvalid MIDI time $2$.\n", ""}));

    EXPECT_EQ(Sonkorac({"print", Song("@TTitle \x80\n@LENGL\n\nHel-lo world,\n$3:1:0$how\n")}),
              (ProgramRun{0, "Title \xE2\x82\xAC\n\n\nHello world,\nhow\n", ""}));
    EXPECT_FALSE(Exists("song.kar"));
}

TEST_F(CompileCommands, MakeCopiesLargeTracksUnchanged) {
    // An accompaniment far larger than the pass's buffer (notes in running status), copied as it stands.
    Bytes accompaniment = NoteOn(0, 1, 40, 64);
    for (int i = 1; i < 40000; ++i)
        accompaniment.insert(accompaniment.end(), {4, static_cast<uint8_t>(40 + i % 40), 64});
    accompaniment = Cat({accompaniment, EndOfTrack()});
    Write("big.mid", MidiFile(1, 480, {Tempo120, VoiceOf(1), accompaniment}));
    ASSERT_EQ(Sonkorac({"make", Write("big.stf", "\\t 1\n\\m big.mid\n\nla\n")}).exitCode, 0);
    EXPECT_EQ(SplitChunks(ReadBytes(dir.Path("big.kar"))).chunks.back(), Track(accompaniment));
}

// export --format: the lyric formats, and the MIDI export left as it was.
class ExportFormats : public SonkoracTest {
protected:
    ExportFormats() {
        Write("song.mid", MidiFile(1, 480, {Tempo120, VoiceOf(2)}));
        Write("song.stf", "\\t 1\n\\m song.mid\n\\k song.kar\n@TTitle\n\nHel-lo\n");
    }
};

TEST_F(ExportFormats, LyricFormatsGoBesideTheSongUnlessNamedAndMidiIsTheExportItAlwaysWas) {
    EXPECT_EQ(Sonkorac({"export", dir.Path("song.stf"), "--format", "lrc"}),
              (ProgramRun{0, "LRC lyrics written to " + dir.Path("song.lrc") + ".\n", ""}));
    EXPECT_EQ(Read("song.lrc"), "[ti:Title]\n[00:00.00]Hello\n");
    EXPECT_FALSE(Exists("song.kar"));  // the song's own karaoke file is not made on the way
    ASSERT_EQ(Sonkorac({"export", dir.Path("song.stf"), "--format", "vtt", "--output", dir.Path("v.vtt")}).exitCode, 0);
    EXPECT_EQ(Read("v.vtt"), "WEBVTT\n\n1\n00:00:00.000 --> 00:00:02.000\nHel<00:00:00.500>lo\n");

    ASSERT_EQ(Sonkorac({"export", dir.Path("song.stf")}).exitCode, 0);
    const std::string plain = Read("song.kar");
    std::filesystem::remove(dir.Path("song.kar"));
    ASSERT_EQ(Sonkorac({"export", dir.Path("song.stf"), "--format", "midi"}).exitCode, 0);
    EXPECT_EQ(Read("song.kar"), plain);
}

TEST_F(ExportFormats, UltraStarWithAudioWritesBothFiles) {
#ifndef SONKORA_WITH_PLAYBACK
    GTEST_SKIP() << "the core-only build renders no audio";
#endif
    const ProgramRun run = Sonkorac({"export", dir.Path("song.stf"), "--format", "ultrastar", "--audio"});
    if (run.exitCode != 0 && run.err.find("Cannot open Midi output device") != std::string::npos)
        GTEST_SKIP() << "no General MIDI soundfont on this machine";
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(Read("song.txt").find("#AUDIO:song.ogg\n"), std::string::npos);
    EXPECT_EQ(Read("song.ogg").substr(0, 4), "OggS");
}

TEST_F(ExportFormats, WrongUsageIsRefusedBeforeAnythingIsRead) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--format", "srt"}, "unknown format 'srt'"},
        {{"--output", "x.kar"}, "--output, --audio and --mute-voice are for the lyric formats"},
        {{"--format", "lrc", "--audio"}, "--audio and --mute-voice are for --format ultrastar"},
        {{"--format", "ultrastar", "--mute-voice"}, "--mute-voice needs --audio"},
        {{"--format", "midi", "other.kar"}, "a .kar exports with --format lrc, elrc, vtt or ultrastar"},
    };
    for (const auto& [options, error] : rows) {
        std::vector<std::string> args = {"export", dir.Path("song.stf")};
        args.insert(args.end(), options.begin(), options.end());
        const ProgramRun run = Sonkorac(args);
        EXPECT_EQ(run.exitCode, 2) << error;
        EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
    }
    ASSERT_EQ(Sonkorac({"make", dir.Path("song.stf")}).exitCode, 0);
    const ProgramRun noTrack = Sonkorac({"export", dir.Path("song.kar"), "--format", "ultrastar"});
    EXPECT_EQ(noTrack.exitCode, 1);
    EXPECT_NE(noTrack.err.find("--track N"), std::string::npos) << noTrack.err;
    EXPECT_FALSE(Exists("song.txt"));
}

}  // namespace
}  // namespace sonkora::clitest
