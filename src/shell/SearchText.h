#pragma once
// The search of Find and Replace as plain functions over a text, without any pane or
// dialog (SearchCommands puts them to work on the song text pane).
//
// Positions are character indexes of the pane, where every line end is one character.
// Searching down starts after the selection, searching up ends before it:
//
//   text "one two one", selection "two" (4..7)
//   down: ScanText finds "one" at 8        up: ScanText finds "one" at 0
//
// A whole-word match begins a word and is not followed by a letter or digit; only the
// ASCII letters and digits make up words, so "Café" is the word "Caf" followed by a
// non-word character:
//
//   whole word "ten" in "often ten" finds 6, not 2;  in "tené" it finds 0.
//
// Without the match-case option, letters compare as the Windows-1252 upper-case letters
// do ("é" matches "É", "ÿ" matches "Ÿ").

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace sonkora {

// A Replace All that would grow the text beyond what the editor loads is refused rather
// than left to run the program out of memory.
inline constexpr qsizetype MaxReplacedTextLength = 32 * 1024 * 1024;

struct SearchOptions {
    bool Down = true;  // the dialogs start with Down
    bool MatchCase = false;
    bool WholeWord = false;
};

// The characters words are made of: "0" to "9", "A" to "Z" and "a" to "z". Everything
// else, accented letters included, separates words.
bool IsWordChar(QChar c);

// Moves `position` to a word start for a whole-word scan, lowering `count` (the
// candidate positions left, `position` included) by one for each step. Down: the next
// word start at or after `position`; up: the start of the word at `position` or of the
// nearest one before it. False when no candidate position is left.
bool SkipToWordStart(QStringView text, int& position, int& count, bool down);

// The first match of `searchText` in `text` in the chosen direction from the selection
// (`selStart`, `selLength`), or nothing. Down, a match starts at or after the end of the
// selection; up, it ends at or before the selection's start.
std::optional<int> ScanText(QStringView text, int selStart, int selLength, QStringView searchText,
                            const SearchOptions& options);

// What Replace All does to a text whose selection is (`selStart`, `selLength`): each
// match in the chosen direction is replaced and the search goes on from the replacement,
// never into it, so a replacement that holds the search text is not found again.
struct ReplaceAllResult {
    std::vector<int> Positions;  // where the replaced matches started in the text given, ascending
    QString Text;                // the text afterwards
    int SelStart = 0;            // the selection afterwards: the caret where the next search
    int SelLength = 0;           // would begin, or the selection given when nothing was found
    bool TooLong = false;        // refused: the text would grow past what the editor holds
};
ReplaceAllResult ReplaceAllText(QStringView text, int selStart, int selLength, QStringView searchText,
                                QStringView replacement, const SearchOptions& options);

// "Cannot find "text"."
QString CannotFindMessage(const QString& searchText);

}  // namespace sonkora
