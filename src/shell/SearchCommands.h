#pragma once
// SearchCommands: the Search menu of an editor window, Find, Replace and Find Again on
// the song text pane, and the pane-level steps they are made of.

#include <QObject>
#include <QString>

#include "shell/SearchText.h"

class QDialog;
class QPlainTextEdit;
class QWidget;

namespace sonkora {

class FindDialog;
class ReplaceDialog;

// The pane's text with one '\n' per line end, as the search positions count it.
QString PaneSnapshot(const QPlainTextEdit& pane);

// Searches the pane from its selection and selects the match; false when there is none
// (or the search text or the pane is empty), the selection then unchanged.
bool SearchPane(QPlainTextEdit& pane, const QString& searchText, const SearchOptions& options);

// Replaces the pane's selection and leaves the caret where the next search in that
// direction begins: after the replacement going down, before it going up.
void ReplaceSelection(QPlainTextEdit& pane, const QString& replacement, bool down);

// Replace All on the pane from its selection, as one step of the pane's undo. Returns
// the number of replacements, or -1 when the text would grow past what the editor holds
// (nothing is then replaced).
int ReplaceAllInPane(QPlainTextEdit& pane, const QString& searchText, const QString& replacement,
                     const SearchOptions& options);

// The Search menu of one editor window: the two dialogs and the handlers behind their
// buttons and behind Find Again. Everything acts on `pane`, the song text pane.
class SearchCommands : public QObject {
    Q_OBJECT

public:
    // `owner` parents the dialogs and the message box.
    SearchCommands(QWidget* owner, QPlainTextEdit* pane);

    void find();
    void replace();
    void findAgain();

private:
    // Runs a search with the dialog's text and options; shows the "Cannot find"
    // message when nothing is found.
    void FindWith(const FindDialog& dialog);
    void ReplaceWith(bool all);
    void ShareFrameKeys(QDialog* dialog);
    void ShowCannotFind(const QString& searchText);

    QWidget* owner_;
    QPlainTextEdit* pane_;
    FindDialog* findDialog_ = nullptr;
    ReplaceDialog* replaceDialog_ = nullptr;
};

}  // namespace sonkora
