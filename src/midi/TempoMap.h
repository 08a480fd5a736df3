#pragma once
// The song's tempo map: ticks to microseconds and back, exactly as playback's clock counts
// them. Retiming, every lyric export and anything else that speaks of seconds use it, so a
// syllable tapped at 12.34 s lands where playback sounds 12.34 s.
//
// Before the first tempo event the song runs at 120 bpm (500000 µs per quarter note).
// Each stretch between tempo changes is converted on its own and rounded up to whole
// microseconds, as the scheduler does: with division 96 and tempo 500000, tick 96 is
// 500000 µs, and after a change to 250000 at tick 96, tick 144 is 625000 µs.

#include <cstdint>
#include <vector>

namespace sonkora {

class MidiReader;

struct TempoChange {
    int64_t tick = 0;
    uint32_t microsPerQuarter = 0;
};

class TempoMap {
public:
    static constexpr uint32_t DefaultTempo = 500000;

    // `changes` in any order; a change of 0 µs is ignored, as playback ignores it, and of
    // several changes at one tick the last one counts. `division` must not be 0.
    TempoMap(uint16_t division, std::vector<TempoChange> changes);

    // The tempo events of every track of a song loaded by `reader` (OpenMidi, ReadMidiHeader,
    // LoadTracks done), in the order the playback pump sends them. Rewinds the reader's
    // tracks before and after. The header's division must not be 0.
    static TempoMap FromSong(MidiReader& reader);

    uint16_t Division() const { return division_; }
    // The changes in force, in tick order, starting with the one at tick 0.
    const std::vector<TempoChange>& Changes() const { return segments_; }

    // When `tick` sounds, in microseconds from the song's start (ticks before 0 are 0).
    int64_t MicrosAt(int64_t tick) const;
    double SecondsAt(int64_t tick) const { return static_cast<double>(MicrosAt(tick)) / 1e6; }
    // The tick, with its fraction, that sounds at `micros` (negative times give 0).
    double TickAt(double micros) const;

private:
    uint16_t division_;
    std::vector<TempoChange> segments_;   // first at tick 0
    std::vector<int64_t> segmentMicros_;  // when each segment starts
};

}  // namespace sonkora
