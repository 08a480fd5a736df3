#pragma once
// EditorDocument: the song text of an editor window as the compiler reads and changes
// it (the lines of the song text pane as Windows-1252 bytes, the caret, the file name),
// and the reading and writing of its file.

#include <QString>

#include <optional>
#include <string>

#include "compiler/SongDocument.h"

namespace sonkora {

class SongTextEdit;

class EditorDocument : public SongDocument {
public:
    explicit EditorDocument(SongTextEdit& pane) : pane_(pane) {}

    QString Path() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }
    bool IsModified() const;
    void SetModified(bool modified);

    // Reads a song text file into the pane, unmodified; the message for the user when it
    // cannot be read (the pane then unchanged).
    std::optional<QString> Load(const QString& path);
    // The text of a loaded file that is UTF-8 (a Linux editor's, a web page's), which
    // the pane shows byte by byte until the user has it converted; empty for any other.
    QString LoadedUtf8Text() const { return utf8Text_; }
    // Puts that text into the pane, every character as it is meant, marked modified.
    void ConvertFromUtf8();
    // Writes the pane's text to `path`, the previous version kept as one backup (.bak);
    // the message for the user when it cannot be written.
    std::optional<QString> Write(const QString& path) const;

    // SongDocument
    std::string FileName() const override;
    int LineCount() const override;
    std::string Line(int index) const override;
    void InsertLine(int index, const std::string& text) override;
    void ReplaceLine(int index, const std::string& text) override;
    int CaretIndex() const override;
    void SetCaretIndex(int index) override;

private:
    SongTextEdit& pane_;
    QString path_;
    QString utf8Text_;
};

}  // namespace sonkora
