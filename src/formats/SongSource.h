#pragma once
// Where an export's KaraokeSong comes from: a song text, compiled as Make compiles it, or
// an existing Soft Karaoke file, read from its Words track.
//
// Both report every failure through the UserInterface (the compiler's own messages for a
// song text, "Not a Soft Karaoke file" and the MIDI file messages for a .kar) and then
// return nothing; nothing is left behind.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/CompileHost.h"
#include "formats/KaraokeSong.h"

namespace sonkora {

class SongDocument;
class UserInterface;

struct SongSource {
    KaraokeSong song;
    std::string midiFile;             // the music an audio rendering plays
    uint16_t voiceChannels = 0;       // one bit per MIDI channel the voice notes use
    std::vector<std::string> inputs;  // every file read: no output may replace one
};

// Compiles the song text as Make does, into a scratch file beside `scratchBeside` that
// is removed again, so the song's own karaoke file stays as it is. The lyric count
// questions and the voice track dialog are asked as Make asks them.
std::optional<SongSource> SongFromSongText(SongDocument& document, UserInterface& ui, CompilerSettings settings,
                                           const std::string& scratchBeside);

// Reads a Soft Karaoke file. With `withVoice` the user chooses the voice track in the
// track dialog (as the import asks for it), and the syllables get its notes; without it
// they have no keys. False from the dialog (cancelled, or no track named) is reported as
// the voice track missing.
std::optional<SongSource> SongFromKaraokeFile(const std::string& fileName, bool withVoice, UserInterface& ui);

}  // namespace sonkora
