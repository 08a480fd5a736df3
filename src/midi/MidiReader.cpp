#include "midi/MidiReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include "common/IoError.h"
#include "midi/ByteOrder.h"
#include "midi/EventDecoder.h"
#include "midi/MidiFileImage.h"

namespace sonkora {

namespace {

constexpr size_t HeaderChunkSize = 14;
constexpr size_t ChunkHeaderSize = 8;
constexpr size_t ReadBlockSize = 65536;
constexpr int64_t UnknownSize = std::numeric_limits<int64_t>::max();
// Playback shows lyrics and names, never pages of text: keep this much of a meta text.
constexpr int64_t KeptTextLength = 255;

// The bytes of one loaded track as the event decoder reads them. Reading past the end
// gives zero bytes and no failure, but is remembered: an event cut off by the end of its
// track is the track's clean end, not a fault of the file.
class TrackSource {
public:
    TrackSource(const std::vector<uint8_t>& data, int32_t position) : data_(data), position_(position) {}

    bool Next(uint8_t& byte) {
        if (static_cast<size_t>(position_) < data_.size()) {
            byte = data_[static_cast<size_t>(position_)];
            ++position_;
            return true;
        }
        byte = 0;
        overran_ = true;
        return false;
    }
    int64_t Remaining() const { return static_cast<int64_t>(data_.size()) - position_; }
    int32_t Position() const { return position_; }
    bool Failed() const { return false; }
    bool Overran() const { return overran_; }

private:
    const std::vector<uint8_t>& data_;
    int32_t position_;
    bool overran_ = false;
};

// The record time of an event relative to the last one queued; kept inside 32 bits
// whatever base time the caller hands in.
int32_t TicksAfter(int32_t time, int32_t baseTime) {
    const int64_t delta = static_cast<int64_t>(time) - baseTime;
    return static_cast<int32_t>(
        std::clamp<int64_t>(delta, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool IsNoteEvent(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0 || kind == 0xD0;
}

}  // namespace

// Where the file's bytes come from: an open file or a buffer handed in.
struct MidiReader::Input {
    std::string fileName;
    std::FILE* file = nullptr;
    std::vector<uint8_t> buffer;
    size_t offset = 0;           // bytes consumed so far
    int64_t size = UnknownSize;  // total bytes, when known

    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input() {
        if (file != nullptr) std::fclose(file);
    }

    // An upper bound of the bytes still to come, for sizing buffers before reading.
    int64_t Remaining() const {
        if (size == UnknownSize) return UnknownSize;
        return std::max<int64_t>(0, size - static_cast<int64_t>(offset));
    }

    // Reads up to count bytes; fewer only at the end of the input.
    size_t Read(uint8_t* target, size_t count) {
        if (file == nullptr) {
            const size_t got = std::min(count, buffer.size() - offset);
            if (got > 0) std::memcpy(target, buffer.data() + offset, got);
            offset += got;
            return got;
        }
        const size_t got = std::fread(target, 1, count, file);
        offset += got;
        if (got < count && std::ferror(file) != 0) throw IoError(fileName, std::strerror(errno));
        return got;
    }
};

MidiReader::MidiReader() = default;
MidiReader::~MidiReader() = default;

int MidiReader::TrackLimit() const {
    return std::min<int>(header_.TrackCount, static_cast<int>(tracks_.size()));
}

const TrackData& MidiReader::Track(int index) const {
    static const TrackData noTrack;
    if (index < 0 || static_cast<size_t>(index) >= tracks_.size()) return noTrack;
    return tracks_[static_cast<size_t>(index)];
}

void MidiReader::PrepareInput() {
    Input& input = *input_;
    if (input.offset != 0 || input.size == UnknownSize) return;  // a stream is read as it comes
    ReadAt readAt = [&input](int64_t offset, uint8_t* target, size_t count) -> size_t {
        if (input.file == nullptr) {
            if (offset < 0 || static_cast<uint64_t>(offset) >= input.buffer.size()) return 0;
            const size_t got = std::min(count, input.buffer.size() - static_cast<size_t>(offset));
            if (got > 0) std::memcpy(target, input.buffer.data() + offset, got);
            return got;
        }
        if (fseeko(input.file, static_cast<off_t>(offset), SEEK_SET) != 0) return 0;
        const size_t got = std::fread(target, 1, count, input.file);
        if (got < count && std::ferror(input.file) != 0) throw IoError(input.fileName, std::strerror(errno));
        return got;
    };
    MidiPlace place;
    if (!LocateMidi(readAt, input.size, place)) {
        midiError_ = MidiErrorCode::NotMidiFile;
        return;
    }
    const bool split = IsType0(readAt, place);
    if (!place.riff && !split) {
        if (input.file != nullptr && fseeko(input.file, 0, SEEK_SET) != 0)
            throw IoError(input.fileName, std::strerror(errno));
        return;
    }
    // The MIDI file inside is read whole: its size is what the file really holds.
    std::vector<uint8_t> bytes(static_cast<size_t>(place.size));
    bytes.resize(readAt(place.offset, bytes.data(), bytes.size()));
    if (split) {
        SplitResult result = SplitType0(bytes.data(), bytes.size());
        if (result.midiError != 0) {
            midiError_ = result.midiError;
            return;
        }
        bytes = std::move(result.image);
    }
    auto replacement = std::make_unique<Input>();
    replacement->fileName = input.fileName;
    replacement->size = static_cast<int64_t>(bytes.size());
    replacement->buffer = std::move(bytes);
    input_ = std::move(replacement);
}

bool MidiReader::OpenMidi(const std::string& fileName) {
    CloseMidi();
    midiError_ = MidiErrorCode::Success;
    std::error_code error;
    // A folder opens like a file on some systems and fails only at the first read.
    if (std::filesystem::is_directory(fileName, error)) {
        midiError_ = MidiErrorCode::CannotRead;
        return false;
    }
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        midiError_ = MidiErrorCode::CannotRead;
        return false;
    }
    auto input = std::make_unique<Input>();
    input->fileName = fileName;
    input->file = file;
    if (std::filesystem::is_regular_file(fileName, error)) {
        const std::uintmax_t size = std::filesystem::file_size(fileName, error);
        if (!error && size < static_cast<std::uintmax_t>(UnknownSize)) input->size = static_cast<int64_t>(size);
    }
    input_ = std::move(input);
    return true;
}

bool MidiReader::OpenMidiBuffer(std::vector<uint8_t> bytes) {
    CloseMidi();
    midiError_ = MidiErrorCode::Success;
    auto input = std::make_unique<Input>();
    input->size = static_cast<int64_t>(bytes.size());
    input->buffer = std::move(bytes);
    input_ = std::move(input);
    return true;
}

bool MidiReader::ReadMidiHeader() {
    header_ = MidiHeader{};
    if (!input_) {
        midiError_ = MidiErrorCode::CannotRead;
        return false;
    }
    PrepareInput();
    if (midiError_ != MidiErrorCode::Success) return false;
    uint8_t bytes[HeaderChunkSize] = {};
    if (input_->Read(bytes, HeaderChunkSize) < HeaderChunkSize || std::memcmp(bytes, "MThd", 4) != 0) {
        midiError_ = MidiErrorCode::NotMidiFile;
        return false;
    }
    if (ReadBe32(bytes + 4) != 6) {
        midiError_ = MidiErrorCode::NotType1;
        return false;
    }
    header_.Format = ReadBe16(bytes + 8);
    header_.TrackCount = ReadBe16(bytes + 10);
    header_.Division = ReadBe16(bytes + 12);
    if (header_.TrackCount == 0) midiError_ = MidiErrorCode::NotMidiFile;
    return midiError_ == MidiErrorCode::Success;
}

bool MidiReader::LoadTracks() {
    // Whatever an earlier song left in the slots goes; a half-loaded song never mixes
    // with the tracks of another.
    FreeTracks();
    if (!input_) {
        if (midiError_ == MidiErrorCode::Success) midiError_ = MidiErrorCode::CannotRead;
        return false;
    }
    const int count = header_.TrackCount;
    for (int index = 0; index < count && midiError_ == MidiErrorCode::Success; ++index) {
        uint8_t chunkHeader[ChunkHeaderSize] = {};
        if (input_->Read(chunkHeader, ChunkHeaderSize) < ChunkHeaderSize || std::memcmp(chunkHeader, "MTrk", 4) != 0) {
            midiError_ = MidiErrorCode::NotType1;
            break;
        }
        const uint32_t length = ReadBe32(chunkHeader + 4);
        // Offsets within a track are 32-bit signed; a longer chunk cannot be held.
        if (length > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
            midiError_ = MidiErrorCode::CannotRead;
            break;
        }
        // The length is only a claim: room is made for what the input can still give,
        // and grows block by block as the bytes really arrive.
        std::vector<uint8_t> data;
        const int64_t remaining = input_->Remaining();
        data.reserve(static_cast<size_t>(
            std::min<int64_t>(length, remaining == UnknownSize ? static_cast<int64_t>(ReadBlockSize) : remaining)));
        size_t total = 0;
        while (total < length) {
            const size_t block = std::min<size_t>(length - total, ReadBlockSize);
            data.resize(total + block);
            const size_t got = input_->Read(data.data() + total, block);
            total += got;
            data.resize(total);
            if (got < block) break;
        }
        if (total != length) {
            midiError_ = MidiErrorCode::CannotRead;
            break;
        }
        TrackData& slot = tracks_.emplace_back();
        slot.Length = static_cast<int32_t>(length);
        slot.Data = std::move(data);
        slot.Present = true;
    }
    return midiError_ == MidiErrorCode::Success;
}

void MidiReader::CloseMidi() {
    input_.reset();
}

void MidiReader::RewindTracks() {
    const int count = TrackLimit();
    for (int index = 0; index < count; ++index) {
        TrackData& slot = tracks_[static_cast<size_t>(index)];
        slot.ReadPos = 0;
        slot.Time = 0;
        slot.RunningStatus = 0;
        slot.State = 0;
        slot.Event = MidiEvent{};
    }
}

bool MidiReader::ReadEvent(uint16_t track, MidiEvent& event) {
    if (track >= TrackLimit() || midiError_ != MidiErrorCode::Success) return false;
    TrackData& slot = tracks_[track];
    if (!slot.Present) return false;
    if (static_cast<size_t>(slot.ReadPos) >= slot.Data.size()) {
        // Nothing left to decode: an empty event at the track's time, and the end.
        event = MidiEvent{};
        event.Position = slot.ReadPos;
        event.Time = slot.Time;
        return false;
    }

    TrackSource source(slot.Data, slot.ReadPos);
    DecodeOptions options;
    options.maxTextLength = KeptTextLength;
    options.keepSysex = true;
    const DecodeResult result = DecodeEvent(source, slot.RunningStatus, slot.Time, event, options);
    slot.ReadPos = source.Position();
    if (source.Overran()) {
        // The track's data ends inside this event. Whatever was decoded is delivered,
        // but a cut-off event is the end of the track, not an unknown code.
        return false;
    }
    if (result != DecodeResult::Ok) {
        midiError_ = MidiErrorCode::UnknownCode;
        return false;
    }
    return static_cast<size_t>(slot.ReadPos) < slot.Data.size();
}

void MidiReader::FetchEvent(uint16_t track) {
    if (track >= tracks_.size()) return;
    TrackData& slot = tracks_[track];
    slot.State = ReadEvent(track, slot.Event) ? 1 : 2;
}

// Records handed to the sink:
//   channel event   Status, Data1, Data2; time -1 before the start, else ticks after
//                   the last queued event
//   0xF0 sysex      one record per byte, status 0xF0 and the byte in Data1, time 0
//                   (the message goes out with the event queued before it; answers
//                   are not waited for)
//   0xF7 escape     a single real-time byte (0xF8 to 0xFE) as the record's status
//   tempo           status 0, the three tempo bytes; time 0 before the start
void MidiReader::SendEvents(int32_t& startTime, int32_t& baseTime, uint16_t soloTrack, const EventSink& send) {
    // The toolkit's feed requests can arrive while a feed is still under way.
    if (pumpBusy_) return;
    pumpBusy_ = true;
    struct BusyGuard {
        bool& busy;
        ~BusyGuard() { busy = false; }
    } guard{pumpBusy_};

    const int count = TrackLimit();
    for (;;) {
        int chosen = -1;
        int32_t chosenTime = std::numeric_limits<int32_t>::max();
        auto consider = [&](int index) {
            if (index >= count) return;
            TrackData& slot = tracks_[static_cast<size_t>(index)];
            if (slot.State == 0) FetchEvent(static_cast<uint16_t>(index));
            // Strictly earlier wins, so a tie goes to the lower track. The first active
            // track is taken whatever its time, so an event at the very last tick is
            // still played.
            if (slot.State == 1 && (chosen < 0 || slot.Event.Time < chosenTime)) {
                chosen = index;
                chosenTime = slot.Event.Time;
            }
        };
        if (soloTrack == 0) {
            for (int index = 0; index < count; ++index) consider(index);
        } else {
            consider(0);
            consider(soloTrack);
        }
        if (chosen < 0) return;

        MidiEvent& event = tracks_[static_cast<size_t>(chosen)].Event;
        const int32_t t = event.Time;
        int answer = 0;
        int32_t sentTime = baseTime;
        const auto beforeStart = [&] { return startTime > t || startTime == -1; };

        if (event.Status < 0xF0) {
            if (startTime == -1 && (event.Status & 0xF0) == 0x90) {
                startTime = t;  // an audition starts sounding at its first note
                baseTime = t;
            }
            // Notes before the start are left out; the channel state before it
            // (controllers, programs, bends) goes out at once.
            if (!(startTime > t && IsNoteEvent(event.Status))) {
                const EventRecord record{beforeStart() ? -1 : TicksAfter(t, baseTime), event.Status, event.Data1,
                                         event.Data2, 0};
                answer = send(record);
                sentTime = t;
            }
        } else if (event.Status == 0xF0) {
            // Indexed, not iterated: a sink that frees the song empties the event's
            // bytes under us, and the loop must then simply end. A freed track is
            // absent, so the fetch below finishes it and nothing more is sent.
            for (size_t i = 0; i < event.SysexData.size(); ++i) send(EventRecord{0, 0xF0, event.SysexData[i], 0, 0});
        } else if (event.Status == 0xF7) {
            if (event.SysexData.size() == 1 && event.SysexData[0] >= 0xF8 && event.SysexData[0] <= 0xFE) {
                answer = send(EventRecord{beforeStart() ? -1 : TicksAfter(t, baseTime), event.SysexData[0], 0, 0, 0});
                sentTime = t;
            }
        } else if (event.Status == 0xFF && event.MetaType == 0x51) {
            answer = send(
                EventRecord{beforeStart() ? 0 : TicksAfter(t, baseTime), 0, event.Data1, event.Data2, event.Data3});
            sentTime = t;
        }

        if (answer != 0) return;  // refused: the event stays pending for the next call
        baseTime = startTime > t ? startTime : sentTime;
        event.SysexData = std::vector<uint8_t>();
        event.SysexLength = 0;
        FetchEvent(static_cast<uint16_t>(chosen));
    }
}

void MidiReader::FreeTracks() {
    if (pumpBusy_) {
        // Freed from inside the pump (by a sink): the pump still holds a slot, so the
        // slots are emptied where they are instead of released.
        for (TrackData& slot : tracks_) slot = TrackData{};
        return;
    }
    tracks_ = std::vector<TrackData>();
}

}  // namespace sonkora
