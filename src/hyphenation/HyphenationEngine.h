#pragma once
// The hyphenation engine: Liang's pattern method over a packed trie that is used in
// place in the pattern file's image, plus fixed rules for the first and last syllable.
//
//   HyphenationEngine engine;
//   engine.LoadPatterns(ProgramDirectory() + "en.hyp");
//   engine.Hyphenate("hyphenation") == "hy-phen-ation"
//   engine.FreePatterns();
//
// Every pattern that matches part of the word (with "." for the word's edges) gives a
// value to the gaps it covers; the greatest value wins and an odd one allows a break.
// Then, with V the vowel codes (VowelCodes):
//   1. the first letter stands alone only when it is in V and the second is not;
//   2. when the second letter is not in V and a break follows it, none follows the first;
//   3. the last syllable keeps two letters only when exactly one of them is in V and the
//      rest of the word holds a letter in V; otherwise it keeps at least three.
// So "a-ble" may split off its "a", but "b-le" never splits, and no word begins or ends
// with an inserted hyphen.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sonkora {

// A set of 256 byte values (characters or codes).
class ByteSet {
public:
    constexpr ByteSet() = default;
    constexpr bool Contains(unsigned value) const {
        return value < 256 && ((bits_[value / 64] >> (value % 64)) & 1U) != 0;
    }
    constexpr void Add(unsigned value) {
        if (value < 256) bits_[value / 64] |= std::uint64_t{1} << (value % 64);
    }
    constexpr bool operator==(const ByteSet&) const = default;

private:
    std::array<std::uint64_t, 4> bits_{};
};

// The codes that the edge rules count as vowels: 1 to 31 (the accented vowels) and the
// codes of a, e, i, o, u and y. Fixed here; a pattern file decides which characters get
// these codes. A code above 255 is never a member.
inline constexpr ByteSet VowelCodes = [] {
    ByteSet set;
    for (unsigned code = 1; code <= 31; ++code) set.Add(code);
    for (char vowel : {'a', 'e', 'i', 'o', 'u', 'y'}) set.Add(static_cast<unsigned char>(vowel));
    return set;
}();

class HyphenationEngine {
public:
    // Longest word that the engine hyphenates; longer words come back unchanged.
    static constexpr std::size_t MaxWordLength = 63;

    HyphenationEngine() = default;
    HyphenationEngine(const HyphenationEngine&) = delete;
    HyphenationEngine& operator=(const HyphenationEngine&) = delete;
    HyphenationEngine(HyphenationEngine&&) = default;
    HyphenationEngine& operator=(HyphenationEngine&&) = default;

    // Reads the file into a zero-filled image; a file shorter than the image reads as if
    // its tail were zeros. False when the image cannot be allocated (nothing else happens
    // then). A file that is not a regular file, cannot be read or fails CheckPatternImage
    // throws IoError, which names the file.
    bool LoadPatterns(const std::string& fileName);

    // The same from bytes already in memory, taken as they are (bytes past 65,500 are
    // ignored): run CheckPatternImage first on bytes from outside.
    bool LoadPatternImage(std::string_view bytes);

    // Releases the image. WordChars keeps the set of the last load.
    void FreePatterns();

    bool Loaded() const { return image_ != nullptr; }

    // The word with "-" at every allowed break. Words shorter than 3 or longer than
    // MaxWordLength characters, and every word while nothing is loaded, come back
    // unchanged. A hyphen is never put next to a "-" the word already holds.
    std::string Hyphenate(std::string_view word) const;

    // Like Hyphenate, appending the result to `out`; for callers that hyphenate many
    // words and want to reuse one buffer.
    void HyphenateInto(std::string_view word, std::string& out) const;

    // The characters that make up words in the loaded language.
    const ByteSet& WordChars() const { return wordChars_; }

private:
    void TakeImage(std::unique_ptr<std::uint8_t[]> image);

    std::unique_ptr<std::uint8_t[]> image_;
    ByteSet wordChars_;
};

}  // namespace sonkora
