#pragma once
// What a file given to the program is, told from its first bytes: a MIDI file (plain,
// "MThd" at the start, or wrapped in a RIFF "RMID" container as .rmi files are), a
// Soft Karaoke file (a MIDI file named .kar or carrying the "@KMIDI KARAOKE FILE"
// mark), or a song text (anything else). The name only decides between MIDI and
// karaoke, and refuses a file named as MIDI whose bytes are not.
//
//   "MThd..." named song.mid                    -> Midi
//   "RIFF" size "RMID" "data" size "MThd..."    -> Midi
//   "MThd..." named song.KAR                    -> Karaoke
//   "\\t 1\r\n..." named song.stf               -> SongText
//   "\\t 1\r\n..." named song.mid               -> NotMidi

#include <string>
#include <string_view>

namespace sonkora {

enum class FileKind { SongText, Midi, Karaoke, NotMidi };

// `head` is the start of the file (FileKindHeadSize bytes, or the whole of a shorter file).
FileKind DetectFileKind(std::string_view head, std::string_view fileName);

inline constexpr size_t FileKindHeadSize = 64 * 1024;

// Reads the head of the file and detects its kind. Throws IoError when the file cannot
// be opened or read (a folder, a missing file, no permission).
FileKind DetectFileKindOfFile(const std::string& path);

}  // namespace sonkora
