#include "common/ExampleCopy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/IoError.h"
#include "support/TempFolder.h"

namespace sonkora {
namespace {

TEST(ExampleCopy, CopiesWhatIsMissingAndKeepsTheUsersOwn) {
    test::TempFolder folder;
    std::filesystem::create_directories(folder.Path("shipped/sub"));
    folder.Write("shipped/song.stf", std::string("\\t 1\r\n"));
    folder.Write("shipped/song.mid", std::string("MThd"));
    std::filesystem::create_directories(folder.Path("docs/Sonkora/examples"));
    folder.Write("docs/Sonkora/examples/song.stf", std::string("changed by the user"));

    CopyMissingFiles(folder.Path("shipped"), folder.Path("docs/Sonkora/examples"));
    EXPECT_EQ(test::ReadFile(folder.Path("docs/Sonkora/examples/song.stf")), "changed by the user");
    EXPECT_EQ(test::ReadFile(folder.Path("docs/Sonkora/examples/song.mid")), "MThd");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("docs/Sonkora/examples/sub")));

    // A folder that cannot be made is reported.
    folder.Write("file", std::string("x"));
    EXPECT_THROW(CopyMissingFiles(folder.Path("shipped"), folder.Path("file/examples")), IoError);
}

}  // namespace
}  // namespace sonkora
