// Importing a Soft Karaoke file: collecting the voice notes, then turning the Words
// track back into song text and the music back into a MIDI file.
#include "midi/pass_fixture.h"

using namespace sonkora;
using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

const Bytes Conductor = Cat({Tempo(0, 600000), EndOfTrack()});
const Bytes Information = Cat({Meta(0, 0x03, "Soft Karaoke"), Meta(0, 0x01, "@KMIDI KARAOKE FILE"), EndOfTrack()});

struct Timed {
    uint32_t time;
    std::string text;
};

Bytes TimedTexts(const std::vector<Timed>& texts) {
    Bytes data = Meta(0, 0x03, "Words");
    uint32_t now = 0;
    for (const Timed& t : texts) {
        data = Cat({data, Meta(t.time - now, 0x01, t.text)});
        now = t.time;
    }
    return Cat({data, EndOfTrack()});
}

Bytes Notes(const std::vector<uint32_t>& times) {
    Bytes data;
    uint32_t now = 0;
    for (uint32_t time : times) {
        data = Cat({data, NoteOn(time - now, 0, 60, 80)});
        now = time;
    }
    return Cat({data, EndOfTrack(24)});
}

struct ConvertTest : ::testing::Test {
    TempDir dir;
    std::string kar = dir.File("song.kar");
    std::string midi = dir.File("song.mid");
    std::string songText = dir.File("song.stf");
    KaraokePass pass;

    void Collect() {
        pass.OpenPass(kar, "", "", PassMode::Collect, 0, "", "");
        pass.ReadPassHeader();
        pass.SelectVoiceTrack(3);
        bool found = true;
        while (found && pass.MidiError() == 0) pass.NextNoteLyric("", found);
        pass.ClosePass();
    }
    // Both passes of an import; the song text after its three directive lines.
    std::string Import(const std::vector<uint32_t>& notes, const std::vector<Timed>& texts) {
        WriteBytes(kar, MidiFile(1, 96, {Conductor, Information, TimedTexts(texts), Notes(notes)}));
        Collect();
        EXPECT_EQ(pass.MidiError(), 0);
        pass.OpenPass(kar, midi, songText, PassMode::Convert, 1, "song.mid", "song_1.kar");
        pass.ReadPassHeader();
        pass.SelectVoiceTrack(2);
        bool found = true;
        pass.NextNoteLyric("", found);
        EXPECT_FALSE(found);
        pass.CopyRest();
        pass.ClosePass();
        EXPECT_EQ(pass.MidiError(), 0);
        const std::string text = ReadText(songText);
        const std::string directives = "\\t 1\n\\m song.mid\n\\k song_1.kar\n";
        EXPECT_EQ(text.substr(0, directives.size()), directives);
        return text.substr(std::min(directives.size(), text.size()));
    }
};

TEST_F(ConvertTest, PrefixesBecomeLineAndWordBreaks) {
    const std::string body = Import({96, 192, 288, 384, 480}, {{0, "@LENGL"},
                                                               {0, "@TSong"},
                                                               {96, "\\Hel"},
                                                               {192, "lo"},
                                                               {288, " world"},
                                                               {384, "/Good"},
                                                               {480, "bye"}});
    EXPECT_EQ(body, "@LENGL\n@TSong\n\nHel-lo world\nGood-bye\n");
    // The music without the two karaoke tracks, byte for byte.
    EXPECT_EQ(ReadBytes(midi), MidiFile(1, 96, {Conductor, Notes({96, 192, 288, 384, 480})}));
}

TEST_F(ConvertTest, SpecialCharactersAreEscapedAndSilentNotesGetPlaceholders) {
    // The first note sounds with the header lines at tick 0; the note at 192 has no text.
    const std::string body = Import({0, 96, 192, 288, 384}, {{0, "@TSong"},
                                                             {0, "\\Hel"},
                                                             {96, "lo"},
                                                             {288, " rock 'n' roll"},
                                                             {384, " 1st_-"}});
    EXPECT_EQ(body, "@TSong\n\nHel-lo- rock\\ 'n'\\ roll \\1st\\_\\-\n");
}

// Read back by the compiler, a separator before the first syllable would be an empty
// syllable of its own, taking a note and putting every later syllable one note late.
TEST_F(ConvertTest, LyricsStartAfterAnEmptyLineWithNothingBeforeTheFirstSyllable) {
    EXPECT_EQ(Import({0, 48, 96}, {{96, "\\Hel"}}), "\n--Hel\n");
    // An empty text is nothing to sing: it takes no note (a "-" here would make an empty
    // syllable that asks for one more note than the song has).
    EXPECT_EQ(Import({10, 20}, {{10, "/a"}, {20, "\\b"}, {20, ""}}), "\na\n\nb\n");
    EXPECT_EQ(Import({10, 20}, {{10, " Hel"}, {20, "lo"}}), "\nHel-lo\n");
    EXPECT_EQ(Import({10, 20}, {{10, "Hel"}, {20, " lo"}}), "\nHel lo\n");
}

TEST_F(ConvertTest, HeaderLinesAmongTheLyricsAreLeftOut) {
    EXPECT_EQ(Import({10, 20}, {{0, "@TSong"}, {10, "\\Hel"}, {15, "@Tlater"}, {20, "lo"}}), "@TSong\n\nHel-lo\n");
}

TEST_F(ConvertTest, EscapesAndTimeCodeMarksInsideATextAreEscaped) {
    EXPECT_EQ(Import({10, 20}, {{10, "\\a\\b"}, {20, " $5\tx"}}), "\na\\\\b \\$\\5\\\tx\n");
}

TEST_F(ConvertTest, CollectingCountsChordsOnceAndStopsAfterTenThousandNotes) {
    Bytes voice = Cat({NoteOn(10, 0, 60, 80), NoteOn(0, 0, 64, 80), NoteOn(5, 0, 67, 0), NoteOn(5, 0, 67, 80)});
    WriteBytes(kar, MidiFile(1, 96, {Conductor, Information, TimedTexts({}), Cat({voice, EndOfTrack()})}));
    Collect();
    EXPECT_EQ(pass.MidiError(), 0);
    EXPECT_EQ(pass.NoteTimes(), (std::vector<int32_t>{10, 20}));
    EXPECT_EQ(pass.NoteCount(), 2);

    for (int i = 0; i < KaraokePass::MaxNoteTimes; ++i) voice = Cat({voice, NoteOn(1, 0, 60, 80)});
    WriteBytes(kar, MidiFile(1, 96, {Conductor, Information, TimedTexts({}), Cat({voice, EndOfTrack()})}));
    Collect();
    EXPECT_EQ(pass.MidiError(), 7);
    EXPECT_EQ(pass.NoteCount(), KaraokePass::MaxNoteTimes);
}

TEST_F(ConvertTest, OutputsThatCannotBeCreatedAreReportedApart) {
    WriteBytes(kar, MidiFile(1, 96, {Conductor, Information, TimedTexts({}), Notes({1})}));
    const Bytes original = ReadBytes(kar);
    pass.OpenPass(kar, kar, songText, PassMode::Convert, 1, "", "");
    EXPECT_EQ(pass.MidiError(), -3);
    pass.ClosePass();
    pass.OpenPass(kar, midi, midi, PassMode::Convert, 1, "", "");
    EXPECT_EQ(pass.MidiError(), -4);
    pass.ClosePass();
    EXPECT_EQ(ReadBytes(kar), original);

    // Fewer than three chunks cannot hold the karaoke tracks.
    WriteBytes(kar, MidiFile(1, 96, {Conductor, Information}));
    pass.OpenPass(kar, midi, songText, PassMode::Convert, 1, "", "");
    pass.ReadPassHeader();
    EXPECT_EQ(pass.MidiError(), -1);
}

}  // namespace
