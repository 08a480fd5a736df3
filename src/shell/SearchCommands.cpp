#include "shell/SearchCommands.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "shell/FindDialog.h"
#include "shell/ReplaceDialog.h"

namespace sonkora {

namespace {

void SelectRange(QPlainTextEdit& pane, int start, int length) {
    QTextCursor cursor(pane.document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
    pane.ensureCursorVisible();
}

QString SelectedPaneText(const QPlainTextEdit& pane) {
    QString text = pane.textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

}  // namespace

QString PaneSnapshot(const QPlainTextEdit& pane) {
    QString text;
    const QTextDocument* document = pane.document();
    text.reserve(document->characterCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin()) text.append(QLatin1Char('\n'));
        text.append(block.text());
    }
    return text;
}

bool SearchPane(QPlainTextEdit& pane, const QString& searchText, const SearchOptions& options) {
    if (searchText.isEmpty()) return false;
    const QString text = PaneSnapshot(pane);
    if (text.isEmpty()) return false;
    const QTextCursor cursor = pane.textCursor();
    const std::optional<int> match =
        ScanText(text, cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(), searchText, options);
    if (!match) return false;
    SelectRange(pane, *match, static_cast<int>(searchText.size()));
    return true;
}

void ReplaceSelection(QPlainTextEdit& pane, const QString& replacement, bool down) {
    QTextCursor cursor = pane.textCursor();
    const int start = cursor.selectionStart();
    cursor.insertText(replacement);
    // Going up, the next search must end before the replacement, or a replacement that
    // ends with the search text would be found again at once.
    if (!down) cursor.setPosition(start);
    pane.setTextCursor(cursor);
}

int ReplaceAllInPane(QPlainTextEdit& pane, const QString& searchText, const QString& replacement,
                     const SearchOptions& options) {
    if (searchText.isEmpty()) return 0;
    const QString text = PaneSnapshot(pane);
    if (text.isEmpty()) return 0;
    const QTextCursor selection = pane.textCursor();
    const ReplaceAllResult result =
        ReplaceAllText(text, selection.selectionStart(), selection.selectionEnd() - selection.selectionStart(),
                       searchText, replacement, options);
    if (result.TooLong) return -1;
    if (result.Positions.empty()) return 0;
    // From the last match to the first, so the positions before each edit stay valid.
    QTextCursor edit(pane.document());
    edit.beginEditBlock();
    for (auto it = result.Positions.rbegin(); it != result.Positions.rend(); ++it) {
        edit.setPosition(*it);
        edit.setPosition(*it + static_cast<int>(searchText.size()), QTextCursor::KeepAnchor);
        edit.insertText(replacement);
    }
    edit.endEditBlock();
    SelectRange(pane, result.SelStart, result.SelLength);
    return static_cast<int>(result.Positions.size());
}

// ---------------------------------------------------------------------------------
// Commands

SearchCommands::SearchCommands(QWidget* owner, QPlainTextEdit* pane) : QObject(owner), owner_(owner), pane_(pane) {
    findDialog_ = new FindDialog(owner);
    replaceDialog_ = new ReplaceDialog(owner);
    connect(findDialog_, &FindDialog::FindNext, this, [this] { FindWith(*findDialog_); });
    connect(replaceDialog_, &FindDialog::FindNext, this, [this] { FindWith(*replaceDialog_); });
    connect(replaceDialog_, &FindDialog::Replace, this, [this] { ReplaceWith(false); });
    connect(replaceDialog_, &FindDialog::ReplaceAll, this, [this] { ReplaceWith(true); });
}

void SearchCommands::ShareFrameKeys(QDialog* dialog) {
    // The playback keys (F9 Play, F7 Play From Cursor, Esc Stop) act while a search
    // dialog has the focus as they do in the editor: a song is started and stopped while
    // its text is being looked through. Esc closes the dialog whenever Stop has nothing
    // to do.
    QWidget* frame = owner_->window();
    if (frame == owner_) return;
    for (const char* name : {"play", "playFromCursor", "stop"})
        if (auto* action = frame->findChild<QAction*>(QString::fromLatin1(name))) dialog->addAction(action);
}

void SearchCommands::find() {
    ShareFrameKeys(findDialog_);
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

void SearchCommands::replace() {
    ShareFrameKeys(replaceDialog_);
    replaceDialog_->show();
    replaceDialog_->raise();
    replaceDialog_->activateWindow();
}

void SearchCommands::findAgain() {
    FindWith(*findDialog_);
}

void SearchCommands::FindWith(const FindDialog& dialog) {
    if (!SearchPane(*pane_, dialog.SearchText(), dialog.Options())) ShowCannotFind(dialog.SearchText());
}

void SearchCommands::ReplaceWith(bool all) {
    const QString searchText = replaceDialog_->SearchText();
    const QString replacement = replaceDialog_->ReplaceText();
    const SearchOptions options = replaceDialog_->Options();
    // While its song plays the song text is read-only: a replacement would move the
    // syllables under the highlight that follows the song.
    if (pane_->isReadOnly()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Sonkora"),
                        QStringLiteral("The song text cannot be changed while its song is playing. Stop the song "
                                       "(Esc) and replace then."),
                        QMessageBox::Ok, replaceDialog_->isVisible() ? replaceDialog_ : owner_);
        box.exec();
        return;
    }
    // The selection is replaced when it is the search text in any letter case, even
    // with Match case set: it is what the last Find Next selected, or what the user
    // picked on purpose.
    if (!searchText.isEmpty() && SelectedPaneText(*pane_).compare(searchText, Qt::CaseInsensitive) == 0)
        ReplaceSelection(*pane_, replacement, options.Down);
    if (all) {
        if (ReplaceAllInPane(*pane_, searchText, replacement, options) < 0) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Sonkora"),
                            QStringLiteral("Replace All would make the text longer than %1 characters, so "
                                           "nothing was replaced.")
                                .arg(MaxReplacedTextLength),
                            QMessageBox::Ok, replaceDialog_->isVisible() ? replaceDialog_ : owner_);
            box.exec();
        }
        return;
    }
    if (!SearchPane(*pane_, searchText, options)) ShowCannotFind(searchText);
}

void SearchCommands::ShowCannotFind(const QString& searchText) {
    QWidget* parent = owner_;
    if (QWidget* active = QApplication::activeWindow(); active == findDialog_ || active == replaceDialog_)
        parent = active;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Sonkora"), CannotFindMessage(searchText), QMessageBox::Ok,
                    parent);
    box.exec();
}

}  // namespace sonkora
