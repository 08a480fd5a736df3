#pragma once
// Reading Liang hyphenation patterns for hypgen: TeX pattern files (\patterns{...} and
// \hyphenation{...}) and the plain UTF-8 lists of the usual pattern collections (one
// pattern, or one exception word, per line). Everything is turned into Windows-1252.
//
//   pattern "a1b"   letters "ab",  values {0, 1, 0}: a break may follow the a
//   pattern ".ex5"  letters ".ex", values {0, 0, 0, 5}: "." stands for the word's edge
//   exception "ta-ble": letters "table", breaks after the 2nd letter only

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sonkora::hypgen {

// A source that cannot be used; the message names the file and line.
class SourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Pattern {
    std::string letters;               // Windows-1252; '.' only first or last
    std::vector<std::uint8_t> values;  // letters.size() + 1 gap values, 0 to 9
    std::string origin;                // "file:line", for messages
};

struct ExceptionWord {
    std::string letters;       // Windows-1252, without the hyphens
    std::vector<bool> breaks;  // breaks[k]: a break after letter k + 1 (size letters - 1)
    std::string origin;
};

struct PatternSet {
    std::vector<Pattern> patterns;
    std::vector<ExceptionWord> exceptions;
    // Characters of the sources that Windows-1252 cannot hold, each once, in order of
    // first appearance, with the place it was first seen.
    std::vector<std::pair<char32_t, std::string>> unmapped;
    // Places of patterns left out because they hold "-". The hyphen is what the engine
    // inserts and never part of a word, so such patterns could never match.
    std::vector<std::string> withHyphen;
};

// Parses one pattern ("a1b", ".ex5") or throws SourceError.
Pattern ParsePattern(std::string_view token, const std::string& origin);

// Parses one exception word ("ta-ble") or throws SourceError.
ExceptionWord ParseException(std::string_view token, const std::string& origin);

// Adds the contents of one source. `text` is UTF-8. A TeX file (its first word after
// comments starts with a backslash) may hold \patterns and \hyphenation groups; any
// other file is a plain list of patterns, or of exception words when `exceptionList`
// is set. "%" starts a comment in both.
void AddSource(PatternSet& set, std::string_view text, const std::string& fileName, bool exceptionList);

// Reads a file and adds it; throws SourceError when it cannot be read.
void AddSourceFile(PatternSet& set, const std::string& fileName, bool exceptionList);

}  // namespace sonkora::hypgen
