#include "shell/SongTextEdit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace sonkora {

SongTextEdit::SongTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    // The selection shows when the pane has no focus, so that an error's place or a
    // lyric stays marked while a box or the other page has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void SongTextEdit::Select(int start, int length) {
    const int size = document()->characterCount() - 1;
    start = std::clamp(start, 0, std::max(0, size));
    const int end = std::clamp(start + std::max(0, length), start, std::max(0, size));
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

int SongTextEdit::SelectionStart() const {
    return textCursor().selectionStart();
}

int SongTextEdit::SelectionLength() const {
    return textCursor().selectionEnd() - textCursor().selectionStart();
}

int SongTextEdit::CaretLine() const {
    return textCursor().blockNumber();
}

int SongTextEdit::LineStartIndex(int line) const {
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() ? block.position() : document()->characterCount() - 1;
}

int SongTextEdit::IndexAt(int row, int col) const {
    const QTextDocument* doc = document();
    const QTextBlock block = doc->findBlockByNumber(std::clamp(row, 0, std::max(0, doc->blockCount() - 1)));
    return block.position() + std::clamp(col, 0, static_cast<int>(block.length()) - 1);
}

QString SongTextEdit::Text() const {
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) text.append(QLatin1Char('\n'));
        text.append(block.text());
    }
    return text;
}

void SongTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    // Whatever line ends the text came with, the pane keeps one character per line end.
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    insertPlainText(text);
}

void SongTextEdit::contextMenuEvent(QContextMenuEvent* event) {
    if (!contextMenu_) return QPlainTextEdit::contextMenuEvent(event);
    contextMenu_->exec(event->globalPos());
}

void SongTextEdit::keyPressEvent(QKeyEvent* event) {
    // Shift+Enter would put a line separator inside a line; a song text knows only
    // whole lines.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & Qt::ShiftModifier)) {
        if (!isReadOnly()) insertPlainText(QStringLiteral("\n"));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

}  // namespace sonkora
