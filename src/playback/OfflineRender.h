#pragma once
// Renders a song into a WAV file (or an Ogg Vorbis file, for a name ending in ".ogg") through the same engine, pump,
// queue and clock as real playback, with the clock moved by hand and the built-in synthesizer rendering offline: far
// faster than real time, and every event lands on the sample it is due at.
//
// The sound runs from the start (tick 0, the --from time, or an audition's first note)
// to the song's end (the last event of any track), with up to half a second more while
// notes are still dying away; a silence of more than ten seconds after the last sound is
// cut short.

#include <cstdint>
#include <string>

#include "common/UserInterface.h"

namespace sonkora {

struct RenderOptions {
    std::string midiFile;
    std::string wavFile;    // the output; ".ogg" gives Ogg Vorbis, anything else WAV
    int32_t startTime = 0;  // ticks; all tracks from here
    int32_t track = 0;      // > 0: audition this track (with track 0) from its first note
    std::string soundFont;  // empty: FindSoundFont()
    int sampleRate = 44100;
    // A song that lasts longer is refused before anything is rendered: a tiny file may
    // claim an event days away, and its sound would fill the disk.
    int64_t maxLengthMicros = int64_t{2} * 60 * 60 * 1'000'000;
    uint16_t mutedChannels = 0;  // one bit per MIDI channel whose notes stay silent
};

struct RenderSummary {
    int64_t frames = 0;  // stereo frames written
};

// True when the sound file was written. Every failure is shown through `ui` (the
// engine's own messages for the song and the synthesizer) and leaves no file behind.
// Throws IoError when writing fails after the file was created (nothing is left then either).
bool RenderSong(const RenderOptions& options, UserInterface& ui, RenderSummary* summary = nullptr);

}  // namespace sonkora
