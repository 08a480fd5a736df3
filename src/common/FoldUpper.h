#pragma once
// Case folding for comparisons of names that may come from old DOS-made files: the
// Soft Karaoke chunk names and the language names of hyphenation pattern files.
//
// ASCII a-z become A-Z and the accented vowels of code page 437 become their bare
// capital (0x82 'é' -> 'E', 0x94 'ö' -> 'O'). Every other byte stays as it is, so the
// length never changes. Note that the Windows-1252 letters a song text holds (0xE9 'é')
// are not folded: only the DOS codes are.

#include <string>
#include <string_view>

namespace sonkora {

char FoldUpperChar(char byte);
std::string FoldUpper(std::string_view text);

}  // namespace sonkora
