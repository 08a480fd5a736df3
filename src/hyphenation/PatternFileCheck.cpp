#include "hyphenation/PatternFileCheck.h"

#include <array>
#include <cstdint>

#include "hyphenation/LanguageList.h"
#include "hyphenation/PatternFile.h"

namespace sonkora {

namespace {

namespace pf = PatternFile;

PatternFileProblem Problem(std::string text) {
    return PatternFileProblem{std::nullopt, std::move(text)};
}

uint8_t Byte(std::string_view image, size_t offset) {
    return static_cast<uint8_t>(image[offset]);
}

}  // namespace

std::optional<PatternFileProblem> CheckPatternImage(std::string_view image) {
    const std::string size = std::to_string(image.size()) + " bytes";
    if (image.size() < pf::HeaderSize) return Problem("too short for a pattern file's header (" + size + ")");
    const std::string_view line = image.substr(0, pf::IdentificationLength);
    if (line.find("Hyphenation") == std::string_view::npos)
        return Problem("no identification line (\"... Hyphenation LANGUAGE V2.0\")");
    const PatternIdentification id = ParseIdentification(line);
    if (id.version != pf::Version)
        return PatternFileProblem{id.version,
                                  "version \"" + id.version + "\"; version " + pf::Version + " is required"};
    if (image.size() > pf::ImageSize)
        return Problem("longer than a pattern file can be (" + size + "; at most " + std::to_string(pf::ImageSize) +
                       ")");
    if (image.size() < pf::TrieOffset)
        return Problem("ends inside its tables (" + size + "; the trie starts at byte " +
                       std::to_string(pf::TrieOffset) + ")");
    if ((image.size() - pf::TrieOffset) % pf::TrieEntrySize != 0) return Problem("ends inside a trie entry");

    // An operation's chain runs through the next-operation table; more steps than there
    // are operations means it comes back on itself.
    std::array<bool, 256> chainEnds{};
    chainEnds[0] = true;
    for (unsigned op = 1; op <= pf::MaxOperations; ++op) {
        unsigned v = op;
        for (unsigned steps = 0; v != 0 && steps <= pf::MaxOperations; ++steps) v = Byte(image, pf::NextOffset + v);
        chainEnds[op] = v == 0;
    }
    // Every link is usable, since a step past entry 8000 continues at entry 0; but an
    // operation whose chain never ends would make every word that reaches it a loop.
    const size_t entries = (image.size() - pf::TrieOffset) / pf::TrieEntrySize;
    for (size_t n = 0; n < entries && n < pf::EntryCount; ++n) {
        const unsigned op = Byte(image, pf::TrieOffset + n * pf::TrieEntrySize + 2);
        if (!chainEnds[op])
            return Problem("trie entry " + std::to_string(n) + " starts the chain of operation " + std::to_string(op) +
                           ", which never ends");
    }
    return std::nullopt;
}

}  // namespace sonkora
