#pragma once
// The lyric records of one compilation and the mappings the editor window makes with
// them between the song text pane, the preview pane and the time line of playback.
//
// The list always holds one record more than there are lyrics: the last one is the open
// record, whose Pos marks where the source of the last lyric ends and which becomes the
// record of the next lyric. For the song body "Hel-lo world," starting at index 20:
//   record 0 {Pos 20, Text "\\Hel", Row 1, Col 0, DisplayLength 3}     "Hel"
//   record 1 {Pos 24, Text "lo",    Row 1, Col 3, DisplayLength 2}      "lo"
//   record 2 {Pos 27, Text " world,", Row 1, Col 5, DisplayLength 7}    " world,"
//   record 3 {Pos 34}                      <- the open record
// so lyric k's source is the text from Pos of k up to Pos of k + 1.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonkora {

struct LyricRecord {
    int32_t Time = 0;           // bound time in ticks
    int32_t Pos = 0;            // index in the song text where the lyric's source begins
    std::string Text;           // as written to the file: prefix ("\\", "/", " " or none) and syllable
    int32_t Row = 0;            // preview line that shows the syllable
    int32_t Col = 0;            // column in that line where its display begins
    int32_t DisplayLength = 0;  // of the syllable as the preview shows it (a blank prefix kept)
    int32_t Track = 0;          // voice track that gave the time (Make, Play, Export)
};

class LyricList {
public:
    // A new list holds its open record, as an editor window's list does from the start.
    LyricList() { ClearLyrics(true); }

    // Frees every record; with keepOpen one new open record is added.
    void ClearLyrics(bool keepOpen);
    // The number of lyrics: the records minus the open one.
    int LyricCount() const { return static_cast<int>(records_.size()) - 1; }

    const LyricRecord& operator[](int index) const { return records_.at(static_cast<size_t>(index)); }
    const std::vector<LyricRecord>& Records() const { return records_; }

    // Room for this many lyrics without moving the records again.
    void Reserve(size_t lyrics) { records_.reserve(lyrics + 1); }
    // The open record; the list must hold one.
    LyricRecord& Open() { return records_.back(); }
    // Closes the open record (it becomes a lyric) and opens the next at `pos`.
    void AppendOpen(int32_t pos);

private:
    std::vector<LyricRecord> records_;
};

// A place in the preview pane: a line and a column in it.
struct PreviewPlace {
    int Row = 0;
    int Col = 0;
};

// The preview selection for a caret index of the song text pane: the display of the
// lyric whose source holds the caret. Without lyrics it is an empty selection at 0.
struct PreviewSelection {
    PreviewPlace From;
    int Length = 0;
};
PreviewSelection PreviewSelectionForCaret(const LyricList& lyrics, int caretIndex);

// A range of the song text pane.
struct SourceRange {
    int Start = 0;
    int Length = 0;
};
// The source of the lyric under the preview caret; an empty range at 0 without lyrics.
SourceRange SourceRangeAtPreviewCaret(const LyricList& lyrics, PreviewPlace caret);

// What playback highlights at one moment: the lyrics bound to exactly that time and the
// empty syllables after them, in the song text pane and in the preview pane (From to
// To, To just after the last display character). Nothing when no lyric has that time.
struct LyricHighlight {
    SourceRange Source;
    PreviewPlace From;
    PreviewPlace To;
};
std::optional<LyricHighlight> LyricsAtTime(const LyricList& lyrics, int32_t time);

}  // namespace sonkora
