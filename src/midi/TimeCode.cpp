#include "midi/TimeCode.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace sonkora {

namespace {

constexpr int64_t UnitsPerBeat = 120;
constexpr int64_t BeatsPerBar = 4;

// One field of a time code, read the way song texts have always been read: leading
// blanks, an optional sign and an optional "$" for hexadecimal, then digits to the end
// of the field. Anything else, or a value outside 32 bits, is not a number.
std::optional<int32_t> ParseField(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == text.size()) return std::nullopt;  // nothing but blanks, a sign or a "$"

    // The magnitude may reach 2^31 only for the most negative value.
    const int64_t limit =
        negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

std::string MidiTimeToStr(int32_t ticks, uint16_t division) {
    // A file without a division has no beats to count; everything is at the start.
    if (division == 0) return "1:1:0";
    const int64_t t = ticks;
    const int64_t d = division;
    const int64_t bar = t / (BeatsPerBar * d) + 1;
    const int64_t beat = (t / d) % BeatsPerBar + 1;
    const int64_t unit = (t * UnitsPerBeat / d) % UnitsPerBeat;
    return std::to_string(bar) + ":" + std::to_string(beat) + ":" + std::to_string(unit);
}

namespace {

struct CodeFields {
    int32_t bar = 0;
    int32_t beat = 0;
    int32_t unit = 0;
};

std::optional<CodeFields> ParseCode(std::string_view text) {
    // "bar:beat:unit"; a missing ":" leaves the later fields empty, which fails below.
    const size_t first = text.find(':');
    const std::string_view barText = text.substr(0, first);
    const std::string_view rest = first == std::string_view::npos ? std::string_view() : text.substr(first + 1);
    const size_t second = rest.find(':');
    const std::string_view beatText = rest.substr(0, second);
    const std::string_view unitText = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);

    const std::optional<int32_t> bar = ParseField(barText);
    const std::optional<int32_t> beat = ParseField(beatText);
    const std::optional<int32_t> unit = ParseField(unitText);
    if (!bar || !beat || !unit) return std::nullopt;
    // Bars count from 1: a bar of 0 or below names no place in the song.
    if (*bar < 1 || *beat < 1 || *beat > BeatsPerBar || *unit < 0 || *unit >= UnitsPerBeat) return std::nullopt;
    return CodeFields{*bar, *beat, *unit};
}

}  // namespace

int32_t StrToMidiTime(std::string_view text, uint16_t division) {
    const std::optional<CodeFields> code = ParseCode(text);
    if (!code) return -1;
    const int64_t d = division;
    const int64_t ticks = d * code->unit / UnitsPerBeat + BeatsPerBar * d * (code->bar - 1) + d * (code->beat - 1);
    // A time past the end of the tick range cannot be played or stored.
    if (ticks > std::numeric_limits<int32_t>::max()) return -1;
    return static_cast<int32_t>(ticks);
}

std::optional<int64_t> TimeCodeUnits(std::string_view text) {
    const std::optional<CodeFields> code = ParseCode(text);
    if (!code) return std::nullopt;
    return ((int64_t{code->bar} - 1) * BeatsPerBar + (code->beat - 1)) * UnitsPerBeat + code->unit;
}

std::string UnitsToTimeCode(int64_t units) {
    const int64_t beats = units / UnitsPerBeat;
    return std::to_string(beats / BeatsPerBar + 1) + ":" + std::to_string(beats % BeatsPerBar + 1) + ":" +
           std::to_string(units % UnitsPerBeat);
}

int64_t UnitsToTicks(int64_t units, uint16_t division) {
    return units / UnitsPerBeat * division + int64_t{division} * (units % UnitsPerBeat) / UnitsPerBeat;
}

}  // namespace sonkora
