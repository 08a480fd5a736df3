#pragma once
// The words a MIDI file already carries, and the file without them.
//
// What counts as a karaoke text:
//   - every lyric event (meta type 05), in any track;
//   - every text event (meta type 01) in the Words track of a Soft Karaoke file (chunk 2
//     of a file that KaraokeForm calls SoftKaraoke): its syllables and header lines;
//   - every text event (01) that begins with "@", in any track: the Soft Karaoke
//     information and header lines ("@KMIDI KARAOKE FILE", "@V0100", "@T...", "@L...").
// Track names, copyright notices, markers, cue points and other text events are not
// words and are never counted or removed.
//
// A file is a Soft Karaoke file when chunk 1 is named "Soft Karaoke" and chunk 2 "Words"
// (case folded), or when chunk 1 or 2 carries the "@KMIDI KARAOKE FILE" marker whatever
// the track names; otherwise it is a lyric-event karaoke file when any track holds a
// lyric event.
//
// Stripping rewrites only the tracks that hold karaoke texts: each removed event's delta
// time is added to the event after it, so every other event keeps its tick, and every
// other byte of the file (other chunks, running status, bytes after the last chunk)
// stays as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "midi/MidiTypes.h"

namespace sonkora {

enum class KaraokeForm { None, SoftKaraoke, LyricEvents };

// The marker text of a Soft Karaoke information track.
inline constexpr const char* SoftKaraokeMarker = "@KMIDI KARAOKE FILE";

struct ChunkSurvey {
    int64_t offset = 0;      // of the chunk header in the file
    int64_t dataLength = 0;  // the data bytes the file really holds (at most the claimed length)
    bool cut = false;        // the file ends before the claimed length
    std::string name;        // the first track name (meta 03)
    bool notes = false;      // holds a note-on
    bool channelEvents = false;
    bool marker = false;   // holds the Soft Karaoke marker text
    int lyricEvents = 0;   // meta 05
    int karaokeTexts = 0;  // every karaoke text, lyric events included
};

struct KaraokeSurvey {
    int32_t midiError = 0;  // a header or chunk error (positive code); chunks up to it are surveyed
    MidiHeader header;
    std::vector<ChunkSurvey> chunks;  // chunk 0 first; MTrk chunks only, in file order
    KaraokeForm form = KaraokeForm::None;
    int64_t trailingOffset = 0;  // where the bytes after the last chunk begin

    int KaraokeTextCount() const;
    // Chunks holding lyric events and no channel event: the Words track of a lyric-event
    // file (as Export writes it), which the import leaves out with the words.
    bool LyricsOnly(size_t chunk) const;
};

// Decides whether an event is a karaoke text; `wordsTrack` tells whether it lies in
// the Words track of a Soft Karaoke file.
bool IsKaraokeText(const MidiEvent& event, bool wordsTrack);

// Surveys a whole file held in memory.
KaraokeSurvey SurveyKaraokeTexts(const std::vector<uint8_t>& file);
// False only when `fileName` cannot hold a karaoke text: no lyric or text meta event
// header (0xFF 0x05, 0xFF 0x01) appears among its bytes. Read in small blocks, so a large
// song without words is ruled out in a few milliseconds and without holding it in memory;
// a true answer (or a file it cannot read) calls for the full survey.
bool MayHoldKaraokeTexts(const std::string& fileName);
// A whole MIDI or karaoke file, of any size (it is read, not trusted for its claims).
// Throws IoError when it is no regular file or cannot be read.
std::vector<uint8_t> ReadMidiFileBytes(const std::string& fileName);

// The file without its karaoke texts. `dropLyricsOnly` also leaves out the chunks
// LyricsOnly names (the header's track count shrinks with them).
std::vector<uint8_t> WithoutKaraokeTexts(const std::vector<uint8_t>& file, const KaraokeSurvey& survey,
                                         bool dropLyricsOnly);

// The events of one chunk, in order, decoded completely (text kept in full). Decoding
// stops at the first undecodable event.
std::vector<MidiEvent> ChunkEvents(const std::vector<uint8_t>& file, const ChunkSurvey& chunk);

}  // namespace sonkora
