#pragma once
// The track listing: one fixed-width line per track chunk (MIDI channel, instrument,
// track name), as the voice track dialog shows it and sonkorac prints it.
//
// A piano track on channel 1 with program 0 named Melody, listed first in a plain MIDI
// file, gives the item "1    1   Acoustic Grand Piano     Melody":
//   "%-3d  %s" around "%-2s  %-23s  %s".

#include <cstdint>
#include <string>
#include <vector>

namespace sonkora {

class KaraokePass;
class UserInterface;

// List kinds: SoftKaraoke lists the voice tracks a karaoke import can take: chunks from
// 3 on in a Soft Karaoke file (see midi/KaraokeTexts.h for how one is recognised), every
// chunk from 1 on but those holding nothing but lyrics in a file with lyric events, so
// that item k is track k of the MIDI file the import writes in both forms. Anything
// else lists a plain MIDI file from chunk 1 on.
inline constexpr uint8_t ListKindSoftKaraoke = 1;
inline constexpr uint8_t ListKindPlainMidi = 3;

// The listing line of one track: "%-2s  %-23s  %s".
std::string TrackListingLine(int channel, int program, const std::string& name);

struct TrackList {
    std::vector<std::string> items;  // "%-3d  %s"
    std::vector<int> chunks;         // the chunk index of each item
    int32_t midiError = 0;           // as left by the listing (-1: not a Soft Karaoke file)
    std::string message;             // the message the user is shown, empty when none
};

// Lists a file without any dialog (sonkorac tracks, tests). The pass must be freshly
// opened on the file in read-only mode with its header read and chunk 0 passed over.
// `listed` names the chunks to list (null: all from chunk 1 on); `chunks` receives the
// chunk of each item.
std::vector<std::string> FillTrackList(KaraokePass& pass, const std::vector<int>* listed, std::vector<int>& chunks);

// Opens the file, lists it and reports the result.
TrackList ListTracks(const std::string& fileName, uint8_t kind);

// Runs the voice track dialog over the file. True when the user confirmed with a
// non-empty list; `index` is then the chosen item (0-based) and `chunk`, when given,
// its chunk. `midiError` receives the error code the listing left (messages are shown
// through `ui`).
bool ChooseTrack(UserInterface& ui, const std::string& fileName, uint8_t kind, int32_t& index, int32_t& midiError,
                 int* chunk = nullptr);

}  // namespace sonkora
