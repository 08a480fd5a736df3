#include "common/CodePage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace sonkora {
namespace {

// The C library's own converter, used as an independent reference for the table.
std::u32string IconvToUtf32(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out(bytes.size() * 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) {
        return {};
    }
    std::u32string chars;
    for (size_t i = 0; i + 4 <= out.size() - outLeft; i += 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(out.data() + i);
        chars += static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24));
    }
    return chars;
}

bool IsUndefinedByte(int b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Cp1252ToChar(static_cast<unsigned char>(b));
        const auto back = CharToCp1252(c);
        ASSERT_TRUE(back.has_value()) << "byte " << b;
        EXPECT_EQ(*back, b);
    }
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const Cp1252Conversion back = Utf8ToCp1252(Cp1252ToUtf8(all));
    EXPECT_EQ(back.text, all);
    EXPECT_TRUE(back.unmapped.empty());
}

TEST(CodePage, AgreesWithTheSystemConverterOnEveryDefinedByte) {
    for (int b = 0; b < 256; ++b) {
        if (IsUndefinedByte(b)) {
            EXPECT_EQ(Cp1252ToChar(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
            continue;
        }
        const std::u32string expected = IconvToUtf32(std::string(1, static_cast<char>(b)));
        if (expected.empty()) {
            GTEST_SKIP() << "the C library has no CP1252 converter";
        }
        EXPECT_EQ(Cp1252ToChar(static_cast<unsigned char>(b)), expected[0]) << "byte " << b;
    }
}

TEST(CodePage, KnownMappings) {
    EXPECT_EQ(Cp1252ToChar(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToChar(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToChar(0xE9), U'\u00E9');
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(CharToCp1252(U'\u0100'), std::nullopt);
    EXPECT_EQ(CharToCp1252(U'\u0080'), std::nullopt);  // 0x80 holds the euro sign
    EXPECT_EQ(CharToCp1252(U'\U0001F600'), std::nullopt);
}

TEST(CodePage, Utf8ToCp1252ReportsWhatItCannotMap) {
    // "Zoë ☺ Ÿ€" : ë and Ÿ and € fit, the smiley does not.
    const Cp1252Conversion result = Utf8ToCp1252("Zo\xC3\xAB \xE2\x98\xBA \xC5\xB8\xE2\x82\xAC");
    EXPECT_EQ(result.text, "Zo\xEB ? \x9F\x80");
    EXPECT_EQ(result.unmapped, std::vector<char32_t>{U'\u263A'});
}

TEST(CodePage, MalformedUtf8BecomesReportedQuestionMarks) {
    struct Case {
        std::string input;
        std::string text;
        size_t unmapped;
    };
    const Case cases[] = {
        {"a\xFF" "b", "a?b", 1},                 // byte that never starts a sequence
        {"a\xC3", "a?", 1},                      // cut off at the end
        {"\xC3(", "?(", 1},                      // missing continuation
        {"\xC0\xAF", "??", 2},                   // overlong '/'
        {"\xE0\x80\xAF", "???", 3},              // overlong three-byte form
        {"\xED\xA0\x80", "???", 3},              // surrogate
        {"\xF4\x90\x80\x80", "????", 4},         // beyond U+10FFFF
        {"\xF0\x9F\x98\x80" "x", "?x", 1},       // valid, but outside the code page
    };
    for (const Case& c : cases) {
        const Cp1252Conversion result = Utf8ToCp1252(c.input);
        EXPECT_EQ(result.text, c.text) << c.text;
        EXPECT_EQ(result.unmapped.size(), c.unmapped) << c.text;
    }
}

}  // namespace
}  // namespace sonkora
