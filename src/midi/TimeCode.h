#pragma once
// Time codes bar:beat:unit, as song texts and messages write them: four beats to the
// bar and 120 units to the beat whatever the time signature, bars and beats from 1.
// With division 96: 0 ticks is "1:1:0", 96 is "1:2:0", 384 is "2:1:0", 48 is "1:1:60".

#include <cstdint>
#include <string>
#include <string_view>

namespace sonkora {

std::string MidiTimeToStr(int32_t ticks, uint16_t division);

// Ticks, or -1 when the text is not a valid time code (bar not positive, beat outside
// 1 to 4, unit outside 0 to 119, any field not a whole integer).
int32_t StrToMidiTime(std::string_view text, uint16_t division);

}  // namespace sonkora
