// What an import writes for the texts of a Words track: the syllable marks, escapes and
// placeholders, and where texts sit on no voice note, share a tick, repeat one another
// as text and lyric events, carry line ends or are longer than a syllable may be.
#include "midi/import_fixture.h"

using namespace sonkora;
using namespace sonkora::importtest;
using namespace sonkora::test;

namespace {

struct Case {
    const char* what;
    std::vector<uint32_t> notes;
    std::vector<Timed> texts;
    std::string body;  // the song text after its directive lines
    uint16_t division = 96;
};

const std::string X120(120, 'x');

const Case Cases[] = {
    {"marks", {96, 192, 288, 384, 480}, {{96, "\\Hel"}, {192, "lo"}, {288, " world"}, {384, "/Good"}, {480, "bye"}},
     "\nHel-lo world\nGood-bye\n"},
    {"paragraph", {10, 20, 30}, {{10, "\\a"}, {20, "\\b"}, {30, "/c"}}, "\na\n\nb\nc\n"},
    {"first syllable's own mark", {10, 20}, {{10, " Hel"}, {20, "/lo"}}, "\nHel\nlo\n"},
    {"escapes", {10, 20, 30}, {{10, "\\Go"}, {20, " rock 'n' roll"}, {30, " 1st_-"}}, "\nGo rock\\ 'n'\\ roll \\1st\\_\\-\n"},
    {"more escapes", {10}, {{10, "\\$5\\x\tz\none\rtwo"}}, "\n\\$\\5\\\\x\\\tz\\\nonetwo\n"},
    {"placeholders", {10, 20, 30, 40, 50, 60, 70}, {{10, "\\a"}, {30, " b"}, {50, "c"}, {70, "/d"}}, "\na- b--c-\nd\n"},
    {"placeholders first", {0, 48, 96}, {{0, "@TSong"}, {96, "\\Hel"}}, "@TSong\n\n--Hel\n"},
    {"header lines", {0, 10}, {{0, "@LENGL"}, {0, "@TTitle\r\n"}, {0, "\\la"}, {10, "@Tlate"}, {10, " li"}},
     "@LENGL\n@TTitle\n\nla li\n"},
    {"empty texts", {10, 20}, {{10, "\\a"}, {10, ""}, {20, " b"}, {20, ""}}, "\na b\n"},
    // Texts on no voice note keep their tick with a time code; the compiler passes over
    // the notes before it by itself.
    {"no note", {768, 864}, {{0, "\\Title"}, {768, "\\la"}, {864, "la"}, {1000, "/end"}},
     "\n$1:1:0$Title\n\nla-la\n$3:3:50$end\n"},
    {"between notes", {0, 48, 96, 144}, {{0, "\\a"}, {120, " b"}, {144, " c"}}, "\na $1:2:30$b c\n"},
    // Where no code names the tick (units of four ticks at 480), a note a 32nd note (60
    // ticks) away takes the text: the nearer of two, the earlier of two as near. An exact
    // code is preferred to a near note.
    {"near", {480, 960, 1440}, {{475, "\\a"}, {1001, " b"}, {1004, " c"}, {1430, " d"}},
     "\na b $1:3:11$c d\n", 480},
    {"nearer", {100, 130, 137}, {{0, "\\x"}, {135, " y"}}, "\n$1:1:0$x-- y\n", 480},
    {"as near", {100, 130, 141}, {{0, "\\x"}, {135, " y"}}, "\n$1:1:0$x- y\n", 480},
    // Every tick has a code at 96; at 480 a tick between units takes the unit before it,
    // or after it when that is taken, and a text left without a tick joins the one before.
    {"every tick", {}, {{1, "\\a"}, {2, " b"}, {3, " c"}}, "\n$1:1:2$a $1:1:3$b $1:1:4$c\n"},
    {"units", {}, {{1, "\\a"}, {2, " b"}, {3, " c"}, {1917, " d"}}, "\n$1:1:0$a $1:1:1$b\\ c $1:4:119$d\n", 480},
    {"unit after", {}, {{1916, "\\a"}, {1917, " b"}}, "\n$1:4:119$a $2:1:0$b\n", 480},
    {"one tick", {0, 10}, {{0, "\\Title"}, {0, "/by Me"}, {10, " o"}, {10, "n"}}, "\nTitle\\ by\\ Me on\n"},
    {"one tick, cut", {0}, {{0, "\\" + std::string(100, 'x')}, {0, " " + std::string(50, 'y')}},
     "\n" + std::string(100, 'x') + "\\ " + std::string(19, 'y') + "\n"},
    {"too long", {10, 20}, {{10, "\\" + X120 + "abc"}, {20, " " + X120 + "y"}}, "\n" + X120 + " " + X120 + "\n"},
    // Text and lyric events with the same words at one tick are one lyric; the closing
    // blank and the line ends of lyric events are their breaks.
    {"repeats", {10, 20, 30}, {{10, "\\Hel"}, {10, "Hel", 0x05}, {20, "lo ", 0x05}, {20, "lo"}, {30, " world"},
                               {30, "world\r", 0x05}, {30, "ld", 0x05}},
     "\nHel-lo worldld\n"},
    {"lyric events", {10, 20, 30, 40, 50}, {{10, "Hel", 0x05}, {20, "lo ", 0x05}, {30, "world", 0x05}, {30, "\r", 0x05},
                                            {40, "Good", 0x05}, {50, "bye\r\n", 0x05}},
     "\nHel-lo world\nGood-bye\n"},
    {"text event blanks", {10, 20}, {{10, "\\a "}, {20, "\nb"}}, "\na\\ \nb\n"},
};

TEST(ImportConversion, WritesEachTextWhereTheCompilerReadsItBack) {
    for (const Case& c : Cases) {
        passtest::TempDir dir;
        const std::string kar = dir.File("song.kar");
        passtest::WriteBytes(kar, KaraokeFile(c.division, WordsTrack(c.texts), {VoiceTrack(c.notes)}));
        ScriptedUi ui;
        RecordingHost host;
        EXPECT_EQ(ImportKaraoke(ui, host, kar).outcome, ImportOutcome::Imported) << c.what;
        EXPECT_EQ(SongTextBody(passtest::ReadText(dir.File("song.stf"))), c.body) << c.what;
    }
}

}  // namespace
