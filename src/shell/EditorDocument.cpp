#include "shell/EditorDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <exception>
#include <string>

#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/RegularFile.h"
#include "shell/EditorText.h"
#include "shell/ShellUserInterface.h"
#include "shell/SongTextEdit.h"

namespace sonkora {

bool EditorDocument::IsModified() const {
    return pane_.document()->isModified();
}

void EditorDocument::SetModified(bool modified) {
    pane_.document()->setModified(modified);
}

std::optional<QString> EditorDocument::Load(const QString& path) {
    // A FIFO or a device named here (opened, or listed in the session) would block the
    // program or never end: the core refuses what is not a regular file of a song
    // text's size before it opens it.
    std::string bytes;
    try {
        bytes = ReadWholeFile(path.toStdString(), MaxEditableFileSize);
    } catch (const std::exception& error) {
        return QStringLiteral("Cannot open %1").arg(MessageText(error.what()));
    }
    const std::string_view fileBytes(bytes);
    pane_.setPlainText(FileBytesToPaneText(fileBytes));
    pane_.document()->setModified(false);
    utf8Text_.clear();
    if (IsUtf8BeyondAscii(fileBytes)) {
        utf8Text_ = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        if (utf8Text_.startsWith(QChar(0xFEFF))) utf8Text_.remove(0, 1);
        utf8Text_.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return std::nullopt;
}

void EditorDocument::ConvertFromUtf8() {
    if (utf8Text_.isEmpty()) return;
    // One edit step, so that Undo brings the bytes as the file holds them back.
    QTextCursor cursor(pane_.document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(utf8Text_);
    utf8Text_.clear();
    pane_.document()->setModified(true);
}

std::optional<QString> EditorDocument::Write(const QString& path) const {
    const std::string bytes = PaneTextToFileBytes(pane_.Text());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return QStringLiteral("Cannot write %1: %2").arg(path, reason);
    }
    // One generation of backup: the previous version moves to the .bak name. A song
    // text that itself ends in .bak gets none, since that would remove the document.
    const QString backup = QString::fromStdString(ChangeExtension(path.toStdString(), ".bak"));
    if (backup != path && QFileInfo::exists(path)) {
        QFile::remove(backup);
        QFile::rename(path, backup);
    }
    if (!out.commit())
        return QStringLiteral("Cannot write %1: %2\nThe previous version is kept as %3.")
            .arg(path, out.errorString(), backup);
    return std::nullopt;
}

std::string EditorDocument::FileName() const {
    return path_.toStdString();
}

int EditorDocument::LineCount() const {
    const QTextDocument* doc = pane_.document();
    int count = doc->blockCount();
    if (doc->lastBlock().text().isEmpty()) --count;  // a line end at the very end
    return std::max(0, count);
}

std::string EditorDocument::Line(int index) const {
    const QTextBlock block = pane_.document()->findBlockByNumber(index);
    return block.isValid() ? PaneCharsToBytes(block.text()) : std::string();
}

void EditorDocument::InsertLine(int index, const std::string& text) {
    QTextDocument* doc = pane_.document();
    const QString line = BytesToPaneChars(text);
    QTextCursor cursor(doc);
    const int count = LineCount();
    if (index < count) {
        cursor.setPosition(doc->findBlockByNumber(std::max(0, index)).position());
        cursor.insertText(line + QLatin1Char('\n'));
    } else {
        cursor.movePosition(QTextCursor::End);
        const bool endsWithBreak = doc->lastBlock().text().isEmpty() && doc->blockCount() > 1;
        if (doc->isEmpty())
            cursor.insertText(line);
        else if (endsWithBreak)
            cursor.insertText(line + QLatin1Char('\n'));
        else
            cursor.insertText(QLatin1Char('\n') + line);
    }
}

void EditorDocument::ReplaceLine(int index, const std::string& text) {
    QTextBlock block = pane_.document()->findBlockByNumber(index);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(BytesToPaneChars(text));
}

int EditorDocument::CaretIndex() const {
    return pane_.textCursor().position();
}

void EditorDocument::SetCaretIndex(int index) {
    pane_.Select(index, 0);
}

}  // namespace sonkora
