#include "common/FilePaths.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace sonkora {
namespace {

TEST(FilePaths, NamesDirectoriesAndExtensions) {
    // Path, directory, file name, extension, base name, the extension changed to ".kar". A
    // directory part ends with exactly one separator; a backslash is part of a name.
    for (const auto& [path, directory, name, extension, base, changed] : std::vector<std::array<std::string, 6>>{
             {"/songs/a.b.stf", "/songs/", "a.b.stf", ".stf", "a.b", "/songs/a.b.kar"},
             {"songs/a.stf", "songs/", "a.stf", ".stf", "a", "songs/a.kar"},
             {"/songs.d/", "/songs.d/", "", "", "", "/songs.d/.kar"},
             {"/songs.d//a", "/songs.d/", "a", "", "a", "/songs.d//a.kar"},
             {"a.", "", "a.", ".", "a", "a.kar"},
             {"C:\\songs\\a.stf", "", "C:\\songs\\a.stf", ".stf", "C:\\songs\\a", "C:\\songs\\a.kar"}}) {
        EXPECT_EQ(DirectoryOf(path), directory) << path;
        EXPECT_EQ(FileNameOf(path), name) << path;
        EXPECT_EQ(ExtensionOf(path), extension) << path;
        EXPECT_EQ(BaseNameOf(path), base) << path;
        EXPECT_EQ(ChangeExtension(path, ".kar"), changed) << path;
    }
    EXPECT_TRUE(HasDirectory("sub/a.mid") && !HasDirectory("a.mid"));
    for (const char* directory : {"/songs/", "/songs"}) EXPECT_EQ(JoinPath(directory, "a.mid"), "/songs/a.mid");
    EXPECT_EQ(JoinPath("", "a.mid"), "a.mid");

    // The program's directory holds the running test; FileExists is true for files only.
    const std::string program = ProgramDirectory();
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(program.front() == '/' && program.back() == '/') << program;
    EXPECT_TRUE(FileExists(program + "common_tests"));
    for (const std::string& none : {program, program + "no such file", std::string()}) EXPECT_FALSE(FileExists(none));
}

}  // namespace
}  // namespace sonkora
