#pragma once
// Decoding of one track event, shared by the in-memory reader and the karaoke pass.
// Both read by the same rules; they differ only in where bytes come from, how much
// meta text they keep and whether system-exclusive bytes are kept.
//
// A byte source provides:
//   bool    Next(uint8_t& byte)  // false when no byte could be read (byte is then 0)
//   int64_t Remaining() const    // an upper bound of the bytes still readable
//   int32_t Position() const     // offset of the next byte, as MidiEvent::Position wants it
//   bool    Failed() const       // a read failure that must stop decoding at once
//
// Nothing a file says is trusted: lengths are checked against Remaining() before
// anything is allocated, a variable-length quantity longer than four bytes is an error,
// and so is a data byte with no status byte before it in the track.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "midi/MidiTypes.h"

namespace sonkora {

struct DecodeOptions {
    // Meta text bytes kept (the rest are consumed): 255 in memory, all in the pass.
    int64_t maxTextLength = std::numeric_limits<int64_t>::max();
    // Keep the bytes of 0xF0 and 0xF7 events in SysexData (in-memory reader only).
    bool keepSysex = false;
};

enum class DecodeResult {
    Ok,
    UnknownCode,  // undefined status byte, bad quantity, or no running status: error 3
    SourceFailed  // the source reported a failure (the caller knows its code)
};

// Reads a variable-length quantity of at most four bytes.
template <typename Source>
bool ReadQuantity(Source& source, uint32_t& value) {
    // Most delta times fit one byte.
    value = 0;
    uint8_t first = 0;
    source.Next(first);
    if (source.Failed()) return false;
    value = first & 0x7Fu;
    if ((first & 0x80u) == 0) return true;
    for (int i = 1; i < 4; ++i) {
        uint8_t byte = 0;
        source.Next(byte);
        if (source.Failed()) return false;
        value = (value << 7) | (byte & 0x7Fu);
        if ((byte & 0x80u) == 0) return true;
    }
    return false;  // a fifth byte would be needed: not a valid quantity
}

// Skips `count` bytes, keeping at most `keep` of them in `kept` (when not null).
template <typename Source, typename Container>
bool ReadBytes(Source& source, uint32_t count, int64_t keep, Container* kept) {
    if (kept != nullptr) {
        const int64_t reserve = std::min<int64_t>({static_cast<int64_t>(count), keep, source.Remaining()});
        if (reserve > 0) kept->reserve(kept->size() + static_cast<size_t>(reserve));
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t byte = 0;
        const bool got = source.Next(byte);
        if (source.Failed()) return false;
        if (!got) {
            // The data ended inside the event: the remaining bytes would all read as 0,
            // so there is nothing more to keep and no point in walking them one by one.
            return true;
        }
        if (kept != nullptr && static_cast<int64_t>(i) < keep)
            kept->push_back(static_cast<typename Container::value_type>(byte));
    }
    return true;
}

// Decodes the next event. `runningStatus` and `time` are the track's own state and are
// updated. On UnknownCode the event is incomplete and decoding of this track must stop.
template <typename Source>
DecodeResult DecodeEvent(Source& source, uint8_t& runningStatus, int32_t& time, MidiEvent& event,
                         const DecodeOptions& options) {
    // Nothing of the previous event may survive into this one, even when it fails.
    event.Position = source.Position();
    event.Time = time;
    event.Delta = 0;
    event.Status = 0;
    event.MetaType = 0;
    event.Data1 = event.Data2 = event.Data3 = 0;
    event.Text.clear();
    event.SysexData.clear();
    event.SysexLength = 0;

    uint32_t delta = 0;
    if (!ReadQuantity(source, delta)) return source.Failed() ? DecodeResult::SourceFailed : DecodeResult::UnknownCode;
    const int64_t sum = static_cast<int64_t>(time) + delta;
    if (sum > std::numeric_limits<int32_t>::max()) return DecodeResult::UnknownCode;
    time = static_cast<int32_t>(sum);
    event.Time = time;
    event.Delta = static_cast<int32_t>(delta);

    uint8_t b = 0;
    source.Next(b);
    if (source.Failed()) return DecodeResult::SourceFailed;

    if (b >= 0xF0) {
        event.Status = b;
        uint32_t length = 0;
        switch (b) {
            case 0xF0:
                if (!ReadQuantity(source, length))
                    return source.Failed() ? DecodeResult::SourceFailed : DecodeResult::UnknownCode;
                if (options.keepSysex) {
                    event.SysexData.push_back(0xF0);
                    if (!ReadBytes(source, length, std::numeric_limits<int64_t>::max(), &event.SysexData))
                        return DecodeResult::SourceFailed;
                    event.SysexLength = static_cast<int32_t>(event.SysexData.size());
                } else if (!ReadBytes(source, length, 0, static_cast<std::vector<uint8_t>*>(nullptr))) {
                    return DecodeResult::SourceFailed;
                }
                return DecodeResult::Ok;
            case 0xF7:
                if (!ReadQuantity(source, length))
                    return source.Failed() ? DecodeResult::SourceFailed : DecodeResult::UnknownCode;
                if (options.keepSysex) {
                    if (!ReadBytes(source, length, std::numeric_limits<int64_t>::max(), &event.SysexData))
                        return DecodeResult::SourceFailed;
                    event.SysexLength = static_cast<int32_t>(event.SysexData.size());
                } else if (!ReadBytes(source, length, 0, static_cast<std::vector<uint8_t>*>(nullptr))) {
                    return DecodeResult::SourceFailed;
                }
                return DecodeResult::Ok;
            case 0xFF: {
                source.Next(event.MetaType);
                if (source.Failed()) return DecodeResult::SourceFailed;
                if (event.MetaType == 0x2F) {
                    uint8_t zero = 0;
                    source.Next(zero);
                    return source.Failed() ? DecodeResult::SourceFailed : DecodeResult::Ok;
                }
                if (event.MetaType == 0x51) {
                    uint8_t three = 0;
                    source.Next(three);
                    source.Next(event.Data1);
                    source.Next(event.Data2);
                    source.Next(event.Data3);
                    return source.Failed() ? DecodeResult::SourceFailed : DecodeResult::Ok;
                }
                if (!ReadQuantity(source, length))
                    return source.Failed() ? DecodeResult::SourceFailed : DecodeResult::UnknownCode;
                const bool isText = event.MetaType >= 0x01 && event.MetaType <= 0x0E;
                if (!ReadBytes(source, length, isText ? options.maxTextLength : 0, isText ? &event.Text : nullptr))
                    return DecodeResult::SourceFailed;
                return DecodeResult::Ok;
            }
            default: return DecodeResult::UnknownCode;  // 0xF1 to 0xF6, 0xF8 to 0xFE
        }
    }

    // A channel event, with or without its own status byte.
    if (b >= 0x80) runningStatus = b;
    if (runningStatus == 0) return DecodeResult::UnknownCode;  // data byte before any status byte
    event.Status = runningStatus;
    uint8_t first = b;
    if (runningStatus == b) {
        source.Next(first);
        if (source.Failed()) return DecodeResult::SourceFailed;
    }
    event.Data1 = first;
    const uint8_t kind = runningStatus & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) {
        source.Next(event.Data2);
        if (source.Failed()) return DecodeResult::SourceFailed;
    }
    return DecodeResult::Ok;
}

}  // namespace sonkora
