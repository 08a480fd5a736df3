#pragma once
// Reading files named by the user or by another file without hanging on what is not a
// file. A FIFO blocks the open until a writer comes, a device such as /dev/zero never
// ends, and a link loop is not "missing": each is refused with a message that says what
// the name really is, before anything is opened or read.
//
//   RequireRegularFile("song.mid");               // throws IoError("song.mid: cannot read: not a regular file")
//   std::string text = ReadWholeFile("a.stf", MaxEditableFileSize);
//   // throws IoError("a.stf: too large (40000000 bytes; at most 33554432)") before reading

#include <cstdint>
#include <string>

namespace sonkora {

// The largest file the editor opens and the compiler reads as a song text; also the
// limit for the small files the program reads whole (tap files, pattern files).
inline constexpr std::uint64_t MaxEditableFileSize = 32ULL * 1024 * 1024;

// Throws IoError unless `path` names a regular file (links followed). The messages:
//   "no such file", "is a directory", "cannot read: not a regular file",
//   "a loop of symbolic links", or the system's reason the name cannot be looked at.
// Returns the file's size.
std::uint64_t RequireRegularFile(const std::string& path);

// True when looking up `path` fails on a loop of symbolic links, which must not be
// reported as a missing file.
bool IsSymlinkLoop(const std::string& path);

// "File NAME not found.", or "File NAME is a loop of symbolic links." when it is one.
std::string FileNotFoundMessage(const std::string& path);

// The whole content of a regular file of at most `maxSize` bytes. The type and size are
// checked before the file is opened, and again on the open file, so a name swapped for
// a FIFO in between cannot block the read either. Throws IoError.
std::string ReadWholeFile(const std::string& path, std::uint64_t maxSize);

}  // namespace sonkora
