// LRC and enhanced LRC, as music players read them.
#include "formats/FormatWriters.h"
#include "formats/LyricLines.h"

namespace sonkora {

std::string WriteLrc(const KaraokeSong& song, bool enhanced) {
    std::string out;
    if (!song.title.empty()) out += "[ti:" + TextForOutput(song.title) + "]\n";
    if (!song.artist.empty()) out += "[ar:" + TextForOutput(song.artist) + "]\n";
    for (const LyricLine& line : LyricLinesOf(song)) {
        out += "[" + CentisecondStamp(song.tempo.MicrosAt(line.syllables.front()->tick)) + "]";
        bool first = true;
        for (const SungSyllable* syllable : line.syllables) {
            if (!first && syllable->breakBefore != SyllableBreak::None) out += ' ';
            first = false;
            if (enhanced) out += "<" + CentisecondStamp(song.tempo.MicrosAt(syllable->tick)) + ">";
            out += TextForOutput(syllable->text);
        }
        out += '\n';
    }
    return out;
}

}  // namespace sonkora
