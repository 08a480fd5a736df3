// Words per second of the hyphenation engine against Debian's libhyphen, measured in the
// same run on the same words, and how many words each pattern file hyphenates exactly as
// the full TeX pattern set in data/hyphenation does under the engine's rules. Goal: at
// least three times libhyphen's rate.
//
//   hyphenate_bench                                          every language below
//   hyphenate_bench WORDLIST LIBHYPHEN_DICTIONARY PATTERN_FILE [TEX_PATTERNS [EXCEPTIONS]]
//
// The languages: US English (wamerican, hyphen-en-us, en.hyp from hyphen.tex), German
// (wngerman, hyphen-de, de.hyp), Dutch (wdutch, hyphen-nl, nl.hyp) and British English
// (wbritish, hyphen-en-gb, en-gb.hyp); the last three are fitted from larger sets. The
// fits saw most of these words: held-out figures are in each fitted file's header.
// libhyphen's breaks, put through the same first- and last-syllable rules, are shown as
// well; Debian's dictionaries are built from other versions of the patterns (its US
// English ones from a newer set than Knuth's), so they differ by more.
//
// Words are read as UTF-8 and used in lower case when every letter is one of the
// language's; a dictionary in UTF-8 gets only the ASCII words, so that both sides see
// the same letters at the same byte positions. Each side builds the hyphenated word, as
// a caller would need it.
#include <hyphen.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "hypgen/PatternSource.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/HyphenationTestSupport.h"
#include "hyphenation/PatternFile.h"

namespace {

using Clock = std::chrono::steady_clock;

// Longest list timed per language: enough for a stable rate on a busy machine.
constexpr std::size_t MaxWords = 100000;

unsigned char LowerCp1252(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 32);
    return c;
}

bool DictionaryIsUtf8(const std::string& path) {
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    return first.rfind("UTF-8", 0) == 0;
}

std::vector<std::string> ReadWords(const std::string& path, const sonkora::HyphenationEngine& engine, bool asciiOnly) {
    std::ifstream in(path);
    std::vector<std::string> all;
    std::string line;
    while (std::getline(in, line)) {
        sonkora::Cp1252Conversion word = sonkora::Utf8ToCp1252(line);
        if (!word.unmapped.empty() || word.text.size() < 3 || word.text.size() > 63) continue;
        bool usable = true;
        for (char& c : word.text) {
            const auto b = static_cast<unsigned char>(c);
            usable = usable && engine.WordChars().Contains(b) && (!asciiOnly || b < 128) && b != '\'';
            c = static_cast<char>(LowerCp1252(b));
        }
        if (usable) all.push_back(word.text);
    }
    // An even spread over the list, the same on every run.
    const std::size_t step = all.size() / MaxWords + 1;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < all.size(); i += step) words.push_back(all[i]);
    return words;
}

// libhyphen's breaks through the engine's first- and last-syllable rules, with `codes`
// the pattern file's code table for what counts as a vowel.
std::string WithEdgeRules(const std::string& word, const char* hyphens, const unsigned char* codes) {
    const std::size_t n = word.size();
    std::vector<bool> b(n + 2, false);
    for (std::size_t k = 1; k < n; ++k) b[k] = (hyphens[k - 1] & 1) != 0;
    const auto v = [&](std::size_t k) {
        return sonkora::VowelCodes.Contains(codes[static_cast<unsigned char>(word[k - 1])]);
    };
    if (!(v(1) && !v(2))) b[1] = false;
    if (!v(2) && b[2]) b[1] = false;
    bool vowelBefore = false;
    for (std::size_t k = 1; k + 2 <= n; ++k) vowelBefore = vowelBefore || v(k);
    if (v(n - 1) != v(n) && vowelBefore) {
        b[n - 1] = false;
    } else {
        b[n - 2] = b[n - 1] = false;
    }
    std::string out;
    for (std::size_t k = 1; k <= n; ++k) {
        out += word[k - 1];
        if (k < n && b[k]) out += '-';
    }
    return out;
}

// The list is timed in slices of a few thousand words, each slice many times with the
// two sides taking turns. The fastest time of each slice counts, so that a busy machine,
// which interrupts some turns, slows neither side's result.
constexpr std::size_t SliceWords = 4000;
constexpr int Repeats = 15;

template <typename Hyphenate>
double SliceSeconds(const std::vector<std::string>& words, std::size_t first, Hyphenate hyphenate) {
    const std::size_t last = std::min(words.size(), first + SliceWords);
    const Clock::time_point start = Clock::now();
    for (std::size_t i = first; i < last; ++i) hyphenate(words[i]);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Language {
    std::string wordList, dictionary, patterns;
    std::string texPatterns, texExceptions;  // the full set; exceptions may be ""
};

// One language: false when something is missing.
bool Measure(const Language& language, bool& goalMet) {
    sonkora::HyphenationEngine engine;
    try {
        if (!engine.LoadPatterns(language.patterns)) {
            std::cerr << "hyphenate_bench: not enough memory for " << language.patterns << "\n";
            return false;
        }
    } catch (const std::exception& error) {
        std::cerr << "hyphenate_bench: " << error.what() << "\n";
        return false;
    }
    unsigned char codes[256];
    {
        std::ifstream in(language.patterns, std::ios::binary);
        in.seekg(sonkora::PatternFile::CodeTableOffset);
        in.read(reinterpret_cast<char*>(codes), sizeof codes);
    }
    const std::vector<std::string> words = ReadWords(language.wordList, engine, DictionaryIsUtf8(language.dictionary));
    if (words.size() < 1000) {
        std::cerr << "hyphenate_bench: " << language.wordList << ": too few words (install the word list)\n";
        return false;
    }
    HyphenDict* dict = hnj_hyphen_load(language.dictionary.c_str());
    if (dict == nullptr) {
        std::cerr << "hyphenate_bench: " << language.dictionary
                  << ": cannot be loaded (install its hyphen-* package)\n";
        return false;
    }

    std::size_t checksum = 0;
    std::string out;
    const auto sonkora = [&](const std::string& word) {
        out.clear();
        engine.HyphenateInto(word, out);
        checksum += out.size();
    };
    std::vector<char> hyphens(70);
    const auto libhyphen = [&](const std::string& word) {
        char** rep = nullptr;
        int* pos = nullptr;
        int* cut = nullptr;
        hnj_hyphen_hyphenate2(dict, word.c_str(), static_cast<int>(word.size()), hyphens.data(), nullptr, &rep, &pos,
                              &cut);
        out.clear();
        for (std::size_t i = 0; i < word.size(); ++i) {
            out += word[i];
            if ((hyphens[i] & 1) != 0 && i + 1 < word.size()) out += '-';
        }
        checksum += out.size();
        if (rep != nullptr) {
            for (std::size_t i = 0; i < word.size(); ++i) std::free(rep[i]);
            std::free(rep);
            std::free(pos);
            std::free(cut);
        }
    };

    sonkora::hypgen::PatternSet full;
    try {
        sonkora::hypgen::AddSourceFile(full, language.texPatterns, false);
        if (!language.texExceptions.empty()) sonkora::hypgen::AddSourceFile(full, language.texExceptions, true);
    } catch (const std::exception& error) {
        std::cerr << "hyphenate_bench: " << error.what() << "\n";
        return false;
    }
    const sonkora::testing::LiangReference reference(full);
    std::size_t agreeing = 0;
    std::size_t agreeingWithLibhyphen = 0;
    for (const std::string& word : words) {
        const std::string ours = engine.Hyphenate(word);
        libhyphen(word);
        agreeingWithLibhyphen += ours == WithEdgeRules(word, hyphens.data(), codes) ? 1 : 0;
        agreeing += ours == reference.Hyphenate(word) ? 1 : 0;
    }

    double oursSeconds = 0;
    double theirsSeconds = 0;
    for (std::size_t first = 0; first < words.size(); first += SliceWords) {
        double ourBest = 1e9;
        double theirBest = 1e9;
        for (int repeat = 0; repeat < Repeats; ++repeat) {
            ourBest = std::min(ourBest, SliceSeconds(words, first, sonkora));
            theirBest = std::min(theirBest, SliceSeconds(words, first, libhyphen));
        }
        oursSeconds += ourBest;
        theirsSeconds += theirBest;
    }
    hnj_hyphen_free(dict);
    const double ours = static_cast<double>(words.size()) / oursSeconds;
    const double theirs = static_cast<double>(words.size()) / theirsSeconds;
    const double ratio = ours / theirs;
    goalMet = goalMet && ratio >= 3.0;

    std::printf("%s\n", language.patterns.c_str());
    std::printf("  words: %zu (from %s)\n", words.size(), language.wordList.c_str());
    std::printf("  Sonkora Hyphenate:     %12.0f words/s\n", ours);
    std::printf("  libhyphen hyphenate2:  %12.0f words/s  (%s)\n", theirs, language.dictionary.c_str());
    std::printf("  ratio: %.2f  goal: at least 3.00  %s\n", ratio, ratio >= 3.0 ? "met" : "NOT MET");
    const auto percent = [&words](std::size_t count) {
        return 100.0 * static_cast<double>(count) / static_cast<double>(words.size());
    };
    std::printf("  same breaks as the full set %s: %.2f %%\n", language.texPatterns.c_str(), percent(agreeing));
    std::printf("  same breaks as libhyphen's dictionary: %.2f %%  (checksum %zu)\n", percent(agreeingWithLibhyphen),
                checksum);
    return true;
}

// The languages whose shipped file hypgen --fit made from a larger set: file tag, the
// name of its TeX source in data/hyphenation ("hyph-<source>..."), and whether
// hyph-<source>.hyp.txt belongs to the full set.
struct FittedLanguage {
    const char* tag;
    const char* source;
    bool exceptions;
};
constexpr FittedLanguage FittedLanguages[] = {{"de", "de-1996", false}, {"nl", "nl", true}, {"en-gb", "en-gb", true}};

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = sonkora::ProgramDirectory();
    const std::string sources = std::string(SONKORA_PATTERN_SOURCE_DIR) + "/";
    std::vector<Language> languages;
    if (argc >= 4 && argc <= 6) {
        languages.push_back(
            {argv[1], argv[2], argv[3], argc > 4 ? argv[4] : sources + "hyphen.tex", argc > 5 ? argv[5] : ""});
    } else if (argc == 1) {
        languages.push_back({"/usr/share/dict/american-english", "/usr/share/hyphen/hyph_en_US.dic", folder + "en.hyp",
                             sources + "hyphen.tex", ""});
        const char* wordLists[] = {"ngerman", "dutch", "british-english"};
        const char* dictionaries[] = {"hyph_de_DE", "hyph_nl_NL", "hyph_en_GB"};
        for (std::size_t i = 0; i < std::size(FittedLanguages); ++i) {
            const FittedLanguage& fitted = FittedLanguages[i];
            const std::string stem = sources + "hyph-" + fitted.source;
            languages.push_back({std::string("/usr/share/dict/") + wordLists[i],
                                 std::string("/usr/share/hyphen/") + dictionaries[i] + ".dic",
                                 folder + fitted.tag + ".hyp", stem + ".pat.txt",
                                 fitted.exceptions ? stem + ".hyp.txt" : ""});
        }
    } else {
        std::cerr
            << "usage: hyphenate_bench [WORDLIST LIBHYPHEN_DICTIONARY PATTERN_FILE [TEX_PATTERNS [EXCEPTIONS]]]\n";
        return 2;
    }
    bool goalMet = true;
    for (const Language& language : languages) {
        if (!Measure(language, goalMet)) return 1;
    }
    std::printf("speed goal (at least 3 times libhyphen in every language): %s\n", goalMet ? "met" : "NOT MET");
    return 0;
}
