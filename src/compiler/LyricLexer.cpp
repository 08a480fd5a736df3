#include "compiler/LyricLexer.h"

#include <algorithm>

namespace sonkora {

std::string LyricText(LyricPrefix prefix, const std::string& syllable) {
    if (prefix == LyricPrefix::None) return syllable;
    std::string text(1, static_cast<char>(prefix));
    text += syllable;
    return text;
}

LyricLexer::LyricLexer(const std::vector<std::string>& lines, int firstLine)
    : lines_(lines), line_(std::max(firstLine, 0)) {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const int64_t length = static_cast<int64_t>(lines_[i].size());
        if (static_cast<int64_t>(i) < line_) lineStart_ += length + 1;
        textLength_ += length + (i + 1 < lines_.size() ? 1 : 0);
    }
}

size_t LyricLexer::MaxSyllables() const {
    size_t ends = 1;
    for (size_t i = static_cast<size_t>(line_); i < lines_.size(); ++i) {
        ends += 1 + static_cast<size_t>(std::count_if(lines_[i].begin(), lines_[i].end(), [](char c) {
                    return c == '-' || c == '_' || c == ' ' || c == '\t';
                }));
    }
    return ends;
}

bool LyricLexer::Next(int& character) {
    while (line_ < static_cast<int>(lines_.size())) {
        const std::string& text = lines_[static_cast<size_t>(line_)];
        if (column_ < text.size()) {
            const unsigned char byte = static_cast<unsigned char>(text[column_]);
            ++column_;
            place_ = {line_, static_cast<int>(column_)};
            index_ = lineStart_ + static_cast<int64_t>(column_) - 1;
            // Carriage returns are ignored wherever they stand.
            if (byte == '\r') continue;
            character = byte;
            return true;
        }
        place_ = {line_, static_cast<int>(text.size()) + 1};
        index_ = lineStart_ + static_cast<int64_t>(text.size());
        lineStart_ += static_cast<int64_t>(text.size()) + 1;
        ++line_;
        column_ = 0;
        character = LineEnd;
        return true;
    }
    return false;
}

int32_t LyricLexer::IndexAfterCurrent() const {
    // After a line end the reader stands at the start of the next line, which for the
    // last line is one past the text.
    return static_cast<int32_t>(std::min(lineStart_ + static_cast<int64_t>(column_), textLength_));
}

bool LyricLexer::Emit(LexerHandler& handler) {
    LyricPrefix prefix = LyricPrefix::None;
    if (!syllable_.empty()) {
        if (lineEnds_ >= 2) {
            prefix = LyricPrefix::Paragraph;
        } else if (lineEnds_ == 1) {
            prefix = LyricPrefix::Line;
        } else if (blank_) {
            prefix = LyricPrefix::Blank;
        }
        lineEnds_ = 0;
        blank_ = false;
    }
    if (syllableStart_ < 0) syllableStart_ = index_;
    const bool go = handler.Syllable(syllable_, prefix, IndexAfterCurrent());
    syllable_.clear();
    syllableStart_ = -1;
    return go;
}

bool LyricLexer::FlushSyllable(LexerHandler& handler) {
    if (syllable_.empty()) return true;
    return Emit(handler);
}

bool LyricLexer::Run(LexerHandler& handler) {
    State state = State::Word;
    int c = 0;
    bool pending = false;  // c has been read but not consumed yet
    SourcePlace dollar;
    auto isDigit = [](int ch) { return ch >= '0' && ch <= '9'; };

    while (true) {
        if (!pending) {
            if (syllable_.size() > MaxSyllableLength) {
                handler.SyllableTooLong(place_);
                return false;
            }
            if (!Next(c)) return true;
            pending = true;
        }
        switch (state) {
            case State::Word:
                if (c != '$' && syllableStart_ < 0) syllableStart_ = index_;
                if (c == '-' || c == '_') {
                    pending = false;
                    if (!Emit(handler)) return false;
                    state = State::Hyphen;
                } else if (c == ' ' || c == '\t' || c == LineEnd) {
                    if (!Emit(handler)) return false;
                    state = State::Gap;
                } else if (c == '$') {
                    pending = false;
                    dollar = place_;
                    code_.clear();
                    state = State::Time;
                } else if (c == '\\') {
                    pending = false;
                    state = State::Escape;
                } else if (isDigit(c)) {
                    pending = false;
                } else {
                    pending = false;
                    syllable_ += static_cast<char>(c);
                }
                break;
            case State::Escape:
                pending = false;
                syllable_ += c == LineEnd ? '\n' : static_cast<char>(c);
                state = State::Word;
                break;
            case State::Time:
                pending = false;
                if (c == LineEnd || c == '$') {
                    state = State::Word;
                    syllableStart_ = -1;  // the syllable begins after its code
                    if (!handler.TimeCode(code_, dollar)) return false;
                } else if (c == '\\') {
                    state = State::Track;
                } else {
                    code_ += static_cast<char>(c);
                }
                break;
            case State::Track:
                pending = false;
                if (c == LineEnd || c == '$') {
                    state = State::Word;
                    syllableStart_ = -1;
                    if (!handler.TrackChange("\\" + code_, place_)) return false;
                } else {
                    code_ += static_cast<char>(c);
                }
                break;
            case State::Gap:
                if (c == ' ' || c == '\t') {
                    pending = false;
                    blank_ = true;
                } else if (c == LineEnd) {
                    pending = false;
                    lineEnds_ = std::min(lineEnds_ + 1, 2);
                } else if (c == '$') {
                    pending = false;
                    dollar = place_;
                    code_.clear();
                    state = State::Time;
                } else if (c == '\\') {
                    pending = false;
                    syllableStart_ = index_;
                    state = State::Escape;
                } else {
                    state = State::Word;
                }
                break;
            case State::Hyphen: state = State::Word; break;
        }
    }
}

}  // namespace sonkora
