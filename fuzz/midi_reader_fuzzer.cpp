// Arbitrary bytes through the in-memory reader: RIFF unwrapping and the split of type 0
// files, header, track loading, event reading and the pump with a sink that now and then refuses or calls back into the
// pump. Besides the sanitizers, it checks that nothing a file says makes the reader hold more than the file, stand
// still, or send an event twice.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "midi/MidiReader.h"

namespace {

// Deterministic choices per input, so a crash reproduces from the input alone.
class Choices {
public:
    Choices(const uint8_t* data, size_t size) {
        uint64_t hash = 1469598103934665603ull;
        for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
        state_ = hash | 1;
    }
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 32);
    }

private:
    uint64_t state_;
};

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    using namespace sonkora;
    Choices choices(data, size);

    MidiReader reader;
    reader.OpenMidiBuffer(std::vector<uint8_t>(data, data + size));
    if (reader.ReadMidiHeader()) reader.LoadTracks();
    reader.CloseMidi();

    // Loaded tracks never hold more than the input gave, except what splitting a type 0
    // file adds: a status byte and three more delta bytes per event of two bytes or
    // more, and the header, length and end of sixteen channel tracks.
    size_t held = 0;
    const int count = reader.Header().TrackCount;
    for (int i = 0; i < count; ++i) {
        const TrackData& slot = reader.Track(i);
        if (!slot.Present) continue;
        Check(slot.Data.size() == static_cast<size_t>(slot.Length));
        held += slot.Data.size();
    }
    Check(held <= 3 * size + 16 * 12);
    Check(!reader.Track(count).Present);

    const int32_t loadError = reader.MidiError();

    // Every event read moves forward, so reading a track ends within its length.
    reader.RewindTracks();
    for (int track = 0; track < count; ++track) {
        MidiEvent event;
        int32_t lastPosition = -1;
        while (reader.ReadEvent(static_cast<uint16_t>(track), event)) {
            Check(event.Position > lastPosition);
            lastPosition = event.Position;
            Check(event.Text.size() <= 255);
            Check(event.SysexData.size() == static_cast<size_t>(event.SysexLength));
            Check(event.SysexData.size() <= static_cast<size_t>(reader.Track(track).Length));
        }
    }

    // The pump, from a start chosen by the input.
    reader.SetMidiError(loadError);
    reader.RewindTracks();
    int32_t startTime = 0;
    switch (choices.Next() % 3) {
        case 0: startTime = -1; break;
        case 1: startTime = 0; break;
        default: startTime = static_cast<int32_t>(choices.Next() % 2000); break;
    }
    int32_t baseTime = 0;
    const uint16_t solo = (choices.Next() % 4 == 0) ? static_cast<uint16_t>(choices.Next() % 300) : 0;

    size_t accepted = 0;
    int depth = 0;
    MidiReader::EventSink sink;
    sink = [&](const EventRecord&) -> int {
        Check(depth == 0);  // the pump never calls the sink from a nested call
        ++depth;
        const uint32_t roll = choices.Next();
        if (roll % 16 == 0) reader.SendEvents(startTime, baseTime, solo, sink);
        --depth;
        if (roll % 8 == 1) return 1;
        ++accepted;
        return 0;
    };
    // Each call sends until a refusal; a call that accepts nothing more ends the song.
    for (int calls = 0; calls < 4 * static_cast<int>(size) + 16; ++calls) {
        const size_t before = accepted;
        reader.SendEvents(startTime, baseTime, solo, sink);
        if (accepted == before) {
            bool anyPending = false;
            for (int i = 0; i < count; ++i) anyPending |= reader.Track(i).State == 1;
            if (!anyPending) break;
        }
    }
    // Every accepted record stands for at least one byte of track data: nothing is sent twice.
    Check(accepted <= held);

    reader.FreeTracks();
    return 0;
}
