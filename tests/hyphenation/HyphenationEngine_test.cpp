#include "hyphenation/HyphenationEngine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/IoError.h"
#include "hyphenation/HyphenationTestSupport.h"

namespace sonkora {
namespace {

using testing::HandMadeImage;

constexpr std::uint16_t Leaf = 8001;  // every step from here lands at entry 0

// A pattern file small enough to follow by hand. Letters have their lower-case ASCII
// value as code, "é" has the vowel code 3, "ñ" the consonant code 130. Patterns, with
// the trie entries that hold them:
//
//   1c1     root 99 (op 9: distance 1 value 1, then op 2: distance 0 value 1)
//   i1      root 105 (op 2)          é1  root 3 (op 2)          ñ1  root 130 (op 2)
//   o1p     root 111 -> 1000 + 112 (op 1: distance 1 value 1)
//   n1t     root 110 -> 2000 + 116 (op 1)
//   n2th    ... -> 3500 + 104 (op 8: distance 2 value 2)
//   s1k     root 115 -> 2300 + 107 (op 1)
//   s2k1i   ... -> 2500 + 105 (op 3: distance 2 value 2, then op 1)
//   .un1    root 127 -> 2700 + 117 -> 2900 + 110 (op 2)
//   1ly.    root 108 -> 3100 + 121 -> 3300 + 127 (op 5: distance 3 value 5)
//   qu1     root 113 links to 7950; 7950 + 117 is past entry 8000, so the walk goes on at
//           entry 0, which holds "u" with op 2
//   gz1     root 103 -> 7878 + 122, the last entry there is (op 2)
//   ww      root 119 -> 4000 + 119 (op 6: distance 200, which lands outside any word)
//   wx      ... 4000 + 120 (op 7: distance 255, that is the gap after the next letter)
HandMadeImage Patterns() {
    HandMadeImage image;
    image.Identification("Test Hyphenation HANDMADE V2.0");
    image.AsciiLetters();
    image.Code(0xE9, 3), image.Code(0xC9, 3);  // é, É
    image.Code(0xF1, 130);                     // ñ
    // Operation: number, distance, value, next.
    const std::uint8_t ops[][4] = {{1, 1, 1, 0},   {2, 0, 1, 0},   {3, 2, 2, 1}, {5, 3, 5, 0},
                                   {6, 200, 1, 0}, {7, 255, 1, 0}, {8, 2, 2, 0}, {9, 1, 1, 2}};
    for (const auto& op : ops) image.Op(op[0], op[1], op[2], op[3]);
    image.Entry('c', Leaf, 9, 'c');
    image.Entry('i', Leaf, 2, 'i');
    image.Entry(3, Leaf, 2, 3);
    image.Entry(130, Leaf, 2, 130);
    image.Entry('o', 1000, 0, 'o'), image.Entry(1000 + 'p', Leaf, 1, 'p');
    image.Entry('n', 2000, 0, 'n'), image.Entry(2000 + 't', 3500, 1, 't'), image.Entry(3500 + 'h', Leaf, 8, 'h');
    image.Entry('s', 2300, 0, 's'), image.Entry(2300 + 'k', 2500, 1, 'k'), image.Entry(2500 + 'i', Leaf, 3, 'i');
    image.Entry(127, 2700, 0, 127), image.Entry(2700 + 'u', 2900, 0, 'u'), image.Entry(2900 + 'n', Leaf, 2, 'n');
    image.Entry('l', 3100, 0, 'l'), image.Entry(3100 + 'y', 3300, 0, 'y'), image.Entry(3300 + 127, Leaf, 5, 127);
    image.Entry('q', 7950, 0, 'q'), image.Entry(0, Leaf, 2, 'u');
    image.Entry('g', 7878, 0, 'g'), image.Entry(7878 + 'z', Leaf, 2, 'z');
    image.Entry('w', 4000, 0, 'w'), image.Entry(4000 + 'w', Leaf, 6, 'w'), image.Entry(4000 + 'x', Leaf, 7, 'x');
    return image;
}

void ExpectAll(const HyphenationEngine& engine, const std::vector<std::pair<std::string, std::string>>& cases) {
    for (const auto& [word, expected] : cases) EXPECT_EQ(engine.Hyphenate(word), expected) << "word " << word;
}

// The walk itself is checked against a reference on compiled files (PatternCompiler_test);
// these are what a compiled file never holds: links that wrap, far distances, a vowel code
// for an accented letter.
TEST(HandMadePatterns, TheWalkGivesEachPatternItsValuesAndTheEdgeRulesHold) {
    HyphenationEngine engine;
    ASSERT_TRUE(engine.LoadPatternImage(Patterns().Bytes()));
    ExpectAll(engine, {
                          {"BANTER", "BAN-TER"},         // n1t; upper case shares the codes
                          {"panther", "panther"},        // n2th outweighs n1t
                          {"baskin", "bask-in"},         // s2k1i: one chain sets two gaps, and 2 outweighs s1k
                          {"fundo", "fundo"},            // .un1: "un" inside the word is not at its start
                          {"lovely", "love-ly"},         // 1ly. starts at the fifth of six letters
                          {"equator", "equ-ator"},       // q, then 7950 + "u" wraps to entry 0, which holds "u"
                          {"eqat", "eqat"},              // 7950 + "a" wraps too, and entry 0 does not hold "a"
                          {"agzab", "agz-ab"},           // entry 8000 is still there
                          {"awwa", "awwa"},              // distance 200 points far outside the word
                          {"awxaba", "awxa-ba"},         // distance 255 from the x is the gap after the next letter
                          {"\311den", "\311-den"},       // an accented vowel (code 3) may stand alone first
                          {"\xF1o\xF1o", "\xF1o\xF1o"},  // code 130 is no vowel
                          {"cinema", "ci-nema"},         // nor is a consonant
                          {"ic", "ic"},
                          {"ido", "i-do"},
                          // 1c1 asks for breaks on both sides of a hyphen the word holds.
                          {"tic-ca", "ti-c-ca"},
                          {"-cic-", "-c-ic-"},
                          {std::string(64, 'c'), std::string(64, 'c')},  // longer than 63: unchanged
                      });
    const std::string longest = engine.Hyphenate(std::string(63, 'c'));
    EXPECT_EQ(longest.size(), 63U + 59U);  // every gap but the first and the last two
    EXPECT_EQ(longest.find("--"), std::string::npos);

    // Word characters outlive the patterns; nothing loaded, nothing breaks.
    engine.FreePatterns();
    EXPECT_TRUE(engine.WordChars().Contains('a'));
    EXPECT_EQ(engine.Hyphenate("banter"), "banter");
}

TEST(PatternImage, EmptyShortAndDamagedImagesNeitherCrashNorHang) {
    HyphenationEngine engine;
    ASSERT_TRUE(engine.LoadPatternImage(std::string(PatternFile::ImageSize, '\0')));
    for (const char* word : {"banter", "abc", "a-b-c"}) EXPECT_EQ(engine.Hyphenate(word), word);

    // Up to entry 119: the root entries of c and i are there, entry 2116 (n1t) is not.
    const std::string full = Patterns().Bytes();
    ASSERT_TRUE(engine.LoadPatternImage(full.substr(0, PatternFile::TrieOffset + 120 * 4)));
    EXPECT_EQ(engine.Hyphenate("tica"), "ti-ca");
    EXPECT_EQ(engine.Hyphenate("banter"), "banter");
    ASSERT_TRUE(engine.LoadPatternImage(full.substr(0, 10)));
    EXPECT_EQ(engine.Hyphenate("tica"), "tica");

    HandMadeImage damaged;
    damaged.AsciiLetters();
    damaged.Op(10, 1, 3, 10);  // a chain that points at itself
    damaged.Entry('k', Leaf, 10, 'k');
    damaged.Entry('a', 0xFFFF, 0, 'a');  // the greatest link there is
    damaged.Op(11, 0, 1, 0);
    damaged.Entry(0, 0, 11, 'b');  // reached from the link above with "b"
    ASSERT_TRUE(engine.LoadPatternImage(damaged.Bytes()));
    ExpectAll(engine, {{"bakery", "ba-kery"}, {"tabbet", "tab-bet"}, {std::string(63, 'a'), std::string(63, 'a')}});
}

TEST(PatternFileLoading, ReadsTheFileAndReportsWhatCannotBeRead) {
    test::TempFolder folder;
    HyphenationEngine engine;
    ASSERT_TRUE(engine.LoadPatterns(folder.Write("hand.hyp", Patterns().Bytes())));
    EXPECT_EQ(engine.Hyphenate("banter"), "ban-ter");

    EXPECT_THROW(engine.LoadPatterns(folder.Path("missing.hyp")), IoError);

    // A file that is no pattern file is refused by name, before anything is used. The other
    // refusals (header, version, a cut entry, a looping chain) are sonkorac's file fault test.
    const std::pair<std::string, std::string> refused[] = {
        {Patterns().Bytes() + std::string(70000, '\x7F'), "too large (103188 bytes; at most 65500)"},
        {Patterns().Bytes().substr(0, 1000), "ends inside its tables (1000 bytes"},
    };
    for (const auto& [bytes, problem] : refused) {
        const std::string name = folder.Write("bad.hyp", bytes);
        EXPECT_THAT([&] { engine.LoadPatterns(name); },
                    ::testing::ThrowsMessage<IoError>(
                        ::testing::AllOf(::testing::StartsWith(name + ": "), ::testing::HasSubstr(problem))));
    }
    EXPECT_EQ(engine.Hyphenate("banter"), "ban-ter") << "a failed load keeps the patterns there were";
}

}  // namespace
}  // namespace sonkora
