#pragma once
// Compiles a pattern set into the image of a ".hyp" pattern file (layout in
// hyphenation/PatternFile.h).
//
// Codes: a-z and A-Z share the codes 97 to 122; the accented vowels of Windows-1252 get
// the codes 1 to 28 (lower and upper case sharing one), so that the engine's vowel rules
// see them as vowels; the other letters and any other character the patterns use get
// codes from 128 on. 0 is "no letter", 127 the word boundary. Every character with a code
// belongs to words, so a foreign letter does not cut a word in two.
//
// Exception words become patterns that span the whole word (".table.") and carry, at
// each gap where the ordinary patterns disagree with the exception, the value one above
// theirs with the parity the exception asks for.
//
// The trie: one node per pattern prefix, identical subtries shared, each family of
// siblings placed first-fit at a base of its own so that base + code finds the child
// ("." is code 127). The root family sits at base 0. Operation chains (distance, value,
// next) are shared wherever their tails agree. Same input, same bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "hypgen/PatternSource.h"

namespace sonkora::hypgen {

// The pattern set cannot be made into a pattern file; the message says why and by how
// much it misses.
class CompileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CompileStatistics {
    std::size_t patterns = 0;      // distinct patterns, exception patterns included
    std::size_t exceptions = 0;    // exception words that needed a pattern of their own
    std::size_t entries = 0;       // trie entries used, the root's 256 included
    std::size_t highestEntry = 0;  // highest entry index in use
    std::size_t operations = 0;
};

struct CompiledPatterns {
    std::string image;  // the file's bytes
    CompileStatistics statistics;
};

// The code every file hypgen writes gives a Windows-1252 letter (0 for any other
// character; those get codes only in files whose patterns use them).
std::uint8_t LetterCode(unsigned char c);

// The code of every Windows-1252 character in the file made from `set`: LetterCode, then
// codes for the other characters its patterns and exception words use. Throws
// CompileError for a character that cannot have one, as CompilePatterns does.
std::array<std::uint8_t, 256> CharacterCodes(const PatternSet& set);

// `language` is the name written into the identification line (no blanks).
CompiledPatterns CompilePatterns(const PatternSet& set, const std::string& language);

// The statistics CompilePatterns would give, also for a set that does not fit: how far
// the packed trie reaches and how many operations it needs. Throws CompileError for
// everything else CompilePatterns refuses.
CompileStatistics MeasurePatterns(const PatternSet& set);

}  // namespace sonkora::hypgen
