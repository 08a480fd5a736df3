#pragma once
// The in-memory reader used for playback: loads every track chunk of a standard MIDI
// file (any format) and hands the events of all tracks, merged in time order, to the
// MIDI toolkit through SendEvents. One object holds one song; whoever plays owns it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiTypes.h"

namespace sonkora {

class MidiReader {
public:
    // The toolkit's "queue one event" call: 0 when it accepted the record, non-zero
    // when it cannot take more now (the event is offered again on the next call).
    using EventSink = std::function<int(const EventRecord&)>;

    MidiReader();
    ~MidiReader();
    MidiReader(const MidiReader&) = delete;
    MidiReader& operator=(const MidiReader&) = delete;

    // Opens a file for reading (MidiError -5 when it cannot be opened).
    bool OpenMidi(const std::string& fileName);
    // Reads from bytes already in memory instead of a file (tests, fuzzing).
    bool OpenMidiBuffer(std::vector<uint8_t> bytes);
    bool ReadMidiHeader();
    bool LoadTracks();
    void CloseMidi();
    void RewindTracks();
    // Decodes the next event of a track. False when the index is not below TrackCount,
    // when MidiError is set, or when the track has no unread bytes after this event
    // (the event just decoded is still delivered).
    bool ReadEvent(uint16_t track, MidiEvent& event);
    void FetchEvent(uint16_t track);
    // The event pump; ignores a call made while it is already running. A system-exclusive
    // message goes out as one record per byte (status 0xF0, the byte in Data1, time 0).
    void SendEvents(int32_t& startTime, int32_t& baseTime, uint16_t soloTrack, const EventSink& send);
    void FreeTracks();

    const MidiHeader& Header() const { return header_; }
    int32_t MidiError() const { return midiError_; }
    void SetMidiError(int32_t code) { midiError_ = code; }
    // The slot of a track; an empty slot for an index the song has no track for.
    const TrackData& Track(int index) const;

private:
    struct Input;
    // Slots that may hold a track of the current song: those loaded, never more than
    // the header's count.
    int TrackLimit() const;
    // A RIFF file is unwrapped and a type 0 file split (MidiFileImage) before reading.
    void PrepareInput();

    std::unique_ptr<Input> input_;
    MidiHeader header_;
    int32_t midiError_ = 0;
    // One slot per chunk really loaded: a header's count alone allocates nothing.
    std::vector<TrackData> tracks_;
    bool pumpBusy_ = false;
};

}  // namespace sonkora
