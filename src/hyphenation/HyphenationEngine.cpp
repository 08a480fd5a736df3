#include "hyphenation/HyphenationEngine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "common/IoError.h"
#include "hyphenation/PatternFile.h"

namespace sonkora {

namespace {

namespace pf = PatternFile;

std::unique_ptr<std::uint8_t[]> NewImage() {
    // Zero-filled, so that a short file reads as if its missing tail were zeros.
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[pf::ImageSize]());
}

}  // namespace

bool HyphenationEngine::LoadPatterns(const std::string& fileName) {
    std::unique_ptr<std::uint8_t[]> image = NewImage();
    if (!image) return false;

    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) throw IoError(fileName, std::strerror(errno));
    const std::size_t read = std::fread(image.get(), 1, pf::ImageSize, file);
    const bool failed = read < pf::ImageSize && std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) throw IoError(fileName, std::strerror(readErrno));

    TakeImage(std::move(image));
    return true;
}

bool HyphenationEngine::LoadPatternImage(std::string_view bytes) {
    std::unique_ptr<std::uint8_t[]> image = NewImage();
    if (!image) return false;
    std::memcpy(image.get(), bytes.data(), std::min(bytes.size(), pf::ImageSize));
    TakeImage(std::move(image));
    return true;
}

void HyphenationEngine::TakeImage(std::unique_ptr<std::uint8_t[]> image) {
    image_ = std::move(image);
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
    for (std::size_t j = 1; j <= n; ++j) codes[j] = codeTable[static_cast<unsigned char>(word[j - 1])];
    codes[n + 1] = pf::BoundaryCode;
    codes[n + 2] = pf::EndMark;

    // gaps[j]: value of the gap after letter j. Position n + 1 may receive values from
    // patterns that end at the word's end; it is never read.
    std::uint8_t gaps[MaxWordLength + 2] = {};
    const unsigned lastGap = static_cast<unsigned>(n) + 1;

    // Every start position counts, the last letters included, so that patterns that
    // begin at one of the word's last two letters contribute like all others.
    for (std::size_t j = 0; j <= n; ++j) {
        unsigned z = codes[j];
        std::size_t l = j;
        for (;;) {
            const std::uint8_t* entry = trie + z * pf::TrieEntrySize;
            if (entry[3] != codes[l]) break;
            // A chain longer than the 255 operations that exist has a loop in it; a
            // damaged file must not stop us here.
            unsigned op = entry[2];
            for (unsigned steps = 0; op != 0 && steps < pf::MaxOperations; ++steps) {
                const unsigned i = (static_cast<unsigned>(l) - distance[op]) & 0xFFU;
                if (i <= lastGap && value[op] > gaps[i]) gaps[i] = value[op];
                op = next[op];
            }
            ++l;
            const unsigned t = (entry[0] | (unsigned{entry[1]} << 8)) + codes[l];
            z = t > pf::LastEntry ? 0 : t;
        }
    }

    // Edge rules, in this order.
    const auto vowel = [&codes](std::size_t k) { return VowelCodes.Contains(codes[k]); };
    if (!(vowel(1) && !vowel(2))) gaps[1] = 0;
    if (!vowel(2) && (gaps[2] & 1U) != 0) gaps[1] = 0;
    bool vowelBefore = false;
    for (std::size_t k = 1; k + 2 <= n; ++k) vowelBefore = vowelBefore || vowel(k);
    if (vowel(n - 1) != vowel(n) && vowelBefore) {
        gaps[n - 1] = gaps[n] = 0;
    } else {
        gaps[n - 2] = gaps[n - 1] = gaps[n] = 0;
    }

    out.reserve(out.size() + 2 * n);
    for (std::size_t j = 1; j <= n; ++j) {
        out += word[j - 1];
        if ((gaps[j] & 1U) != 0 && word[j - 1] != '-' && (j == n || word[j] != '-')) out += '-';
    }
}

}  // namespace sonkora
