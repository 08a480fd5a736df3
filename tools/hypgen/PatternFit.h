#pragma once
// Fitting a pattern set that is too large for a pattern file into the file's limits
// (trie entries and operations), keeping as many words as possible hyphenated exactly as
// the full set hyphenates them.
//
// The reference is the full set (patterns and exception words) run under the engine's
// own rules: every start position, then the first- and last-syllable rules. A word
// agrees when all its breaks are the same.
//
// The fit removes patterns, round after round. Each round it counts, for every pattern,
// the fit words that would stop agreeing without it (less those that would start to),
// a word of a list of common words twice, and removes the patterns that give least per
// trie entry or operation saved. Ties count once: when several patterns give the same
// winning value at a gap, the shortest of them (then the first) is credited as if it
// stood alone, so that the others can go and it stays; and a round never removes both of
// two patterns that back each other up. When the set fits by the fit's own count it is compiled; if the packed trie or
// the operations still overflow, the targets drop by the overflow and the rounds go on.
// Room the compiled set leaves is filled again with the patterns removed last, then
// with the exception words that still fit (each costs a whole path for one word).
// Words are split by a hash of their letters, so the held-out words are the same on
// every run and never seen by the fit. Same inputs, same output.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "hypgen/PatternCompiler.h"
#include "hypgen/PatternSource.h"
#include "hyphenation/PatternFile.h"

namespace sonkora::hypgen {

struct FitOptions {
    unsigned heldOutShare = 10;  // one word in this many is held out
    unsigned lastEntry = PatternFile::LastEntry;
    unsigned maxOperations = PatternFile::MaxOperations;
    // Exception words take the room the compiled set leaves before removed patterns come
    // back: for sets whose exceptions are common words (English "some-thing").
    bool exceptionsFirst = false;
    std::ostream* progress = nullptr;  // one line per round when set
};

struct FitResult {
    PatternSet set;                  // the kept patterns and exception words, in source order
    std::size_t sourcePatterns = 0;  // distinct patterns of the full set that carry a value
    CompileStatistics statistics;    // of the fitted set
    std::size_t fitWords = 0, fitAgreeing = 0;
    std::size_t heldOutWords = 0, heldOutAgreeing = 0;
    std::size_t rounds = 0;
    std::size_t restored = 0;  // patterns that came back into the room the packed trie left
};

// The words of a list, UTF-8. Each is cut into runs of the pattern set's letters, as the
// hyphenation command cuts a line, and runs of 3 to 63 letters are used once each.
struct FitWordList {
    std::vector<std::string> words;
    bool common = false;  // its words count once more: they are the ones any dictionary has
};

// `lists` as above.
// Exception words are left out, since the fitted set keeps them. Throws CompileError
// when the set cannot be fitted (no letters, nothing left that fits).
FitResult FitPatterns(const PatternSet& full, const std::vector<FitWordList>& lists, const FitOptions& options);

// Agreement in percent, 0 for no words.
double Percent(std::size_t agreeing, std::size_t words);

// The fitted set as a TeX pattern file (UTF-8) that hypgen reads back: `header` (lines
// without "%", written as comments), then \patterns and \hyphenation.
std::string FittedSource(const FitResult& result, const std::vector<std::string>& header);

}  // namespace sonkora::hypgen
