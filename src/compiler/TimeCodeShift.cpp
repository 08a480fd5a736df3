#include "compiler/TimeCodeShift.h"

#include <limits>

#include "common/UserInterface.h"
#include "compiler/LyricLexer.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "compiler/SongTiming.h"
#include "midi/TimeCode.h"

namespace sonkora {

namespace {

constexpr int64_t UnitsPerBar = 480;
// The last bar a code may name: bars are read as 32-bit numbers.
constexpr int64_t MaxUnits = (int64_t{std::numeric_limits<int32_t>::max()} - 1) * UnitsPerBar + UnitsPerBar - 1;

struct FoundCode {
    CodePlace place;
    std::string code;
};

// Every time code of the lyric body, as the compiler's lexer finds them.
class CodeFinder : public LexerHandler {
public:
    CodeFinder(const std::vector<std::string>& lines, const std::vector<int32_t>& lineStarts)
        : lines_(lines), lineStarts_(lineStarts) {}

    void Find(int firstLine) {
        LyricLexer lexer(lines_, firstLine);
        lexer_ = &lexer;
        lexer.Run(*this);
        lexer_ = nullptr;
    }

    bool Syllable(const std::string&, LyricPrefix, int32_t) override { return true; }
    bool TimeCode(const std::string& code, SourcePlace dollar) override {
        codes.push_back({LocateCode(lines_, lineStarts_, dollar.Line, dollar.Column, lexer_->Position()), code});
        return true;
    }
    bool TrackChange(const std::string&, SourcePlace) override { return true; }
    // A syllable too long stops the lexer before the codes after it: the shift is refused
    // rather than done by halves.
    void SyllableTooLong(SourcePlace place) override { tooLong = place; }

    std::vector<FoundCode> codes;
    std::optional<SourcePlace> tooLong;

private:
    const std::vector<std::string>& lines_;
    const std::vector<int32_t>& lineStarts_;
    LyricLexer* lexer_ = nullptr;
};

}  // namespace

std::optional<int64_t> ParseShiftAmount(const std::string& text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative || (!text.empty() && text[0] == '+')) ++i;
    const auto number = [&](int64_t limit) -> std::optional<int64_t> {
        const size_t start = i;
        int64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + (text[i] - '0');
            if (value > limit) return std::nullopt;
            ++i;
        }
        if (i == start) return std::nullopt;
        return value;
    };
    const std::optional<int64_t> beats = number(MaxUnits / 120);
    if (!beats) return std::nullopt;
    int64_t units = 0;
    if (i < text.size() && text[i] == ':') {
        ++i;
        const std::optional<int64_t> rest = number(119);
        if (!rest) return std::nullopt;
        units = *rest;
    }
    if (i != text.size()) return std::nullopt;
    const int64_t total = *beats * 120 + units;
    return negative ? -total : total;
}

ShiftOutcome ShiftTimeCodes(SongDocument& document, UserInterface& ui, std::optional<SourceRange> selection,
                            int64_t units) {
    ShiftOutcome outcome;
    // Where the lyrics begin, read as the compiler reads the header and @-lines.
    SongCompiler compiler;
    compiler.CompileSongText(CompileKind::Language, document, ui);
    std::vector<std::string> lines;
    for (int i = 0; i < document.LineCount(); ++i) lines.push_back(document.Line(i));
    const std::vector<int32_t> lineStarts = LineStarts(lines);
    CodeFinder finder(lines, lineStarts);
    finder.Find(compiler.LyricStartLine());
    if (finder.tooLong) {
        outcome.line = finder.tooLong->Line;
        outcome.column = finder.tooLong->Column;
        outcome.problem = "Syllable too long.";
        return outcome;
    }

    struct Change {
        CodePlace place;
        std::string text;
    };
    std::vector<Change> changes;
    for (const FoundCode& found : finder.codes) {
        const CodePlace& place = found.place;
        if (selection && (place.Begin < selection->Start || place.End > selection->Start + selection->Length)) continue;
        if (found.code.empty()) continue;  // a time query names no time
        const auto refuse = [&](const std::string& problem) {
            outcome.line = place.Line;
            outcome.column = place.Begin - lineStarts[static_cast<size_t>(place.Line)] + 1;
            outcome.problem = problem;
            return outcome;
        };
        const std::optional<int64_t> old = TimeCodeUnits(found.code);
        if (!old) return refuse("Invalid MIDI time $" + found.code + "$.");
        const int64_t moved = *old + units;
        if (moved < 0) return refuse("Time code $" + found.code + "$ would move before 1:1:0.");
        if (moved > MaxUnits) return refuse("Time code $" + found.code + "$ would move past the last bar.");
        changes.push_back({place, UnitsToTimeCode(moved)});
    }

    // Only the characters between the dollar signs change, so an open code keeps the
    // line end that closes it. Codes are rewritten from the last, so the places of the
    // earlier ones still hold.
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        std::string& line = lines[static_cast<size_t>(change->place.Line)];
        const int32_t lineStart = lineStarts[static_cast<size_t>(change->place.Line)];
        line.replace(static_cast<size_t>(change->place.Begin + 1 - lineStart),
                     static_cast<size_t>(change->place.ContentEnd() - change->place.Begin - 1), change->text);
    }
    int32_t delta = 0;
    for (const Change& change : changes) {
        outcome.changed.push_back(
            {change.place.Begin + delta, static_cast<int>(change.text.size()) + (change.place.Open ? 1 : 2)});
        delta += static_cast<int32_t>(change.text.size()) - (change.place.ContentEnd() - change.place.Begin - 1);
    }
    for (int i = 0; i < document.LineCount(); ++i) {
        if (document.Line(i) != lines[static_cast<size_t>(i)]) document.ReplaceLine(i, lines[static_cast<size_t>(i)]);
    }
    outcome.done = true;
    outcome.shifted = static_cast<int>(changes.size());
    return outcome;
}

}  // namespace sonkora
