#include "common/TerminalText.h"

namespace sonkora {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 when none starts there.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if (!IsContinuation(static_cast<unsigned char>(text[at + k]))) return 0;
    }
    return length;
}

}  // namespace

std::string TerminalSafe(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (const size_t length = Utf8SequenceLength(text, i); length > 0) {
            // U+0080 to U+009F: terminals take these for C1 controls such as CSI.
            const bool control = byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
            if (control) {
                out += '?';
            } else {
                out.append(text, i, length);
            }
            i += length;
            continue;
        }
        if (byte == '\n' && lineBreaks == LineBreaks::Keep) {
            out += '\n';
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F)) {
            out += '?';
        } else {
            out += static_cast<char>(byte);
        }
        ++i;
    }
    return out;
}

}  // namespace sonkora
