#pragma once
// Turns timed lyric texts, as a Words track holds them, and the notes of the voice track
// into a KaraokeSong. Both sources use it: a compiled song text and a Soft Karaoke file.
//
// A lyric text starts with its break: "\" a new paragraph, "/" a new line, " " a new
// word, nothing inside a word. Lyric events written by other programs carry their breaks
// as line ends instead ("\rHel", "lo\r", "world "): a line end in front is a new line, a
// line end or (in lyric events) a blank behind is owed to the next syllable.
//
// Each syllable is sung on the voice note that starts at its tick, or failing that on the
// note sounding there; with neither it has no key (a time code between notes). An empty
// syllable hands its break on to the next one, so a line never starts with nothing.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "formats/KaraokeSong.h"

namespace sonkora {

class MidiReader;

struct TimedLyric {
    int64_t tick = 0;
    std::string text;         // break mark and syllable, as in a Words track
    bool lyricEvent = false;  // meta type 5: a trailing blank is a word break
    int voiceTrack = 0;       // chunk of the voice notes; 0: none
};

struct VoiceNote {
    int64_t on = 0;
    int64_t off = 0;
    int key = 0;
    int channel = 0;
};

// The notes of one track chunk of a loaded song (OpenMidi, ReadMidiHeader, LoadTracks
// done), in the order they start. A note never ended lasts to the track's last event.
std::vector<VoiceNote> ReadVoiceNotes(MidiReader& reader, int track);

// The "@" texts of the given chunks (header lines), in order, line ends removed.
std::vector<std::string> ReadHeaderTexts(MidiReader& reader, int track);

// `notes` by chunk number; `headerLines` the song's "@" lines ("@TTitle", "@LENGL").
KaraokeSong BuildKaraokeSong(const std::vector<TimedLyric>& lyrics, const std::map<int, std::vector<VoiceNote>>& notes,
                             const std::vector<std::string>& headerLines, const TempoMap& tempo);

}  // namespace sonkora
