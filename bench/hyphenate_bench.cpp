// Words per second of the hyphenation engine against Debian's libhyphen, measured in the
// same run on the same words with English patterns on both sides. Goal: at least three
// times libhyphen's rate.
//
//   hyphenate_bench [WORDLIST [LIBHYPHEN_DICTIONARY [PATTERN_FILE]]]
//
// Defaults: /usr/share/dict/american-english (wamerican), libhyphen's
// /usr/share/hyphen/hyph_en_US.dic (hyphen-en-us) and en.hyp beside this program.
// Only the words made of ASCII letters are used, in lower case, so both sides read the
// same bytes. Each side builds the hyphenated word, as a caller would need it.
#include <hyphen.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "common/FilePaths.h"
#include "hyphenation/HyphenationEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ReadWords(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> words;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.size() > 63) continue;
        const bool letters = std::all_of(line.begin(), line.end(),
                                         [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
        if (!letters) continue;
        for (char& c : line) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        words.push_back(line);
    }
    return words;
}

// The list is timed in slices of a few hundred words, each slice many times with the two
// sides taking turns. The fastest time of each slice counts, so that a busy machine,
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

}  // namespace

int main(int argc, char** argv) {
    const std::string wordList = argc > 1 ? argv[1] : "/usr/share/dict/american-english";
    const std::string dictionary = argc > 2 ? argv[2] : "/usr/share/hyphen/hyph_en_US.dic";
    const std::string patterns = argc > 3 ? argv[3] : sonkora::ProgramDirectory() + "en.hyp";

    const std::vector<std::string> words = ReadWords(wordList);
    if (words.size() < 1000) {
        std::cerr << "hyphenate_bench: " << wordList << ": too few words (install wamerican or name a word list)\n";
        return 1;
    }
    sonkora::HyphenationEngine engine;
    try {
        if (!engine.LoadPatterns(patterns)) {
            std::cerr << "hyphenate_bench: not enough memory for " << patterns << "\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "hyphenate_bench: " << error.what() << "\n";
        return 1;
    }
    HyphenDict* dict = hnj_hyphen_load(dictionary.c_str());
    if (dict == nullptr) {
        std::cerr << "hyphenate_bench: " << dictionary << ": cannot be loaded (install hyphen-en-us)\n";
        return 1;
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
    const double ours = static_cast<double>(words.size()) / oursSeconds;
    const double theirs = static_cast<double>(words.size()) / theirsSeconds;
    hnj_hyphen_free(dict);

    const double ratio = ours / theirs;
    std::printf("words: %zu (from %s)\n", words.size(), wordList.c_str());
    std::printf("Sonkora Hyphenate:       %12.0f words/s  (%s)\n", ours, patterns.c_str());
    std::printf("libhyphen hyphenate2:    %12.0f words/s  (%s)\n", theirs, dictionary.c_str());
    std::printf("ratio: %.2f  goal: at least 3.00  %s\n", ratio, ratio >= 3.0 ? "met" : "NOT MET");
    std::printf("(checksum %zu)\n", checksum);
    return 0;
}
