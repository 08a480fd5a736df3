#include "common/FoldUpper.h"

#include <gtest/gtest.h>

#include <map>

namespace sonkora {
namespace {

TEST(FoldUpper, FoldsAsciiAndTheDosAccentedVowelsOnly) {
    // The ends of the DOS vowel ranges and the bytes just beyond them.
    const std::map<int, char> folded = {
        {'a', 'A'},       {'z', 'Z'},       {'`', '`'},       {'{', '{'},       {128, char(128)}, {129, 'U'},
        {130, 'E'},       {144, 'E'},       {145, char(145)}, {146, char(146)}, {147, 'O'},       {154, 'U'},
        {155, char(155)}, {159, char(159)}, {160, 'A'},       {163, 'U'},       {164, char(164)}, {0xE9, char(0xE9)}};
    for (const auto& [b, expected] : folded) EXPECT_EQ(FoldUpperChar(static_cast<char>(b)), expected) << "byte " << b;
    // A NUL and a Windows-1252 é (0xE9) stay; the DOS é (0x82) folds.
    EXPECT_EQ(FoldUpper(std::string("Soft karaoke\0\351\202", 15)), std::string("SOFT KARAOKE\0\351E", 15));
}

}  // namespace
}  // namespace sonkora
