#pragma once
// The song text as the compiler sees it: 8-bit lines, the file name and a caret.
//
// Character indexes count every line end as one character, as the editor's text pane
// does, so an index is a position in the lines joined with "\n":
//   lines {"\\t 2", "", "Hel-lo"}  ->  text "\\t 2\n\nHel-lo" (length 12);
//   line 2 starts at index 5, and PlaceCaret(2, 4) puts the caret at index 9, after "Hel-".
//
// The editor window implements it over its text pane, sonkorac over a file in memory and
// the tests over a vector of strings (MemorySongDocument below).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonkora {

class SongDocument {
public:
    virtual ~SongDocument() = default;

    // The full path of the song text (an unsaved document has the program directory plus
    // "untitled.stf").
    virtual std::string FileName() const = 0;

    virtual int LineCount() const = 0;
    virtual std::string Line(int index) const = 0;
    // Inserts a line before `index` (LineCount() appends).
    virtual void InsertLine(int index, const std::string& text) = 0;
    virtual void ReplaceLine(int index, const std::string& text) = 0;

    // The caret as a character index; setting it leaves no selection.
    virtual int CaretIndex() const = 0;
    virtual void SetCaretIndex(int index) = 0;

    // Index of the first character of a line; a line past the end gives the text length.
    int LineStart(int line) const;
    int TextLength() const;
    // The line holding the caret and the caret's column in it (both 0-based).
    int CaretLine() const;
    int CaretColumn() const;
    // Moves the caret to a line (clamped to the lines there are) and then to a column of
    // that line (clamped to 0 .. its length).
    void PlaceCaret(int line, int column);
};

// A document held in memory: the tests' and sonkorac's song text.
class MemorySongDocument : public SongDocument {
public:
    MemorySongDocument(std::string fileName, std::vector<std::string> lines)
        : fileName_(std::move(fileName)), lines_(std::move(lines)) {}

    std::string FileName() const override { return fileName_; }
    int LineCount() const override { return static_cast<int>(lines_.size()); }
    std::string Line(int index) const override { return lines_.at(static_cast<size_t>(index)); }
    void InsertLine(int index, const std::string& text) override;
    void ReplaceLine(int index, const std::string& text) override;
    int CaretIndex() const override { return caret_; }
    void SetCaretIndex(int index) override { caret_ = index; }

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::string fileName_;
    std::vector<std::string> lines_;
    int caret_ = 0;
};

// The lines of a song text file's bytes, as the editor splits them: CR LF, LF and a lone
// CR each end a line, a line end at the very end starts no further line, and an empty
// file has no lines.
std::vector<std::string> SplitSongLines(std::string_view bytes);

// Removes leading and trailing blanks and control characters (every byte up to 32).
std::string TrimLine(std::string_view line);

// Puts `text` into the header in place of the line whose first two characters (after
// trimming) are `directive`: the lines are scanned from the first, trimmed, until an
// empty line, the end of the text or such a line; that line is replaced, or, when the
// scan found none, `text` becomes the new first line.
void SetHeaderLine(SongDocument& document, std::string_view directive, const std::string& text);

// The "\m" line naming the MIDI file, as the new-document flow sets it.
void SetMidiFileLine(SongDocument& document, const std::string& name);

}  // namespace sonkora
