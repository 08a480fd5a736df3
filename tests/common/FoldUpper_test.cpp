#include "common/FoldUpper.h"

#include <gtest/gtest.h>

#include <map>

namespace sonkora {
namespace {

TEST(FoldUpper, MapsExactlyTheListedBytes) {
    const std::map<int, char> folded = {
        {132, 'A'}, {133, 'A'}, {134, 'A'}, {142, 'A'}, {143, 'A'}, {160, 'A'},
        {130, 'E'}, {136, 'E'}, {137, 'E'}, {138, 'E'}, {144, 'E'},
        {139, 'I'}, {140, 'I'}, {141, 'I'}, {161, 'I'},
        {147, 'O'}, {148, 'O'}, {149, 'O'}, {153, 'O'}, {162, 'O'},
        {129, 'U'}, {150, 'U'}, {151, 'U'}, {154, 'U'}, {163, 'U'},
    };
    for (int b = 0; b < 256; ++b) {
        char expected = static_cast<char>(b);
        if (b >= 'a' && b <= 'z') {
            expected = static_cast<char>(b - 32);
        } else if (auto it = folded.find(b); it != folded.end()) {
            expected = it->second;
        }
        EXPECT_EQ(FoldUpperChar(static_cast<char>(b)), expected) << "byte " << b;
    }
}

TEST(FoldUpper, KeepsLengthAndLeavesWindowsLettersAlone) {
    // "Soft karaoke" with a NUL and a Windows-1252 é (0xE9), which stays.
    const std::string input("Soft karaoke\0\xE9\x82", 15);
    const std::string result = FoldUpper(input);
    EXPECT_EQ(result, std::string("SOFT KARAOKE\0\xE9" "E", 15));
    EXPECT_EQ(FoldUpper(""), "");
}

}  // namespace
}  // namespace sonkora
