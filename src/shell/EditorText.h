#pragma once
// The song text as the editor holds it. A song text is Windows-1252 bytes; the pane
// shows one character per byte through the 1:1 table, and every line end is a single
// character, so a character index in the pane is the byte index the compiler uses.
//
//   file bytes "\\t 1\r\n@TMy Song\r\n"  ->  pane text "\\t 1\n@TMy Song\n"
//   pane lines (a line end at the very end starts no further line): 2
//
// A character the code page cannot hold (typed or pasted) is kept in the pane and
// reported by FindUnmappedCharacters, so nothing is lost without the user being told.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonkora {

// One byte per character through the 1:1 table; line ends are left as they are.
QString BytesToPaneChars(std::string_view bytes);

// A file's bytes as pane text: CR LF, LF and CR all become one '\n'.
QString FileBytesToPaneText(std::string_view bytes);

// One byte per UTF-16 unit of `text`: a character without a byte becomes '?', so the
// indexes still agree with the pane's. Check FindUnmappedCharacters first where it
// matters.
std::string PaneCharsToBytes(const QString& text);

// The lines of a pane text: split at '\n', where a '\n' at the very end starts no
// further line and an empty text has none.
QStringList PaneLines(const QString& text);

// The bytes of a document file: every line followed by CR LF.
std::string PaneTextToFileBytes(const QString& text);

struct UnmappedCharacter {
    int Position = 0;   // index in the pane text
    int Line = 0;       // 0-based line
    int Column = 0;     // 0-based column in that line
    char32_t Code = 0;  // the character (a surrogate pair counts as one)
    int Length = 1;     // UTF-16 units it takes in the pane
};

// Every character of `text` that Windows-1252 cannot hold, in order.
std::vector<UnmappedCharacter> FindUnmappedCharacters(const QString& text);

// A pane line written back by a command that only inserts hyphens into its words
// (`hyphenated`, the line's bytes with '-' added). The characters the code page cannot
// hold, '?' in the bytes, are kept, and a word (a run between spaces or tabs) holding
// one gets no hyphen, since the hyphenation never saw it whole. `skippedWords` counts
// those words. Nothing when `hyphenated` is not the line with hyphens added.
std::optional<QString> KeepUnmappedWords(const QString& paneLine, const std::string& hyphenated, int& skippedWords);

// The counts shown under the panes: lines, paragraphs (runs of non-blank lines that
// follow at least one blank line) and the title of the first line starting "@T".
struct StatusCounts {
    int Lines = 0;
    int Paragraphs = 0;
    QString Title;
};

StatusCounts CountStatus(const QStringList& lines);

// " 12 lines", " 1 paragraph".
QString CountText(int count, const QString& word);

// A character named for a person: the character itself in quotes and its code point.
QString DescribeCharacter(char32_t code);

}  // namespace sonkora
