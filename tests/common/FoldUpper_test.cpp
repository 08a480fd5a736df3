#include "common/FoldUpper.h"

#include <gtest/gtest.h>

#include <map>

namespace sonkora {
namespace {

TEST(FoldUpper, MapsExactlyTheListedBytesAndKeepsTheLength) {
    const std::map<int, char> folded = {
        {132, 'A'}, {133, 'A'}, {134, 'A'}, {142, 'A'}, {143, 'A'}, {160, 'A'}, {130, 'E'}, {136, 'E'}, {137, 'E'},
        {138, 'E'}, {144, 'E'}, {139, 'I'}, {140, 'I'}, {141, 'I'}, {161, 'I'}, {147, 'O'}, {148, 'O'}, {149, 'O'},
        {153, 'O'}, {162, 'O'}, {129, 'U'}, {150, 'U'}, {151, 'U'}, {154, 'U'}, {163, 'U'},
    };
    for (int b = 0; b < 256; ++b) {
        char expected = static_cast<char>(b >= 'a' && b <= 'z' ? b - 32 : b);
        if (auto it = folded.find(b); it != folded.end()) expected = it->second;
        EXPECT_EQ(FoldUpperChar(static_cast<char>(b)), expected) << "byte " << b;
    }
    // A NUL and a Windows-1252 é (0xE9) stay; the DOS é (0x82) folds.
    EXPECT_EQ(FoldUpper(std::string("Soft karaoke\0\xE9\x82", 15)), std::string("SOFT KARAOKE\0\xE9"
                                                                                "E",
                                                                                15));
}

}  // namespace
}  // namespace sonkora
