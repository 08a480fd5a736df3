// Making a Soft Karaoke file: the bytes written, the note search, track switches and
// files that are not what they claim.
#include "common/IoError.h"
#include "midi/pass_fixture.h"

using namespace sonkora;
using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

const Bytes Conductor = Cat({Tempo(0, 500000), Meta(0, 0x03, "Song"), EndOfTrack()});
// Notes at 0 and 96 (the second and the velocity-0 note-on at 48 by running status) and 192.
const Bytes Voice = Cat({Meta(0, 0x03, "Voice"), NoteOn(0, 0, 60, 64), {0x30, 60, 0}, {0x30, 62, 64},
                         NoteOn(96, 0, 64, 64), NoteOff(48, 0, 64), EndOfTrack()});
const Bytes Accompaniment = Cat({Program(0, 1, 33), NoteOn(0, 1, 40, 90), NoteOff(384, 1, 40), EndOfTrack()});

Bytes Song() { return Cat({Header(1, 3, 96), Track(Conductor), Track(Voice), Track(Accompaniment), Text("tail")}); }

const Bytes InformationTrack = Cat({Text("MTrk"), {0, 0, 0, 0x2B}, {0x00, 0xFF, 0x03, 0x0C}, Text("Soft karaoke"),
                                    {0x00, 0xFF, 0x01, 0x13}, Text("@KMIDI KARAOKE FILE"), {0x00, 0xFF, 0x2F, 0x00}});

struct MakeTest : ::testing::Test {
    TempDir dir;
    std::string input = dir.File("song.mid");
    std::string output = dir.File("song.kar");
    KaraokePass pass;

    // Words track data of the file written (after header, chunk 0 and information track).
    Bytes WordsData() {
        const Bytes written = ReadBytes(output);
        return ChunkData(written, 14 + 8 + Conductor.size() + InformationTrack.size());
    }
};

TEST_F(MakeTest, WritesHeaderChunkZeroKaraokeTracksAndCopiesTheRestByteForByte) {
    WriteBytes(input, Song());
    StartPass(pass, input, output, PassMode::Make, 1);
    pass.WriteTextEvent(0, 0x01, "@LENGL");
    bool found = false;
    pass.NextNoteLyric("\\Hel", found);
    EXPECT_TRUE(found);
    pass.NextNoteLyric("lo", found);
    EXPECT_TRUE(found);
    pass.FinishWords();
    pass.ClosePass();
    ASSERT_EQ(pass.MidiError(), 0);
    ASSERT_EQ(InformationTrack.size(), 51u);
    const Bytes words = Cat({{0x00, 0xFF, 0x03, 0x05}, Text("Words"), {0x00, 0xFF, 0x01, 0x06}, Text("@LENGL"),
                             {0x00, 0xFF, 0x01, 0x04}, Text("\\Hel"), {0x60, 0xFF, 0x01, 0x02}, Text("lo"),
                             {0x00, 0xFF, 0x2F, 0x00}});
    const Bytes expected = Cat({Text("MThd"), {0, 0, 0, 6, 0, 1, 0, 5, 0, 96}, Track(Conductor), InformationTrack,
                                Track(words), Track(Voice), Track(Accompaniment), Text("tail")});
    EXPECT_EQ(ReadBytes(output), expected);
}

TEST_F(MakeTest, AnotherReaderSeesTheKaraokeTracks) {
    WriteBytes(input, Song());
    StartPass(pass, input, output, PassMode::Make, 2);
    bool found = false;
    pass.NextNoteLyric("\\La", found);
    pass.FinishWords();
    pass.ClosePass();
    const ProgramRun csv = RunProgram(dir, {"midicsv", output});
    if (csv.exitCode == -1 || csv.exitCode == 127) GTEST_SKIP() << "midicsv is not installed";
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    for (const char* line : {"0, 0, Header, 1, 5, 96\n", "2, 0, Title_t, \"Soft karaoke\"\n",
                             "2, 0, Text_t, \"@KMIDI KARAOKE FILE\"\n", "3, 0, Title_t, \"Words\"\n",
                             "3, 0, Text_t, \"\\\\La\"\n", "3, 0, End_track\n", "5, 384, Note_off_c, 1, 40, 0\n"})
        EXPECT_NE(csv.out.find(line), std::string::npos) << line << "in\n" << csv.out;
}

TEST_F(MakeTest, SongWithoutLyricsHasThirteenByteWordsTrack) {
    WriteBytes(input, Song());
    StartPass(pass, input, output, PassMode::Make, 1);
    pass.FinishWords();
    pass.ClosePass();
    EXPECT_EQ(WordsData(), Cat({{0x00, 0xFF, 0x03, 0x05}, Text("Words"), {0x00, 0xFF, 0x2F, 0x00}}));
}

TEST_F(MakeTest, LyricTimesMustAdvance) {
    WriteBytes(input, Song());
    StartPass(pass, input, output, PassMode::Make, 1);
    pass.WriteLyric("a", 0);
    pass.WriteLyric("b", 96);
    ASSERT_EQ(pass.MidiError(), 0);
    pass.WriteLyric("c", 96);
    EXPECT_EQ(pass.MidiError(), -1);
    pass.SetMidiError(0);
    pass.WriteLyric("d", 200000000);  // a gap that needs all four quantity bytes
    pass.FinishWords();
    pass.ClosePass();
    EXPECT_EQ(WordsData(), Cat({{0x00, 0xFF, 0x03, 0x05}, Text("Words"), {0x00, 0xFF, 0x01, 0x01, 'a'},
                                {0x60, 0xFF, 0x01, 0x01, 'b'}, Quantity(200000000 - 96), {0xFF, 0x01, 0x01, 'd'},
                                {0x00, 0xFF, 0x2F, 0x00}}));
    KaraokePass tooFar;
    StartPass(tooFar, input, dir.File("far.kar"), PassMode::Make, 1);
    tooFar.WriteLyric("x", 0x10000000);
    EXPECT_EQ(tooFar.MidiError(), 5);
}

TEST_F(MakeTest, NoteSearchTakesEachChordOnceAndSkipsSilentAndPassedNotes) {
    const Bytes voice = Cat({NoteOn(480, 0, 60, 64), NoteOn(0, 0, 64, 64), NoteOn(0, 0, 67, 64), NoteOn(60, 0, 70, 0),
                             NoteOn(60, 0, 72, 64), NoteOn(100, 0, 74, 64), NoteOn(100, 0, 76, 64), EndOfTrack(10),
                             NoteOn(0, 0, 80, 64)});  // bytes after the end of the track are not events
    WriteBytes(input, MidiFile(1, 96, {Conductor, voice, Accompaniment}));
    StartPass(pass, input, output, PassMode::Make, 1);
    bool found = false;
    std::vector<int32_t> times;
    for (const char* step : {"a", "b", "@750", "d", "e", "f"}) {
        if (step[0] == '@') {
            pass.WriteLyric("c", 750);  // an explicit time: the note at 700 is passed over
            continue;
        }
        pass.NextNoteLyric(step, found);
        times.push_back(found ? pass.LastNoteTime() : -1);
    }
    EXPECT_EQ(times, (std::vector<int32_t>{480, 600, 800, -1, -1}));
    EXPECT_TRUE(pass.EndOfTrack());
    EXPECT_EQ(pass.CurrentTime(), 810);  // the second search after the end read nothing more
    EXPECT_EQ(pass.MidiError(), 0);
}

TEST_F(MakeTest, SwitchingTracksGoesOnWhereEachWasLeft) {
    // Track 1 relies on running status across the switch; track 2 has a note before the
    // first lyric, which is passed over.
    const Bytes first = Cat({NoteOn(100, 0, 60, 64), {0x81, 0x48, 62, 64}, {0x81, 0x48, 64, 64}, EndOfTrack()});
    const Bytes second = Cat({NoteOn(50, 1, 50, 64), NoteOn(150, 1, 52, 64), EndOfTrack()});
    WriteBytes(input, MidiFile(1, 96, {Conductor, first, second}));
    StartPass(pass, input, output, PassMode::Make, 1);
    bool found = false;
    std::vector<int32_t> times;
    auto take = [&](const char* text) {
        pass.NextNoteLyric(text, found);
        times.push_back(found ? pass.LastNoteTime() : -1);
    };
    take("a");
    pass.SwitchVoiceTrack(2);
    take("b");
    pass.SwitchVoiceTrack(1);
    take("c");
    take("d");
    take("e");
    EXPECT_EQ(times, (std::vector<int32_t>{100, 200, 300, 500, -1}));
    EXPECT_EQ(pass.MidiError(), 0);
    EXPECT_THROW(pass.SwitchVoiceTrack(3), std::out_of_range);
}

TEST_F(MakeTest, FullWordsBufferGivesVoiceTrackTooLongAndWritesNoWordsTrack) {
    WriteBytes(input, Song());
    StartPass(pass, input, output, PassMode::Make, 1);
    const std::string line(200, 'x');
    int events = 0;
    while (pass.MidiError() == 0 && events < 1000) {
        pass.WriteTextEvent(0, 0x01, line);
        ++events;
    }
    EXPECT_EQ(pass.MidiError(), 5);
    // 68 bytes of karaoke tracks before the first event; each event takes 205 bytes.
    EXPECT_EQ(events, (65536 - 68) / 205 + 1);
    pass.FinishWords();  // the compiler would not, but it must not finish a failed file
    pass.ClosePass();
    EXPECT_EQ(ReadBytes(output).size(), 14 + 8 + Conductor.size());
}

TEST_F(MakeTest, TrackWithoutEndOfTrackEndsAtItsChunk) {
    const Bytes next = Track(Cat({NoteOn(5, 0, 1, 1), EndOfTrack()}));
    const Bytes notes = Cat({NoteOn(10, 0, 60, 64), NoteOn(10, 0, 62, 64)});
    // Ending after its last event, and ending inside an event (a note-on cut after its key).
    for (const Bytes& voice : {notes, Cat({notes, {0x0A, 0x90, 64}})}) {
        WriteBytes(input, Cat({Header(1, 3, 96), Track(Conductor), Track(voice), next}));
        KaraokePass voicePass;
        StartPass(voicePass, input, output, PassMode::Make, 1);
        bool found = false;
        std::vector<int32_t> times;
        for (voicePass.NextNoteLyric("x", found); found; voicePass.NextNoteLyric("x", found))
            times.push_back(voicePass.LastNoteTime());
        EXPECT_EQ(times, (std::vector<int32_t>{10, 20}));
        EXPECT_TRUE(voicePass.EndOfTrack());
        EXPECT_EQ(voicePass.CurrentTime(), 20);
        EXPECT_EQ(voicePass.MidiError(), 0);
    }
}

struct BadHeader {
    const char* what;
    Bytes bytes;
    int32_t error;
};

TEST_F(MakeTest, BadHeadersAreRefusedBeforeAnythingIsWritten) {
    const Bytes track = Track(EndOfTrack());
    const BadHeader cases[] = {
        {"header length 7", Cat({Text("MThd"), Be32(7), Be16(1), Be16(1), Be16(96), {0}, track}), 1},
        {"format 0", Cat({Header(0, 1, 96), track}), 2},
        {"no tracks", Cat({Header(1, 0, 96), track}), 1},
        {"257 tracks", Cat({Header(1, 257, 96), track}), 8},
        {"cut header", Cat({Text("MThd"), Be32(6), Be16(1)}), 1},
        {"not MIDI", Text("RIFF....WAVEfmt "), 1},
        {"empty", {}, 1},
    };
    for (const BadHeader& bad : cases) {
        WriteBytes(input, bad.bytes);
        KaraokePass failing;
        failing.OpenPass(input, output, "", PassMode::Make, 0, "", "");
        failing.ReadPassHeader();
        failing.ClosePass();
        EXPECT_EQ(failing.MidiError(), bad.error) << bad.what;
        EXPECT_TRUE(ReadBytes(output).empty()) << bad.what;
    }
}

TEST_F(MakeTest, ClaimedLengthsBeyondTheFileEndCleanly) {
    // Chunk 0 claims a gigabyte: what is there is copied, then no next chunk is found.
    WriteBytes(input, Cat({Header(1, 2, 96), Text("MTrk"), Be32(1u << 30), EndOfTrack(), Track(Voice)}));
    StartPass(pass, input, output, PassMode::Make, 1);
    EXPECT_EQ(pass.MidiError(), 3);
    pass.ClosePass();

    // The last chunk claims more than the file holds; its events are all there.
    WriteBytes(input, Cat({Header(1, 2, 96), Track(Conductor), Text("MTrk"), Be32(0x7FFFFFFF), Voice}));
    KaraokePass longLast;
    StartPass(longLast, input, output, PassMode::Make, 1);
    bool found = false;
    longLast.NextNoteLyric("la", found);
    longLast.FinishWords();
    longLast.ClosePass();
    EXPECT_EQ(longLast.MidiError(), 0);
    const Bytes written = ReadBytes(output);
    const Bytes tail = Cat({Text("MTrk"), Be32(0x7FFFFFFF), Voice});
    ASSERT_GT(written.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), written.end() - static_cast<std::ptrdiff_t>(tail.size())));

    // A text that claims 256 MB in a small file that ends inside it: -1, nothing allocated.
    const Bytes hungry = Cat({NoteOn(0, 0, 60, 64), {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F}, Text("abc")});
    WriteBytes(input, Cat({Header(1, 2, 96), Track(Conductor), Text("MTrk"), Be32(0x7FFFFFFF), hungry}));
    KaraokePass greedy;
    StartPass(greedy, input, output, PassMode::Make, 1);
    greedy.NextNoteLyric("a", found);
    greedy.NextNoteLyric("b", found);
    EXPECT_FALSE(found);
    EXPECT_EQ(greedy.MidiError(), -1);

    WriteBytes(input, Cat({Header(1, 2, 96), Track(Conductor), Text("MTrX"), Be32(4), EndOfTrack()}));
    KaraokePass foreign;
    StartPass(foreign, input, output, PassMode::Make, 1);
    EXPECT_EQ(foreign.MidiError(), 3);
}

TEST_F(MakeTest, FileCutAnywhereFailsOrCopiesWhatIsThere) {
    const Bytes song = Song();
    const size_t accompanimentData = 14 + 8 + Conductor.size() + 8 + Voice.size() + 8;
    WriteBytes(input, song);
    StartPass(pass, input, output, PassMode::Make, 1);
    bool found = false;
    pass.NextNoteLyric("la", found);
    pass.FinishWords();
    pass.ClosePass();
    const Bytes full = ReadBytes(output);
    for (size_t cut = 0; cut < song.size(); ++cut) {
        WriteBytes(input, Bytes(song.begin(), song.begin() + static_cast<std::ptrdiff_t>(cut)));
        KaraokePass cutPass;
        StartPass(cutPass, input, output, PassMode::Make, 1);
        if (cutPass.MidiError() == 0) cutPass.NextNoteLyric("la", found);
        if (cutPass.MidiError() == 0) cutPass.FinishWords();
        cutPass.ClosePass();
        if (cut < accompanimentData) {
            EXPECT_NE(cutPass.MidiError(), 0) << "cut at " << cut;
        } else {
            ASSERT_EQ(cutPass.MidiError(), 0) << "cut at " << cut;
            const Bytes expected(full.begin(), full.end() - static_cast<std::ptrdiff_t>(song.size() - cut));
            EXPECT_EQ(ReadBytes(output), expected) << "cut at " << cut;
        }
    }
}

TEST_F(MakeTest, OutputNamingTheInputIsRefusedAndTheInputKept) {
    const Bytes song = Song();
    WriteBytes(input, song);
    pass.OpenPass(input, input, "", PassMode::Make, 0, "", "");
    EXPECT_EQ(pass.MidiError(), -3);
    pass.ClosePass();
    EXPECT_EQ(ReadBytes(input), song);
    pass.OpenPass(input, dir.File("no/such/folder/x.kar"), "", PassMode::Export, 0, "", "");
    EXPECT_EQ(pass.MidiError(), -3);
    pass.ClosePass();
    EXPECT_THROW(pass.OpenPass(dir.File("missing.mid"), output, "", PassMode::Make, 0, "", ""), IoError);
}

}  // namespace
