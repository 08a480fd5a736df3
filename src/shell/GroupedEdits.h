#pragma once
// GroupedEdits: a song text as the hyphenation sees it, whose line writes form one step
// of the pane's undo, so that Undo takes a whole hyphenation back, not its last line,
// and leave the words with characters the code page cannot hold as they were.

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>
#include <string>

#include "compiler/SongDocument.h"
#include "shell/EditorText.h"

namespace sonkora {

class GroupedEdits final : public SongDocument {
public:
    GroupedEdits(SongDocument& document, QTextDocument& pane) : document_(document), pane_(pane) {}
    ~GroupedEdits() override {
        if (group_) group_->endEditBlock();
    }
    std::string FileName() const override { return document_.FileName(); }
    int LineCount() const override { return document_.LineCount(); }
    std::string Line(int index) const override { return document_.Line(index); }
    void InsertLine(int index, const std::string& text) override {
        Group();
        document_.InsertLine(index, text);
    }
    // The bytes of a line show characters the code page cannot hold as '?': the
    // pane's line keeps them, and their words stay unhyphenated.
    void ReplaceLine(int index, const std::string& text) override {
        const QTextBlock block = pane_.findBlockByNumber(index);
        if (block.isValid()) {
            if (const auto merged = KeepUnmappedWords(block.text(), text, SkippedWords)) {
                if (*merged == block.text()) return;
                Group();
                QTextCursor cursor(block);
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(*merged);
                return;
            }
        }
        Group();
        document_.ReplaceLine(index, text);
    }
    int CaretIndex() const override { return document_.CaretIndex(); }
    // Words left as they were, because they hold a character the code page cannot hold.
    int SkippedWords = 0;
    void SetCaretIndex(int index) override { document_.SetCaretIndex(index); }

private:
    void Group() {
        if (group_) return;
        group_.emplace(&pane_);
        group_->beginEditBlock();
    }
    SongDocument& document_;
    QTextDocument& pane_;
    std::optional<QTextCursor> group_;
};

}  // namespace sonkora
