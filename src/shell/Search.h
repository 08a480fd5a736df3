#pragma once
// Find and replace in the song text pane of an editor window.
//
// The search itself is plain functions over the pane's text, so it can be checked
// without any dialog; the dialogs only collect the text and the options and say which
// button was pressed.
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

#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace sonkora {

struct TSearchOptions {
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
                            const TSearchOptions& options);

// What Replace All does to a text whose selection is (`selStart`, `selLength`): each
// match in the chosen direction is replaced and the search goes on from the replacement,
// never into it, so a replacement that holds the search text is not found again.
struct TReplaceAllResult {
    std::vector<int> Positions;  // where the replaced matches started in the text given, ascending
    QString Text;                // the text afterwards
    int SelStart = 0;            // the selection afterwards: the caret where the next search
    int SelLength = 0;           // would begin, or the selection given when nothing was found
    bool TooLong = false;        // refused: the text would grow past what the editor holds
};
TReplaceAllResult ReplaceAllText(QStringView text, int selStart, int selLength, QStringView searchText,
                                 QStringView replacement, const TSearchOptions& options);

// "Cannot find "text"."
QString CannotFindMessage(const QString& searchText);

// The pane's text with one '\n' per line end, as the search positions count it.
QString PaneSnapshot(const QPlainTextEdit& pane);

// Searches the pane from its selection and selects the match; false when there is none
// (or the search text or the pane is empty), the selection then unchanged.
bool SearchPane(QPlainTextEdit& pane, const QString& searchText, const TSearchOptions& options);

// Replaces the pane's selection and leaves the caret where the next search in that
// direction begins: after the replacement going down, before it going up.
void ReplaceSelection(QPlainTextEdit& pane, const QString& replacement, bool down);

// Replace All on the pane from its selection, as one step of the pane's undo. Returns
// the number of replacements, or -1 when the text would grow past what the editor holds
// (nothing is then replaced).
int ReplaceAllInPane(QPlainTextEdit& pane, const QString& searchText, const QString& replacement,
                     const TSearchOptions& options);

// The find dialog: search text, whole word, match case, direction; not modal. It stays
// open and keeps its text and options until the window goes.
class TFindDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* parent, bool withReplace = false);

    QString SearchText() const;
    TSearchOptions Options() const;

    QLineEdit* FindWhat = nullptr;
    QLineEdit* ReplaceWith = nullptr;  // the replace dialog only
    QCheckBox* WholeWord = nullptr;
    QCheckBox* MatchCase = nullptr;
    QRadioButton* Up = nullptr;
    QRadioButton* Down = nullptr;
    QPushButton* FindNextButton = nullptr;
    QPushButton* ReplaceButton = nullptr;     // the replace dialog only
    QPushButton* ReplaceAllButton = nullptr;  // the replace dialog only

signals:
    void FindNext();
    void Replace();
    void ReplaceAll();

private:
    void UpdateButtons();
};

// The replace dialog: the find dialog with a replacement text and the Replace and
// Replace All buttons.
class TReplaceDialog : public TFindDialog {
    Q_OBJECT

public:
    explicit TReplaceDialog(QWidget* parent) : TFindDialog(parent, true) {}
    QString ReplaceText() const;
};

// The Search menu of one editor window: the two dialogs and the handlers behind their
// buttons and behind Find Again. Everything acts on `pane`, the song text pane.
class TSearchCommands : public QObject {
    Q_OBJECT

public:
    // `owner` parents the dialogs and the message box; `findAgain`, when given, is the
    // Find Again item that the Find command enables.
    TSearchCommands(QWidget* owner, QPlainTextEdit* pane, QAction* findAgain = nullptr);

    void Find1Click();
    void Replace1Click();
    void FindAgain1Click();

    // Runs a search with the dialog's text and options; shows the "Cannot find"
    // message when nothing is found.
    void FindHandler(const TFindDialog& dialog);
    void ReplaceHandler(bool all);

    TFindDialog* FindDialog = nullptr;
    TReplaceDialog* ReplaceDialog = nullptr;

private:
    void ShowCannotFind(const QString& searchText);

    QWidget* owner_;
    QPlainTextEdit* pane_;
    QAction* findAgain_;
};

}  // namespace sonkora
