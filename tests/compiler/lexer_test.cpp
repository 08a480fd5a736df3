// The lyric body lexer: what each character does, the syllable prefixes, and the places
// it reports for records and errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/LyricLexer.h"

namespace sonkora {
namespace {

// Syllables as "[lyric text]", time codes as "$code$", track changes as "#code#", too
// long as "!"; `places` gets each syllable's end index and each other place as line:column.
class Trace : public LexerHandler {
public:
    bool Syllable(const std::string& syllable, LyricPrefix prefix, int32_t end) override {
        return Add("[" + LyricText(prefix, syllable) + "]", std::to_string(end));
    }
    bool TimeCode(const std::string& code, SourcePlace dollar) override { return Add("$" + code + "$", Place(dollar)); }
    bool TrackChange(const std::string& code, SourcePlace end) override { return Add("#" + code + "#", Place(end)); }
    void SyllableTooLong(SourcePlace place) override { Add("!", Place(place)); }

    std::string out;
    std::string places;

private:
    static std::string Place(SourcePlace at) { return std::to_string(at.Line) + ":" + std::to_string(at.Column); }
    bool Add(const std::string& event, const std::string& place) {
        out += event;
        places += (places.empty() ? "" : " ") + place;
        return true;
    }
};

Trace Lex(const std::vector<std::string>& lines, int firstLine = 0) {
    Trace trace;
    LyricLexer lexer(lines, firstLine);
    if (lexer.Run(trace)) lexer.FlushSyllable(trace);
    return trace;
}

TEST(Lexer, EmitsSyllablesWithTheirPrefixes) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // The example song's prefixes are checked with its preview records.
        // A doubled hyphen, or one before a blank or a line end, leaves an empty syllable.
        {{"Hel--lo wor- ld-", "x"}, "[\\Hel][][lo][ wor][][ ld][][/x]"},
        // Unescaped digits vanish and split nothing, yet a word of them is a syllable.
        {{"R2D2 R\\2D\\2 123 la"}, "[\\RD][ R2D2][][ la]"},
        {{"a\\-b a\\_b a\\ b a\\\\b a\\$b \xE9\x01"}, "[\\a-b][ a_b][ a b][ a\\b][ a$b][ \xE9\x01]"},
        // An escaped line end is a line feed in a syllable that goes on below, or ends the text.
        {{"ab\\", "cd ef\\"}, "[\\ab\ncd][ ef\n]"},
        {{" la la", " li"}, "[][\\la][ la][/li]"},
        {{"la\tli\r", "l\ro", "   ", "lu"}, "[\\la][ li][/lo][\\lu]"},
        // A time code binds the next syllable: a blank after it emits an empty one.
        {{"Fine_ty $3:1:0$thanks"}, "[\\Fine][ty]$3:1:0$[ thanks]"},
        {{"la $2:1:0$ li"}, "[\\la]$2:1:0$[][ li]"},
        {{"ab$1:2:0$cd"}, "$1:2:0$[\\abcd]"},
        {{"Hel-$$lo"}, "[\\Hel]$$[lo]"},
        {{"la $1:2:0", "li"}, "[\\la]$1:2:0$[ li]"},
        {{"la $\\t 2$li $ab\\t 2$lo"}, "[\\la]#\\t 2#[ li]#\\abt 2#[ lo]"},
    };
    for (const auto& [lines, emitted] : cases) EXPECT_EQ(Lex(lines).out, emitted) << lines[0];
}

TEST(Lexer, PlacesCountFromTheFirstLineOfTheText) {
    // Syllables end after the character that ended them (a line end: at the next line,
    // or at the end of the text); a time code is placed at its opening "$", a track
    // change at its closing one or at the column after the line that closed it.
    EXPECT_EQ(Lex({"Hel-lo world,", "how"}).places, "4 7 14 17");
    EXPECT_EQ(Lex({"\\t 1", "", "la li\\"}, 2).places, "9 12");
    const Trace codes = Lex({"la", "li $1:2:0$lo $\\t 2$", "lu $\\t 3"});
    EXPECT_EQ(codes.out, "[\\la][/li]$1:2:0$[ lo]#\\t 2#[][/lu]#\\t 3#");
    EXPECT_EQ(codes.places, "3 6 1:4 16 1:19 23 26 2:9");
}

TEST(Lexer, SyllablesHoldAtMost120Characters) {
    // The place named is the 121st character.
    EXPECT_EQ(Lex({"la " + std::string(121, 'b') + " li"}).places, "3 0:124");
    // Dropped digits and escape characters do not count: 120 letters are taken, 121 not.
    std::string line;
    for (int i = 0; i < 119; ++i) line += i % 10 == 0 ? "a7" : "a";
    EXPECT_EQ(Lex({line + "\\a"}).out, "[\\" + std::string(120, 'a') + "]");
    EXPECT_EQ(Lex({line + "\\aa"}).out, "!");
}

}  // namespace
}  // namespace sonkora
