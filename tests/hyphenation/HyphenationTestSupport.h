#pragma once
// Helpers for the hyphenation tests: a pattern file image assembled entry by entry, the folder of the shipped pattern
// files, and a plain dictionary-based Liang hyphenator to check compiled pattern files against.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hypgen/PatternSource.h"
#include "hyphenation/PatternFile.h"
#include "support/TempFolder.h"

namespace sonkora::testing {

// A pattern file image written by hand, offset by offset, so that a test can say
// exactly which trie entries and operations exist.
class HandMadeImage {
public:
    HandMadeImage() : bytes_(PatternFile::FullTrieEnd, '\0') {}

    // `code` for character `c`, which thereby becomes a word character.
    void Code(unsigned char c, std::uint8_t code) {
        bytes_[PatternFile::CodeTableOffset + c] = static_cast<char>(code);
        bytes_[PatternFile::WordCharsOffset + c / 8] |= static_cast<char>(1 << (c % 8));
    }
    // a-z and A-Z with the lower-case letter's value as code.
    void AsciiLetters() {
        for (unsigned char c = 'a'; c <= 'z'; ++c) Code(c, c), Code(static_cast<unsigned char>(c - 32), c);
    }
    void Op(unsigned number, std::uint8_t distance, std::uint8_t value, std::uint8_t next) {
        bytes_[PatternFile::DistanceOffset + number] = static_cast<char>(distance);
        bytes_[PatternFile::ValueOffset + number] = static_cast<char>(value);
        bytes_[PatternFile::NextOffset + number] = static_cast<char>(next);
    }
    void Entry(unsigned index, std::uint16_t link, std::uint8_t op, std::uint8_t code) {
        const std::size_t at = PatternFile::TrieOffset + index * PatternFile::TrieEntrySize;
        bytes_[at] = static_cast<char>(link & 0xFF);
        bytes_[at + 1] = static_cast<char>(link >> 8);
        bytes_[at + 2] = static_cast<char>(op);
        bytes_[at + 3] = static_cast<char>(code);
    }
    void Identification(const std::string& line) { bytes_.replace(0, line.size(), line); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Where the build put the shipped pattern files (beside the executables).
inline const std::string ShippedPatternFolder = std::string(SONKORA_PATTERN_DIR) + "/";

// The language tags of the shipped files ("en" for en.hyp), in order.
inline std::vector<std::string> ShippedTags() {
    std::vector<std::string> tags;
    for (const auto& entry : std::filesystem::directory_iterator(ShippedPatternFolder))
        if (entry.path().extension() == ".hyp") tags.push_back(entry.path().stem().string());
    std::sort(tags.begin(), tags.end());
    return tags;
}

// Liang's method with the engine's first- and last-syllable rules, written as simply as
// possible: no trie and no codes, the patterns in a map and every substring looked up.
class LiangReference {
public:
    explicit LiangReference(const hypgen::PatternSet& set) {
        // A pattern given twice has the same values both times, or the set would not compile.
        for (const hypgen::Pattern& p : set.patterns) {
            longest_ = std::max(longest_, p.letters.size());
            patterns_[Lower(p.letters)] = p.values;
        }
        for (const hypgen::ExceptionWord& w : set.exceptions) exceptions_[Lower(w.letters)] = w.breaks;
    }

    // The test words change case in ASCII only.
    static std::string Lower(std::string_view text) {
        std::string out(text);
        for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    }

    std::string Hyphenate(std::string_view word) const {
        const std::size_t n = word.size();
        if (n < 3 || n > 63) return std::string(word);
        std::vector<bool> b = LiangBreaks(word);
        const auto v = [&word](std::size_t k) {
            static const std::string vowels =
                "aeiouy\x9C\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
                "\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFF";
            return vowels.find(Lower(word.substr(k - 1, 1))[0]) != std::string::npos;
        };
        b[1] = b[1] && v(1) && !v(2) && !b[2];
        bool vowelBefore = false;
        for (std::size_t k = 1; k + 2 <= n; ++k) vowelBefore = vowelBefore || v(k);
        if (v(n - 1) != v(n) && vowelBefore)
            b[n - 1] = b[n] = false;
        else
            b[n - 2] = b[n - 1] = b[n] = false;
        std::string out;
        for (std::size_t k = 1; k <= n; ++k) {
            out += word[k - 1];
            if (b[k] && word[k - 1] != '-' && (k == n || word[k] != '-')) out += '-';
        }
        return out;
    }

private:
    // breaks[k]: a break after letter k (1-based), before the edge rules.
    std::vector<bool> LiangBreaks(std::string_view word) const {
        const std::string lower = Lower(word);
        std::vector<bool> breaks(word.size() + 1, false);
        if (const auto found = exceptions_.find(lower); found != exceptions_.end()) {
            for (std::size_t k = 1; k < word.size(); ++k) breaks[k] = found->second[k - 1];
            return breaks;
        }
        const std::string dotted = "." + lower + ".";
        std::vector<unsigned> gap(dotted.size() + 1, 0);  // gap[k]: after letter k
        for (std::size_t start = 0; start < dotted.size(); ++start) {
            for (std::size_t length = 1; length <= longest_ && start + length <= dotted.size(); ++length) {
                const auto found = patterns_.find(dotted.substr(start, length));
                if (found == patterns_.end()) continue;
                for (std::size_t k = start == 0 ? 1 : 0; k <= length; ++k)
                    gap[start + k - 1] = std::max<unsigned>(gap[start + k - 1], found->second[k]);
            }
        }
        for (std::size_t k = 1; k <= word.size(); ++k) breaks[k] = (gap[k] & 1U) != 0;
        return breaks;
    }

    std::map<std::string, std::vector<std::uint8_t>> patterns_;
    std::map<std::string, std::vector<bool>> exceptions_;
    std::size_t longest_ = 0;
};

// The exception words and then words built from pieces of the patterns, so that many
// patterns match; some capitalised, some with an "é" put in.
inline std::vector<std::string> WordsFromPatterns(const hypgen::PatternSet& set, std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> pieces, words;
    for (hypgen::Pattern p : set.patterns) {
        std::erase(p.letters, '.');
        pieces.push_back(p.letters);
    }
    for (const hypgen::ExceptionWord& w : set.exceptions) pieces.push_back(w.letters), words.push_back(w.letters);
    while (words.size() < count) {
        std::string word;
        for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) word += pieces[random() % pieces.size()];
        if (random() % 8 == 0) word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        if (random() % 16 == 0) word.insert(random() % word.size(), "\xE9");
        if (word.size() <= 63) words.push_back(word);
    }
    return words;
}

}  // namespace sonkora::testing
