#include "hypgen/PatternFit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "common/CodePage.h"
#include "hyphenation/HyphenationEngine.h"

namespace sonkora::hypgen {

namespace {

namespace pf = PatternFile;

constexpr std::size_t MaxLetters = HyphenationEngine::MaxWordLength;
constexpr char Boundary = static_cast<char>(pf::BoundaryCode);
// An occurrence packs the pattern's number above the start position (0 to 63).
constexpr unsigned StartBits = 7;
// Share of the remaining overflow that one round removes: small enough that the counts
// stay close to the set they were taken on, large enough for a fit in about 60 rounds.
constexpr double RoundShare = 0.1;
constexpr double MinRoundEntries = 16;
constexpr double MinRoundOperations = 2;

// A value that a pattern gives to the gap `offset` places after its start position.
struct Contribution {
    int offset;
    std::uint8_t value;
};

struct FitPattern {
    std::string codes;  // with the boundary code for "." at either end
    std::vector<Contribution> contributions;
    std::size_t source = 0;  // its first place in the full set
    int node = 0;
    std::vector<int> chain;  // the operations of its trie entry
    unsigned rank = 0;       // order among tied patterns: shorter first, then source order
};

struct TrieNode {
    int parent = -1;
    int pattern = -1;
    int aliveChildren = 0;
};

struct FitWord {
    std::uint32_t first = 0, last = 0;  // its occurrences
    int letters = 0;
    bool heldOut = false;
    bool secondIsVowel = false;
    std::uint8_t weight = 1;   // the number of word lists that hold it
    std::uint64_t mask = 0;    // gaps that the first- and last-syllable rules leave open
    std::uint64_t target = 0;  // the full set's breaks, bit g for the gap after letter g
};

std::uint32_t Fnv1a(const std::string& text) {
    std::uint32_t hash = 2166136261U;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    return hash;
}

// The engine's edge rules on the odd gaps of the pattern pass; rule 2 reads gap 2 before
// rule 3 may clear it.
std::uint64_t EdgeRules(std::uint64_t odd, const FitWord& word) {
    std::uint64_t bits = odd & word.mask;
    if (!word.secondIsVowel && ((odd >> 2) & 1U) != 0) bits &= ~std::uint64_t{2};
    return bits;
}

class Fitter {
public:
    Fitter(const PatternSet& full, const std::vector<FitWordList>& lists, const FitOptions& options)
        : full_(full), options_(options), table_(CharacterCodes(full)) {
        ReadPatterns();
        ReadWords(lists);
        // Without words every pattern would look useless and the choice would be blind.
        if (words_.empty()) throw CompileError("the word lists hold no word of 3 to 63 letters that the patterns know");
    }

    FitResult Run();

private:
    void ReadPatterns();
    void ReadWords(const std::vector<FitWordList>& lists);
    std::uint64_t Breaks(const FitWord& word) const;
    void Score(std::vector<long>& score, std::vector<std::uint64_t>& pairs) const;
    void Remove(std::size_t p);
    bool NodeAlive(int node) const {
        const int p = nodes_[node].pattern;
        return nodes_[node].aliveChildren > 0 || (p >= 0 && active_[p]);
    }
    std::size_t EntriesSaved(std::size_t p) const;
    std::size_t OperationsSaved(std::size_t p) const;
    bool PruneRound(std::size_t entryTarget, std::size_t operationTarget);
    bool Fits(const CompileStatistics& s) const {
        return s.highestEntry <= options_.lastEntry && s.operations <= options_.maxOperations;
    }
    std::size_t Restore();
    void AddExceptions();
    PatternSet KeptSet() const;

    const PatternSet& full_;
    const FitOptions& options_;
    const std::array<std::uint8_t, 256> table_;
    std::vector<FitPattern> patterns_;
    std::vector<TrieNode> nodes_;
    std::unordered_map<std::uint64_t, int> children_;  // parent * 256 + code -> child
    std::vector<int> operationUse_;
    std::vector<FitWord> words_;
    std::vector<std::uint32_t> occurrences_;
    std::vector<char> active_;
    std::vector<std::size_t> removedForRoom_;  // in the order of removal
    std::vector<char> keptExceptions_;
    std::size_t entries_ = 0;     // trie nodes in use, the root left out
    std::size_t operations_ = 0;  // operations in use
};

void Fitter::ReadPatterns() {
    std::unordered_set<std::string> exceptionCodes;
    std::unordered_map<std::string, std::size_t> byCodes;
    std::map<std::tuple<int, int, int>, int> operationIds;
    nodes_.emplace_back();
    for (std::size_t i = 0; i < full_.patterns.size(); ++i) {
        const Pattern& source = full_.patterns[i];
        std::string codes;
        for (std::size_t k = 0; k < source.letters.size(); ++k) {
            const bool edge = source.letters[k] == '.' && (k == 0 || k + 1 == source.letters.size());
            codes += edge ? Boundary : static_cast<char>(table_[static_cast<unsigned char>(source.letters[k])]);
        }
        if (const auto seen = byCodes.find(codes); seen != byCodes.end()) {
            if (full_.patterns[seen->second].values != source.values)
                throw CompileError(source.origin + ": pattern conflicts with the one at " +
                                   full_.patterns[seen->second].origin);
            continue;
        }
        byCodes.emplace(codes, i);
        // The values that can ever show, as the compiler keeps them.
        std::vector<std::uint8_t> values = source.values;
        const std::size_t m = codes.size();
        if (codes.front() == Boundary) values[0] = values[1] = 0;
        if (codes.back() == Boundary) values[m] = values[m - 1] = 0;
        FitPattern pattern;
        int next = 0;
        for (std::size_t k = m + 1; k-- > 0;) {
            if (values[k] == 0) continue;
            pattern.contributions.push_back({static_cast<int>(k) - 1, values[k]});
            const auto key = std::make_tuple(static_cast<int>(m - k), static_cast<int>(values[k]), next);
            next = operationIds.try_emplace(key, static_cast<int>(operationIds.size())).first->second;
            pattern.chain.push_back(next);
        }
        if (pattern.contributions.empty()) continue;  // nothing that can ever show
        pattern.codes = codes;
        pattern.source = i;
        int node = 0;
        for (const char c : codes) {
            const std::uint64_t key = static_cast<std::uint64_t>(node) * 256 + static_cast<unsigned char>(c);
            auto [it, inserted] = children_.try_emplace(key, static_cast<int>(nodes_.size()));
            if (inserted) nodes_.push_back(TrieNode{node, -1, 0});
            node = it->second;
        }
        nodes_[node].pattern = static_cast<int>(patterns_.size());
        pattern.node = node;
        patterns_.push_back(std::move(pattern));
    }
    if (patterns_.empty()) throw CompileError("the patterns give no values");

    std::vector<std::size_t> order(patterns_.size());
    for (std::size_t p = 0; p < order.size(); ++p) order[p] = p;
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return patterns_[a].codes.size() < patterns_[b].codes.size();
    });
    for (std::size_t r = 0; r < order.size(); ++r) patterns_[order[r]].rank = static_cast<unsigned>(r);

    active_.assign(patterns_.size(), 1);
    keptExceptions_.assign(full_.exceptions.size(), 0);
    for (std::size_t n = 1; n < nodes_.size(); ++n) ++nodes_[nodes_[n].parent].aliveChildren;
    entries_ = nodes_.size() - 1;
    operationUse_.assign(operationIds.size(), 0);
    for (const FitPattern& p : patterns_)
        for (const int op : p.chain) ++operationUse_[op];
    operations_ = operationIds.size();
}

void Fitter::ReadWords(const std::vector<FitWordList>& lists) {
    std::unordered_set<std::string> exceptions;
    for (const ExceptionWord& w : full_.exceptions) {
        std::string codes;
        for (const char c : w.letters) codes += static_cast<char>(table_[static_cast<unsigned char>(c)]);
        exceptions.insert(codes);
    }
    // Runs of letters, each once with its weight, in a fixed order.
    std::unordered_map<std::string, unsigned> weights;
    for (const FitWordList& list : lists) {
        std::unordered_set<std::string> inList;
        for (const std::string& word : list.words) {
            const Cp1252Conversion converted = Utf8ToCp1252(word);
            if (!converted.unmapped.empty()) continue;
            std::string codes;
            for (std::size_t k = 0; k <= converted.text.size(); ++k) {
                const std::uint8_t code =
                    k < converted.text.size() ? table_[static_cast<unsigned char>(converted.text[k])] : 0;
                if (code != 0) {
                    codes += static_cast<char>(code);
                    continue;
                }
                if (codes.size() >= 3 && codes.size() <= MaxLetters && exceptions.count(codes) == 0 &&
                    inList.insert(codes).second) {
                    const auto it = weights.try_emplace(codes, 1).first;
                    if (list.common) ++it->second;
                }
                codes.clear();
            }
        }
    }
    std::vector<std::pair<std::string, unsigned>> runs(weights.begin(), weights.end());
    weights.clear();
    std::sort(runs.begin(), runs.end());

    for (const auto& [codes, weight] : runs) {
        FitWord word;
        word.weight = static_cast<std::uint8_t>(std::min(weight, 255U));
        const int n = static_cast<int>(codes.size());
        word.letters = n;
        word.heldOut = Fnv1a(codes) % std::max(options_.heldOutShare, 1U) == 0 && options_.heldOutShare > 1;
        const auto vowel = [&codes](int k) { return VowelCodes.Contains(static_cast<unsigned char>(codes[k - 1])); };
        word.secondIsVowel = vowel(2);
        word.mask = ((std::uint64_t{1} << n) - 1) & ~std::uint64_t{1};
        if (!(vowel(1) && !vowel(2))) word.mask &= ~std::uint64_t{2};
        bool vowelBefore = false;
        for (int k = 1; k <= n - 2; ++k) vowelBefore = vowelBefore || vowel(k);
        word.mask &= ~(std::uint64_t{1} << (n - 1));
        if (!(vowel(n - 1) != vowel(n) && vowelBefore)) word.mask &= ~(std::uint64_t{1} << (n - 2));

        // Every pattern that matches, at every start position the engine walks from.
        const std::string dotted = Boundary + codes + Boundary;
        word.first = static_cast<std::uint32_t>(occurrences_.size());
        for (int start = 0; start <= n; ++start) {
            int node = 0;
            for (int l = start; l <= n + 1; ++l) {
                const auto child =
                    children_.find(static_cast<std::uint64_t>(node) * 256 + static_cast<unsigned char>(dotted[l]));
                if (child == children_.end()) break;
                node = child->second;
                if (nodes_[node].pattern >= 0)
                    occurrences_.push_back(static_cast<std::uint32_t>(nodes_[node].pattern) << StartBits |
                                           static_cast<std::uint32_t>(start));
            }
        }
        word.last = static_cast<std::uint32_t>(occurrences_.size());
        words_.push_back(word);
        words_.back().target = Breaks(words_.back());
    }
}

std::uint64_t Fitter::Breaks(const FitWord& word) const {
    std::array<std::uint8_t, MaxLetters + 2> gaps{};
    for (std::uint32_t o = word.first; o < word.last; ++o) {
        const std::uint32_t p = occurrences_[o] >> StartBits;
        if (!active_[p]) continue;
        const int start = static_cast<int>(occurrences_[o] & ((1U << StartBits) - 1));
        for (const Contribution& c : patterns_[p].contributions) {
            const int g = start + c.offset;
            if (g >= 1 && g < word.letters) gaps[g] = std::max(gaps[g], c.value);
        }
    }
    std::uint64_t odd = 0;
    for (int g = 1; g < word.letters; ++g) odd |= std::uint64_t{gaps[g] & 1U} << g;
    return EdgeRules(odd, word);
}

// score[p]: fit words that stop agreeing without pattern p, less those that start to.
// At a gap where several patterns give the winning value, the first by rank is
// credited as if it stood alone.
//
// A pattern whose break another one backs up (the same winning value, or a lower one of
// the same parity) costs nothing to remove, and neither does the other; so the two are
// recorded as a pair in `pairs` (both orders, first pattern in the high half), and a
// round removes at most one of them.
void Fitter::Score(std::vector<long>& score, std::vector<std::uint64_t>& pairs) const {
    constexpr std::uint32_t Nobody = ~std::uint32_t{0};
    std::fill(score.begin(), score.end(), 0);
    std::array<std::uint8_t, MaxLetters + 2> top{}, below{};
    std::array<std::uint32_t, MaxLetters + 2> holder{}, tied{}, belowHolder{};
    for (const FitWord& word : words_) {
        if (word.heldOut) continue;
        const int n = word.letters;
        std::fill_n(top.begin(), n, 0);
        std::fill_n(below.begin(), n, 0);
        std::fill_n(tied.begin(), n, Nobody);
        for (std::uint32_t o = word.first; o < word.last; ++o) {
            const std::uint32_t p = occurrences_[o] >> StartBits;
            if (!active_[p]) continue;
            const int start = static_cast<int>(occurrences_[o] & ((1U << StartBits) - 1));
            for (const Contribution& c : patterns_[p].contributions) {
                const int g = start + c.offset;
                if (g < 1 || g >= n) continue;
                if (c.value > top[g]) {
                    below[g] = top[g];
                    belowHolder[g] = holder[g];
                    top[g] = c.value;
                    holder[g] = p;
                    tied[g] = Nobody;
                } else if (c.value == top[g]) {
                    if (p == holder[g]) continue;
                    if (patterns_[p].rank < patterns_[holder[g]].rank) {
                        tied[g] = holder[g];
                        holder[g] = p;
                    } else {
                        tied[g] = p;
                    }
                } else if (c.value > below[g]) {
                    below[g] = c.value;
                    belowHolder[g] = p;
                }
            }
        }
        std::uint64_t odd = 0;
        for (int g = 1; g < n; ++g) odd |= std::uint64_t{top[g] & 1U} << g;
        const std::uint64_t now = EdgeRules(odd, word);
        const bool agrees = now == word.target;
        // The patterns whose removal flips a gap that the edge rules can let through.
        const std::uint64_t readable = word.mask | 4U;
        for (int g = 1; g < n; ++g) {
            if (top[g] == 0 || ((readable >> g) & 1U) == 0) continue;
            std::uint32_t backup = tied[g];
            if (backup == Nobody && below[g] != 0 && ((top[g] ^ below[g]) & 1U) == 0) backup = belowHolder[g];
            if (backup == Nobody || backup == holder[g]) continue;
            pairs.push_back(std::uint64_t{holder[g]} << 32 | backup);
            pairs.push_back(std::uint64_t{backup} << 32 | holder[g]);
        }
        std::array<std::uint32_t, MaxLetters> candidates;
        int count = 0;
        for (int g = 1; g < n; ++g) {
            if (top[g] == 0 || ((top[g] ^ below[g]) & 1U) == 0 || ((readable >> g) & 1U) == 0) continue;
            if (std::find(candidates.begin(), candidates.begin() + count, holder[g]) == candidates.begin() + count)
                candidates[count++] = holder[g];
        }
        for (int i = 0; i < count; ++i) {
            std::uint64_t without = odd;
            for (int g = 1; g < n; ++g) {
                if (top[g] != 0 && holder[g] == candidates[i])
                    without = (without & ~(std::uint64_t{1} << g)) | (std::uint64_t{below[g] & 1U} << g);
            }
            const std::uint64_t then = EdgeRules(without, word);
            if (then == now) continue;
            if (agrees)
                score[candidates[i]] += word.weight;
            else if (then == word.target)
                score[candidates[i]] -= word.weight;
        }
    }
}

void Fitter::Remove(std::size_t p) {
    active_[p] = 0;
    for (const int op : patterns_[p].chain) {
        if (--operationUse_[op] == 0) --operations_;
    }
    int node = patterns_[p].node;
    while (node != 0 && !NodeAlive(node)) {
        --entries_;
        node = nodes_[node].parent;
        --nodes_[node].aliveChildren;
    }
}

std::size_t Fitter::EntriesSaved(std::size_t p) const {
    int node = patterns_[p].node;
    if (nodes_[node].aliveChildren > 0) return 0;
    std::size_t saved = 1;
    for (node = nodes_[node].parent; node != 0 && nodes_[node].aliveChildren == 1; node = nodes_[node].parent) {
        const int q = nodes_[node].pattern;
        if (q >= 0 && active_[q]) break;
        ++saved;
    }
    return saved;
}

std::size_t Fitter::OperationsSaved(std::size_t p) const {
    std::size_t saved = 0;
    for (const int op : patterns_[p].chain) saved += operationUse_[op] == 1 ? 1 : 0;
    return saved;
}

// One round; false when the set already fits the targets.
bool Fitter::PruneRound(std::size_t entryTarget, std::size_t operationTarget) {
    const std::size_t entryExcess = entries_ > entryTarget ? entries_ - entryTarget : 0;
    const std::size_t operationExcess = operations_ > operationTarget ? operations_ - operationTarget : 0;
    if (entryExcess == 0 && operationExcess == 0) return false;
    const double entryWeight = entryExcess == 0 ? 0.0 : 1.0 / static_cast<double>(entryExcess);
    const double operationWeight = operationExcess == 0 ? 0.0 : 1.0 / static_cast<double>(operationExcess);

    std::vector<long> score(patterns_.size());
    std::vector<std::uint64_t> pairs;
    Score(score, pairs);
    // partners[p]: the patterns that must not go in the same round as p.
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    std::vector<std::uint32_t> partnerStart(patterns_.size() + 1, 0);
    for (const std::uint64_t pair : pairs) ++partnerStart[(pair >> 32) + 1];
    for (std::size_t p = 0; p < patterns_.size(); ++p) partnerStart[p + 1] += partnerStart[p];
    std::vector<std::uint32_t> partners(pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) partners[i] = static_cast<std::uint32_t>(pairs[i]);
    std::vector<char> goneThisRound(patterns_.size(), 0);
    const auto partnerGone = [&](std::size_t p) {
        for (std::uint32_t i = partnerStart[p]; i < partnerStart[p + 1]; ++i)
            if (goneThisRound[partners[i]]) return true;
        return false;
    };
    struct Candidate {
        double cost;
        unsigned rank;
        std::size_t pattern;
    };
    std::vector<Candidate> candidates;
    std::vector<std::size_t> harmful;
    for (std::size_t p = 0; p < patterns_.size(); ++p) {
        if (!active_[p]) continue;
        const double benefit = static_cast<double>(EntriesSaved(p)) * entryWeight +
                               static_cast<double>(OperationsSaved(p)) * operationWeight;
        if (benefit > 0)
            candidates.push_back({static_cast<double>(score[p]) / benefit, patterns_[p].rank, p});
        else if (score[p] < 0)
            harmful.push_back(p);
    }
    // Cheapest first; among equals the longer, more special pattern goes first.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.cost != b.cost ? a.cost < b.cost : a.rank > b.rank;
    });
    for (const std::size_t p : harmful) Remove(p);
    // Near the end a tenth of the overflow is a pattern or two, and a round per pattern
    // would take long; what a larger step removes too much comes back in Restore.
    const double share = std::max(
        RoundShare, std::min(1.0, std::max(MinRoundEntries * entryWeight, MinRoundOperations * operationWeight)));
    const std::size_t entriesBefore = entries_;
    const std::size_t operationsBefore = operations_;
    for (const Candidate& c : candidates) {
        if (!active_[c.pattern] || partnerGone(c.pattern)) continue;
        Remove(c.pattern);
        goneThisRound[c.pattern] = 1;
        removedForRoom_.push_back(c.pattern);
        const double done = static_cast<double>(entriesBefore - entries_) * entryWeight +
                            static_cast<double>(operationsBefore - operations_) * operationWeight;
        if (done >= share) break;
    }
    if (entries_ == entriesBefore && operations_ == operationsBefore) {
        // No single pattern frees anything (every operation left shared, say): the least
        // useful goes, so that the next rounds see what that frees.
        std::size_t least = patterns_.size();
        for (std::size_t p = 0; p < patterns_.size(); ++p) {
            if (active_[p] && (least == patterns_.size() || score[p] < score[least])) least = p;
        }
        if (least == patterns_.size()) return false;
        Remove(least);
        removedForRoom_.push_back(least);
    }
    return true;
}

PatternSet Fitter::KeptSet() const {
    std::vector<std::size_t> kept;
    for (std::size_t p = 0; p < patterns_.size(); ++p)
        if (active_[p]) kept.push_back(patterns_[p].source);
    std::sort(kept.begin(), kept.end());
    PatternSet set;
    for (const std::size_t i : kept) set.patterns.push_back(full_.patterns[i]);
    for (std::size_t i = 0; i < full_.exceptions.size(); ++i)
        if (keptExceptions_[i]) set.exceptions.push_back(full_.exceptions[i]);
    return set;
}

FitResult Fitter::Run() {
    FitResult result;
    result.sourcePatterns = patterns_.size();
    // The fit counts trie nodes and operations; packing the trie leaves holes and the
    // exception words add patterns, so the targets drop by whatever the compiled set
    // still overflows.
    std::size_t entryTarget = options_.lastEntry - options_.lastEntry / 50;
    std::size_t operationTarget = options_.maxOperations;
    for (;;) {
        while (PruneRound(entryTarget, operationTarget)) {
            ++result.rounds;
            if (options_.progress != nullptr)
                *options_.progress << "round " << result.rounds << ": " << entries_ << " entries, " << operations_
                                   << " operations\n";
        }
        result.set = KeptSet();
        result.statistics = MeasurePatterns(result.set);
        const CompileStatistics& s = result.statistics;
        if (Fits(s)) break;
        if (entries_ == 0) throw CompileError("no pattern set of these patterns fits");
        // Lower targets; when none is left, not even an empty set of patterns fits (the
        // exception words alone, for instance).
        const auto lower = [](std::size_t target, std::size_t count, std::size_t over) {
            const std::size_t from = std::min(target, count);
            if (from <= over) throw CompileError("no part of these patterns fits a pattern file");
            return from - over;
        };
        if (s.highestEntry > options_.lastEntry)
            entryTarget = lower(entryTarget, entries_, s.highestEntry - options_.lastEntry + 1);
        if (s.operations > options_.maxOperations)
            operationTarget = lower(operationTarget, operations_, s.operations - options_.maxOperations);
    }
    if (options_.exceptionsFirst) AddExceptions();
    result.restored = Restore();
    if (!options_.exceptionsFirst) AddExceptions();
    result.set = KeptSet();
    result.statistics = MeasurePatterns(result.set);
    for (const FitWord& word : words_) {
        const bool agrees = Breaks(word) == word.target;
        (word.heldOut ? result.heldOutWords : result.fitWords) += 1;
        (word.heldOut ? result.heldOutAgreeing : result.fitAgreeing) += agrees ? 1 : 0;
    }
    return result;
}

// The fit's own count of entries runs above the compiled trie's, which stores equal
// families once, so the compiled set usually has room left. The patterns removed last
// for room are the most useful of those removed: as many of them come back as still fit
// (found by halving; room does not grow with fewer patterns, so the search is sound up
// to the trie packer's whims, and the result is measured again anyway).
std::size_t Fitter::Restore() {
    const auto fitsWith = [this](std::size_t count) {
        for (std::size_t i = removedForRoom_.size() - count; i < removedForRoom_.size(); ++i)
            active_[removedForRoom_[i]] = 1;
        const bool fits = Fits(MeasurePatterns(KeptSet()));
        for (std::size_t i = removedForRoom_.size() - count; i < removedForRoom_.size(); ++i)
            active_[removedForRoom_[i]] = 0;
        return fits;
    };
    std::size_t low = 0;                            // fits
    std::size_t high = removedForRoom_.size() + 1;  // does not fit
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (fitsWith(middle) ? low : high) = middle;
    }
    for (std::size_t i = removedForRoom_.size() - low; i < removedForRoom_.size(); ++i) active_[removedForRoom_[i]] = 1;
    return low;
}

// An exception word needs a trie path of its own and operations for its one word, room
// that patterns use for many words, so the fit runs without them and takes back those
// that still fit afterwards, in their order.
void Fitter::AddExceptions() {
    for (std::size_t i = 0; i < full_.exceptions.size(); ++i) {
        keptExceptions_[i] = 1;
        if (!Fits(MeasurePatterns(KeptSet()))) keptExceptions_[i] = 0;
    }
}

std::string PatternText(const Pattern& p) {
    std::string text;
    for (std::size_t k = 0; k <= p.letters.size(); ++k) {
        if (p.values[k] != 0) text += static_cast<char>('0' + p.values[k]);
        if (k < p.letters.size()) text += Cp1252ToUtf8(p.letters.substr(k, 1));
    }
    return text;
}

std::string ExceptionText(const ExceptionWord& w) {
    std::string text;
    for (std::size_t k = 0; k < w.letters.size(); ++k) {
        text += Cp1252ToUtf8(w.letters.substr(k, 1));
        if (k < w.breaks.size() && w.breaks[k]) text += '-';
    }
    return text;
}

}  // namespace

FitResult FitPatterns(const PatternSet& full, const std::vector<FitWordList>& lists, const FitOptions& options) {
    return Fitter(full, lists, options).Run();
}

double Percent(std::size_t agreeing, std::size_t words) {
    return words == 0 ? 0.0 : 100.0 * static_cast<double>(agreeing) / static_cast<double>(words);
}

std::string FittedSource(const FitResult& result, const std::vector<std::string>& header) {
    std::string text;
    for (const std::string& line : header) text += line.empty() ? "%\n" : "% " + line + "\n";
    text += "\\patterns{\n";
    for (const Pattern& p : result.set.patterns) text += PatternText(p) + "\n";
    text += "}\n";
    if (!result.set.exceptions.empty()) {
        text += "\\hyphenation{\n";
        for (const ExceptionWord& w : result.set.exceptions) text += ExceptionText(w) + "\n";
        text += "}\n";
    }
    return text;
}

}  // namespace sonkora::hypgen
