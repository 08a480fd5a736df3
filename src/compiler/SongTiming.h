#pragma once
// What timing by ear needs to know about a song, read with the compiler itself: where each
// syllable's time code stands or would stand in the text, the voice track it takes its
// note from, the tick it is bound to now, and the song's voice notes and tempo map.
//
// For the body "Hel-lo $2:1:0$world" (starting at index 0):
//   syllable 0 "Hel":   Start 0, no code
//   syllable 1 "lo":    Start 4, no code
//   syllable 2 "world": CodeBegin 7, CodeEnd 14 (the "$2:1:0$"), Start 14
// A code written at Start, or in place of CodeBegin..CodeEnd, times that syllable and
// nothing else: it stands after any track change and before the syllable's first character.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "midi/TempoMap.h"

namespace sonkora {

class SongCompiler;
class SongDocument;
class UserInterface;

struct SyllableSlot {
    int32_t Start = 0;       // text index where a new time code for the syllable goes
    int32_t End = 0;         // just after the character that ended the syllable
    int32_t CodeBegin = -1;  // the "$" of the first time code that counts for it; -1: none
    int32_t CodeEnd = -1;    // just after its last code (before the line end closing an open one)
    int32_t LastCode = -1;   // the "$" of the last code, the one the compiler takes
    int LastCodeLine = 0;    // its line
    bool CodeOpen = false;   // it is closed by its line end, not by "$"
    // The codes stand on one line and the last is closed by "$": they can be replaced
    // by one code or removed. Otherwise only the last code's digits are rewritten.
    bool CodeReplaceable = false;
    int Line = 0;  // the line of Start
    bool Empty = false;
    int Track = 0;     // the voice track it takes its note from
    int32_t Time = 0;  // the tick the compiler binds it to
};

class SongTiming {
public:
    SongTiming(TempoMap tempo, std::vector<std::vector<int32_t>> notes, int32_t endTick)
        : tempo_(std::move(tempo)), notes_(std::move(notes)), endTick_(endTick) {}

    const TempoMap& Tempo() const { return tempo_; }
    uint16_t Division() const { return tempo_.Division(); }
    // The note-on times of a track (velocity above 0), each tick once, ascending.
    const std::vector<int32_t>& Notes(int track) const;
    // The last event of the song.
    int32_t EndTick() const { return endTick_; }
    double EndSeconds() const { return tempo_.SecondsAt(endTick_); }
    // The syllable whose source holds a text index (or the first after it), as the
    // recording starts at the caret; the syllable count when none follows.
    int SyllableAt(int32_t index) const;

    std::vector<SyllableSlot> Syllables;
    std::vector<std::string> Lines;  // the song text the slots were read from
    int LyricStartLine = 0;

private:
    TempoMap tempo_;
    std::vector<std::vector<int32_t>> notes_;
    int32_t endTick_ = 0;
};

// Where one time code "$...$" stands in the text: from its opening "$" to just after
// its closing "$", or to its line end (which stays) when it is left open.
struct CodePlace {
    int32_t Begin = 0;
    int32_t End = 0;
    int Line = 0;
    bool Open = false;
    int32_t ContentEnd() const { return Open ? End : End - 1; }  // the code's last character, exclusive
};

// The text indexes of the lines' starts, with one more entry for the end: the text
// index counts one character for every line end, as the editor does.
std::vector<int32_t> LineStarts(const std::vector<std::string>& lines);

// A code the lexer reported at `dollar` while standing at `position` (LyricLexer::Position).
CodePlace LocateCode(const std::vector<std::string>& lines, const std::vector<int32_t>& lineStarts, int dollarLine,
                     int dollarColumn, int32_t position);

// Compiles the song text of `document` as Make binds it (writing nothing) and reads its
// MIDI file. A song that does not compile, or a MIDI file that cannot be read, is
// reported through `ui` as Make reports it; the result is then empty.
std::optional<SongTiming> ReadSongTiming(SongCompiler& compiler, SongDocument& document, UserInterface& ui);

// Reads only the slots of the lyric body that starts at `firstLine` of `lines`.
// `track` is the voice track in force at its start.
std::vector<SyllableSlot> ReadSyllableSlots(const std::vector<std::string>& lines, int firstLine, int track);

}  // namespace sonkora
