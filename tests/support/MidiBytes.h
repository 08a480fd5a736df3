#pragma once
// Builds MIDI file bytes for tests: quantities, events, chunks and whole files, so a
// test reads as the bytes it means. The encoding itself is the program's MIDI writer.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "midi/MidiWriter.h"

namespace sonkora::test {

using Bytes = std::vector<uint8_t>;

// What one of the MIDI writer's Append functions adds to no bytes.
template <typename... Parameters, typename... Values>
Bytes Appended(void (*append)(Bytes&, Parameters...), Values... values) {
    Bytes out;
    append(out, values...);
    return out;
}

inline Bytes Quantity(uint32_t value) {
    return Appended(AppendQuantity, value);
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes Be32(uint32_t v) {
    return Appended(AppendBigEndian, v, 4);
}
inline Bytes Be16(uint16_t v) {
    return Appended(AppendBigEndian, uint32_t{v}, 2);
}

// One meta event: delta, FF, type, length, text.
inline Bytes Meta(uint32_t delta, uint8_t type, const std::string& text) {
    return Appended(AppendMeta, delta, type, std::string_view(text));
}
inline Bytes NoteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity) {
    return Cat({Quantity(delta), {static_cast<uint8_t>(0x90 | channel), key, velocity}});
}
inline Bytes NoteOff(uint32_t delta, uint8_t channel, uint8_t key) {
    return Cat({Quantity(delta), {static_cast<uint8_t>(0x80 | channel), key, 0}});
}
inline Bytes Program(uint32_t delta, uint8_t channel, uint8_t program) {
    return Cat({Quantity(delta), {static_cast<uint8_t>(0xC0 | channel), program}});
}
inline Bytes Tempo(uint32_t delta, uint32_t microsPerQuarter) {
    return Cat({Quantity(delta),
                {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsPerQuarter >> 16),
                 static_cast<uint8_t>(microsPerQuarter >> 8), static_cast<uint8_t>(microsPerQuarter)}});
}
inline Bytes EndOfTrack(uint32_t delta = 0) {
    return Appended(AppendEndOfTrack, delta);
}

// "MTrk", length, data (the end-of-track event is not added).
inline Bytes Track(const Bytes& data) {
    return TrackChunk(data);
}

inline Bytes Header(uint16_t format, uint16_t tracks, uint16_t division) {
    return FileHeader(format, tracks, division);
}

// A whole file from track data blocks (each wrapped as a chunk).
inline Bytes MidiFile(uint16_t format, uint16_t division, std::initializer_list<Bytes> tracks) {
    Bytes out = Header(format, static_cast<uint16_t>(tracks.size()), division);
    for (const Bytes& data : tracks) {
        Bytes chunk = Track(data);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

}  // namespace sonkora::test
