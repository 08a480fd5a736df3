#include "common/FilePaths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace sonkora {
namespace {

TEST(FilePaths, DirectoryEndsWithExactlyTheSeparatorItNeeds) {
    EXPECT_EQ(DirectoryOf("/songs/a.stf"), "/songs/");
    EXPECT_EQ(DirectoryOf("songs/a.stf"), "songs/");
    EXPECT_EQ(DirectoryOf("/a.stf"), "/");
    EXPECT_EQ(DirectoryOf("/songs/"), "/songs/");
    EXPECT_EQ(DirectoryOf("/songs//a.stf"), "/songs/");
    EXPECT_EQ(DirectoryOf("a.stf"), "");
    EXPECT_EQ(DirectoryOf(""), "");
    EXPECT_EQ(DirectoryOf("C:\\songs\\a.stf"), "");  // a backslash is part of the name
}

TEST(FilePaths, NamesAndExtensions) {
    EXPECT_EQ(FileNameOf("/songs/a.stf"), "a.stf");
    EXPECT_EQ(FileNameOf("/songs/"), "");
    EXPECT_EQ(FileNameOf("a.stf"), "a.stf");

    EXPECT_EQ(ExtensionOf("/songs/a.b.stf"), ".stf");
    EXPECT_EQ(ExtensionOf("/songs.d/a"), "");
    EXPECT_EQ(BaseNameOf("/songs/a.b.stf"), "a.b");
    EXPECT_EQ(BaseNameOf("/songs.d/a"), "a");

    EXPECT_EQ(ChangeExtension("/songs/a.stf", ".kar"), "/songs/a.kar");
    EXPECT_EQ(ChangeExtension("/songs.d/a", ".bak"), "/songs.d/a.bak");
    EXPECT_EQ(ChangeExtension("a.", ".prn"), "a.prn");
}

TEST(FilePaths, DirectoryPartsAndJoining) {
    EXPECT_TRUE(HasDirectory("sub/a.mid"));
    EXPECT_FALSE(HasDirectory("a.mid"));
    EXPECT_EQ(JoinPath("/songs/", "a.mid"), "/songs/a.mid");
    EXPECT_EQ(JoinPath("/songs", "a.mid"), "/songs/a.mid");
    EXPECT_EQ(JoinPath("", "a.mid"), "a.mid");
}

TEST(FilePaths, ProgramDirectoryHoldsTheRunningTest) {
    const std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.front(), '/');
    EXPECT_EQ(directory.back(), '/');
    EXPECT_EQ(access((directory + "common_tests").c_str(), X_OK), 0);
}

TEST(FilePaths, FileExistsForFilesOnly) {
    char pattern[] = "/tmp/sonkora-paths-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string directory = pattern;
    const std::string file = directory + "/a.stf";
    EXPECT_FALSE(FileExists(file));
    std::ofstream(file) << "x";
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(directory));
    EXPECT_FALSE(FileExists(""));
    unlink(file.c_str());
    rmdir(directory.c_str());
}

}  // namespace
}  // namespace sonkora
