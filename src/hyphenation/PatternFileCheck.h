#pragma once
// The check a pattern file passes before it is used. A file is a byte image whose every
// part sits at a fixed offset (see PatternFile.h); what can be wrong with it is the
// identification line, the size, and the trie's links and operation chains:
//
//   ""                                  -> "too short for a pattern file's header (0 bytes)"
//   "Sonkora Hyphenation ENGLISH V1.0"  -> version "1.0" instead of "2.0"
//   70,000 bytes                        -> "longer than a pattern file can be (70000 bytes; at most 65500)"
//   1,190 bytes                         -> "ends inside a trie entry"
//   operation 5 whose chain returns     -> "trie entry 17 starts the chain of operation 5, which never ends"
//
// Every file hypgen writes passes.

#include <optional>
#include <string>
#include <string_view>

namespace sonkora {

struct PatternFileProblem {
    // The version the identification line names, when that is what is wrong (the
    // language list has its own message for it).
    std::optional<std::string> wrongVersion;
    std::string text;  // what is wrong, for a message
};

// Nothing when `image` is a well-formed pattern file.
std::optional<PatternFileProblem> CheckPatternImage(std::string_view image);

}  // namespace sonkora
