// MIDI files as people bring them (made by tests/data/midi/make_midi.py): type 0, RIFF,
// type 2 and files cut short, through tracks, make, export, import and render. What
// sonkorac writes from them is then read by mido and midicsv (check_midi_files.py).
#include <algorithm>
#include <filesystem>

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

std::string DataFile(const std::string& name) {
    return std::string(SONKORA_TEST_DATA_DIR) + "/midi/" + name;
}

// The verse's 23 syllables, one per note of its melody.
const std::string Verse =
    "\\Lan-tern light on the hill /Call-ing me home a-gain\r\n"
    "\\Riv-er run-ning slow /Stars a-bove the snow, yes!\r\n";

class MidiFiles : public SonkoracTest {
protected:
    // A song text over `midi` with voice track `track`; returns its name.
    std::string Song(const std::string& name, const std::string& midi, int track) {
        CopyData("midi/" + midi);
        return Write(name + ".stf", "\\t " + std::to_string(track) + "\r\n\\m " + midi + "\r\n\\k " + name +
                                        ".kar\r\n@TLantern Light\r\n\r\n" + Verse);
    }
    // The independent readers' verdict on files written here: empty when all is well.
    std::string Check(std::vector<std::string> files) {
        files.insert(files.begin(),
                     {"/usr/bin/python3", std::string(SONKORA_TEST_DATA_DIR) + "/../cli/check_midi_files.py"});
        const ProgramRun run = RunProgram(dir, files);
        return run.exitCode == 0 ? "" : run.out + run.err;
    }
};

TEST_F(MidiFiles, Type0AndRiffFilesAreListedByChannelAndMadeIntoValidType1Files) {
    const std::string listed =
        "1    2   Electric Bass (finger)   \n2    4   Voice Oohs               \n3    10  Drums                    \n";
    EXPECT_EQ(Sonkorac({"tracks", DataFile("type0_channels.rmi")}), (ProgramRun{0, listed, ""}));
    // A RIFF file around a song gives what the song alone gives, byte for byte. The
    // melody of type0_channels is channel 4, the second line: its notes take the syllables.
    const std::tuple<const char*, const char*, const char*, int> rows[] = {
        {"make", "type1_song.mid", "type1_info.rmi", 1},
        {"export", "type0_channels.mid", "type0_channels.rmi", 2},
        {"make", "type0_channels.mid", "type0_channels.rmi", 2},
    };
    for (const auto& [command, plain, wrapped, track] : rows) {
        ASSERT_EQ(Sonkorac({command, Song("plain", plain, track)}).exitCode, 0) << command << " " << plain;
        ASSERT_EQ(Sonkorac({command, Song("wrapped", wrapped, track)}).exitCode, 0) << command << " " << wrapped;
        EXPECT_EQ(ReadBytes(dir.Path("plain.kar")), ReadBytes(dir.Path("wrapped.kar"))) << command << " " << plain;
        EXPECT_EQ(Check({dir.Path("plain.kar")}), "") << command << " " << plain;
    }
    const ChunkedFile made = SplitChunks(ReadBytes(dir.Path("plain.kar")));
    ASSERT_EQ(made.chunks.size(), 7u);  // conductor, karaoke tracks, three note channels, channel 6
    const std::vector<Timed> words = MetaTexts(made.chunks[2]);
    ASSERT_EQ(words.size(), 24u);  // the title and the 23 syllables
    EXPECT_EQ(words[1].time, 768);
    EXPECT_EQ(words[23].time, 768 + 48 * 36);
}

TEST_F(MidiFiles, AKaraokeFileInARiffWrapperImportsAsTheFileItself) {
    // The song text after its \k line, which names the karaoke file, and the music.
    const auto import = [&](const std::string& kar) {
        const ProgramRun run =
            Sonkorac({"import", kar, "--track", "1", "--stf", dir.Path("i.stf"), "--mid", dir.Path("i.mid"), "--yes"});
        EXPECT_EQ(run.exitCode, 0) << kar << run.err;
        const std::string text = ReadText(dir.Path("i.stf"));
        return std::pair(text.substr(text.find('\n', text.find("\\k"))), ReadText(dir.Path("i.mid")));
    };
    EXPECT_EQ(import(CopyData("kar/classic.kar")), import(DataFile("classic_kar.rmi")));
}

TEST_F(MidiFiles, DamagedAndType2FilesAreRefusedWithTheirReasonAndLeaveNothing) {
    const std::string type2 = DataFile("type2_patterns.mid"), cutKar = DataFile("cut_last_track.kar");
    const std::string cut = ": MIDI file is damaged: a track is cut short.\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"tracks", type2},
         type2 + ": Type 2 MIDI file: its tracks are separate patterns, not one song. Save it as type 1 first.\n"},
        {{"make", Song("cut", "cut_last_track.mid", 1)}, dir.Path("cut_last_track.mid") + cut},
        {{"tracks", "--kar", cutKar}, cutKar + cut},
    };
    for (const auto& [args, err] : cases) EXPECT_EQ(Sonkorac(args), (ProgramRun{1, "", err}));
    EXPECT_FALSE(Exists("cut.kar"));
}

TEST_F(MidiFiles, AFileOfMoreThan256TracksIsMadeIntoAKaraokeFileThatReadsBack) {
    Bytes file = Cat({Header(1, 300, 96), Track(EndOfTrack())});
    for (int i = 1; i < 300; ++i)
        file = Cat({file, Track(Cat({NoteOn(static_cast<uint32_t>(i), 0, 60, 64), EndOfTrack()}))});
    Write("many.mid", file);
    const ProgramRun made = Sonkorac({"make", Write("many.stf", "\\t 299\r\n\\m many.mid\r\n\r\nla\r\n")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const ChunkedFile kar = SplitChunks(ReadBytes(dir.Path("many.kar")));
    ASSERT_EQ(kar.chunks.size(), 302u);
    EXPECT_EQ(MetaTexts(kar.chunks[2]).back().time, 299);
    const ProgramRun listed = Sonkorac({"tracks", "--kar", dir.Path("many.kar")});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 299);
    EXPECT_EQ(Check({dir.Path("many.kar")}), "");
}

TEST_F(MidiFiles, RenderTakesASongTextAndPlaysTheKaraokeFileItMakes) {
    if (Sonkorac({}).err.find(" render ") == std::string::npos) GTEST_SKIP() << "built without playback";
    const ProgramRun run = Sonkorac({"render", Song("song", "type0_channels.mid", 2), dir.Path("song.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Check({dir.Path("song.kar")}), "");
    EXPECT_GT(std::filesystem::file_size(dir.Path("song.wav")), 44u * 50000);
    // A song text error stops it before anything is played.
    const ProgramRun bad =
        Sonkorac({"render", Write("bad.stf", "\\t 9\r\n\\m type0_channels.mid\r\n\r\nla\r\n"), dir.Path("bad.wav")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("greater than number of tracks"), std::string::npos) << bad.err;
    EXPECT_FALSE(Exists("bad.wav"));
}

}  // namespace
}  // namespace sonkora::clitest
