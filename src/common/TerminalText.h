#pragma once
// Text on its way to a terminal. Bytes from files (song texts, track names, pattern
// file headers, file names) may hold control characters; written as they are, an escape
// sequence would clear the screen, set the window title or colour everything after it.
//
//   TerminalSafe("a\x1b[2Jb")          == "a?[2Jb"
//   TerminalSafe("one\ntwo")           == "one?two"
//   TerminalSafe("one\ntwo", Lines)    == "one\ntwo"      (the message's own line breaks)
//   TerminalSafe("\xC2\x9B" "31m")     == "?31m"          (C1 control, UTF-8 encoded)
//   TerminalSafe("\x9B" "31m")         == "?31m"          (C1 control, raw byte)
//
// Printable UTF-8 and the other bytes of 8-bit texts pass unchanged.

#include <string>
#include <string_view>

namespace sonkora {

enum class LineBreaks { Replace, Keep };

// `text` with every control character (bytes below 32, 127, and the C1 controls 128 to
// 159 whether raw or UTF-8 encoded) shown as "?". With LineBreaks::Keep a "\n" stays.
std::string TerminalSafe(std::string_view text, LineBreaks lineBreaks = LineBreaks::Replace);

}  // namespace sonkora
