// The pattern files the build ships, checked against their sources: hypgen's output is
// reproduced byte for byte, and the engine on the file breaks words exactly as plain
// Liang matching on the source patterns (plus the edge rules) does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "hypgen/PatternCompiler.h"
#include "hypgen/PatternSource.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/HyphenationTestSupport.h"

namespace sonkora {
namespace {

namespace fs = std::filesystem;

// The language tags of the shipped files ("en" for en.hyp), in order.
std::vector<std::string> ShippedTags() {
    std::vector<std::string> tags;
    for (const auto& entry : fs::directory_iterator(testing::ShippedPatternFolder()))
        if (entry.path().extension() == ".hyp") tags.push_back(entry.path().stem().string());
    std::sort(tags.begin(), tags.end());
    return tags;
}

// The sources of a shipped file, by the naming of data/hyphenation; a fitted language's
// source is its fitted pattern file.
hypgen::PatternSet Sources(const std::string& tag) {
    const std::string folder = std::string(SONKORA_PATTERN_SOURCE_DIR) + "/";
    hypgen::PatternSet set;
    if (tag == "en") {
        hypgen::AddSourceFile(set, folder + "hyphen.tex", false);
        return set;
    }
    if (const std::string fitted = testing::FittedSource(tag); !fitted.empty()) {
        hypgen::AddSourceFile(set, fitted, false);
        return set;
    }
    hypgen::AddSourceFile(set, folder + "hyph-" + tag + ".pat.txt", false);
    if (fs::exists(folder + "hyph-" + tag + ".hyp.txt"))
        hypgen::AddSourceFile(set, folder + "hyph-" + tag + ".hyp.txt", true);
    return set;
}

TEST(ShippedPatterns, TheLanguagesThatFitAreThereWithTheirLicences) {
    const std::vector<std::string> tags = ShippedTags();
    for (const std::string& tag : tags) {
        EXPECT_TRUE(fs::exists(testing::ShippedPatternFolder() + tag + ".licence.txt")) << tag;
        EXPECT_LE(tag.size() + 4, 12U) << "file names stay within 12 characters";
    }
    for (const char* tag :
         {"en", "fr", "es", "it", "pt", "da", "fi", "sv", "ca", "gl", "is", "et", "la", "de", "nl", "en-gb"})
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
}

TEST(ShippedPatterns, HypgenWritesTheSameBytesAndTheyBreakLikeLiangMatchingOnTheSources) {
    for (const std::string& tag : ShippedTags()) {
        const std::string image = testing::ReadFile(testing::ShippedPatternFolder() + tag + ".hyp");
        const std::string line = image.substr(0, 63);
        const std::size_t start = line.find("Hyphenation ") + 12;
        const hypgen::PatternSet set = Sources(tag);
        EXPECT_TRUE(hypgen::CompilePatterns(set, line.substr(start, line.find(' ', start) - start)).image == image)
            << tag;

        const testing::LiangReference reference(set);
        HyphenationEngine engine;
        ASSERT_TRUE(engine.LoadPatternImage(image));
        int mismatches = 0;
        for (const std::string& word : testing::WordsFromPatterns(set, 3000, 42)) {
            if (engine.Hyphenate(word) != reference.Hyphenate(word) && ++mismatches <= 5)
                ADD_FAILURE() << tag << ": " << word << " gives " << engine.Hyphenate(word) << ", Liang "
                              << reference.Hyphenate(word);
        }
        EXPECT_EQ(mismatches, 0) << tag;
    }
}

}  // namespace
}  // namespace sonkora
