// sonkorac export --format: the lyric formats as a user runs them, and the MIDI export
// left as it was.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

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
