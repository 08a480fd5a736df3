// WebVTT, as video players and web pages read it.
#include <algorithm>

#include "formats/FormatWriters.h"
#include "formats/LyricLines.h"

namespace sonkora {

namespace {

constexpr int64_t LastCueAfterlife = 1'000'000;  // µs the last line stays after its last note

// Cue text may not hold "<", "&" or "-->" as they are. Numeric references, because some
// readers decode only a few named ones and garble "&amp;" into "&;".
std::string EscapeCueText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '&') {
            escaped += "&#38;";
        } else if (c == '<') {
            escaped += "&#60;";
        } else if (c == '>') {
            escaped += "&#62;";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string WriteWebVtt(const KaraokeSong& song) {
    std::string out = "WEBVTT\n";
    const std::vector<LyricLine> lines = LyricLinesOf(song);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<const SungSyllable*>& syllables = lines[i].syllables;
        const int64_t start = song.tempo.MicrosAt(syllables.front()->tick);
        int64_t end = 0;
        if (i + 1 < lines.size()) {
            end = song.tempo.MicrosAt(lines[i + 1].syllables.front()->tick);
        } else {
            for (const SungSyllable& syllable : song.syllables)
                end = std::max(end, song.tempo.MicrosAt(syllable.tick + syllable.noteTicks));
            end += LastCueAfterlife;
        }
        out += "\n" + std::to_string(i + 1) + "\n" + MillisecondStamp(start) + " --> " + MillisecondStamp(end) + "\n";
        bool first = true;
        for (const SungSyllable* syllable : syllables) {
            if (!first) {
                if (syllable->breakBefore != SyllableBreak::None) out += ' ';
                out += "<" + MillisecondStamp(song.tempo.MicrosAt(syllable->tick)) + ">";
            }
            first = false;
            out += EscapeCueText(TextForOutput(syllable->text));
        }
        out += '\n';
    }
    return out;
}

}  // namespace sonkora
