#pragma once
// A compiled song as the lyric formats need it: every syllable with its tick, the break
// before it, and the voice note it is sung on, plus the song's tempo map and title lines.
// Built from a song text (SongFromSongText) or from a Soft Karaoke file
// (SongFromKaraokeFile); written by the format writers (FormatWriters.h).
//
// Texts are Windows-1252 bytes, as everywhere in the core; the writers convert them.

#include <cstdint>
#include <string>
#include <vector>

#include "midi/TempoMap.h"

namespace sonkora {

// What stands between a syllable and the one before it.
enum class SyllableBreak : uint8_t { None, Word, Line, Paragraph };

struct SungSyllable {
    int64_t tick = 0;
    std::string text;  // without break marks; empty for a syllable that only holds a note
    SyllableBreak breakBefore = SyllableBreak::None;
    int key = -1;           // MIDI key of the voice note sung from `tick`; -1: no note sounds
    int64_t noteTicks = 0;  // how long that note sounds from `tick` on
};

struct KaraokeSong {
    std::string title;     // first "@T" line
    std::string artist;    // second "@T" line
    std::string language;  // "@L" line
    std::vector<SungSyllable> syllables;
    TempoMap tempo{96, {}};
};

}  // namespace sonkora
