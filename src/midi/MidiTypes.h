#pragma once
// The song model shared by the in-memory reader, the karaoke pass and playback:
// the header, one decoded event, one track held in memory, the record handed to the
// MIDI toolkit, and the error codes with their messages.

#include <cstdint>
#include <string>
#include <vector>

namespace sonkora {

struct MidiHeader {
    uint16_t Format = 0;
    uint16_t TrackCount = 0;  // track chunks, conductor track included: 1 to 65535
    uint16_t Division = 0;    // ticks per quarter note (SMPTE divisions are not interpreted)
};

// The most track chunks a file can announce: its header counts them in 16 bits.
// Readers hold only the chunks a file really has, never what its header claims.
inline constexpr int MaxTracks = 65535;

struct MidiEvent {
    int32_t Position = 0;  // offset of the event's first byte (its delta time)
    int32_t Time = 0;      // absolute ticks from the start of its track
    int32_t Delta = 0;
    uint8_t Status = 0;    // running status for channel events; 0xF0, 0xF7 or 0xFF otherwise
    uint8_t MetaType = 0;  // meta type for 0xFF events, else 0
    uint8_t Data1 = 0;
    uint8_t Data2 = 0;
    uint8_t Data3 = 0;               // tempo events only
    std::string Text;                // meta types 1 to 14 only
    std::vector<uint8_t> SysexData;  // in-memory reader only
    int32_t SysexLength = 0;
};

struct TrackData {
    int32_t Length = 0;
    std::vector<uint8_t> Data;
    bool Present = false;  // false: the slot holds no loaded chunk
    int32_t ReadPos = 0;
    int32_t Time = 0;
    uint8_t RunningStatus = 0;
    uint8_t State = 0;  // 0 nothing read yet, 1 event pending in Event, 2 finished
    MidiEvent Event;
};

// The 8-byte record handed to the MIDI toolkit for one event. Time is in ticks after
// the previously queued event, -1 meaning "at once". Status 0 marks a tempo change
// whose three bytes are Data1 to Data3, most significant first.
struct EventRecord {
    int32_t Time = 0;
    uint8_t Status = 0;
    uint8_t Data1 = 0;
    uint8_t Data2 = 0;
    uint8_t Data3 = 0;
};
static_assert(sizeof(EventRecord) == 8);

// The result channel of everything that reads or writes MIDI files and of a
// compilation. Positive codes have a message for the user; negative ones are silent
// here (reported elsewhere or nothing to say).
namespace MidiErrorCode {
inline constexpr int32_t Success = 0;
inline constexpr int32_t NotMidiFile = 1;
inline constexpr int32_t NotType1 = 2;
inline constexpr int32_t UnknownCode = 3;
inline constexpr int32_t VoiceTrackTooLong = 5;
inline constexpr int32_t TooManyLyrics = 7;
inline constexpr int32_t TooManyTracks = 8;
inline constexpr int32_t DamagedFile = 9;   // a chunk claims more bytes than the file holds
inline constexpr int32_t PatternFile = 10;  // type 2: independent patterns, no one song
inline constexpr int32_t Reported = -1;
inline constexpr int32_t Declined = -2;
inline constexpr int32_t CannotCreateOutput = -3;
inline constexpr int32_t CannotCreateSongText = -4;
inline constexpr int32_t CannotRead = -5;
}  // namespace MidiErrorCode

// MidiErrorMessages[code] for 1 to 10 ("" for the unused 4 and 6 and for any other code).
const char* MidiErrorMessage(int32_t code);

// General MIDI program names, indexed -1 to 128: -1 is "" (no program change),
// 128 is "Drums" (channel 10). Out-of-range indexes give "".
const char* InstrumentName(int index);

}  // namespace sonkora
