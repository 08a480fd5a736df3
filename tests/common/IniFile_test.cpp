#include "common/IniFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "common/IoError.h"
#include "common/RecentFiles.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

namespace sonkora {
namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;

using test::ReadFile;

TEST(IniFile, KeepsEverythingInFileOrderAndValuesVerbatim) {
    const std::string text =
        "; written by hand\norphan=before any section\n\n[Views]\nView2=Edit\nView0=Main\n"
        "not a key line\n\n[S]\n  ; indented comment\n"
        "  Path  = C:\\songs\\a=b.stf ; not a comment \nEmpty=\nHigh=\xE9\x80\n";
    IniFile ini;
    ini.LoadFromString(text);
    EXPECT_EQ(ini.ToString(), text);
    EXPECT_EQ(ini.ReadSection("Views"), (std::vector<std::string>{"View2", "View0"}));
    // A line before the first section belongs to no section.
    EXPECT_EQ(ini.ReadString("", "orphan", "none"), "none");
    EXPECT_EQ(ini.ReadSectionValues("S"),
              (Pairs{{"Path", " C:\\songs\\a=b.stf ; not a comment "}, {"Empty", ""}, {"High", "\xE9\x80"}}));
    EXPECT_EQ(ini.ReadString("S", "Empty", "default"), "");
    ini.WriteString("S", "New", "  x=y;z  ");
    ini.LoadFromString(ini.ToString());
    EXPECT_EQ(ini.ReadString("S", "New", ""), "  x=y;z  ");
    // Windows line ends and a missing last line end read alike and are written as LF.
    ini.LoadFromString("[Views]\r\nView0=Main\r\r\n\r\n[V]\r\nState=3");
    EXPECT_EQ(ini.ReadString("Views", "View0", ""), "Main");
    EXPECT_EQ(ini.ToString(), "[Views]\nView0=Main\n\n[V]\nState=3\n");
}

TEST(IniFile, NamesMatchWithoutRegardToCaseNewKeysEndTheirSectionAndErasingTakesEverySection) {
    IniFile ini;
    ini.LoadFromString("[ViewSizes]\nView1FileName=/a.stf\n");
    EXPECT_EQ(ini.ReadString("viewsizes", "VIEW1FILENAME", ""), "/a.stf");
    // Rewriting keeps the file's spelling of the key, so no second key appears.
    ini.WriteString("VIEWSIZES", "view1filename", "/b.stf");
    EXPECT_EQ(ini.ToString(), "[ViewSizes]\nView1FileName=/b.stf\n");
    // Only ASCII letters fold: 0xC9 and 0xE9 are different names.
    ini.WriteString("S", "\xC9", "upper");
    EXPECT_EQ(ini.ReadString("S", "\xE9", "none"), "none");

    ini.LoadFromString("[S]\nk=first\nk=second\n[s]\nk=third\nm=other\n");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "first");
    EXPECT_EQ(ini.ReadString("S", "m", "missing"), "missing");
    ini.WriteString("S", "k", "new");
    EXPECT_EQ(ini.ToString(), "[S]\nk=new\nk=second\n[s]\nk=third\nm=other\n");

    // New keys go at the end of their section; erasing takes every section of the name.
    ini.LoadFromString("[A]\nx=1\n; last word of A\n\n[B]\ny=2\n[Views]\nView0=Main\n[views]\nView9=Edit\n");
    ini.WriteString("A", "z", "3");
    ini.WriteInteger("C", "n", -5);
    ini.WriteString("B", "x", "4");
    ini.WriteString("A", "x", "one");
    EXPECT_EQ(ini.ToString(),
              "[A]\nx=one\n; last word of A\nz=3\n\n[B]\ny=2\nx=4\n[Views]\nView0=Main\n[views]\n"
              "View9=Edit\n[C]\nn=-5\n");
    ini.EraseSection("VIEWS");
    EXPECT_EQ(ini.ToString(), "[A]\nx=one\n; last word of A\nz=3\n\n[B]\ny=2\nx=4\n[C]\nn=-5\n");
    ini.WriteString("Views", "View0", "Main");
    EXPECT_EQ(ini.ReadSectionValues("Views"), (Pairs{{"View0", "Main"}}));
}

TEST(IniFile, ParsesIntegers) {
    const char* texts[] = {"129",   "-3",         "+7",          " 4\t",       "0x1F", "0XfF",
                           "-0x10", "2147483647", "-2147483648", "0x7FFFFFFF", "007"};
    const int values[] = {129, -3, 7, 4, 31, 255, -16, INT_MAX, INT_MIN, INT_MAX, 7};
    for (size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(ParseInteger(texts[i]), values[i]) << texts[i];
    for (const char* bad : {"", "-", "0x", "12abc", "1 2", "0x1G", "2147483648", "-2147483649", "0x80000000",
                            "99999999999999999999999", "3.5"})
        EXPECT_EQ(ParseInteger(bad), std::nullopt) << bad;
    IniFile ini;
    ini.LoadFromString("[S]\nState=0x3\nBad=three\n");
    EXPECT_EQ(ini.ReadInteger("S", "State", 1), 3);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 1), 1);
}

TEST(IniFile, RefusesNamesAndValuesThatWouldNotReadBack) {
    IniFile ini;
    ini.LoadFromString("[S]\nk=v\n");
    for (const char* value : {"a\nb=injected", "a\r"})
        EXPECT_THROW(ini.WriteString("S", "k", value), std::invalid_argument) << value;
    for (const char* key : {"", "a=b", " k", "k ", "[k", ";k", "a\nb"})
        EXPECT_THROW(ini.WriteString("S", key, "v"), std::invalid_argument) << key;
    for (const char* section : {"a]b", " S", "S\n"})
        EXPECT_THROW(ini.WriteString(section, "k", "v"), std::invalid_argument) << section;
    EXPECT_EQ(ini.ToString(), "[S]\nk=v\n");
}

TEST(IniFile, LoadAndSaveThroughTheDiskAndALinkAndFailuresChangeNothing) {
    test::TempFolder dir;
    const std::string path = dir.Path("Sonkora.ini");
    IniFile ini;
    ini.LoadFromString("[Old]\nk=v\n");
    EXPECT_THROW(ini.Load(dir.Root().string()), IoError);  // a directory cannot be read as a file
    EXPECT_EQ(ini.ReadString("Old", "k", ""), "v");
    ini.Load(path);  // missing: empty
    EXPECT_EQ(ini.ToString(), "");

    dir.Write("Sonkora.ini", "; mine\r\n[Views]\r\nView0=Main\r\n");
    chmod(path.c_str(), 0640);
    ini.Load(path);
    ini.WriteString("Views", "View1", "Edit");
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), "; mine\n[Views]\nView0=Main\nView1=Edit\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    // Saving through a link writes the file it names and leaves the link in place.
    const std::string link = dir.Path("link.ini");
    fs::create_symlink(path, link);
    ini.WriteString("Views", "View1", "Main");
    ini.Save(link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(path), "; mine\n[Views]\nView0=Main\nView1=Main\n");

    fs::remove(link), fs::remove(path);
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_THAT([&] { ini.Save(path); }, ::testing::ThrowsMessage<IoError>(::testing::StartsWith(path + ": ")));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"Sonkora.ini"}) << "no temporary file is left";
}

TEST(RecentFiles, KeptInTheSettingsBesideTheOtherSections) {
    IniFile ini;
    ini.LoadFromString(
        "[Views]\nView0=Main\n"
        "[Recent Files]\nFile1=/a b/é.stf\nFile2=\nFile3=/a b/é.stf\nFile4= /lead.kar\n"
        "[Other]\nKey=1\n");
    RecentFiles recent;
    recent.Load(ini);
    EXPECT_EQ(recent.Entries(), (std::vector<std::string>{"/a b/é.stf", " /lead.kar"}));

    recent.Add("/new.mid");
    recent.Add("line\nbreak.stf");  // would break the settings file
    recent.Save(ini);
    EXPECT_EQ(ini.ToString(),
              "[Views]\nView0=Main\n[Other]\nKey=1\n"
              "[Recent Files]\nFile1=/new.mid\nFile2=/a b/é.stf\nFile3= /lead.kar\n");
}

// A disk that fills up halfway through the file, made with a file size limit in a child
// process: the save fails with IoError, the old file survives whole and the half-written
// one goes (exit code 7).
TEST(IniFileDeathTest, WriteFailureHalfwayLeavesTheOldFileWhole) {
    test::TempFolder dir;
    const std::string path = dir.Write("Sonkora.ini", "[S]\nk=old\n");
    IniFile ini;
    ini.WriteString("S", "k", std::string(100000, 'x'));
    const auto save = [&] {
        test::WithFileSizeLimit(4096, [&] {
            try {
                ini.Save(path);
            } catch (const IoError&) {
                std::exit(ReadFile(path) == "[S]\nk=old\n" && dir.Names().size() == 1 ? 7 : 1);
            }
        });
        std::exit(2);
    };
    EXPECT_EXIT(save(), testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace sonkora
