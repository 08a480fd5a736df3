// What an import writes for the texts of a Words track: the syllable marks, escapes and
// placeholders, and where texts sit on no voice note, share a tick, repeat one another
// as text and lyric events, carry line ends or are longer than a syllable may be.
#include "midi/import_fixture.h"

using namespace sonkora;
using namespace sonkora::importtest;
using namespace sonkora::test;
using passtest::ReadText;
using passtest::TempDir;
using passtest::WriteBytes;

namespace {

struct ConversionTest : ::testing::Test {
    TempDir dir;

    // The song text after its directive lines, for the texts over a voice track.
    std::string Body(const std::vector<uint32_t>& notes, const std::vector<Timed>& texts, uint16_t division = 96) {
        const std::string kar = dir.File("song.kar");
        WriteBytes(kar, KaraokeFile(division, WordsTrack(texts), {VoiceTrack(notes)}));
        ScriptedUi ui;
        ui.confirmAnswers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes};
        RecordingHost host;
        const ImportResult result = ImportKaraoke(ui, host, kar);
        EXPECT_EQ(result.outcome, ImportOutcome::Imported);
        EXPECT_TRUE(ui.errors.empty());
        return SongTextBody(ReadText(dir.File("song.stf")));
    }
};

TEST_F(ConversionTest, MarksBecomeParagraphsLinesWordsAndSyllables) {
    EXPECT_EQ(Body({96, 192, 288, 384, 480}, {{96, "\\Hel"}, {192, "lo"}, {288, " world"}, {384, "/Good"}, {480, "bye"}}),
              "\nHel-lo world\nGood-bye\n");
    EXPECT_EQ(Body({10, 20, 30}, {{10, "\\a"}, {20, "\\b"}, {30, "/c"}}), "\na\n\nb\nc\n");
    // The first syllable's own mark is the empty line before the lyrics.
    EXPECT_EQ(Body({10, 20}, {{10, " Hel"}, {20, "lo"}}), "\nHel-lo\n");
    EXPECT_EQ(Body({10, 20}, {{10, "Hel"}, {20, "/lo"}}), "\nHel\nlo\n");
}

TEST_F(ConversionTest, CharactersWithAMeaningAreEscaped) {
    EXPECT_EQ(Body({10, 20, 30}, {{10, "\\Go"}, {20, " rock 'n' roll"}, {30, " 1st"}}), "\nGo rock\\ 'n'\\ roll \\1st\n");
    EXPECT_EQ(Body({10, 20}, {{10, "\\a-b_c"}, {20, " $5\\x\tz"}}), "\na\\-b\\_c \\$\\5\\\\x\\\tz\n");
    // A line feed inside a text stays in the syllable; a carriage return cannot.
    EXPECT_EQ(Body({10}, {{10, "\\one\ntwo\rthree"}}), "\none\\\ntwothree\n");
}

TEST_F(ConversionTest, SilentNotesGetPlaceholders) {
    // Mid-song each silent note is a "-" before the text's own break.
    EXPECT_EQ(Body({10, 20, 30, 40, 50}, {{10, "\\a"}, {30, " b"}, {50, "c"}}), "\na- b--c\n");
    EXPECT_EQ(Body({10, 20, 30}, {{10, "\\a"}, {30, "/b"}}), "\na-\nb\n");
    // Before the first syllable the placeholders stand alone after the empty line.
    EXPECT_EQ(Body({0, 48, 96}, {{0, "@TSong"}, {96, "\\Hel"}}), "@TSong\n\n--Hel\n");
}

TEST_F(ConversionTest, HeaderLinesComeFirstAndOnlyThere) {
    EXPECT_EQ(Body({0, 10}, {{0, "@LENGL"}, {0, "@TTitle\r\n"}, {0, "\\la"}, {10, "@Tlate"}, {10, " li"}}),
              "@LENGL\n@TTitle\n\nla li\n");
}

TEST_F(ConversionTest, TextsOnNoVoiceNoteGetTheirTimeWrittenOut) {
    // A title two bars before the music, a closing line after it; division 96.
    EXPECT_EQ(Body({768, 864}, {{0, "\\Title"}, {768, "\\la"}, {864, "la"}, {1000, "/end"}}),
              "\n$1:1:0$Title\n\nla-la\n$3:3:50$end\n");
    // A text between notes: the notes before it need no placeholders, the compiler
    // passes over them after the time code.
    EXPECT_EQ(Body({0, 48, 96, 144}, {{0, "\\a"}, {120, " b"}, {144, " c"}}), "\na $1:2:30$b c\n");
}

TEST_F(ConversionTest, ATextNearANoteTakesIt) {
    // Within a 32nd note (60 ticks at division 480) of a note, either side.
    EXPECT_EQ(Body({480, 960, 1440}, {{475, "\\a"}, {1000, " b"}, {1430, " c"}}, 480), "\na b c\n");
    // Of two notes in reach the nearer, the earlier when both are as near.
    EXPECT_EQ(Body({100, 130, 140}, {{0, "\\x"}, {135, " y"}}, 480), "\n$1:1:0$x- y\n");
    EXPECT_EQ(Body({100, 130, 137}, {{0, "\\x"}, {135, " y"}}, 480), "\n$1:1:0$x-- y\n");
    // Further away: the time, as near as units of a 120th of a beat can name it.
    EXPECT_EQ(Body({480}, {{0, "\\a"}, {70, " b"}, {480, " c"}}, 480), "\n$1:1:0$a $1:1:17$b c\n");
}

TEST_F(ConversionTest, TimeCodesNameTicksTheCompilerReadsBack) {
    // At division 96 every tick has a code; at 480 only every fourth, so a tick between
    // is named by the one before it, or after it when the one before is taken, and a
    // text whose tick is taken by then joins the syllable before.
    EXPECT_EQ(Body({}, {{1, "\\a"}, {2, " b"}, {3, " c"}}), "\n$1:1:2$a $1:1:3$b $1:1:4$c\n");
    EXPECT_EQ(Body({}, {{1, "\\a"}, {2, " b"}, {3, " c"}}, 480), "\n$1:1:0$a $1:1:1$b\\ c\n");
    EXPECT_EQ(Body({}, {{1917, "\\a"}}, 480), "\n$1:4:119$a\n");
    EXPECT_EQ(Body({}, {{1916, "\\a"}, {1917, " b"}}, 480), "\n$1:4:119$a $2:1:0$b\n");
}

TEST_F(ConversionTest, TextsAtOneTickAreOneSyllable) {
    EXPECT_EQ(Body({10, 20}, {{10, "\\o"}, {10, "n"}, {20, " the"}}), "\non the\n");
    EXPECT_EQ(Body({0}, {{0, "\\Title"}, {0, "/by Somebody"}}), "\nTitle\\ by\\ Somebody\n");
    // Joined, the syllable still holds no more than 120 characters.
    const std::string body = Body({0}, {{0, "\\" + std::string(100, 'a')}, {0, " " + std::string(50, 'b')}});
    EXPECT_EQ(body, "\n" + std::string(100, 'a') + "\\ " + std::string(19, 'b') + "\n");
}

TEST_F(ConversionTest, TextAndLyricEventsWithTheSameWordsAreOneLyric) {
    EXPECT_EQ(Body({10, 20, 30}, {{10, "\\Hel"},
                                  {10, "Hel", 0x05},
                                  {20, "lo ", 0x05},
                                  {20, "lo"},
                                  {30, " world"},
                                  {30, "world\r", 0x05}}),
              "\nHel-lo world\n");
    // Different words at the tick are not a repeat.
    EXPECT_EQ(Body({10}, {{10, "\\Hel"}, {10, "lo", 0x05}}), "\nHello\n");
}

TEST_F(ConversionTest, TheBreaksOfLyricEventsBecomeMarks) {
    // A blank ending a lyric event ends its word; a carriage return, alone or at the end
    // of a text, its line.
    EXPECT_EQ(Body({10, 20, 30, 40, 50}, {{10, "Hel", 0x05},
                                          {20, "lo ", 0x05},
                                          {30, "world", 0x05},
                                          {30, "\r", 0x05},
                                          {40, "Good", 0x05},
                                          {50, "bye\r\n", 0x05}}),
              "\nHel-lo world\nGood-bye\n");
    // In a text event a trailing blank is part of the syllable; a leading line end is a line.
    EXPECT_EQ(Body({10, 20}, {{10, "\\a "}, {20, "\nb"}}), "\na\\ \nb\n");
}

TEST_F(ConversionTest, TextsLongerThanASyllableAreCut) {
    const std::string body = Body({10, 20}, {{10, "\\" + std::string(130, 'x')}, {20, " " + std::string(121, 'y')}});
    EXPECT_EQ(body, "\n" + std::string(120, 'x') + " " + std::string(120, 'y') + "\n");
}

}  // namespace
