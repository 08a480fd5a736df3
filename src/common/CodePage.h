#pragma once
// Windows-1252, the code page of every song text, lyric and MIDI text we handle.
//
// The table is a 1:1 mapping of all 256 byte values: the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the same
// number, so any byte survives a trip to Unicode and back. The editor builds its
// character table from Cp1252ToChar, which keeps character indexes equal to byte indexes.
//
//   Cp1252ToChar('\x80') == U+20AC (euro sign);  CharToCp1252(U+20AC) == '\x80'
//   CharToCp1252(U+0100) has no value: the code page cannot hold it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonkora {

char32_t Cp1252ToChar(unsigned char byte);

// The byte for a character, or nothing when the code page cannot hold it.
std::optional<unsigned char> CharToCp1252(char32_t character);

// For printing song texts on a terminal.
std::string Cp1252ToUtf8(std::string_view text);

struct Cp1252Conversion {
    std::string text;
    // Every character that had no byte, in order of appearance; each became '?' in
    // `text`. A malformed UTF-8 sequence counts as U+FFFD here.
    std::vector<char32_t> unmapped;
    std::vector<size_t> unmappedAt;  // where each stands in `text`, as its '?'
};

// UTF-8 to Windows-1252. Characters the code page cannot hold are reported, not
// dropped silently, so the caller can warn.
Cp1252Conversion Utf8ToCp1252(std::string_view text);

// Song texts written elsewhere (a Linux editor, a lyrics web page) often come in UTF-8.
// True when `bytes` is well-formed UTF-8 holding at least one character beyond ASCII:
// read as Windows-1252 it would show "Ã©" where "é" was meant. A text of ASCII only
// reads the same either way, and one that is not well-formed UTF-8 is Windows-1252.
//   IsUtf8BeyondAscii("caf\xC3\xA9") == true;  IsUtf8BeyondAscii("caf\xE9") == false
bool IsUtf8BeyondAscii(std::string_view bytes);

// A UTF-8 text file in Windows-1252: a leading byte-order mark is dropped, the rest
// converted as Utf8ToCp1252 does.
Cp1252Conversion Utf8TextToCp1252(std::string_view bytes);

// A character named for a person, in UTF-8: the character in quotes and its code point,
// "\"\xC4\x81\" (U+0101)", or "a control character (U+0007)".
std::string CharacterName(char32_t code);

// File names inside song texts ("\m", "\k" lines) are Windows-1252 like the rest of
// the text, while this system names files in UTF-8. These convert at that boundary, so
// "\m Canci\xF3n.mid" finds the file Canción.mid and an imported song text names its
// files in letters the editor shows right. A character the code page cannot hold
// becomes '?', and the compiler then reports the file as not found.
std::string FileNameFromSongText(std::string_view name);
std::string FileNameForSongText(std::string_view fileName);

}  // namespace sonkora
