#include "common/CodePage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <tuple>
#include <vector>

namespace sonkora {
namespace {

// The C library's own converter, an independent reference; empty when it has none.
std::string IconvCp1252ToUtf8(std::string bytes) {
    const iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 4, '\0');
    char *in = bytes.data(), *outPtr = out.data();
    size_t inLeft = bytes.size(), outLeft = out.size();
    const bool failed = iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return failed ? std::string() : out;
}

TEST(CodePage, EveryByteSurvivesTheRoundTripAndAgreesWithTheSystemConverter) {
    std::string all, defined;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Cp1252ToChar(static_cast<unsigned char>(b));
        all += static_cast<char>(b);
        // The bytes the code page leaves undefined are the C1 controls of the same number.
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_TRUE(!undefined || c == static_cast<char32_t>(b)) << "byte " << b;
        if (!undefined) defined += static_cast<char>(b);
    }
    const Cp1252Conversion back = Utf8ToCp1252(Cp1252ToUtf8(all));
    EXPECT_EQ(back.text, all);
    const std::string reference = IconvCp1252ToUtf8(defined);
    if (reference.empty()) GTEST_SKIP() << "the C library has no CP1252 converter";
    EXPECT_EQ(Cp1252ToUtf8(defined), reference);
}

TEST(CodePage, Utf8ToCp1252ReportsWhatItCannotMapAsQuestionMarks) {
    // UTF-8, what it becomes, the number of characters that could not be mapped.
    const std::tuple<std::string, std::string, size_t> cases[] = {
        {"\xC4\x80\xC2\x80", "??", 2},   // U+0100, and U+0080, whose byte holds the euro sign
        {"\xF0\x9F\x98\x80x", "?x", 1},  // beyond the basic plane
        // Malformed input: each bad byte is one character that could not be mapped.
        {"a\xFF!", "a?!", 1},             // a byte that never starts a sequence
        {"\xC3\xC3\xA9", "?\xE9", 1},     // a lead byte where a continuation belongs, which is not lost
        {"\xC0\xAF", "??", 2},            // overlong '/'
        {"\xE0\x80\xAF", "???", 3},       // overlong three-byte form
        {"\xED\xA0\x80", "???", 3},       // surrogate
        {"\xED\xBF\xBF", "???", 3},       // the last surrogate
        {"\xF4\x90\x80\x80", "????", 4},  // beyond U+10FFFF
    };
    for (const auto& [input, text, unmapped] : cases) {
        const Cp1252Conversion result = Utf8ToCp1252(input);
        EXPECT_EQ(std::pair(result.text, result.unmapped.size()), std::pair(text, unmapped)) << input;
    }
    // A sequence cut off by the end of the text, though memory goes on after it.
    EXPECT_EQ(Utf8ToCp1252(std::string_view("\xE2\x82\xAC", 2)).text, "??");
}

TEST(Utf8Text, DetectedOnlyWhenWellFormedAndBeyondAscii) {
    const std::pair<std::string, bool> rows[] = {
        {"Gr\303\274\303\237 Gott, Stra\303\237e", true},
        {"\xE2\x82\xAC 5, \xE2\x80\x9Cquoted\xE2\x80\x9D", true},
        {"emoji \xF0\x9F\x8E\xA4", true},
        {"\xEF\xBF\xBD", true},          // U+FFFD written as such
        {"plain ASCII\r\n", false},      // reads the same either way
        {"Gr\xFC\xDF Gott", false},      // Windows-1252
        {"caf\xC3\xA9 caf\xE9", false},  // one Windows-1252 byte spoils it; the malformed kinds are the decoder's
    };
    for (const auto& [bytes, utf8] : rows) EXPECT_EQ(IsUtf8BeyondAscii(bytes), utf8) << bytes;
}

TEST(Utf8Text, ConvertsToTheCodePageAndNamesWhatItCannotHold) {
    // The byte-order mark goes; each character the code page lacks is a "?" at its place.
    const Cp1252Conversion lost = Utf8TextToCp1252("\357\273\277\342\200\236a\304\201\342\202\254\nb\360\237\216\244");
    EXPECT_EQ(lost.text, "\204a?\200\nb?");
    EXPECT_EQ(lost.unmapped, (std::vector<char32_t>{0x101, 0x1F3A4}));
    EXPECT_EQ(lost.unmappedAt, (std::vector<size_t>{2, 6}));
    EXPECT_EQ(CharacterName(0x1F3A4), "\"\xF0\x9F\x8E\xA4\" (U+1F3A4)");
    EXPECT_EQ(CharacterName(0x07), "a control character (U+0007)");
}

}  // namespace
}  // namespace sonkora
