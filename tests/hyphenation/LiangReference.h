#pragma once
// A plain dictionary-based Liang hyphenator with the engine's first- and last-syllable
// rules, written as simply as possible to check the compiled pattern files against: no
// trie, no codes, just the patterns in a map and every substring of the word looked up.

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hypgen/PatternSource.h"

namespace sonkora::testing {

class LiangReference {
public:
    explicit LiangReference(const hypgen::PatternSet& set) {
        for (const hypgen::Pattern& p : set.patterns) {
            longest_ = std::max(longest_, p.letters.size());
            auto& values = patterns_[Lower(p.letters)];
            values.resize(p.values.size(), 0);
            for (std::size_t k = 0; k < p.values.size(); ++k) values[k] = std::max(values[k], p.values[k]);
        }
        for (const hypgen::ExceptionWord& w : set.exceptions) exceptions_[Lower(w.letters)] = w.breaks;
    }

    // Windows-1252 lower case.
    static std::string Lower(std::string_view text) {
        std::string out(text);
        for (char& c : out) {
            const auto b = static_cast<unsigned char>(c);
            if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) c = static_cast<char>(b + 32);
            else if (b == 0x8A || b == 0x8C || b == 0x8E) c = static_cast<char>(b + 16);
            else if (b == 0x9F) c = static_cast<char>(0xFF);
        }
        return out;
    }

    static bool IsVowel(char c) {
        static const std::string vowels =
            "aeiouy\x9C\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
            "\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFF";
        return vowels.find(Lower(std::string(1, c))[0]) != std::string::npos;
    }

    // Breaks after letter k (1-based) of the word, before the edge rules.
    std::vector<bool> LiangBreaks(std::string_view word) const {
        const std::string lower = Lower(word);
        const std::size_t n = word.size();
        std::vector<bool> breaks(n + 1, false);
        if (const auto found = exceptions_.find(lower); found != exceptions_.end()) {
            for (std::size_t k = 1; k < n; ++k) breaks[k] = found->second[k - 1];
            return breaks;
        }
        const std::string dotted = "." + lower + ".";
        // gap[k]: the gap after position k of the dotted word, that is after letter k.
        std::vector<unsigned> gap(dotted.size() + 1, 0);
        for (std::size_t start = 0; start < dotted.size(); ++start) {
            for (std::size_t length = 1; length <= longest_ && start + length <= dotted.size(); ++length) {
                const auto found = patterns_.find(dotted.substr(start, length));
                if (found == patterns_.end()) continue;
                for (std::size_t k = 0; k <= length; ++k) {
                    if (start + k == 0) continue;
                    unsigned& g = gap[start + k - 1];
                    g = std::max<unsigned>(g, found->second[k]);
                }
            }
        }
        for (std::size_t k = 1; k <= n; ++k) breaks[k] = (gap[k] & 1U) != 0;
        return breaks;
    }

    std::string Hyphenate(std::string_view word) const {
        const std::size_t n = word.size();
        if (n < 3 || n > 63) return std::string(word);
        std::vector<bool> b = LiangBreaks(word);
        const auto v = [&word](std::size_t k) { return IsVowel(word[k - 1]); };
        if (!(v(1) && !v(2))) b[1] = false;
        if (!v(2) && b[2]) b[1] = false;
        bool vowelBefore = false;
        for (std::size_t k = 1; k + 2 <= n; ++k) vowelBefore = vowelBefore || v(k);
        if (v(n - 1) != v(n) && vowelBefore) {
            b[n - 1] = b[n] = false;
        } else {
            b[n - 2] = b[n - 1] = b[n] = false;
        }
        std::string out;
        for (std::size_t k = 1; k <= n; ++k) {
            out += word[k - 1];
            if (b[k] && word[k - 1] != '-' && (k == n || word[k] != '-')) out += '-';
        }
        return out;
    }

private:
    std::map<std::string, std::vector<std::uint8_t>> patterns_;
    std::map<std::string, std::vector<bool>> exceptions_;
    std::size_t longest_ = 0;
};

}  // namespace sonkora::testing
