#include "common/FilePaths.h"

#include <gtest/gtest.h>

#include <string>

namespace sonkora {
namespace {

TEST(FilePaths, NamesDirectoriesAndExtensions) {
    // A directory part ends with exactly one separator; a backslash is part of a name.
    for (const auto& [path, directory] : {std::pair{"/songs/a.stf", "/songs/"},
                                          {"songs/a.stf", "songs/"},
                                          {"/a.stf", "/"},
                                          {"/songs/", "/songs/"},
                                          {"/songs//a.stf", "/songs/"},
                                          {"a.stf", ""},
                                          {"", ""},
                                          {"C:\\songs\\a.stf", ""}})
        EXPECT_EQ(DirectoryOf(path), directory) << path;
    EXPECT_EQ(FileNameOf("/songs/a.stf"), "a.stf");
    EXPECT_EQ(FileNameOf("/songs/"), "");
    EXPECT_EQ(ExtensionOf("/songs/a.b.stf"), ".stf");
    EXPECT_EQ(ExtensionOf("/songs.d/a"), "");
    EXPECT_EQ(BaseNameOf("/songs/a.b.stf"), "a.b");
    EXPECT_EQ(BaseNameOf("/songs.d/a"), "a");
    EXPECT_EQ(ChangeExtension("/songs/a.stf", ".kar"), "/songs/a.kar");
    EXPECT_EQ(ChangeExtension("/songs.d/a", ".bak"), "/songs.d/a.bak");
    EXPECT_EQ(ChangeExtension("a.", ".prn"), "a.prn");
    EXPECT_TRUE(HasDirectory("sub/a.mid"));
    EXPECT_FALSE(HasDirectory("a.mid"));
    EXPECT_EQ(JoinPath("/songs/", "a.mid"), "/songs/a.mid");
    EXPECT_EQ(JoinPath("/songs", "a.mid"), "/songs/a.mid");
    EXPECT_EQ(JoinPath("", "a.mid"), "a.mid");
}

TEST(FilePaths, ProgramDirectoryHoldsTheRunningTestAndFileExistsForFilesOnly) {
    const std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.front(), '/');
    EXPECT_EQ(directory.back(), '/');
    EXPECT_TRUE(FileExists(directory + "common_tests"));
    EXPECT_FALSE(FileExists(directory));
    EXPECT_FALSE(FileExists(directory + "no such file"));
    EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace sonkora
