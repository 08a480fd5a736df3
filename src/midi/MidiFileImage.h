#pragma once
// What the readers make of a MIDI file before they read it: a RIFF MIDI file (.rmi) is
// unwrapped to the standard MIDI file in its "data" chunk, and a type 0 file (one track,
// all channels) is split the way sequencers split it, into a conductor track and one
// track per channel, so that every reader sees tracks and the melody channel can be the
// voice track.
//
// A type 0 file with a tempo, a name and notes on channels 1 and 10
//   MThd 0 1 96 | MTrk: tempo, name, C0 05, 90 3C 40, 99 24 40, 80 3C 00, EOT
// becomes the type 1 image
//   MThd 1 3 96 | MTrk: tempo, name, EOT | MTrk: C0 05, 90 3C 40, 80 3C 00, EOT
//                                        | MTrk: 99 24 40, EOT
// Every event keeps its absolute time, so the deltas are exact. The channel tracks that
// play notes come first, in channel order, then channels that only set controllers or
// programs: track n of the image is the n-th line of the track listing.

#include <cstdint>
#include <functional>
#include <vector>

namespace sonkora {

// Reads up to `count` bytes at `offset` of the file into `target`; returns how many.
using ReadAt = std::function<size_t(int64_t offset, uint8_t* target, size_t count)>;

// Where the standard MIDI file lies in a file.
struct MidiPlace {
    int64_t offset = 0;
    int64_t size = 0;
    bool riff = false;
};

// Finds the standard MIDI file in a file of `fileSize` bytes: the file itself, or the
// "data" chunk of a RIFF RMID file (cut to the bytes the file really holds). False for
// a RIFF file without MIDI data.
bool LocateMidi(const ReadAt& read, int64_t fileSize, MidiPlace& place);

// True when the file at `place` is type 0 with one track and must be split.
bool IsType0(const ReadAt& read, const MidiPlace& place);

struct SplitResult {
    std::vector<uint8_t> image;  // the type 1 file
    int32_t midiError = 0;       // a MidiErrorCode when the track cannot be split
    int noteTracks = 0;          // channel tracks that play notes (listed first)
};

// Splits the bytes of a whole type 0 file.
SplitResult SplitType0(const uint8_t* file, size_t size);

// Turns a whole file held in memory into what the readers see: the MIDI file of a RIFF
// wrapper, split when it is type 0. Returns 0, or the MidiErrorCode the readers give
// for it (and then `file` is not to be surveyed).
int32_t ToMidiImage(std::vector<uint8_t>& file);

}  // namespace sonkora
