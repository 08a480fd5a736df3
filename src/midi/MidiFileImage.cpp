#include "midi/MidiFileImage.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "midi/ByteOrder.h"
#include "midi/EventDecoder.h"
#include "midi/MidiTypes.h"
#include "midi/MidiWriter.h"

namespace sonkora {

namespace {

constexpr size_t HeaderSize = 14;
constexpr size_t ChunkHeaderSize = 8;
constexpr int Channels = 16;
constexpr uint8_t EndOfTrackType = 0x2F;

uint32_t Le32(const uint8_t* p) {
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// The bytes of the one track for the event decoder. Running past the chunk's end gives
// zeros and is remembered: an event cut off there is where the track ends.
class SplitSource {
public:
    SplitSource(const uint8_t* data, size_t end, size_t position) : data_(data), end_(end), position_(position) {}

    bool Next(uint8_t& byte) {
        if (position_ < end_) {
            byte = data_[position_++];
            return true;
        }
        byte = 0;
        overran_ = true;
        return false;
    }
    int64_t Remaining() const { return static_cast<int64_t>(end_ - position_); }
    int32_t Position() const { return static_cast<int32_t>(position_); }
    bool Failed() const { return false; }
    bool Overran() const { return overran_; }

private:
    const uint8_t* data_;
    size_t end_;
    size_t position_;
    bool overran_ = false;
};

// One track being written: its bytes, the time of its last event and its running status.
struct TrackBuilder {
    MidiBytes data;
    int32_t time = 0;
    uint8_t runningStatus = 0;
    bool used = false;
    bool playsNotes = false;

    // False when the gap since the last event is too long for a delta time.
    bool Delta(int32_t at) {
        const uint32_t delta = static_cast<uint32_t>(at - time);
        if (delta > MaxQuantity) return false;
        AppendQuantity(data, delta);
        time = at;
        used = true;
        return true;
    }
};

size_t QuantityLength(const uint8_t* data, size_t position, size_t end) {
    size_t length = 0;
    while (position + length < end && length < 4 && (data[position + length] & 0x80) != 0) ++length;
    return length + 1;
}

}  // namespace

bool LocateMidi(const ReadAt& read, int64_t fileSize, MidiPlace& place) {
    place = MidiPlace{0, fileSize, false};
    uint8_t riff[12] = {};
    if (read(0, riff, sizeof riff) < sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "RMID", 4) != 0)
        return true;  // not wrapped: the file is the MIDI file (or is refused as such)
    // The RIFF chunk's own length may be wrong; its sub-chunks are walked to the file's end.
    int64_t offset = sizeof riff;
    while (offset + static_cast<int64_t>(ChunkHeaderSize) <= fileSize) {
        uint8_t chunk[ChunkHeaderSize] = {};
        if (read(offset, chunk, sizeof chunk) < sizeof chunk) break;
        const int64_t length = Le32(chunk + 4);
        const int64_t data = offset + static_cast<int64_t>(ChunkHeaderSize);
        if (std::memcmp(chunk, "data", 4) == 0) {
            place = MidiPlace{data, std::min(length, fileSize - data), true};
            return true;
        }
        offset = data + length + (length & 1);  // RIFF chunks are padded to even lengths
    }
    return false;
}

bool IsType0(const ReadAt& read, const MidiPlace& place) {
    uint8_t header[HeaderSize] = {};
    if (place.size < static_cast<int64_t>(HeaderSize) || read(place.offset, header, sizeof header) < sizeof header)
        return false;
    return std::memcmp(header, "MThd", 4) == 0 && ReadBe32(header + 4) == 6 && header[8] == 0 && header[9] == 0 &&
           header[10] == 0 && header[11] == 1;
}

SplitResult SplitType0(const uint8_t* file, size_t size) {
    SplitResult result;
    if (size < HeaderSize + ChunkHeaderSize || std::memcmp(file + HeaderSize, "MTrk", 4) != 0) {
        result.midiError = size < HeaderSize ? MidiErrorCode::NotMidiFile : MidiErrorCode::UnknownCode;
        return result;
    }
    const size_t start = HeaderSize + ChunkHeaderSize;
    const uint32_t length = ReadBe32(file + HeaderSize + 4);
    if (length > size - start) {
        result.midiError = MidiErrorCode::DamagedFile;
        return result;
    }
    const size_t end = start + length;

    TrackBuilder conductor;
    std::array<TrackBuilder, Channels> channels;
    uint8_t runningStatus = 0;
    int32_t time = 0;
    int32_t endTime = 0;
    MidiEvent event;
    DecodeOptions options;
    options.maxTextLength = 0;  // the bytes are copied as they are; nothing to keep
    for (size_t position = start; position < end;) {
        SplitSource source(file, end, position);
        const DecodeResult decoded = DecodeEvent(source, runningStatus, time, event, options);
        if (source.Overran()) break;  // cut off by the chunk's end: the track ends there
        if (decoded != DecodeResult::Ok) {
            result.midiError = MidiErrorCode::UnknownCode;
            return result;
        }
        const size_t body = position + QuantityLength(file, position, end);
        position = static_cast<size_t>(source.Position());
        endTime = event.Time;
        if (event.Status == 0xFF && event.MetaType == EndOfTrackType) break;
        if (event.Status >= 0xF0) {
            // Meta and system-exclusive events belong to the song, not to a channel.
            if (!conductor.Delta(event.Time)) {
                result.midiError = MidiErrorCode::UnknownCode;
                return result;
            }
            conductor.data.insert(conductor.data.end(), file + body, file + position);
            continue;
        }
        TrackBuilder& track = channels[event.Status & 0x0F];
        if (!track.Delta(event.Time)) {
            result.midiError = MidiErrorCode::UnknownCode;
            return result;
        }
        if (event.Status != track.runningStatus) track.data.push_back(event.Status);
        track.runningStatus = event.Status;
        track.data.push_back(event.Data1);
        const uint8_t kind = event.Status & 0xF0;
        if (kind != 0xC0 && kind != 0xD0) track.data.push_back(event.Data2);
        if (kind == 0x90 && event.Data2 > 0) track.playsNotes = true;
    }
    // The song ends where its track ended, which may be long after the last event.
    if (!conductor.Delta(std::max(endTime, conductor.time))) {
        result.midiError = MidiErrorCode::UnknownCode;
        return result;
    }
    conductor.data.insert(conductor.data.end(), {0xFF, EndOfTrackType, 0x00});

    std::vector<const TrackBuilder*> order;
    for (const bool notes : {true, false})
        for (const TrackBuilder& track : channels)
            if (track.used && track.playsNotes == notes) order.push_back(&track);
    result.noteTracks = static_cast<int>(
        std::count_if(order.begin(), order.end(), [](const TrackBuilder* track) { return track->playsNotes; }));

    const uint16_t division = static_cast<uint16_t>((file[12] << 8) | file[13]);
    result.image = FileHeader(1, static_cast<uint16_t>(order.size() + 1), division);
    const MidiBytes first = TrackChunk(conductor.data);
    result.image.insert(result.image.end(), first.begin(), first.end());
    for (const TrackBuilder* track : order) {
        MidiBytes data = track->data;
        AppendEndOfTrack(data);
        const MidiBytes chunk = TrackChunk(data);
        result.image.insert(result.image.end(), chunk.begin(), chunk.end());
    }
    return result;
}

int32_t ToMidiImage(std::vector<uint8_t>& file) {
    const ReadAt readAt = [&file](int64_t offset, uint8_t* target, size_t count) -> size_t {
        if (offset < 0 || static_cast<uint64_t>(offset) >= file.size()) return 0;
        const size_t got = std::min(count, file.size() - static_cast<size_t>(offset));
        std::memcpy(target, file.data() + offset, got);
        return got;
    };
    MidiPlace place;
    if (!LocateMidi(readAt, static_cast<int64_t>(file.size()), place)) return MidiErrorCode::NotMidiFile;
    const bool split = IsType0(readAt, place);
    if (place.riff) file = std::vector<uint8_t>(file.begin() + place.offset, file.begin() + place.offset + place.size);
    if (!split) return 0;
    SplitResult result = SplitType0(file.data(), file.size());
    if (result.midiError != 0) return result.midiError;
    file = std::move(result.image);
    return 0;
}

}  // namespace sonkora
