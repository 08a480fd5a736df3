#include "hypgen/PatternCompiler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "hypgen/PatternSource.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/HyphenationTestSupport.h"

namespace sonkora {
namespace {

using hypgen::AddSource;
using hypgen::CompileError;
using hypgen::CompilePatterns;
using hypgen::PatternSet;
using hypgen::SourceError;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

PatternSet Plain(const std::string& patterns, const std::string& exceptions = "") {
    PatternSet set;
    AddSource(set, patterns, "patterns.txt", false);
    if (!exceptions.empty()) AddSource(set, exceptions, "exceptions.txt", true);
    return set;
}

TEST(PatternSource, PatternsAndExceptionWords) {
    const hypgen::Pattern p = hypgen::ParsePattern(".ex5a1", "f:1");
    EXPECT_EQ(std::pair(p.letters, p.values), std::pair(std::string(".exa"), std::vector<std::uint8_t>{0, 0, 0, 5, 1}));
    EXPECT_EQ(hypgen::ParsePattern("1b.", "f:1").values, (std::vector<std::uint8_t>{1, 0, 0}));
    const hypgen::ExceptionWord w = hypgen::ParseException("ta-bl-e", "f:2");
    EXPECT_EQ(std::pair(w.letters, w.breaks),
              std::pair(std::string("table"), std::vector<bool>{false, true, false, true}));

    for (const std::string& bad :
         std::vector<std::string>{"a12b", "a.b", "..", "5", "a-b", "a\\b", std::string(66, 'a')})
        EXPECT_THROW(hypgen::ParsePattern(bad, "f:3"), SourceError) << bad;
    for (const std::string& bad : std::vector<std::string>{"-ab", "ab-", "a--b", "a1b", "a.b", std::string(64, 'a')})
        EXPECT_THROW(hypgen::ParseException(bad, "f:4"), SourceError) << bad;
}

TEST(PatternSource, TexFilesGiveTheirGroupsAndRefuseEverythingElseWithItsPlace) {
    PatternSet set;
    AddSource(set,
              "% a comment \\patterns{ ignored\n\\patterns{ % patterns follow\n.ach4 a1b\n2c.}\n"
              "\\hyphenation{ta-ble\npresent}\n",
              "hyphen.tex", false);
    std::string letters;
    for (const hypgen::Pattern& p : set.patterns) letters += p.letters + " ";
    for (const hypgen::ExceptionWord& w : set.exceptions) letters += w.letters + " ";
    EXPECT_EQ(letters, ".ach ab c. table present ");
    EXPECT_EQ(set.patterns[2].origin, "hyphen.tex:4");

    EXPECT_THAT([&] { AddSource(set, "\\patterns{a1b}\n\\lccode`\\'=`\\'\n", "x.tex", false); },
                ThrowsMessage<SourceError>(AllOf(HasSubstr("x.tex:2"), HasSubstr("\\lccode"))));
    for (const char* bad : {"\\patterns{a1b", "\\patterns{a^^e9b}", "\\patterns a1b"})
        EXPECT_THROW(AddSource(set, bad, "y.tex", false), SourceError) << bad;
}

TEST(PatternSource, PlainListsAreUtf8AndHyphenPatternsAreLeftOut) {
    const PatternSet set = Plain("\357\273\277\303\2511t\n1-\n\342\200\2312\n");  // BOM, é1t, 1-, ’2
    ASSERT_EQ(set.patterns.size(), 2U);
    EXPECT_EQ(set.patterns[0].letters, "\xE9t");  // é in Windows-1252
    EXPECT_EQ(set.patterns[1].letters, "\x92");   // the typographic apostrophe
    EXPECT_EQ(set.withHyphen, (std::vector<std::string>{"patterns.txt:2"}));
}

TEST(PatternCompiler, HeaderCodesAndWordCharacters) {
    const std::string image = CompilePatterns(Plain("a1b\n\303\2611a\n'2\n"), "SPANISH").image;  // ñ1a
    EXPECT_EQ(image.size(), PatternFile::FullTrieEnd);
    EXPECT_EQ(image.substr(0, 33), std::string("Sonkora Hyphenation SPANISH V2.0\0", 33));
    const auto code = [&image](unsigned c) {
        return static_cast<unsigned char>(image[PatternFile::CodeTableOffset + c]);
    };
    EXPECT_TRUE(code('a') != 0 && code('A') == code('a'));
    for (unsigned vowel : {0xE9, 0xC9, 0xFF, 0x9F, 0x9C}) EXPECT_TRUE(VowelCodes.Contains(code(vowel))) << vowel;
    for (unsigned consonant : {0xF1U, 0xD1U, 0xE7U, 0xDFU, 0x9AU, unsigned{'\''}})  // the patterns use the '
        EXPECT_TRUE(code(consonant) != 0 && !VowelCodes.Contains(code(consonant))) << consonant;
    for (unsigned char none : {'-', '.', '0', ' ', '\x7F', '\x92', '\xD7'}) EXPECT_EQ(code(none), 0) << int{none};
    // The characters with a code are the word characters, and none has the word edge's code.
    HyphenationEngine engine;
    engine.LoadPatternImage(image);
    for (unsigned x = 0; x < 256; ++x) {
        EXPECT_EQ(engine.WordChars().Contains(x), code(x) != 0) << x;
        EXPECT_NE(code(x), PatternFile::BoundaryCode) << x;
    }
}

TEST(PatternCompiler, WhatDoesNotFitAPatternFileIsRefusedSayingWhereAndByHowMuch) {
    // 9 values at 30 distances, each its own operation: 270.
    std::string manyOperations;
    for (int value = 1; value <= 9; ++value)
        for (int distance = 1; distance <= 30; ++distance)
            manyOperations +=
                std::to_string(value) + static_cast<char>('a' + value) + std::string(distance - 1, 'z') + "\n";
    // Five-letter patterns spread over all 26^5 (k times a prime is a different number for
    // each k) share few prefixes: far more than 8001 entries, but one value each at one of
    // six places, so few operations.
    std::string manyEntries;
    for (unsigned k = 0; k < 6000; ++k) {
        std::string letters;
        for (unsigned n = k * 104729U % 11881376U, i = 0; i < 5; ++i, n /= 26)
            letters += static_cast<char>('a' + n % 26);
        letters.insert(k % 6, 1, static_cast<char>('1' + k % 9));
        manyEntries += letters + "\n";
    }
    // Patterns, language name, parts of the message.
    const std::tuple<PatternSet, std::string, std::vector<std::string>> cases[] = {
        {Plain("a1b\n\304\2111a\n\304\2352\n\304\2113e\n"), "X", {"U+0109", "U+011D", "patterns.txt:2"}},
        {Plain("a1b\nc1d\nA2B\n"), "X", {"patterns.txt:3", "patterns.txt:1"}},
        {Plain("a1t\n", "ba-ton\nbat-on\n"), "X", {"exceptions.txt:2", "exceptions.txt:1"}},
        {Plain("a1b\n"), "", {"language name"}},
        {Plain("a1b\n"), "NEW ZEALAND", {"language name"}},
        {Plain("a1b\n"), std::string(41, 'X'), {"3 characters too long"}},
        {Plain(manyOperations), "X", {"270 operations, 15 more than the 255"}},
        {Plain(manyEntries), "X", {"beyond the last reachable entry 8000"}},
    };
    for (const auto& [set, language, says] : cases)
        for (const std::string& part : says)
            EXPECT_THAT([&] { CompilePatterns(set, language); }, ThrowsMessage<CompileError>(HasSubstr(part)))
                << language;
    EXPECT_THAT([&] { CompilePatterns(Plain(manyEntries), "X"); },
                ThrowsMessage<CompileError>(::testing::Not(HasSubstr("operations"))));
    EXPECT_NO_THROW(CompilePatterns(Plain("a1b\na1b\nA1B\n"), std::string(38, 'X')));  // repeats agree
}

// Compiled files against Liang matching are the shipped files' test; here the exception
// words, which hold for the whole word only.
TEST(PatternCompiler, ExceptionWordsHoldForTheWholeWordInAnyCase) {
    // Exceptions hold for the whole word in any case, not for a word that begins with one.
    HyphenationEngine excepted;
    excepted.LoadPatternImage(CompilePatterns(Plain("a1t\n1na\n", "baton\nbana-na\n"), "X").image);
    EXPECT_EQ(excepted.Hyphenate("BATON") + excepted.Hyphenate("banana"), "BATONbana-na");
    EXPECT_EQ(excepted.Hyphenate("batons"), "ba-tons");
}

}  // namespace
}  // namespace sonkora
