#pragma once
// Time codes bar:beat:unit, as song texts and messages write them: four beats to the
// bar and 120 units to the beat whatever the time signature, bars and beats from 1.
// With division 96: 0 ticks is "1:1:0", 96 is "1:2:0", 384 is "2:1:0", 48 is "1:1:60".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonkora {

std::string MidiTimeToStr(int32_t ticks, uint16_t division);

// Ticks, or -1 when the text is not a valid time code (bar not positive, beat outside
// 1 to 4, unit outside 0 to 119, any field not a whole integer).
int32_t StrToMidiTime(std::string_view text, uint16_t division);

// A time code counted in units from 1:1:0 (480 to the bar), for arithmetic on codes
// without a MIDI file: "2:1:0" is 480 units, "1:2:60" is 180. Nothing for a code that
// StrToMidiTime refuses as a form (the tick range, which needs a division, is not checked).
std::optional<int64_t> TimeCodeUnits(std::string_view text);
// The code of a count of units (0 or more): 180 gives "1:2:60".
std::string UnitsToTimeCode(int64_t units);
// The tick a count of units names, as StrToMidiTime computes it.
int64_t UnitsToTicks(int64_t units, uint16_t division);

}  // namespace sonkora
