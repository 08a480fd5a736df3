#pragma once
// The Hyphenation command of an editor window: checks the song text, lists the pattern
// files beside the program, lets the user choose a language (preselecting the one of
// the text's "@L" line) and splits the words of the lyric lines with "-".
//
// Only the lyric body changes. The header block and the empty lines above it stay as
// they are; below it every maximal run of the language's word characters is a word, and
// everything else separates words, so "Hel-lo" is read as "Hel" and "lo" and a second
// run adds no hyphen next to one that is there:
//
//   @LENGL                    @LENGL
//                       ->
//   Presentation time         Pre-sen-ta-tion time

#include <optional>
#include <string>

namespace sonkora {

class HyphenationEngine;
class SongCompiler;
class SongDocument;
class UserInterface;

struct SongLanguage {
    std::string language;    // the text of the last "@L" header line; empty without one
    int lyricStartLine = 0;  // the first lyric line; the line count when there is none
};

// Checks the song text and reads its header. Nothing when the check found an error,
// which the compiler has already reported.
std::optional<SongLanguage> ReadSongLanguage(SongDocument& document, SongCompiler& compiler, UserInterface& ui);

// One line with each of its words hyphenated.
std::string HyphenateLine(const std::string& line, const HyphenationEngine& engine);

// Hyphenates every line from `firstLine` to the end and writes each one back, changed
// or not. Returns the number of lines written.
int HyphenateLines(SongDocument& document, int firstLine, const HyphenationEngine& engine);

// Loads a pattern file and hyphenates the lines from `firstLine` on; the number of lines
// written. When the pattern image cannot be allocated the error box says so, nothing
// changes and nothing is returned. A file that cannot be read throws IoError before any
// line changes.
std::optional<int> HyphenateWithPatterns(SongDocument& document, int firstLine, const std::string& patternFile,
                                         UserInterface& ui);

// The whole command. `programDirectory` ends with a separator. Returns the number of
// lines written back, or nothing when the command stopped: a compiler error (already
// reported), the dialog cancelled or nothing to choose in it, no memory for the
// patterns. IoError when a pattern file cannot be read; the text is unchanged then.
std::optional<int> Hyphenation(SongDocument& document, SongCompiler& compiler, UserInterface& ui,
                               const std::string& programDirectory);

}  // namespace sonkora
