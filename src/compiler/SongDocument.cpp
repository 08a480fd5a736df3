#include "compiler/SongDocument.h"

#include <algorithm>
#include <stdexcept>

namespace sonkora {

int SongDocument::LineStart(int line) const {
    const int count = LineCount();
    if (line <= 0) return 0;
    if (line >= count) return TextLength();
    int index = 0;
    for (int i = 0; i < line; ++i) index += static_cast<int>(Line(i).size()) + 1;
    return index;
}

int SongDocument::TextLength() const {
    const int count = LineCount();
    if (count == 0) return 0;
    int length = count - 1;  // the line ends between the lines
    for (int i = 0; i < count; ++i) length += static_cast<int>(Line(i).size());
    return length;
}

int SongDocument::CaretLine() const {
    const int caret = CaretIndex();
    const int count = LineCount();
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const int end = start + static_cast<int>(Line(i).size());
        if (caret <= end) return i;
        start = end + 1;
    }
    return count > 0 ? count - 1 : 0;
}

int SongDocument::CaretColumn() const {
    return CaretIndex() - LineStart(CaretLine());
}

void SongDocument::PlaceCaret(int line, int column) {
    const int count = LineCount();
    if (count == 0) {
        SetCaretIndex(0);
        return;
    }
    line = std::clamp(line, 0, count - 1);
    column = std::clamp(column, 0, static_cast<int>(Line(line).size()));
    SetCaretIndex(LineStart(line) + column);
}

void MemorySongDocument::InsertLine(int index, const std::string& text) {
    if (index < 0 || index > LineCount()) throw std::out_of_range("InsertLine: no line " + std::to_string(index));
    lines_.insert(lines_.begin() + index, text);
}

void MemorySongDocument::ReplaceLine(int index, const std::string& text) {
    lines_.at(static_cast<size_t>(index)) = text;
}

std::vector<std::string> SplitSongLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        lines.emplace_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string TrimLine(std::string_view line) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    size_t first = 0;
    size_t last = line.size();
    while (first < last && blank(line[first])) ++first;
    while (last > first && blank(line[last - 1])) --last;
    return std::string(line.substr(first, last - first));
}

void SetHeaderLine(SongDocument& document, std::string_view directive, const std::string& text) {
    const int count = document.LineCount();
    for (int i = 0; i < count; ++i) {
        const std::string line = TrimLine(document.Line(i));
        if (line.empty()) break;
        if (line.compare(0, directive.size(), directive) == 0) {
            document.ReplaceLine(i, text);
            return;
        }
    }
    document.InsertLine(0, text);
}

void SetMidiFileLine(SongDocument& document, const std::string& name) {
    SetHeaderLine(document, "\\m", "\\m " + name);
}

}  // namespace sonkora
