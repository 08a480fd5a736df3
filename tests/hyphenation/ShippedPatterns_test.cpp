// The pattern files the build ships, checked against their sources: hypgen's output is
// reproduced byte for byte, and the engine on the file breaks words exactly as plain
// Liang matching on the source patterns (plus the edge rules) does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/HyphenationTestSupport.h"
#include "hyphenation/LiangReference.h"
#include "hypgen/PatternCompiler.h"
#include "hypgen/PatternSource.h"

namespace sonkora {
namespace {

namespace fs = std::filesystem;

struct Shipped {
    std::string tag;
    std::string file;
};

std::vector<Shipped> ShippedFiles() {
    std::vector<Shipped> files;
    for (const auto& entry : fs::directory_iterator(testing::ShippedPatternFolder())) {
        if (entry.path().extension() == ".hyp") files.push_back({entry.path().stem().string(), entry.path().string()});
    }
    std::sort(files.begin(), files.end(), [](const Shipped& a, const Shipped& b) { return a.tag < b.tag; });
    return files;
}

// The sources of a shipped file, by the naming of data/hyphenation.
hypgen::PatternSet Sources(const std::string& tag) {
    const std::string folder = std::string(SONKORA_PATTERN_SOURCE_DIR) + "/";
    hypgen::PatternSet set;
    if (tag == "en") {
        hypgen::AddSourceFile(set, folder + "hyphen.tex", false);
        return set;
    }
    hypgen::AddSourceFile(set, folder + "hyph-" + tag + ".pat.txt", false);
    if (fs::exists(folder + "hyph-" + tag + ".hyp.txt")) hypgen::AddSourceFile(set, folder + "hyph-" + tag + ".hyp.txt", true);
    return set;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string LanguageOf(const std::string& image) {
    const std::string line = image.substr(0, 63);
    const std::size_t start = line.find("Hyphenation ") + 12;
    return line.substr(start, line.find(' ', start) - start);
}

HyphenationEngine Load(const std::string& path) {
    HyphenationEngine engine;
    EXPECT_TRUE(engine.LoadPatterns(path));
    return engine;
}

TEST(ShippedPatterns, TheLanguagesThatFitAreThereWithTheirLicences) {
    std::vector<std::string> tags;
    for (const Shipped& s : ShippedFiles()) {
        tags.push_back(s.tag);
        EXPECT_TRUE(fs::exists(testing::ShippedPatternFolder() + s.tag + ".licence.txt")) << s.tag;
        EXPECT_LE(s.tag.size() + 4, 12U) << "file names stay within 12 characters";
    }
    for (const char* tag : {"en", "fr", "es", "it", "pt", "da", "fi", "sv", "ca", "gl", "is", "et", "la"}) {
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
    }
}

TEST(ShippedPatterns, HypgenWritesTheSameBytesAgain) {
    for (const Shipped& s : ShippedFiles()) {
        const std::string image = ReadFile(s.file);
        const hypgen::CompiledPatterns again = hypgen::CompilePatterns(Sources(s.tag), LanguageOf(image));
        EXPECT_TRUE(again.image == image) << s.tag;
    }
}

TEST(ShippedPatterns, BreakLikeLiangMatchingOnTheSources) {
    for (const Shipped& s : ShippedFiles()) {
        const hypgen::PatternSet set = Sources(s.tag);
        const testing::LiangReference reference(set);
        const HyphenationEngine engine = Load(s.file);
        std::mt19937 random(42);
        std::vector<std::string> pieces;
        for (const hypgen::Pattern& p : set.patterns) {
            std::string piece = p.letters;
            piece.erase(std::remove(piece.begin(), piece.end(), '.'), piece.end());
            pieces.push_back(piece);
        }
        std::vector<std::string> words;
        for (const hypgen::ExceptionWord& w : set.exceptions) words.push_back(w.letters);
        while (words.size() < 3000) {
            std::string word;
            const int parts = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < parts; ++k) word += pieces[random() % pieces.size()];
            if (random() % 8 == 0) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
            if (word.size() <= 63) words.push_back(word);
        }
        int mismatches = 0;
        for (const std::string& word : words) {
            if (engine.Hyphenate(word) != reference.Hyphenate(word) && ++mismatches <= 5) {
                ADD_FAILURE() << s.tag << ": " << word << " gives " << engine.Hyphenate(word) << ", Liang "
                              << reference.Hyphenate(word);
            }
        }
        EXPECT_EQ(mismatches, 0) << s.tag;
    }
}

TEST(ShippedPatterns, KnownWords) {
    const std::string folder = testing::ShippedPatternFolder();
    struct Case {
        const char* tag;
        const char* word;
        const char* expected;
    };
    // Windows-1252 bytes; the last-two-letter patterns of Spanish and Italian count.
    const Case cases[] = {
        {"en", "hyphenation", "hy-phen-ation"},
        {"en", "associates", "as-so-ciates"},  // an exception word
        {"en", "present", "present"},          // an exception word without breaks
        {"en", "Table", "Ta-ble"},
        {"en", "caf\xE9", "caf\xE9"},
        {"es", "casa", "ca-sa"},
        {"es", "canci\xF3n", "can-ci\xF3n"},
        {"it", "ragazzo", "ra-gaz-zo"},
        {"it", "amore", "a-mo-re"},
        {"fr", "chanson", "chan-son"},
        {"pt", "cora\xE7\xE3o", "co-ra-\xE7\xE3o"},
    };
    for (const Case& c : cases) {
        const HyphenationEngine engine = Load(folder + c.tag + ".hyp");
        EXPECT_EQ(engine.Hyphenate(c.word), c.expected) << c.tag << " " << c.word;
    }
}

}  // namespace
}  // namespace sonkora
