#include "hypgen/PatternCompiler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/LiangReference.h"
#include "hyphenation/PatternFile.h"
#include "hypgen/PatternSource.h"

namespace sonkora {
namespace {

using hypgen::AddSource;
using hypgen::CompileError;
using hypgen::CompilePatterns;
using hypgen::ParseException;
using hypgen::ParsePattern;
using hypgen::PatternSet;
using hypgen::SourceError;
using ::testing::HasSubstr;

PatternSet Plain(const std::string& patterns, const std::string& exceptions = "") {
    PatternSet set;
    AddSource(set, patterns, "patterns.txt", false);
    if (!exceptions.empty()) AddSource(set, exceptions, "exceptions.txt", true);
    return set;
}

HyphenationEngine Loaded(const std::string& image) {
    HyphenationEngine engine;
    EXPECT_TRUE(engine.LoadPatternImage(image));
    return engine;
}

TEST(PatternSource, PatternsAndExceptionWords) {
    const hypgen::Pattern p = ParsePattern(".ex5a1", "f:1");
    EXPECT_EQ(p.letters, ".exa");
    EXPECT_EQ(p.values, (std::vector<std::uint8_t>{0, 0, 0, 5, 1}));
    EXPECT_EQ(ParsePattern("1b.", "f:1").values, (std::vector<std::uint8_t>{1, 0, 0}));

    const hypgen::ExceptionWord w = ParseException("ta-bl-e", "f:2");
    EXPECT_EQ(w.letters, "table");
    EXPECT_EQ(w.breaks, (std::vector<bool>{false, true, false, true}));

    for (const char* bad : {"a12b", "a.b", "..", "5", "a-b", "a\\b"}) {
        EXPECT_THROW(ParsePattern(bad, "f:3"), SourceError) << bad;
    }
    for (const char* bad : {"-ab", "ab-", "a--b", "a1b", "a.b"}) {
        EXPECT_THROW(ParseException(bad, "f:4"), SourceError) << bad;
    }
    EXPECT_THROW(ParsePattern(std::string(66, 'a'), "f:5"), SourceError);
    EXPECT_THROW(ParseException(std::string(64, 'a'), "f:6"), SourceError);
}

TEST(PatternSource, TexFilesGiveTheirPatternsAndExceptions) {
    PatternSet set;
    AddSource(set,
              "% a comment \\patterns{ ignored\n"
              "\\patterns{ % patterns follow\n"
              ".ach4 a1b\n"
              "2c.}\n"
              "\\hyphenation{ta-ble\n"
              "present}\n",
              "hyphen.tex", false);
    ASSERT_EQ(set.patterns.size(), 3U);
    EXPECT_EQ(set.patterns[0].letters, ".ach");
    EXPECT_EQ(set.patterns[2].letters, "c.");
    EXPECT_EQ(set.patterns[2].origin, "hyphen.tex:4");
    ASSERT_EQ(set.exceptions.size(), 2U);
    EXPECT_EQ(set.exceptions[1].letters, "present");
}

TEST(PatternSource, TexCommandsBeyondPatternsAreRefusedWithTheirPlace) {
    PatternSet set;
    try {
        AddSource(set, "\\patterns{a1b}\n\\lccode`\\'=`\\'\n", "x.tex", false);
        FAIL() << "no error";
    } catch (const SourceError& error) {
        EXPECT_THAT(error.what(), HasSubstr("x.tex:2"));
        EXPECT_THAT(error.what(), HasSubstr("\\lccode"));
    }
    EXPECT_THROW(AddSource(set, "\\patterns{a1b", "y.tex", false), SourceError);
    EXPECT_THROW(AddSource(set, "\\patterns{a^^e9b}", "z.tex", false), SourceError);
    EXPECT_THROW(AddSource(set, "\\patterns a1b", "w.tex", false), SourceError);
}

TEST(PatternSource, PlainListsAreUtf8AndHyphenPatternsAreLeftOut) {
    const PatternSet set = Plain("\xEF\xBB\xBF" "\xC3\xA9" "1t\n1-\n\xE2\x80\x99" "2\n");
    ASSERT_EQ(set.patterns.size(), 2U);
    EXPECT_EQ(set.patterns[0].letters, "\xE9t");  // é in Windows-1252
    EXPECT_EQ(set.patterns[1].letters, "\x92");   // the typographic apostrophe
    EXPECT_EQ(set.withHyphen, (std::vector<std::string>{"patterns.txt:2"}));
}

TEST(PatternCompiler, LettersTheCodePageCannotHoldAreNamed) {
    const PatternSet set = Plain("a1b\n\xC4\x89" "1a\n\xC4\x9D" "2\n\xC4\x89" "3e\n");
    try {
        CompilePatterns(set, "ESPERANTO");
        FAIL() << "no error";
    } catch (const CompileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("U+0109"));
        EXPECT_THAT(error.what(), HasSubstr("U+011D"));
        EXPECT_THAT(error.what(), HasSubstr("patterns.txt:2"));
    }
}

TEST(PatternCompiler, HeaderCodesAndWordCharacters) {
    const std::string image = CompilePatterns(Plain("a1b\n\xC3\xB1" "1a\n'2\n"), "SPANISH").image;
    EXPECT_EQ(image.substr(0, 33), std::string("Sonkora Hyphenation SPANISH V2.0\0", 33));
    const auto code = [&image](unsigned char c) {
        return static_cast<unsigned char>(image[PatternFile::CodeTableOffset + c]);
    };
    EXPECT_EQ(code('a'), 'a');
    EXPECT_EQ(code('A'), 'a');
    EXPECT_EQ(code('Z'), 'z');
    EXPECT_EQ(code(0xE9), code(0xC9));  // é, É
    EXPECT_TRUE(VowelCodes.Contains(code(0xE9)));
    EXPECT_TRUE(VowelCodes.Contains(code(0xFF)));  // ÿ
    EXPECT_EQ(code(0xFF), code(0x9F));             // Ÿ
    EXPECT_TRUE(VowelCodes.Contains(code(0x9C)));  // œ
    for (unsigned char consonant : {0xF1, 0xD1, 0xE7, 0xDF, 0x9A}) {
        EXPECT_NE(code(consonant), 0) << int{consonant};
        EXPECT_FALSE(VowelCodes.Contains(code(consonant))) << int{consonant};
    }
    EXPECT_EQ(code(0xF1), code(0xD1));  // ñ, Ñ
    EXPECT_NE(code('\''), 0);           // the patterns use it
    EXPECT_FALSE(VowelCodes.Contains(code('\'')));
    for (unsigned char none : {'-', '.', '0', ' ', '\x7F', '\x92', '\xD7'}) EXPECT_EQ(code(none), 0) << int{none};

    // No two characters share a code unless they are the two cases of one letter.
    for (unsigned x = 0; x < 256; ++x) {
        for (unsigned y = x + 1; y < 256; ++y) {
            if (code(static_cast<unsigned char>(x)) == 0 || code(static_cast<unsigned char>(x)) != code(static_cast<unsigned char>(y))) continue;
            EXPECT_EQ(testing::LiangReference::Lower(std::string(1, static_cast<char>(x))),
                      testing::LiangReference::Lower(std::string(1, static_cast<char>(y))))
                << x << " and " << y;
        }
        EXPECT_NE(code(static_cast<unsigned char>(x)), PatternFile::BoundaryCode);
    }

    const HyphenationEngine engine = Loaded(image);
    for (unsigned c = 0; c < 256; ++c) {
        EXPECT_EQ(engine.WordChars().Contains(c), code(static_cast<unsigned char>(c)) != 0) << c;
    }
}

TEST(PatternCompiler, ExceptionWordsOverrideThePatterns) {
    // The patterns break "ba-ton", "ba-na-na" and "ba-tter"; the exceptions say otherwise.
    const std::string patterns = "a1t\n1na\n";
    const std::string image = CompilePatterns(Plain(patterns, "baton\nbana-na\nbat-ter\n"), "X").image;
    const HyphenationEngine engine = Loaded(image);
    EXPECT_EQ(engine.Hyphenate("baton"), "baton");
    EXPECT_EQ(engine.Hyphenate("BATON"), "BATON");
    EXPECT_EQ(engine.Hyphenate("batons"), "ba-tons");  // only the whole word is excepted
    EXPECT_EQ(engine.Hyphenate("banana"), "bana-na");
    EXPECT_EQ(engine.Hyphenate("bananas"), "ba-na-nas");
    EXPECT_EQ(engine.Hyphenate("batter"), "bat-ter");

    const std::string same = CompilePatterns(Plain(patterns, "ba-ton\n"), "X").image;
    EXPECT_EQ(same, CompilePatterns(Plain(patterns), "X").image) << "an exception that agrees adds nothing";
    EXPECT_THROW(CompilePatterns(Plain(patterns, "ba-ton\nbat-on\n"), "X"), CompileError);
}

TEST(PatternCompiler, ConflictingPatternsAreRefusedAndRepeatsAccepted) {
    EXPECT_NO_THROW(CompilePatterns(Plain("a1b\na1b\nA1B\n"), "X"));
    try {
        CompilePatterns(Plain("a1b\nc1d\nA2B\n"), "X");
        FAIL() << "no error";
    } catch (const CompileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("patterns.txt:3"));
        EXPECT_THAT(error.what(), HasSubstr("patterns.txt:1"));
    }
}

TEST(PatternCompiler, BadLanguageNamesAreRefused) {
    const PatternSet set = Plain("a1b\n");
    EXPECT_THROW(CompilePatterns(set, ""), CompileError);
    EXPECT_THROW(CompilePatterns(set, "NEW ZEALAND"), CompileError);
    EXPECT_NO_THROW(CompilePatterns(set, std::string(38, 'X')));
    try {
        CompilePatterns(set, std::string(41, 'X'));
        FAIL() << "no error";
    } catch (const CompileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("3 characters too long"));
    }
}

TEST(PatternCompiler, TooManyOperationsSaysHowMany) {
    // 9 values at 30 distances, each its own operation: 270.
    std::string patterns;
    for (int value = 1; value <= 9; ++value) {
        for (int distance = 1; distance <= 30; ++distance) {
            patterns += std::to_string(value) + static_cast<char>('a' + value) + std::string(distance - 1, 'z') + "\n";
        }
    }
    try {
        CompilePatterns(Plain(patterns), "X");
        FAIL() << "no error";
    } catch (const CompileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("270 operations, 15 more than the 255"));
    }
}

TEST(PatternCompiler, ATrieBeyondEntry8000SaysByHowMuch) {
    // Random five-letter patterns share few prefixes: far more than 8001 entries, but
    // one value each at one of six places, so few operations.
    std::mt19937 random(7);
    std::string patterns;
    std::set<std::string> seen;
    for (int k = 0; k < 6000; ++k) {
        std::string letters;
        for (int i = 0; i < 5; ++i) letters += static_cast<char>('a' + random() % 26);
        if (!seen.insert(letters).second) continue;
        letters.insert(random() % 6, 1, static_cast<char>('1' + random() % 9));
        patterns += letters + "\n";
    }
    PatternSet set = Plain(patterns);
    try {
        CompilePatterns(set, "X");
        FAIL() << "no error";
    } catch (const CompileError& error) {
        EXPECT_THAT(error.what(), HasSubstr("beyond the last reachable entry 8000"));
        EXPECT_THAT(error.what(), ::testing::Not(HasSubstr("operations")));
    }
}

TEST(PatternCompiler, SameInputSameBytes) {
    const PatternSet set = Plain("a1b\nb2c1d\n.ex1\n1ly.\n", "ta-ble\n");
    EXPECT_EQ(CompilePatterns(set, "X").image, CompilePatterns(set, "X").image);
    EXPECT_EQ(CompilePatterns(set, "X").image.size(), PatternFile::FullTrieEnd);
}

// Words built from pieces of the patterns themselves, so that many patterns match.
std::vector<std::string> WordsFromPatterns(const PatternSet& set, std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> pieces;
    for (const hypgen::Pattern& p : set.patterns) {
        std::string piece;
        for (char c : p.letters) {
            if (c != '.') piece += c;
        }
        pieces.push_back(piece);
    }
    for (const hypgen::ExceptionWord& w : set.exceptions) pieces.push_back(w.letters);
    std::vector<std::string> words;
    for (const hypgen::ExceptionWord& w : set.exceptions) words.push_back(w.letters);
    while (words.size() < count) {
        std::string word;
        const int parts = 1 + static_cast<int>(random() % 3);
        for (int k = 0; k < parts; ++k) word += pieces[random() % pieces.size()];
        if (random() % 8 == 0) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        if (random() % 16 == 0) word.insert(random() % word.size(), "\xE9");  // é in any language
        if (word.size() <= 63) words.push_back(word);
    }
    return words;
}

TEST(PatternCompiler, CompiledFilesBreakLikeADictionaryMatcher) {
    // Patterns whose values collide at shared gaps, edges on both sides, long patterns
    // and exception words of several lengths.
    const PatternSet set = Plain(
        "a1b\n1ba\nb2a3c\nab4c\n.ab5\nc1.\n2c1d\nd1e\n1de2f\nef1gh\n.e1f\n"
        "g3h4i\nhi1j\nj1k2l3m\n1mn\nn2o1p\n.op1q\nq1r.\nr1s\n1st\ns2t1u\nu1v2w\nw1x\nx1y.\ny1z\n",
        "ab-cd\nde-fg-hi\nst-u\nmnop\n");
    const std::string image = CompilePatterns(set, "X").image;
    const HyphenationEngine engine = Loaded(image);
    const testing::LiangReference reference(set);
    for (const std::string& word : WordsFromPatterns(set, 3000, 1)) {
        ASSERT_EQ(engine.Hyphenate(word), reference.Hyphenate(word)) << "word " << word;
    }
}

}  // namespace
}  // namespace sonkora
