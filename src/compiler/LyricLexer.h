#pragma once
// The lexer of a song text's lyric body: walks the body character by character (a line
// end is one character after the last of every line) and emits syllables, time codes
// and track changes to a handler, which decides what each becomes in its mode.
//
//   "Hel-lo world,"        emits  "Hel" (paragraph), "lo" (no prefix), "world," (blank)
//   "Hel--lo"              emits  "Hel", an empty syllable, "lo"
//   "R2D2"                 emits  "RD": an unescaped digit is dropped
//   "Fine_ty $3:1:0$thanks" emits "Fine", "ty", the time code "3:1:0", " thanks"
//   "$\t 3$"               emits  the track change "\t 3"
//
// A syllable's prefix comes from what stood between it and the last non-empty syllable:
// two or more line ends (or the start of the body) make a paragraph, one a line, a blank
// or tab a word. An empty syllable has no prefix and leaves that count alone.

#include <cstdint>
#include <string>
#include <vector>

namespace sonkora {

// A place in the song text: a 0-based line and the 1-based column of a character in it.
// A line's line end has the column after its last character. An editor caret placed at
// (Line, Column) stands just after the character.
struct SourcePlace {
    int Line = 0;
    int Column = 0;
};

enum class LyricPrefix : char { None = 0, Blank = ' ', Line = '/', Paragraph = '\\' };

// The lyric text of a syllable: its prefix character, if any, and the syllable.
std::string LyricText(LyricPrefix prefix, const std::string& syllable);

class LexerHandler {
public:
    virtual ~LexerHandler() = default;
    // One syllable, possibly empty (then without prefix). `end` is the text index just
    // after the character that ended it, or the start of the next line for a line end.
    // Returning false stops the lexer.
    virtual bool Syllable(const std::string& syllable, LyricPrefix prefix, int32_t end) = 0;
    // A time code "$code$" (empty for the query "$$"); `dollar` is its opening "$".
    virtual bool TimeCode(const std::string& code, SourcePlace dollar) = 0;
    // A track change "$\...$": `code` has its backslash back in front ("\t 3");
    // `end` is the character that closed it.
    virtual bool TrackChange(const std::string& code, SourcePlace end) = 0;
    // The syllable reached 121 characters; `place` is the character that made it so.
    virtual void SyllableTooLong(SourcePlace place) = 0;
};

class LyricLexer {
public:
    static constexpr size_t MaxSyllableLength = 120;

    // The body starts at `firstLine` of `lines`; indexes count from the first line.
    LyricLexer(const std::vector<std::string>& lines, int firstLine);
    // The lines are read in place; they must outlive the lexer.
    LyricLexer(std::vector<std::string>&& lines, int firstLine) = delete;

    // Walks the body to its end. False when the handler stopped it or a syllable grew
    // too long.
    bool Run(LexerHandler& handler);
    // After a complete run: whether a syllable was still being collected at the end
    // (possible after an escaped line end or a time code closed by the last line end),
    // and emitting it.
    bool HasPendingSyllable() const { return !syllable_.empty(); }
    bool FlushSyllable(LexerHandler& handler);
    // At least as many syllables as Run and FlushSyllable emit: each one but the last
    // ends at a hyphen, underscore, blank, tab or line end. For reserving room ahead.
    size_t MaxSyllables() const;

    // For a handler that edits the text around what it is told (retiming): the text
    // index just after the character last taken, and, during Syllable, the index of the
    // character that began the syllable (its first character, or for an empty syllable
    // the separator that ended it). A time code written right there binds the syllable.
    int32_t Position() const { return IndexAfterCurrent(); }
    int32_t SyllableStart() const { return static_cast<int32_t>(syllableStart_); }

private:
    enum class State { Word, Escape, Time, Track, Gap, Hyphen };
    static constexpr int LineEnd = 256;

    bool Next(int& character);
    bool Emit(LexerHandler& handler);
    int32_t IndexAfterCurrent() const;

    const std::vector<std::string>& lines_;
    int line_;
    size_t column_ = 0;      // characters of the current line taken so far
    int64_t lineStart_ = 0;  // text index of the current line's first character
    int64_t textLength_ = 0;
    SourcePlace place_;  // the character last taken
    int64_t index_ = 0;  // its text index
    int64_t syllableStart_ = -1;

    std::string syllable_;
    std::string code_;
    int lineEnds_ = 2;  // at the start of the body the first syllable opens a paragraph
    bool blank_ = false;
};

}  // namespace sonkora
