#include "hyphenation/HyphenationEngine.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "common/IoError.h"
#include "common/RegularFile.h"
#include "hyphenation/PatternFile.h"
#include "hyphenation/PatternFileCheck.h"

namespace sonkora {

namespace {

namespace pf = PatternFile;

// A trie entry as one number: link in bits 0-15, operation in 16-23, code in 24-31,
// which is the file's little-endian byte order read as a whole.
inline std::uint32_t ReadEntry(const std::uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t entry;
        std::memcpy(&entry, bytes, sizeof entry);
        return entry;
    } else {
        return bytes[0] | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
               (std::uint32_t{bytes[3]} << 24);
    }
}

// See TakeImage.
constexpr std::uint8_t NullOperationDistance = 128;

std::unique_ptr<std::uint8_t[]> NewImage() {
    // Zero-filled, so that a short file reads as if its missing tail were zeros.
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[pf::ImageSize]());
}

}  // namespace

bool HyphenationEngine::LoadPatterns(const std::string& fileName) {
    std::unique_ptr<std::uint8_t[]> image = NewImage();
    if (!image) return false;

    // A FIFO or device is refused before it is opened, a file too long for a pattern
    // file before it is read, and a damaged one before it is used.
    const std::string bytes = ReadWholeFile(fileName, pf::ImageSize);
    if (const std::optional<PatternFileProblem> problem = CheckPatternImage(bytes))
        throw IoError(fileName, "not a usable hyphenation pattern file: " + problem->text);
    std::memcpy(image.get(), bytes.data(), bytes.size());

    TakeImage(std::move(image));
    return true;
}

bool HyphenationEngine::LoadPatternImage(std::string_view bytes) {
    std::unique_ptr<std::uint8_t[]> image = NewImage();
    if (!image) return false;
    if (!bytes.empty()) std::memcpy(image.get(), bytes.data(), std::min(bytes.size(), pf::ImageSize));
    TakeImage(std::move(image));
    return true;
}

void HyphenationEngine::TakeImage(std::unique_ptr<std::uint8_t[]> image) {
    image_ = std::move(image);
    // Operation 0 means "none" and its table entries are never used. Made a step that
    // changes nothing, it lets a walk apply an entry's operation without asking first:
    // value 0, no next operation, and a distance that lands far past any word (at
    // position l + 128), away from the gaps that real operations are busy with.
    image_[pf::DistanceOffset] = NullOperationDistance;
    image_[pf::ValueOffset] = image_[pf::NextOffset] = 0;
    wordChars_ = ByteSet();
    for (unsigned c = 0; c < 256; ++c) {
        if ((image_[pf::WordCharsOffset + c / 8] >> (c % 8)) & 1U) wordChars_.Add(c);
    }
}

void HyphenationEngine::FreePatterns() {
    image_.reset();
}

std::string HyphenationEngine::Hyphenate(std::string_view word) const {
    std::string out;
    HyphenateInto(word, out);
    return out;
}

void HyphenationEngine::HyphenateInto(std::string_view word, std::string& out) const {
    const std::size_t n = word.size();
    if (n < 3 || n > MaxWordLength || !image_) {
        out.append(word);
        return;
    }

    const std::uint8_t* const image = image_.get();
    const std::uint8_t* const codeTable = image + pf::CodeTableOffset;
    const std::uint8_t* const distance = image + pf::DistanceOffset;
    const std::uint8_t* const value = image + pf::ValueOffset;
    const std::uint8_t* const next = image + pf::NextOffset;
    const std::uint8_t* const trie = image + pf::TrieOffset;

    // Position 0 and n + 1 hold the word boundary, n + 2 a mark that no entry matches,
    // so every walk ends inside the buffer.
    std::uint16_t codes[MaxWordLength + 3];
    codes[0] = pf::BoundaryCode;
    // Bit j set when letter j has a vowel code, for the edge rules.
    std::uint64_t vowels = 0;
    for (std::size_t j = 1; j <= n; ++j) {
        codes[j] = codeTable[static_cast<unsigned char>(word[j - 1])];
        vowels |= std::uint64_t{VowelCodes.Contains(codes[j])} << j;
    }
    codes[n + 1] = pf::BoundaryCode;
    codes[n + 2] = pf::EndMark;

    // gaps[j]: value of the gap after letter j. Only positions 1 to n are read; the
    // others may receive values from patterns at the word's edges, or from damaged
    // chains that point outside the word, and have room for every position a chain can
    // name, so that nothing needs checking in the walk.
    std::uint8_t gaps[256] = {};

    // Every start position counts, the last letters included, so that patterns that
    // begin at one of the word's last two letters contribute like all others.
    for (std::size_t j = 0; j <= n; ++j) {
        unsigned z = codes[j];  // the root family is indexed by code
        std::size_t l = j;
        for (;;) {
            const std::uint32_t entry = ReadEntry(trie + z * pf::TrieEntrySize);
            if ((entry >> 24) != codes[l]) break;
            // The entry's chain, or operation 0, which changes nothing: asking first
            // would cost more than the step. A chain longer than the 255 operations that
            // exist has a loop in it; a damaged file must not stop us here.
            unsigned op = (entry >> 16) & 0xFFU;
            unsigned steps = 0;
            do {
                const unsigned i = (static_cast<unsigned>(l) - distance[op]) & 0xFFU;
                gaps[i] = std::max(gaps[i], value[op]);
                op = next[op];
            } while (op != 0 && ++steps < pf::MaxOperations);
            ++l;
            z = (entry & 0xFFFFU) + codes[l];
            // Pattern files made by hypgen never link past entry 8000, so this is a
            // branch that is always foreseen, cheaper than computing the choice.
            if (z > pf::LastEntry) [[unlikely]]
                z = 0;
        }
    }

    // Edge rules, in this order.
    const auto vowel = [vowels](std::size_t k) { return ((vowels >> k) & 1U) != 0; };
    if (!(vowel(1) && !vowel(2))) gaps[1] = 0;
    if (!vowel(2) && (gaps[2] & 1U) != 0) gaps[1] = 0;
    const bool vowelBefore = (vowels & ((std::uint64_t{1} << (n - 1)) - 2)) != 0;  // letters 1 to n - 2
    if (vowel(n - 1) != vowel(n) && vowelBefore) {
        gaps[n - 1] = gaps[n] = 0;
    } else {
        gaps[n - 2] = gaps[n - 1] = gaps[n] = 0;
    }

    // The gap after the last letter is always 0 now. Written without branches, since
    // whether a break follows a letter is anyone's guess.
    char result[2 * MaxWordLength];
    std::size_t length = 0;
    for (std::size_t j = 1; j < n; ++j) {
        result[length++] = word[j - 1];
        result[length] = '-';
        length += (gaps[j] & 1U) & static_cast<unsigned>(word[j - 1] != '-') & static_cast<unsigned>(word[j] != '-');
    }
    result[length++] = word[n - 1];
    out.append(result, length);
}

}  // namespace sonkora
