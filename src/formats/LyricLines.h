#pragma once
// What the line-based formats share: the song's syllables grouped into lyric lines, the
// time stamps, and the conversion of the song's Windows-1252 texts into UTF-8.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/KaraokeSong.h"

namespace sonkora {

struct LyricLine {
    std::vector<const SungSyllable*> syllables;  // never empty; no syllable with empty text
};

// The lines of the song: a new line at each line or paragraph break. Syllables that only
// hold a note are left out.
std::vector<LyricLine> LyricLinesOf(const KaraokeSong& song);

// "mm:ss.xx", rounded to the nearest centisecond; minutes grow past 59.
std::string CentisecondStamp(int64_t micros);
// "hh:mm:ss.ttt", rounded to the nearest millisecond.
std::string MillisecondStamp(int64_t micros);

// A song text in UTF-8, with line ends and other control characters left out.
std::string TextForOutput(const std::string& windows1252);

}  // namespace sonkora
