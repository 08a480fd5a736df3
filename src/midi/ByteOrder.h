#pragma once
// Numbers as MIDI files store them: big-endian, most significant byte first.

#include <cstdint>

namespace sonkora {

inline uint16_t ReadBe16(const uint8_t* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline uint32_t ReadBe32(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

}  // namespace sonkora
