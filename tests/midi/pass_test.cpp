// The karaoke pass: lyric times and lengths, the search for voice notes, track switches,
// and inputs and outputs that are not what they should be.
#include "common/IoError.h"
#include "midi/pass_fixture.h"

namespace sonkora {
namespace {

using namespace test;
using namespace passtest;

const Bytes Conductor = Cat({Tempo(0, 500000), Meta(0, 0x03, "Song"), EndOfTrack()});
// Notes at 0 and 96 (the second and the velocity-0 note-on at 48 by running status) and 192.
const Bytes Voice = Cat({Meta(0, 0x03, "Voice"), NoteOn(0, 0, 60, 64), Bytes{0x30, 60, 0}, Bytes{0x30, 62, 64},
                         NoteOn(96, 0, 64, 64), NoteOff(48, 0, 64), EndOfTrack()});
const Bytes Accompaniment = Cat({Program(0, 1, 33), NoteOn(0, 1, 40, 90), NoteOff(384, 1, 40), EndOfTrack()});
const Bytes Song = Cat({Header(1, 3, 96), Track(Conductor), Track(Voice), Track(Accompaniment), Text("tail")});
const Bytes WordsName = Meta(0, 0x03, "Words");
// A text that claims 256 MB in a track that ends inside it.
const Bytes LongText =
    Cat({Header(1, 2, 96), Track(Conductor),
         Track(Cat({NoteOn(0, 0, 60, 64), {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F}, Text("abc")}))});

struct PassTest : ::testing::Test {
    TempDir dir;
    std::string input = dir.Path("song.mid");
    std::string output = dir.Path("song.kar");
    KaraokePass pass;

    // The note time each text was written at; -1 where no note was found.
    std::vector<int32_t> Lyrics(const std::vector<std::string>& texts) {
        std::vector<int32_t> times;
        bool found = false;
        for (const std::string& text : texts) {
            pass.NextNoteLyric(text, found);
            times.push_back(found ? pass.LastNoteTime() : -1);
        }
        return times;
    }
    // Writes `file` as the input and takes the pass to its first lyric.
    void Start(const Bytes& file, PassMode mode = PassMode::Make) {
        WriteBytes(input, file);
        StartPass(pass, input, output, mode, 1);
    }
    // A whole compilation of `file` with a lyric on every note; the error it ends with.
    int32_t Make(const Bytes& file) {
        WriteBytes(input, file);
        KaraokePass making;
        StartPass(making, input, output, PassMode::Make, 1);
        bool found = true;
        while (making.MidiError() == 0 && found) making.NextNoteLyric("la", found);
        if (making.MidiError() == 0) making.FinishWords();
        making.ClosePass();
        return making.MidiError();
    }
    // The Words track of the karaoke file written, the third chunk (the second in an export).
    Bytes WordsChunk(size_t index = 2) { return importtest::SplitChunks(ReadBytes(output)).chunks.at(index); }
};

TEST_F(PassTest, LyricTimesMustAdvanceAndFitAQuantity) {
    Start(Song);
    pass.WriteLyric("a", 0);
    pass.WriteLyric("b", 96);
    ASSERT_EQ(pass.MidiError(), 0);
    pass.WriteLyric("c", 96);
    EXPECT_EQ(pass.MidiError(), -1);
    pass.SetMidiError(0);
    pass.WriteLyric("d", 200000000);  // a gap that needs all four quantity bytes
    pass.FinishWords();
    pass.ClosePass();
    const Bytes d = Cat({Quantity(200000000 - 96), {0xFF, 0x01, 0x01, 'd'}});
    EXPECT_EQ(WordsChunk(), Track(Cat({WordsName, Meta(0, 1, "a"), Meta(0x60, 1, "b"), d, EndOfTrack()})));
    StartPass(pass, input, output, PassMode::Make, 1);
    pass.WriteLyric("x", 0x10000000);
    EXPECT_EQ(pass.MidiError(), 5);
}

TEST_F(PassTest, NoteSearchTakesEachChordOnceAndSkipsSilentAndPassedNotes) {
    // A chord, a silent note by running status, single notes, and bytes after the end of the
    // track, which are not events.
    const Bytes voice = Cat({NoteOn(480, 0, 60, 64), NoteOn(0, 0, 64, 64), NoteOn(0, 0, 67, 64), Bytes{0x3C, 70, 0},
                             NoteOn(60, 0, 72, 64), NoteOn(100, 0, 74, 64), NoteOn(100, 0, 76, 64), EndOfTrack(10),
                             NoteOn(0, 0, 80, 64)});
    Start(MidiFile(1, 96, {Conductor, voice, Accompaniment}));
    EXPECT_EQ(Lyrics({"a", "b"}), (std::vector<int32_t>{480, 600}));
    pass.WriteLyric("c", 750);  // an explicit time: the note at 700 is passed over
    EXPECT_EQ(Lyrics({"d", "e", "f"}), (std::vector<int32_t>{800, -1, -1}));
    EXPECT_TRUE(pass.EndOfTrack());
    EXPECT_EQ(pass.CurrentTime(), 810);  // the searches after the end read nothing more
    EXPECT_EQ(pass.MidiError(), 0);
}

TEST_F(PassTest, SwitchingTracksGoesOnWhereEachWasLeft) {
    // Track 1 relies on running status across the switch; track 2 has a note before the
    // first lyric, which is passed over.
    const Bytes first = Cat({NoteOn(100, 0, 60, 64), {0x81, 0x48, 62, 64}, {0x81, 0x48, 64, 64}, EndOfTrack()});
    const Bytes second = Cat({NoteOn(50, 1, 50, 64), NoteOn(150, 1, 52, 64), EndOfTrack()});
    Start(MidiFile(1, 96, {Conductor, first, second}));
    EXPECT_EQ(Lyrics({"a"}), std::vector<int32_t>{100});
    pass.SwitchVoiceTrack(2);
    EXPECT_EQ(Lyrics({"b"}), std::vector<int32_t>{200});
    pass.SwitchVoiceTrack(1);
    EXPECT_EQ(Lyrics({"c", "d", "e"}), (std::vector<int32_t>{300, 500, -1}));
    EXPECT_EQ(pass.MidiError(), 0);
    EXPECT_THROW(pass.SwitchVoiceTrack(3), std::out_of_range);
}

// A chunk whose data ends without an end-of-track event, after its last event or inside
// one, ends there: its notes are found and the next chunk is not read as its events.
TEST_F(PassTest, TrackWithoutEndOfTrackEndsAtItsChunk) {
    const Bytes notes = Cat({NoteOn(10, 0, 60, 64), NoteOn(10, 0, 62, 64)});
    for (const Bytes& voice : {notes, Cat({notes, {0x0A, 0x90, 64}})}) {
        Start(MidiFile(1, 96, {Conductor, voice, Cat({NoteOn(5, 0, 1, 1), EndOfTrack()})}));
        EXPECT_EQ(Lyrics({"x", "x", "x"}), (std::vector<int32_t>{10, 20, -1}));
        EXPECT_EQ(pass.CurrentTime(), 20);
        EXPECT_EQ(pass.MidiError(), 0);
    }
}

TEST_F(PassTest, FullWordsBufferGivesVoiceTrackTooLongAndWritesNoWordsTrack) {
    Start(Song);
    int events = 0;
    for (; pass.MidiError() == 0 && events < 1000; ++events) pass.WriteTextEvent(0, 0x01, std::string(200, 'x'));
    EXPECT_EQ(pass.MidiError(), 5);
    // 68 bytes of karaoke tracks before the first event; each event takes 205 bytes.
    EXPECT_EQ(events, (65536 - 68) / 205 + 1);
    pass.FinishWords();  // the compiler would not, but it must not finish a failed file
    pass.ClosePass();
    EXPECT_EQ(ReadBytes(output).size(), 14 + 8 + Conductor.size());
}

TEST_F(PassTest, DamagedInputsFailCleanly) {
    const Bytes end = Track(EndOfTrack());
    const struct {
        const char* what;
        Bytes file;
        int32_t error;
    } cases[] = {
        // The header is refused before anything is written.
        {"header length 7", Cat({Text("MThd"), Be32(7), Be16(1), Be16(1), Be16(96), {0}, end}), 1},
        {"format 0, two tracks", Cat({Header(0, 2, 96), end, end}), 2},
        {"format 2", Cat({Header(2, 2, 96), end, end}), 10},
        {"no tracks", Cat({Header(1, 0, 96), end}), 1},
        {"257 tracks claimed, one there", Cat({Header(1, 257, 96), end}), 3},
        {"tracks for the karaoke tracks", Cat({Header(1, 65534, 96), end}), 8},
        {"cut header", Cat({Text("MThd"), Be32(6), Be16(1)}), 1},
        {"not MIDI", Text("RIFF....WAVEfmt "), 1},
        // A chunk that claims more than the file holds is never copied as it is.
        {"long chunk 0", Cat({Header(1, 2, 96), Text("MTrk"), Be32(1u << 30), EndOfTrack(), Track(Voice)}), 9},
        {"foreign chunk", Cat({Header(1, 2, 96), Track(Conductor), Text("MTrX"), Be32(4), EndOfTrack()}), 3},
        {"long last chunk", Cat({Header(1, 2, 96), Track(Conductor), Text("MTrk"), Be32(0x7FFFFFFF), Voice}), 9},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Make(c.file), c.error) << c.what;
        const bool headerRefused = c.error == 1 || c.error == 2 || c.error == 8 || c.error == 10;
        EXPECT_TRUE(!headerRefused || ReadBytes(output).empty()) << c.what;
    }
}

TEST_F(PassTest, AClaimedTextLengthIsNotAllocated) {
#ifdef SONKORA_UNDER_ASAN
    GTEST_SKIP() << "the address space cannot be limited under the sanitizers";
#endif
    EXPECT_EXIT(WithLittleMemory([this] { return Make(LongText) == 0; }), ::testing::ExitedWithCode(0), "");
}

TEST_F(PassTest, FileCutInsideAChunkFailsAndCutTrailingBytesAreCopiedAsThere) {
    ASSERT_EQ(Make(Song), 0);
    const Bytes full = ReadBytes(output);
    const size_t trailingBytes = Song.size() - 4;
    for (size_t cut = 0; cut < Song.size(); ++cut) {
        const int32_t error = Make(Bytes(Song.begin(), Song.begin() + static_cast<long>(cut)));
        if (cut < trailingBytes)
            EXPECT_NE(error, 0) << "cut at " << cut;
        else
            EXPECT_EQ(ReadBytes(output), Bytes(full.begin(), full.end() - static_cast<long>(Song.size() - cut))) << cut;
    }
}

TEST_F(PassTest, OutputsThatCannotBeCreatedLeaveTheInputAlone) {
    WriteBytes(input, Song);
    pass.OpenPass(input, input, "", PassMode::Make, 0, "", "");
    EXPECT_EQ(pass.MidiError(), -3);
    pass.ClosePass();
    pass.OpenPass(input, dir.Path("no/such/folder/x.kar"), "", PassMode::Export, 0, "", "");
    EXPECT_EQ(pass.MidiError(), -3);
    pass.ClosePass();
    pass.OpenPass(input, output, output, PassMode::Convert, 1, "", "");
    EXPECT_EQ(pass.MidiError(), -4);
    pass.ClosePass();
    EXPECT_EQ(ReadBytes(input), Song);
    EXPECT_THROW(pass.OpenPass(dir.Path("missing.mid"), output, "", PassMode::Make, 0, "", ""), IoError);
    // Converting needs the two karaoke tracks besides chunk 0.
    WriteBytes(input, MidiFile(1, 96, {Conductor, Voice}));
    pass.OpenPass(input, output, dir.Path("song.stf"), PassMode::Convert, 1, "", "");
    pass.ReadPassHeader();
    EXPECT_EQ(pass.MidiError(), -1);
}

// A lyric export adds a space to each word's end, which makes the length field of a text of
// 127 bytes one byte longer.
TEST_F(PassTest, ExportedWordEndsWidenTheLengthField) {
    const std::string longText(127, 'o');
    Start(Song, PassMode::Export);
    Lyrics({longText, " x"});
    pass.FinishWords();
    pass.ClosePass();
    EXPECT_EQ(pass.MidiError(), 0);
    EXPECT_EQ(
        WordsChunk(1),
        Track(Cat({WordsName, {0x00, 0xFF, 0x05, 0x81, 0x00}, Text(longText + " "), Meta(96, 5, "x "), EndOfTrack()})));
}

}  // namespace
}  // namespace sonkora
