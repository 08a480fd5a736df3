#include "common/CodePage.h"

#include <array>
#include <cstdio>

namespace sonkora {

namespace {

// 0x80 to 0x9F; the rest of the code page is the same as Latin-1.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at `pos` and advances past it. A malformed sequence (bad lead
// byte, missing continuation, overlong form, surrogate, beyond U+10FFFF) consumes one
// byte and yields U+FFFD, so decoding always moves forward.
char32_t DecodeUtf8(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return Replacement;
    }
    if (text.size() - pos < length) {
        ++pos;
        return Replacement;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return Replacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return Replacement;
    }
    pos += length;
    return c;
}

}  // namespace

char32_t Cp1252ToChar(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return HighControls[byte - 0x80];
    }
    return byte;
}

std::optional<unsigned char> CharToCp1252(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<unsigned char>(character);
    }
    for (size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == character) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char byte : text) {
        AppendUtf8(out, Cp1252ToChar(static_cast<unsigned char>(byte)));
    }
    return out;
}

Cp1252Conversion Utf8ToCp1252(std::string_view text) {
    Cp1252Conversion result;
    result.text.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = DecodeUtf8(text, pos);
        if (auto byte = c == Replacement ? std::nullopt : CharToCp1252(c)) {
            result.text += static_cast<char>(*byte);
        } else {
            result.unmappedAt.push_back(result.text.size());
            result.text += '?';
            result.unmapped.push_back(c);
        }
    }
    return result;
}

bool IsUtf8BeyondAscii(std::string_view bytes) {
    bool beyondAscii = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t start = pos;
        const char32_t c = DecodeUtf8(bytes, pos);
        // A malformed sequence is one byte read as U+FFFD; a real U+FFFD takes three.
        if (c == Replacement && pos - start == 1) return false;
        if (c >= 0x80) beyondAscii = true;
    }
    return beyondAscii;
}

Cp1252Conversion Utf8TextToCp1252(std::string_view bytes) {
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark) bytes.remove_prefix(ByteOrderMark.size());
    return Utf8ToCp1252(bytes);
}

std::string CharacterName(char32_t code) {
    std::string shown;
    if (code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x2028 || code == 0x2029) {
        shown = "a control character";
    } else {
        shown = "\"";
        AppendUtf8(shown, code);
        shown += '"';
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, " (U+%04X)", static_cast<unsigned>(code));
    return shown + hex;
}

std::string FileNameFromSongText(std::string_view name) {
    return Cp1252ToUtf8(name);
}

std::string FileNameForSongText(std::string_view fileName) {
    return Utf8ToCp1252(fileName).text;
}

}  // namespace sonkora
