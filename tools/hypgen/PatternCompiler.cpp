#include "hypgen/PatternCompiler.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <tuple>
#include <vector>

#include "common/CodePage.h"
#include "hyphenation/PatternFile.h"

namespace sonkora::hypgen {

namespace {

namespace pf = PatternFile;

// Lower-case accented vowels of Windows-1252, in byte order; the n-th gets code n + 1.
constexpr std::array<unsigned char, 28> AccentedVowels = {
    0x9C,                                            // oe
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,        // a with accents, ae
    0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,  // e, i with accents
    0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8,              // o with accents, o with stroke
    0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFF,              // u, y with accents
};
// The other lower-case letters beyond a to z; the n-th gets code 128 + n.
constexpr std::array<unsigned char, 7> OtherLetters = {0x9A, 0x9E, 0xDF, 0xE7, 0xF0, 0xF1, 0xFE};
constexpr unsigned FirstOtherCode = 128;
constexpr unsigned FirstSymbolCode = FirstOtherCode + OtherLetters.size();
// Never given to a character: unused trie entries carry it, so they match nothing.
constexpr unsigned NoCode = 255;

unsigned char ToLower(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
    if (c == 0x9F) return 0xFF;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    return c;
}

std::string Describe(unsigned char c) {
    const std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", c);
    return c > 32 && c != 127 ? "\"" + utf8 + "\" (" + hex + ")" : std::string(hex);
}

std::string DescribeUnmapped(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    std::string utf8;
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
    return "\"" + utf8 + "\" (" + text + ")";
}

using CodeTable = std::array<std::uint8_t, 256>;

CodeTable MakeCodeTable(const PatternSet& set) {
    CodeTable table{};
    for (unsigned c = 0; c < 256; ++c) table[c] = LetterCode(static_cast<unsigned char>(c));

    // Characters the patterns use besides letters (apostrophes, for instance).
    std::array<bool, 256> used{};
    for (const Pattern& p : set.patterns) {
        for (std::size_t k = 0; k < p.letters.size(); ++k) {
            const bool edge = p.letters[k] == '.' && (k == 0 || k + 1 == p.letters.size());
            if (!edge) used[static_cast<unsigned char>(p.letters[k])] = true;
        }
    }
    for (const ExceptionWord& w : set.exceptions) {
        for (char c : w.letters) used[static_cast<unsigned char>(c)] = true;
    }
    unsigned next = FirstSymbolCode;
    std::string refused;
    for (unsigned c = 0; c < 256; ++c) {
        if (!used[c] || table[c] != 0) continue;
        if (c == pf::BoundaryCode || c == '.' || next >= NoCode) {
            refused += (refused.empty() ? "" : ", ") + Describe(static_cast<unsigned char>(c));
            continue;
        }
        table[c] = static_cast<std::uint8_t>(next++);
    }
    if (!refused.empty()) throw CompileError("these characters cannot be letters of a pattern file: " + refused);
    return table;
}

// The code string of a pattern: '.' at either end becomes the boundary code.
std::string Codes(const std::string& letters, const CodeTable& table, bool edges) {
    std::string codes;
    codes.reserve(letters.size());
    for (std::size_t k = 0; k < letters.size(); ++k) {
        const bool edge = edges && letters[k] == '.' && (k == 0 || k + 1 == letters.size());
        codes += static_cast<char>(edge ? pf::BoundaryCode : table[static_cast<unsigned char>(letters[k])]);
    }
    return codes;
}

struct MergedPattern {
    std::vector<std::uint8_t> values;
    std::string origin;
};

using PatternMap = std::map<std::string, MergedPattern>;

std::string PatternText(const std::string& letters, const std::vector<std::uint8_t>& values) {
    std::string text;
    for (std::size_t k = 0; k <= letters.size(); ++k) {
        if (values[k] != 0) text += std::to_string(values[k]);
        if (k < letters.size()) text += Cp1252ToUtf8(letters.substr(k, 1));
    }
    return text;
}

// Gap values of Liang's method for a code string with its boundaries: gaps[k] is the
// value after position k.
std::vector<unsigned> LiangGaps(const PatternMap& patterns, const std::string& word) {
    std::vector<unsigned> gaps(word.size() + 1, 0);
    for (std::size_t start = 0; start < word.size(); ++start) {
        for (std::size_t length = 1; start + length <= word.size(); ++length) {
            const auto found = patterns.find(word.substr(start, length));
            if (found == patterns.end()) continue;
            const std::vector<std::uint8_t>& values = found->second.values;
            for (std::size_t k = 0; k <= length; ++k) {
                if (k == 0 && start == 0) continue;
                const std::size_t gap = start + k - 1;
                gaps[gap] = std::max<unsigned>(gaps[gap], values[k]);
            }
        }
    }
    return gaps;
}

struct OpKey {
    unsigned distance, value, next;
    bool operator<(const OpKey& o) const {
        return std::tie(distance, value, next) < std::tie(o.distance, o.value, o.next);
    }
};

struct Node {
    std::map<std::uint8_t, int> children;
    unsigned op = 0;
    int family = -1;  // shared id of the children's family; -1: no children
};

// Places families of siblings: each at a base of its own, with every base + code entry
// free. A "next free entry" table with path halving lets a search skip runs of used
// entries at once.
class EntryPacker {
public:
    // `codes` ascending. Returns the lowest base from 1 on that fits.
    unsigned Place(const std::vector<unsigned>& codes) {
        const unsigned low = codes.front();
        for (unsigned e = NextFree(low + 1);; e = NextFree(e + 1)) {
            const unsigned base = e - low;
            Grow(base + codes.back() + 1);
            if (takenBase_[base]) continue;
            const bool fits =
                std::none_of(codes.begin(), codes.end(), [&](unsigned c) { return next_[base + c] != base + c; });
            if (fits) return PlaceAt(base, codes);
        }
    }

    unsigned PlaceAt(unsigned base, const std::vector<unsigned>& codes) {
        Grow(base + codes.back() + 2);
        takenBase_[base] = true;
        for (unsigned c : codes) next_[base + c] = base + c + 1;
        return base;
    }

    // A base that no family has: from there no step can match, since an entry holds
    // code c at base + c only for the family at that base. Entries without children
    // link here.
    unsigned UnusedBase() {
        unsigned base = 1;
        while (base < takenBase_.size() && takenBase_[base]) ++base;
        return base;
    }

private:
    void Grow(std::size_t size) {
        while (next_.size() < size) {
            next_.push_back(static_cast<unsigned>(next_.size()));
            takenBase_.push_back(false);
        }
    }

    unsigned NextFree(unsigned i) {
        Grow(i + 2);
        while (next_[i] != i) {
            Grow(next_[i] + 2);
            next_[i] = next_[next_[i]];
            i = next_[i];
            Grow(i + 2);
        }
        return i;
    }

    std::vector<unsigned> next_;  // next_[i] == i: entry i is free
    std::vector<bool> takenBase_;
};

}  // namespace

std::uint8_t LetterCode(unsigned char c) {
    const unsigned char lower = ToLower(c);
    if (lower >= 'a' && lower <= 'z') return lower;
    for (std::size_t k = 0; k < AccentedVowels.size(); ++k) {
        if (AccentedVowels[k] == lower) return static_cast<std::uint8_t>(1 + k);
    }
    for (std::size_t k = 0; k < OtherLetters.size(); ++k) {
        if (OtherLetters[k] == lower) return static_cast<std::uint8_t>(FirstOtherCode + k);
    }
    return 0;
}

namespace {

// Everything of CompilePatterns; without `imageWanted` only the statistics are made and
// a set that does not fit is measured rather than refused.
CompiledPatterns Compile(const PatternSet& set, const std::string& language, bool imageWanted) {
    if (!set.unmapped.empty()) {
        std::string list;
        for (const auto& [c, origin] : set.unmapped) {
            list += (list.empty() ? "" : ", ") + DescribeUnmapped(c) + " at " + origin;
        }
        throw CompileError("Windows-1252 cannot hold these letters of the patterns: " + list);
    }
    const std::string prefix = "Sonkora Hyphenation ";
    const std::string suffix = std::string(" V") + pf::Version;
    if (language.empty() || std::any_of(language.begin(), language.end(), [](char c) { return c <= ' ' || c > '~'; }))
        throw CompileError("the language name must be one word of ASCII characters without blanks");
    if (prefix.size() + language.size() + suffix.size() > pf::IdentificationLength)
        throw CompileError("the language name is " +
                           std::to_string(prefix.size() + language.size() + suffix.size() - pf::IdentificationLength) +
                           " characters too long for the identification line");

    const CodeTable table = MakeCodeTable(set);
    CompiledPatterns result;

    // Patterns by code string; those that differ only in letter case are one pattern.
    PatternMap patterns;
    for (const Pattern& p : set.patterns) {
        const std::string codes = Codes(p.letters, table, true);
        auto [it, inserted] = patterns.try_emplace(codes, MergedPattern{p.values, p.origin});
        if (!inserted && it->second.values != p.values)
            throw CompileError(p.origin + ": pattern \"" + PatternText(p.letters, p.values) + "\" conflicts with \"" +
                               PatternText(p.letters, it->second.values) + "\" at " + it->second.origin);
    }

    // Exception words, each checked against the patterns alone.
    std::map<std::string, const ExceptionWord*> exceptionWords;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> overrides;
    for (const ExceptionWord& w : set.exceptions) {
        const std::string codes = Codes(w.letters, table, false);
        auto [it, inserted] = exceptionWords.try_emplace(codes, &w);
        if (!inserted) {
            if (it->second->breaks != w.breaks)
                throw CompileError(w.origin + ": exception word conflicts with the one at " + it->second->origin);
            continue;
        }
        const std::string word = static_cast<char>(pf::BoundaryCode) + codes + static_cast<char>(pf::BoundaryCode);
        const std::vector<unsigned> gaps = LiangGaps(patterns, word);
        std::vector<std::uint8_t> values(word.size() + 1, 0);
        bool needed = false;
        for (std::size_t k = 1; k < codes.size(); ++k) {
            const bool odd = (gaps[k] & 1U) != 0;
            if (odd != w.breaks[k - 1]) {
                values[k + 1] = static_cast<std::uint8_t>(gaps[k] + 1);
                needed = true;
            }
        }
        if (needed) overrides.emplace_back(word, std::move(values));
    }
    for (auto& [word, values] : overrides) {
        auto [it, inserted] = patterns.try_emplace(word, MergedPattern{values, "exception"});
        if (!inserted) {
            for (std::size_t k = 0; k < values.size(); ++k)
                it->second.values[k] = std::max(it->second.values[k], values[k]);
        }
        ++result.statistics.exceptions;
    }
    result.statistics.patterns = patterns.size();

    // Operation chains, shared where their tails agree. Values that no rule ever reads
    // are left out: the gap before the word and the gap after its last letter.
    std::map<OpKey, unsigned> opNumbers;
    std::vector<OpKey> ops(1, OpKey{0, 0, 0});
    std::vector<Node> nodes(1);
    for (const auto& [codes, merged] : patterns) {
        std::vector<std::uint8_t> values = merged.values;
        const std::size_t m = codes.size();
        if (static_cast<unsigned char>(codes.front()) == pf::BoundaryCode) values[0] = values[1] = 0;
        if (static_cast<unsigned char>(codes.back()) == pf::BoundaryCode) values[m] = values[m - 1] = 0;
        unsigned op = 0;
        for (std::size_t k = m + 1; k-- > 0;) {
            if (values[k] == 0) continue;
            const OpKey key{static_cast<unsigned>(m - k), values[k], op};
            auto [it, inserted] = opNumbers.try_emplace(key, static_cast<unsigned>(ops.size()));
            if (inserted) ops.push_back(key);
            op = it->second;
        }
        if (op == 0) continue;  // nothing that can ever show
        int node = 0;
        for (const char c : codes) {
            const auto code = static_cast<std::uint8_t>(c);
            auto found = nodes[node].children.find(code);
            if (found == nodes[node].children.end()) {
                nodes.push_back(Node{});
                found = nodes[node].children.emplace(code, static_cast<int>(nodes.size() - 1)).first;
            }
            node = found->second;
        }
        nodes[node].op = op;
    }
    result.statistics.operations = ops.size() - 1;

    // Identical families of siblings are stored once. Children have higher indexes
    // than their parents, so a backward sweep sees every child first.
    using FamilyKey = std::vector<std::array<int, 3>>;
    std::map<FamilyKey, int> familyIds;
    std::vector<const FamilyKey*> families;
    for (std::size_t n = nodes.size(); n-- > 0;) {
        if (nodes[n].children.empty()) continue;
        FamilyKey key;
        for (const auto& [code, child] : nodes[n].children)
            key.push_back({code, static_cast<int>(nodes[child].op), nodes[child].family});
        auto [it, inserted] = familyIds.try_emplace(std::move(key), static_cast<int>(families.size()));
        if (inserted) families.push_back(&it->first);
        nodes[n].family = it->second;
    }

    // First fit, largest families first; the root family is fixed at base 0. Placement
    // goes on past entry 8000 so that a failure can say how much is missing.
    std::vector<unsigned> bases(families.size(), 0);
    const int rootFamily = nodes[0].family;
    std::vector<int> order;
    for (int f = 0; f < static_cast<int>(families.size()); ++f) {
        if (f != rootFamily) order.push_back(f);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return families[a]->size() > families[b]->size(); });
    if (rootFamily >= 0) order.insert(order.begin(), rootFamily);
    EntryPacker packer;
    std::size_t highest = 0;
    std::size_t entries = 0;
    for (const int f : order) {
        std::vector<unsigned> codes;
        for (const auto& e : *families[f]) codes.push_back(static_cast<unsigned>(e[0]));
        bases[f] = f == rootFamily ? packer.PlaceAt(0, codes) : packer.Place(codes);
        highest = std::max<std::size_t>(highest, bases[f] + codes.back());
        entries += codes.size();
    }
    const unsigned leafLink = packer.UnusedBase();
    result.statistics.entries = entries;
    result.statistics.highestEntry = highest;

    std::string problems;
    if (highest > pf::LastEntry)
        problems += "the trie needs " + std::to_string(entries) + " entries, placed up to entry " +
                    std::to_string(highest) + ", " + std::to_string(highest - pf::LastEntry) +
                    " beyond the last reachable entry " + std::to_string(pf::LastEntry);
    if (ops.size() - 1 > pf::MaxOperations)
        problems += std::string(problems.empty() ? "" : "; ") + "the patterns need " + std::to_string(ops.size() - 1) +
                    " operations, " + std::to_string(ops.size() - 1 - pf::MaxOperations) + " more than the " +
                    std::to_string(pf::MaxOperations) + " a pattern file holds";
    if (!imageWanted) return result;
    if (!problems.empty()) throw CompileError("the patterns do not fit a pattern file: " + problems);

    // The image.
    std::string& image = result.image;
    image.assign(pf::FullTrieEnd, '\0');
    const std::string identification = prefix + language + suffix;
    image.replace(0, identification.size(), identification);
    for (unsigned c = 0; c < 256; ++c) {
        image[pf::CodeTableOffset + c] = static_cast<char>(table[c]);
        if (table[c] != 0) image[pf::WordCharsOffset + c / 8] |= static_cast<char>(1U << (c % 8));
    }
    for (std::size_t v = 1; v < ops.size(); ++v) {
        image[pf::DistanceOffset + v] = static_cast<char>(ops[v].distance);
        image[pf::ValueOffset + v] = static_cast<char>(ops[v].value);
        image[pf::NextOffset + v] = static_cast<char>(ops[v].next);
    }
    const auto putEntry = [&image](std::size_t n, unsigned link, unsigned op, unsigned code) {
        const std::size_t offset = pf::TrieOffset + n * pf::TrieEntrySize;
        image[offset] = static_cast<char>(link & 0xFF);
        image[offset + 1] = static_cast<char>(link >> 8);
        image[offset + 2] = static_cast<char>(op);
        image[offset + 3] = static_cast<char>(code);
    };
    for (std::size_t n = 0; n < pf::EntryCount; ++n) putEntry(n, 0, 0, NoCode);
    for (std::size_t f = 0; f < families.size(); ++f) {
        for (const auto& e : *families[f]) {
            const unsigned link = e[2] < 0 ? leafLink : bases[static_cast<std::size_t>(e[2])];
            putEntry(bases[f] + static_cast<unsigned>(e[0]), link, static_cast<unsigned>(e[1]),
                     static_cast<unsigned>(e[0]));
        }
    }
    return result;
}

}  // namespace

std::array<std::uint8_t, 256> CharacterCodes(const PatternSet& set) {
    return MakeCodeTable(set);
}

CompiledPatterns CompilePatterns(const PatternSet& set, const std::string& language) {
    return Compile(set, language, true);
}

CompileStatistics MeasurePatterns(const PatternSet& set) {
    return Compile(set, "MEASURED", false).statistics;
}

}  // namespace sonkora::hypgen
