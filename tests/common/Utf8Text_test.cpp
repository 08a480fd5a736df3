#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CodePage.h"

namespace sonkora {
namespace {

TEST(Utf8Text, DetectedOnlyWhenWellFormedAndBeyondAscii) {
    const struct {
        std::string bytes;
        bool utf8;
    } rows[] = {
        {"Gr\xC3\xBC\xC3\x9F Gott, Stra\xC3\x9F"
         "e",
         true},
        {"\xE2\x82\xAC 5, \xE2\x80\x9Cquoted\xE2\x80\x9D", true},
        {"\xEF\xBB\xBFplain", true},  // a byte-order mark says so
        {"emoji \xF0\x9F\x8E\xA4", true},
        {"\xEF\xBF\xBD", true},      // U+FFFD written as such
        {"plain ASCII\r\n", false},  // reads the same either way
        {"", false},
        {"Gr\xFC\xDF Gott", false},      // Windows-1252
        {"caf\xC3\xA9 caf\xE9", false},  // one Windows-1252 byte spoils it
        {"\xC0\xAF", false},             // overlong
        {"\xED\xA0\x80", false},         // a surrogate
        {"\xF4\x90\x80\x80", false},     // beyond U+10FFFF
        {"cut \xE2\x82", false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsUtf8BeyondAscii(row.bytes), row.utf8) << row.bytes;
}

TEST(Utf8Text, ConvertsToTheCodePageAndNamesWhatItCannotHold) {
    const Cp1252Conversion held = Utf8TextToCp1252(
        "\xEF\xBB\xBF\xE2\x80\x9E"
        "Caf\xC3\xA9\xE2\x80\x9C \xE2\x82\xAC\r\n");
    EXPECT_EQ(held.text,
              "\x84"
              "Caf\xE9\x93 \x80\r\n");
    EXPECT_TRUE(held.unmapped.empty());

    const Cp1252Conversion lost = Utf8TextToCp1252("a\xC4\x81?\nb\xF0\x9F\x8E\xA4");
    EXPECT_EQ(lost.text, "a??\nb?");
    EXPECT_EQ(lost.unmapped, (std::vector<char32_t>{0x101, 0x1F3A4}));
    EXPECT_EQ(lost.unmappedAt, (std::vector<size_t>{1, 5}));
    EXPECT_EQ(CharacterName(0x101), "\"\xC4\x81\" (U+0101)");
    EXPECT_EQ(CharacterName(0x1F3A4), "\"\xF0\x9F\x8E\xA4\" (U+1F3A4)");
    EXPECT_EQ(CharacterName(0x07), "a control character (U+0007)");
}

}  // namespace
}  // namespace sonkora
