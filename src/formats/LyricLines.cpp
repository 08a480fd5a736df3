#include "formats/LyricLines.h"

#include <cstdio>

#include "common/CodePage.h"

namespace sonkora {

std::vector<LyricLine> LyricLinesOf(const KaraokeSong& song) {
    std::vector<LyricLine> lines;
    for (const SungSyllable& syllable : song.syllables) {
        if (syllable.text.empty()) continue;
        if (lines.empty() || syllable.breakBefore == SyllableBreak::Line ||
            syllable.breakBefore == SyllableBreak::Paragraph)
            lines.emplace_back();
        lines.back().syllables.push_back(&syllable);
    }
    return lines;
}

std::string CentisecondStamp(int64_t micros) {
    const int64_t centis = (micros + 5000) / 10000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld.%02lld", static_cast<long long>(centis / 6000),
                  static_cast<long long>(centis / 100 % 60), static_cast<long long>(centis % 100));
    return text;
}

std::string MillisecondStamp(int64_t micros) {
    const int64_t millis = (micros + 500) / 1000;
    char text[40];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(millis / 3600000),
                  static_cast<long long>(millis / 60000 % 60), static_cast<long long>(millis / 1000 % 60),
                  static_cast<long long>(millis % 1000));
    return text;
}

std::string TextForOutput(const std::string& windows1252) {
    std::string printable;
    printable.reserve(windows1252.size());
    for (const char c : windows1252) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) printable += c;
    }
    return Cp1252ToUtf8(printable);
}

}  // namespace sonkora
