// Exporting a MIDI file with lyric events: no information track, lyric events without
// their prefixes, word ends as trailing spaces and line breaks as carriage returns.
#include "midi/pass_fixture.h"

using namespace sonkora;
using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

const Bytes Conductor = Cat({Meta(0, 0x03, "Song"), EndOfTrack()});
const Bytes Voice =
    Cat({NoteOn(0, 0, 60, 64), NoteOn(96, 0, 62, 64), NoteOn(96, 0, 64, 64), NoteOn(96, 0, 65, 64), EndOfTrack()});

struct ExportTest : ::testing::Test {
    TempDir dir;
    std::string input = dir.File("song.mid");
    std::string output = dir.File("song-lyrics.mid");
    KaraokePass pass;

    void SetUp() override {
        WriteBytes(input, MidiFile(1, 96, {Conductor, Voice}));
        StartPass(pass, input, output, PassMode::Export, 1);
    }
    void Lyrics(std::initializer_list<const char*> texts) {
        bool found = false;
        for (const char* text : texts) pass.NextNoteLyric(text, found);
    }
    // The file written, which must be the input's chunks with the Words track between.
    Bytes FinishedWords() {
        pass.FinishWords();
        pass.ClosePass();
        EXPECT_EQ(pass.MidiError(), 0);
        const Bytes written = ReadBytes(output);
        const Bytes words = ChunkData(written, 14 + 8 + Conductor.size());
        EXPECT_EQ(written, Cat({Header(1, 3, 96), Track(Conductor), Track(words), Track(Voice)}));
        return words;
    }
};

Bytes Lyric(uint8_t delta, const std::string& text) {
    return Cat({{delta, 0xFF, 0x05, static_cast<uint8_t>(text.size())}, Text(text)});
}

TEST_F(ExportTest, WordEndsBecomeTrailingSpacesAndLineBreaksCarriageReturns) {
    // A title line as the compiler exports it, then space-la, la, slash-lo, slash-li.
    pass.WriteTextEvent(0, 0x05, "Song ");
    pass.WriteTextEvent(0, 0x05, "\r");
    Lyrics({" la", "la", "/lo", "/li"});
    EXPECT_EQ(FinishedWords(), Cat({{0x00, 0xFF, 0x03, 0x05}, Text("Words"), Lyric(0, "Song "), Lyric(0, "\r"),
                                    Lyric(0, "la"), Lyric(96, "la "), Lyric(96, "lo "), Lyric(0, "\r"),
                                    Lyric(96, "li "), {0x00, 0xFF, 0x2F, 0x00}}));
}

TEST_F(ExportTest, TrackNameKeepsItsSpellingWhenTheFirstLyricOpensAParagraph) {
    Lyrics({"\\Hel", "lo", " world", "\\Good"});
    EXPECT_EQ(FinishedWords(), Cat({{0x00, 0xFF, 0x03, 0x05}, Text("Words"), Lyric(0, "Hel"), Lyric(96, "lo "),
                                    Lyric(96, "world "), Lyric(0, "\r"), Lyric(96, "Good "),
                                    {0x00, 0xFF, 0x2F, 0x00}}));
}

TEST_F(ExportTest, TrailingSpaceOnALongLyricGrowsItsLengthField) {
    const std::string longText(127, 'o');
    Lyrics({longText.c_str(), " x"});
    const Bytes words = FinishedWords();
    const Bytes expected = Cat({{0x00, 0xFF, 0x03, 0x05}, Text("Words"), {0x00, 0xFF, 0x05, 0x81, 0x00},
                                Text(longText + " "), Lyric(96, "x "), {0x00, 0xFF, 0x2F, 0x00}});
    EXPECT_EQ(words, expected);
}

}  // namespace
