#include "common/FileCopy.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "support/TempFolder.h"

namespace sonkora {
namespace {

using test::ReadFile;
using test::TempFolder;

// A piece from the middle of one file lands at the current place of another, and both
// streams go on after it: what is read and written next follows the copied bytes. A count
// beyond the end copies what is there.
TEST(FileCopy, CopiesARangeAndLeavesBothStreamsAfterIt) {
    TempFolder folder;
    const std::string source = folder.Write("from", std::string("0123456789"));
    for (const auto& [count, copiedBytes, nextRead] : {std::tuple{4, "2345", '6'}, {100, "23456789", EOF}}) {
        std::FILE* from = std::fopen(source.c_str(), "rb");
        std::FILE* to = std::fopen(folder.Path("to").c_str(), "wb");
        ASSERT_TRUE(from && to);
        std::fseek(from, 2, SEEK_SET);
        std::fputs("ab", to);
        EXPECT_EQ(CopyBetweenFiles(from, to, count), static_cast<int64_t>(std::string(copiedBytes).size()));
        EXPECT_EQ(std::fgetc(from), nextRead);
        std::fputs("z", to);
        std::fclose(from);
        std::fclose(to);
        EXPECT_EQ(ReadFile(folder.Path("to")), "ab" + std::string(copiedBytes) + "z") << count;
    }
}

}  // namespace
}  // namespace sonkora
