#pragma once
// Writing MIDI file bytes: variable-length quantities, events, track chunks and the file
// header. The karaoke pass, the about box's tune, the benchmarks and the tests all
// compose MIDI data through these, so there is one encoding of each to get right.
//
//   EncodeQuantity(0x7F)  -> 7F          EncodeQuantity(0x80) -> 81 00
//   AppendMeta(out, 0, 0x03, "Words")    -> 00 FF 03 05 'W' 'o' 'r' 'd' 's'
//   TrackChunk(data)                     -> "MTrk", length (4 bytes, big-endian), data

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace sonkora {

using MidiBytes = std::vector<uint8_t>;

// The largest value a variable-length quantity of four bytes holds.
inline constexpr uint32_t MaxQuantity = 0x0FFFFFFF;

struct QuantityBytes {
    std::array<uint8_t, 4> bytes{};
    int count = 0;
    const uint8_t* begin() const { return bytes.data(); }
    const uint8_t* end() const { return bytes.data() + count; }
};

// The quantity's bytes, most significant group first. Throws std::out_of_range above
// MaxQuantity: no MIDI file can hold such a value.
QuantityBytes EncodeQuantity(uint32_t value);

void AppendQuantity(MidiBytes& out, uint32_t value);
// `value` as `count` bytes, most significant first.
void AppendBigEndian(MidiBytes& out, uint32_t value, int count);
// A channel or system event after `delta` ticks: the delta, then `bytes` as they are.
void AppendEvent(MidiBytes& out, uint32_t delta, std::initializer_list<uint8_t> bytes);
// A meta event: delta, FF, type, length, text.
void AppendMeta(MidiBytes& out, uint32_t delta, uint8_t type, std::string_view text);
void AppendEndOfTrack(MidiBytes& out, uint32_t delta = 0);

// "MTrk", the length and `data` (no end-of-track event is added).
MidiBytes TrackChunk(const MidiBytes& data);
// "MThd" and its six bytes.
MidiBytes FileHeader(uint16_t format, uint16_t trackCount, uint16_t division);

}  // namespace sonkora
