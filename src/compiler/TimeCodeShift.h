#pragma once
// Shift Time Codes: moves every time code of a song text's lyrics, or of a selection, by
// the same signed number of beats and units. Codes are moved as written, four beats to
// the bar and 120 units to the beat, so no MIDI file is needed:
//
//   "$2:1:0$" moved by 1 beat     -> "$2:2:0$"
//   "$2:1:0$" moved by -0:60      -> "$1:4:60$"
//   "$1:1:60$" moved by -1 beat   -> refused: it would fall before 1:1:0
//
// Only real codes move: "$$" queries, track changes, escaped "\$" and dollar signs in the
// header lines stay. A refusal changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/LyricList.h"

namespace sonkora {

class SongDocument;
class UserInterface;

struct ShiftOutcome {
    bool done = false;
    int shifted = 0;                   // codes moved
    std::vector<SourceRange> changed;  // the rewritten codes, in the text as it is now
    // When refused: the place at fault (line 0-based, column 1-based: the code's "$", or
    // the character that made a syllable too long) and why.
    int line = 0;
    int column = 0;
    std::string problem;
};

// `selection`: only codes lying wholly inside it move; the whole text when nothing.
ShiftOutcome ShiftTimeCodes(SongDocument& document, UserInterface& ui, std::optional<SourceRange> selection,
                            int64_t units);

// "[-]BEATS[:UNITS]" as a count of units ("2" is 240, "-1:60" is -180, "0:30" is 30);
// nothing for anything else (units from 0 to 119).
std::optional<int64_t> ParseShiftAmount(const std::string& text);

}  // namespace sonkora
