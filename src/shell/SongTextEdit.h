#pragma once
// SongTextEdit: a text pane of an editor window, the song text or its preview. Plain
// text only: line ends of any kind pasted in become the pane's own, Shift+Enter starts a
// new line like Enter, and the selection stays visible when the pane has no focus.

#include <QPlainTextEdit>

class QMenu;

namespace sonkora {

class SongTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit SongTextEdit(QWidget* parent = nullptr);

    // Selects `length` characters from `start` (clamped to the text).
    void Select(int start, int length);
    int SelectionStart() const;
    int SelectionLength() const;
    // The caret's line, and the first index of a line.
    int CaretLine() const;
    int LineStartIndex(int line) const;
    // The index of a line and column, both clamped to the text.
    int IndexAt(int row, int col) const;
    // The text with one '\n' per line end.
    QString Text() const;

    // The context menu, shared with the other pane and owned by the window.
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QMenu* contextMenu_ = nullptr;
};

}  // namespace sonkora
