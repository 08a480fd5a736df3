#include "midi/MidiWriter.h"

#include <stdexcept>
#include <string>

namespace sonkora {

QuantityBytes EncodeQuantity(uint32_t value) {
    if (value > MaxQuantity) throw std::out_of_range(std::to_string(value) + " does not fit a MIDI quantity");
    std::array<uint8_t, 4> groups{};
    int count = 0;
    do {
        groups[static_cast<size_t>(count++)] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    QuantityBytes encoded;
    encoded.count = count;
    for (int i = 0; i < count; ++i)
        encoded.bytes[static_cast<size_t>(i)] =
            static_cast<uint8_t>(groups[static_cast<size_t>(count - 1 - i)] | (i + 1 < count ? 0x80 : 0));
    return encoded;
}

void AppendQuantity(MidiBytes& out, uint32_t value) {
    const QuantityBytes encoded = EncodeQuantity(value);
    out.insert(out.end(), encoded.begin(), encoded.end());
}

void AppendBigEndian(MidiBytes& out, uint32_t value, int count) {
    for (int shift = 8 * (count - 1); shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendEvent(MidiBytes& out, uint32_t delta, std::initializer_list<uint8_t> bytes) {
    AppendQuantity(out, delta);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendMeta(MidiBytes& out, uint32_t delta, uint8_t type, std::string_view text) {
    AppendEvent(out, delta, {0xFF, type});
    AppendQuantity(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

void AppendEndOfTrack(MidiBytes& out, uint32_t delta) {
    AppendEvent(out, delta, {0xFF, 0x2F, 0x00});
}

MidiBytes TrackChunk(const MidiBytes& data) {
    MidiBytes chunk{'M', 'T', 'r', 'k'};
    AppendBigEndian(chunk, static_cast<uint32_t>(data.size()), 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

MidiBytes FileHeader(uint16_t format, uint16_t trackCount, uint16_t division) {
    MidiBytes header{'M', 'T', 'h', 'd'};
    AppendBigEndian(header, 6, 4);
    AppendBigEndian(header, format, 2);
    AppendBigEndian(header, trackCount, 2);
    AppendBigEndian(header, division, 2);
    return header;
}

}  // namespace sonkora
