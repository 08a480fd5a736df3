#include "common/RecentFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/IniFile.h"

namespace sonkora {
namespace {

using Names = std::vector<std::string>;

TEST(RecentFiles, NewestFirstEachOnceAtMostEight) {
    RecentFiles recent;
    for (int i = 1; i <= 10; ++i) recent.Add("/songs/" + std::to_string(i) + ".stf");
    recent.Add("/songs/5.stf");
    EXPECT_EQ(recent.Entries(), (Names{"/songs/5.stf", "/songs/10.stf", "/songs/9.stf", "/songs/8.stf", "/songs/7.stf",
                                       "/songs/6.stf", "/songs/4.stf", "/songs/3.stf"}));
    recent.Remove("/songs/10.stf");
    recent.Add("line\nbreak.stf");
    EXPECT_EQ(recent.Entries().size(), 7u);
    EXPECT_EQ(recent.Entries()[1], "/songs/9.stf");
}

TEST(RecentFiles, KeptInTheSettingsBesideTheOtherSections) {
    IniFile ini;
    ini.LoadFromString(
        "[Views]\nView0=Main\n"
        "[Recent Files]\nFile1=/a b/é.stf\nFile2=\nFile3=/a b/é.stf\nFile4= /lead.kar\n"
        "[Other]\nKey=1\n");
    RecentFiles recent;
    recent.Load(ini);
    EXPECT_EQ(recent.Entries(), (Names{"/a b/é.stf", " /lead.kar"}));

    recent.Add("/new.mid");
    recent.Save(ini);
    EXPECT_EQ(ini.ToString(),
              "[Views]\nView0=Main\n[Other]\nKey=1\n"
              "[Recent Files]\nFile1=/new.mid\nFile2=/a b/é.stf\nFile3= /lead.kar\n");
    RecentFiles again;
    IniFile reread;
    reread.LoadFromString(ini.ToString());
    again.Load(reread);
    EXPECT_EQ(again.Entries(), recent.Entries());
}

}  // namespace
}  // namespace sonkora
