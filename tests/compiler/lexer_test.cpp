// The lyric body lexer: what each character does, the syllable prefixes, and the places
// it reports for records and errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/LyricLexer.h"

namespace sonkora {
namespace {

// Writes what the lexer emits as one line: syllables as their lyric text in brackets,
// time codes as $code$ and track changes as #code#, each followed by its place when
// asked for.
class Trace : public LexerHandler {
public:
    bool Syllable(const std::string& syllable, LyricPrefix prefix, int32_t end) override {
        out += "[" + LyricText(prefix, syllable) + "]";
        ends.push_back(end);
        return true;
    }
    bool TimeCode(const std::string& code, SourcePlace dollar) override {
        out += "$" + code + "$";
        places.push_back(dollar);
        return true;
    }
    bool TrackChange(const std::string& code, SourcePlace end) override {
        out += "#" + code + "#";
        places.push_back(end);
        return true;
    }
    void SyllableTooLong(SourcePlace place) override {
        out += "!too long";
        places.push_back(place);
    }

    std::string out;
    std::vector<int32_t> ends;
    std::vector<SourcePlace> places;
};

std::string Lex(const std::vector<std::string>& lines, Trace* trace = nullptr) {
    Trace local;
    Trace& t = trace != nullptr ? *trace : local;
    LyricLexer lexer(lines, 0);
    if (lexer.Run(t)) lexer.FlushSyllable(t);
    return t.out;
}

struct Case {
    std::vector<std::string> lines;
    std::string emitted;
};

class LexerCases : public ::testing::TestWithParam<Case> {};

TEST_P(LexerCases, EmitsSyllablesWithTheirPrefixes) { EXPECT_EQ(Lex(GetParam().lines), GetParam().emitted); }

INSTANTIATE_TEST_SUITE_P(
    Body, LexerCases,
    ::testing::Values(
        // The first syllable opens a paragraph; hyphen and underscore split words.
        Case{{"Hel-lo world,", "how are you", "", "Fine_ty thanks"},
             "[\\Hel][lo][ world,][/how][ are][ you][\\Fine][ty][ thanks]"},
        // A doubled hyphen leaves an empty syllable between, which holds a note.
        Case{{"Hel--lo"}, "[\\Hel][][lo]"},
        // A blank after a hyphen: the empty syllable is emitted at the blank.
        Case{{"lo- world"}, "[\\lo][][ world]"},
        // A hyphen at the end of a line takes one more note.
        Case{{"lo-", "world"}, "[\\lo][][/world]"},
        // Unescaped digits vanish and split nothing; escaped ones stay.
        Case{{"R2D2 R\\2D\\2"}, "[\\RD][ R2D2]"},
        // Digits standing alone still make a (empty) syllable.
        Case{{"la 123 la"}, "[\\la][][ la]"},
        // Escapes take the next character literally, whatever it means otherwise.
        Case{{"a\\-b a\\_b a\\ b a\\\\b a\\$b"}, "[\\a-b][ a_b][ a b][ a\\b][ a$b]"},
        // An escaped line end is a line feed in the syllable, which goes on below.
        Case{{"ab\\", "cd ef"}, "[\\ab\ncd][ ef]"},
        // A "\t" line in the body is no directive: t, then the dropped digit keeps the
        // reader in a word, so the line end emits an empty syllable.
        Case{{"\\t 3"}, "[\\t][]"},
        // A body starting with a blank emits an empty syllable first.
        Case{{" la la", " li"}, "[][\\la][ la][/li]"},
        // Tabs are gaps; carriage returns are ignored everywhere.
        Case{{"la\tli\r", "l\ro"}, "[\\la][ li][/lo]"},
        // A line of blanks counts as an empty line.
        Case{{"la", "   ", "li"}, "[\\la][\\li]"},
        // A time code binds the syllable that follows it directly ...
        Case{{"Fine_ty $3:1:0$thanks"}, "[\\Fine][ty]$3:1:0$[ thanks]"},
        // ... and a blank after it emits an empty syllable that takes the time.
        Case{{"la $2:1:0$ li"}, "[\\la]$2:1:0$[][ li]"},
        // A time code inside a word does not split it.
        Case{{"ab$1:2:0$cd"}, "$1:2:0$[\\abcd]"},
        // The time query is an empty code.
        Case{{"Hel-$$lo"}, "[\\Hel]$$[lo]"},
        // A time code left open ends with its line; the line end is consumed by it.
        Case{{"la $1:2:0", "li"}, "[\\la]$1:2:0$[ li]"},
        // A track change gets its backslash back; whatever preceded the backslash stays.
        Case{{"la $\\t 2$li"}, "[\\la]#\\t 2#[ li]"},
        Case{{"la $ab\\t 2$li"}, "[\\la]#\\abt 2#[ li]"},
        // Several empty lines still make one paragraph.
        Case{{"a", "", "", "", "b"}, "[\\a][\\b]"}));

TEST(Lexer, RecordEndsAreTheIndexAfterTheCharacterThatEndedTheSyllable) {
    // "Hel-lo world," / "how": the hyphen ends Hel at index 3, the blank ends lo at 6,
    // the line end ends world, and the next line starts at 14; the last line end is
    // the end of the text.
    Trace trace;
    Lex({"Hel-lo world,", "how"}, &trace);
    EXPECT_EQ(trace.ends, (std::vector<int32_t>{4, 7, 14, 17}));
}

TEST(Lexer, IndexesCountFromTheFirstLineOfTheTextNotOfTheBody) {
    Trace trace;
    const std::vector<std::string> lines = {"\\t 1", "", "la li"};
    LyricLexer lexer(lines, 2);
    ASSERT_TRUE(lexer.Run(trace));
    EXPECT_EQ(trace.out, "[\\la][ li]");
    EXPECT_EQ(trace.ends, (std::vector<int32_t>{9, 11}));
}

TEST(Lexer, SyllableLimitIs120Characters) {
    const std::string longest(120, 'a');
    EXPECT_EQ(Lex({longest}), "[\\" + longest + "]");

    // The 121st character is refused, and the place named is that character: the
    // caret lands just after it.
    Trace trace;
    EXPECT_EQ(Lex({"la " + std::string(121, 'b') + " li"}, &trace), "[\\la]!too long");
    ASSERT_EQ(trace.places.size(), 1u);
    EXPECT_EQ(trace.places[0].Line, 0);
    EXPECT_EQ(trace.places[0].Column, 3 + 121);
}

TEST(Lexer, DroppedDigitsAndEscapesDoNotCountTowardsTheLimit) {
    // 120 letters with digits between them and one escaped letter: still 120.
    std::string line;
    for (int i = 0; i < 119; ++i) line += i % 10 == 0 ? "a7" : "a";
    line += "\\a";
    EXPECT_EQ(Lex({line}), "[\\" + std::string(120, 'a') + "]");
    EXPECT_EQ(Lex({line + "a"}).substr(0, 1), "!");
}

TEST(Lexer, TimeCodePlaceIsItsOpeningDollarAndTrackChangePlaceItsClosingOne) {
    Trace trace;
    Lex({"la", "li $1:2:0$lo $\\t 2$", "lu $\\t 3"}, &trace);
    ASSERT_EQ(trace.places.size(), 3u);
    EXPECT_EQ(trace.places[0].Line, 1);
    EXPECT_EQ(trace.places[0].Column, 4);
    EXPECT_EQ(trace.places[1].Line, 1);
    EXPECT_EQ(trace.places[1].Column, 19);
    // Closed by the line end: the column after the line's last character.
    EXPECT_EQ(trace.places[2].Line, 2);
    EXPECT_EQ(trace.places[2].Column, 9);
}

TEST(Lexer, OnlyASyllableLeftAfterTheLastLineEndIsPending) {
    const std::vector<std::string> plain = {"la li"};
    LyricLexer ended(plain, 0);
    Trace trace;
    ASSERT_TRUE(ended.Run(trace));
    EXPECT_FALSE(ended.HasPendingSyllable());

    const std::vector<std::string> escaped = {"la li\\"};
    LyricLexer open(escaped, 0);
    Trace pending;
    ASSERT_TRUE(open.Run(pending));
    EXPECT_TRUE(open.HasPendingSyllable());
    ASSERT_TRUE(open.FlushSyllable(pending));
    EXPECT_EQ(pending.out, "[\\la][ li\n]");
    // Flushed at the end of the text, it ends there.
    EXPECT_EQ(pending.ends.back(), 6);
}

TEST(Lexer, EveryByteValueIsPartOfASyllable) {
    // Windows-1252 letters and control characters other than the special ones are
    // syllable characters like any other.
    EXPECT_EQ(Lex({"\xE9t\xE9 \x01x"}), "[\\\xE9t\xE9][ \x01x]");
}

}  // namespace
}  // namespace sonkora
