#pragma once
// The layout of a hyphenation pattern file (".hyp"). The engine reads it in place and
// the pattern compiler (tools/hypgen) writes it, so both take the offsets from here.
//
// All numbers are little-endian; offsets are into the file image:
//
//   0     64   identification line, e.g. "Sonkora Hyphenation ENGLISH V2.0" (63 bytes used)
//   64    256  code table: byte c is the code of the character c (0: not a letter)
//   320   32   word character set, bit c % 8 of byte c / 8
//   352   64   unused
//   416   256  distance of operation 1..255 (entry 0 unused)
//   672   256  value of operation 1..255
//   928   256  next operation of operation 1..255 (0 ends a chain)
//   1184  4n   trie entry n: 16-bit link, 8-bit operation, 8-bit character code
//
// Entries 0 to 8000 are reachable; the root family is indexed directly by code.

#include <array>
#include <cstddef>
#include <cstdint>

namespace sonkora::PatternFile {

inline constexpr std::size_t ImageSize = 65500;
inline constexpr std::size_t HeaderSize = 64;
inline constexpr std::size_t IdentificationLength = 63;
inline constexpr std::size_t CodeTableOffset = 64;
inline constexpr std::size_t WordCharsOffset = 320;
inline constexpr std::size_t WordCharsSize = 32;
inline constexpr std::size_t DistanceOffset = 416;
inline constexpr std::size_t ValueOffset = 672;
inline constexpr std::size_t NextOffset = 928;
inline constexpr std::size_t TrieOffset = 1184;
inline constexpr std::size_t TrieEntrySize = 4;
inline constexpr unsigned LastEntry = 8000;
inline constexpr unsigned EntryCount = LastEntry + 1;
inline constexpr unsigned MaxOperations = 255;

// Codes with a fixed meaning in the code buffer of a word.
inline constexpr unsigned BoundaryCode = 127;  // before the first and after the last letter
inline constexpr unsigned EndMark = 256;       // after the closing boundary; matches nothing

// The version the identification line must carry.
inline constexpr const char* Version = "2.0";

// A file whose trie ends before entry 8000 is still complete: the missing tail reads as
// zeros. This is where the image of a full trie ends.
inline constexpr std::size_t FullTrieEnd = TrieOffset + EntryCount * TrieEntrySize;
static_assert(FullTrieEnd <= ImageSize);

}  // namespace sonkora::PatternFile
