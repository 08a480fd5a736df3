#include "common/IniFile.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/IoError.h"

namespace sonkora {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A fresh directory that is removed with everything in it.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/sonkora-ini-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempDir() {
        chmod(path_.c_str(), 0700);
        for (const std::string& name : Names()) {
            unlink((path_ + "/" + name).c_str());
        }
        rmdir(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(path_.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            closedir(dir);
        }
        return names;
    }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(IniFile, KeepsEverythingInFileOrderThroughLoadAndSave) {
    const std::string text =
        "; written by hand\n"
        "orphan=before any section\n"
        "\n"
        "[Views]\n"
        "View2=Edit\n"
        "View0=Main\n"
        "View1=Edit\n"
        "not a key line\n"
        "\n"
        "[ViewSettings]\n"
        "  ; indented comment\n"
        "View0FontName=Courier New\n";
    IniFile ini;
    ini.LoadFromString(text);
    EXPECT_EQ(ini.ToString(), text);
    EXPECT_EQ(ini.ReadSection("Views"), (std::vector<std::string>{"View2", "View0", "View1"}));
    EXPECT_EQ(ini.ReadSectionValues("Views"),
              (Pairs{{"View2", "Edit"}, {"View0", "Main"}, {"View1", "Edit"}}));
    // A line before the first section belongs to no section.
    EXPECT_EQ(ini.ReadString("", "orphan", "none"), "none");
}

TEST(IniFile, ValuesAreVerbatimBytes) {
    IniFile ini;
    ini.LoadFromString(
        "[S]\n"
        "  Path  = C:\\songs\\a=b.stf ; not a comment \n"
        "Empty=\n"
        "High=\xE9\x80\n");
    EXPECT_EQ(ini.ReadString("S", "Path", ""), " C:\\songs\\a=b.stf ; not a comment ");
    EXPECT_EQ(ini.ReadString("S", "Empty", "default"), "");
    EXPECT_EQ(ini.ReadString("S", "High", ""), "\xE9\x80");

    ini.WriteString("S", "New", "  x=y;z  ");
    IniFile again;
    again.LoadFromString(ini.ToString());
    EXPECT_EQ(again.ReadString("S", "New", ""), "  x=y;z  ");
    EXPECT_EQ(again.ReadString("S", "Path", ""), " C:\\songs\\a=b.stf ; not a comment ");
}

TEST(IniFile, NamesMatchWithoutRegardToCase) {
    IniFile ini;
    ini.LoadFromString("[ViewSettings]\nView1FileName=/a.stf\n");
    EXPECT_EQ(ini.ReadString("viewsettings", "VIEW1FILENAME", ""), "/a.stf");
    // Rewriting keeps the file's spelling of the key, so no second key appears.
    ini.WriteString("VIEWSETTINGS", "view1filename", "/b.stf");
    EXPECT_EQ(ini.ToString(), "[ViewSettings]\nView1FileName=/b.stf\n");
    // Only ASCII letters fold: 0xC9 and 0xE9 are different names.
    ini.WriteString("S", "\xC9", "upper");
    EXPECT_EQ(ini.ReadString("S", "\xE9", "none"), "none");
}

TEST(IniFile, WritesNewKeysAtTheEndOfTheirSectionAndNewSectionsAtTheEnd) {
    IniFile ini;
    ini.LoadFromString("[A]\nx=1\n; last word of A\n\n[B]\ny=2\n");
    ini.WriteString("A", "z", "3");
    ini.WriteInteger("C", "n", -5);
    ini.WriteString("B", "x", "4");
    EXPECT_EQ(ini.ToString(), "[A]\nx=1\n; last word of A\nz=3\n\n[B]\ny=2\nx=4\n[C]\nn=-5\n");
    ini.WriteString("A", "x", "one");
    EXPECT_EQ(ini.ReadSectionValues("A"), (Pairs{{"x", "one"}, {"z", "3"}}));
}

TEST(IniFile, EraseSectionRemovesEverySectionOfThatName) {
    IniFile ini;
    ini.LoadFromString(
        "top=1\n[Views]\nView0=Main\n[Other]\nk=v\n[views]\nView9=Edit\n[ViewSettings]\nq=1\n");
    ini.EraseSection("VIEWS");
    EXPECT_EQ(ini.ToString(), "top=1\n[Other]\nk=v\n[ViewSettings]\nq=1\n");
    EXPECT_TRUE(ini.ReadSection("Views").empty());
    EXPECT_EQ(ini.ReadString("ViewSettings", "q", ""), "1");
    ini.WriteString("Views", "View0", "Main");
    EXPECT_EQ(ini.ReadSectionValues("Views"), (Pairs{{"View0", "Main"}}));
}

TEST(IniFile, FirstOfRepeatedSectionsAndKeysWins) {
    IniFile ini;
    ini.LoadFromString("[S]\nk=first\nk=second\n[S]\nk=third\nm=other\n");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "first");
    EXPECT_EQ(ini.ReadString("S", "m", "missing"), "missing");
    ini.WriteString("S", "k", "new");
    EXPECT_EQ(ini.ToString(), "[S]\nk=new\nk=second\n[S]\nk=third\nm=other\n");
}

TEST(IniFile, ParsesIntegers) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"12", 12}, {"-3", -3}, {"+7", 7}, {" 4\t", 4}, {"0x1F", 31}, {"0XfF", 255},
        {"-0x10", -16}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"0x7FFFFFFF", INT_MAX}, {"007", 7},
        {"", std::nullopt}, {" ", std::nullopt}, {"-", std::nullopt}, {"0x", std::nullopt},
        {"12abc", std::nullopt}, {"1 2", std::nullopt}, {"- 5", std::nullopt},
        {"0x1G", std::nullopt}, {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
        {"0x80000000", std::nullopt}, {"99999999999999999999999", std::nullopt},
        {"3.5", std::nullopt}, {"$10", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInteger(c.text), c.value) << '"' << c.text << '"';
    }
    IniFile ini;
    ini.LoadFromString("[S]\nState=0x3\nBad=three\n");
    EXPECT_EQ(ini.ReadInteger("S", "State", 1), 3);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 1), 1);
    ini.WriteInteger("S", "Min", INT_MIN);
    EXPECT_EQ(ini.ReadInteger("S", "Min", 0), INT_MIN);
}

TEST(IniFile, AcceptsCrLfAndAMissingLastLineEnd) {
    IniFile ini;
    ini.LoadFromString("[Views]\r\nView0=Main\r\r\n\r\n[ViewSettings]\r\nView0State=3");
    EXPECT_EQ(ini.ReadString("Views", "View0", ""), "Main");
    EXPECT_EQ(ini.ReadInteger("ViewSettings", "View0State", 0), 3);
    EXPECT_EQ(ini.ToString(), "[Views]\nView0=Main\n\n[ViewSettings]\nView0State=3\n");
}

TEST(IniFile, RefusesNamesAndValuesThatWouldNotReadBack) {
    IniFile ini;
    ini.LoadFromString("[S]\nk=v\n");
    const std::string before = ini.ToString();
    EXPECT_THROW(ini.WriteString("S", "k", "a\nb=injected"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString("S", "k", "a\r"), std::invalid_argument);
    for (const char* key : {"", "a=b", " k", "k ", "[k", ";k", "a\nb"}) {
        EXPECT_THROW(ini.WriteString("S", key, "v"), std::invalid_argument) << key;
    }
    for (const char* section : {"a]b", " S", "S\n"}) {
        EXPECT_THROW(ini.WriteString(section, "k", "v"), std::invalid_argument) << section;
    }
    EXPECT_EQ(ini.ToString(), before);
}

TEST(IniFile, LoadAndSaveThroughTheDisk) {
    TempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string path = dir.Path() + "/Sonkora.ini";

    IniFile ini;
    ini.LoadFromString("[Old]\nk=v\n");
    ini.Load(path);  // missing: empty
    EXPECT_EQ(ini.ToString(), "");

    std::ofstream(path, std::ios::binary) << "; mine\r\n[Views]\r\nView0=Main\r\n";
    chmod(path.c_str(), 0640);
    ini.Load(path);
    ini.WriteString("Views", "View1", "Edit");
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), "; mine\n[Views]\nView0=Main\nView1=Edit\n");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Sonkora.ini"});
}

TEST(IniFile, SaveWritesThroughALink) {
    TempDir dir;
    const std::string real = dir.Path() + "/real.ini";
    const std::string link = dir.Path() + "/Sonkora.ini";
    std::ofstream(real) << "[S]\nk=old\n";
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    IniFile ini;
    ini.Load(link);
    ini.WriteString("S", "k", "new");
    ini.Save(link);
    struct stat info {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(real), "[S]\nk=new\n");
}

TEST(IniFile, SaveIntoAnUnwritableDirectoryIsReported) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "directory permissions do not stop root";
    }
    TempDir dir;
    const std::string path = dir.Path() + "/Sonkora.ini";
    std::ofstream(path) << "[S]\nk=old\n";
    chmod(dir.Path().c_str(), 0500);
    IniFile ini;
    ini.WriteString("S", "k", "new");
    try {
        ini.Save(path);
        ADD_FAILURE() << "the save reported success";
    } catch (const IoError& error) {
        EXPECT_EQ(error.FileName(), path);
    }
    EXPECT_EQ(ReadFile(path), "[S]\nk=old\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Sonkora.ini"});
}

TEST(IniFile, SaveOverADirectoryIsReportedAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.Path() + "/Sonkora.ini";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    IniFile ini;
    ini.WriteString("S", "k", "v");
    EXPECT_THROW(ini.Save(path), IoError);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Sonkora.ini"});
    rmdir(path.c_str());
}

// Runs in the death test's child: exits 7 when the save failed with IoError and left the
// old file and nothing else.
void SaveWithFileSizeLimit(const IniFile& ini, const std::string& path, const TempDir& dir) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
        ini.Save(path);
    } catch (const IoError&) {
        std::exit(ReadFile(path) == "[S]\nk=old\n" && dir.Names().size() == 1 ? 7 : 1);
    }
    std::exit(2);
}

// A disk that fills up halfway through the file, made with a file size limit in a child
// process: the old file must survive whole and the half-written one must go.
TEST(IniFileDeathTest, WriteFailureHalfwayLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.Path() + "/Sonkora.ini";
    std::ofstream(path) << "[S]\nk=old\n";
    IniFile ini;
    ini.WriteString("S", "k", std::string(100000, 'x'));
    EXPECT_EXIT(SaveWithFileSizeLimit(ini, path, dir), testing::ExitedWithCode(7), "");
}

TEST(IniFile, UnreadableFileIsReportedAndKeepsTheContents) {
    TempDir dir;
    IniFile ini;
    ini.LoadFromString("[S]\nk=v\n");
    EXPECT_THROW(ini.Load(dir.Path()), IoError);  // a directory cannot be read as a file
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
}

TEST(IniFile, ManyKeysLoadAndReadInLinearTime) {
    // 200000 keys, each read back: quadratic work would take minutes.
    std::string text = "[ViewSettings]\n";
    constexpr int Count = 200000;
    for (int i = 0; i < Count; ++i) {
        text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    }
    IniFile ini;
    ini.LoadFromString(text);
    long long sum = 0;
    for (int i = 0; i < Count; i += 1) {
        sum += ini.ReadInteger("viewsettings", "key" + std::to_string(i), 0);
    }
    EXPECT_EQ(sum, static_cast<long long>(Count) * (Count - 1) / 2);
    for (int i = 0; i < 1000; ++i) {
        ini.WriteString("ViewSettings", "New" + std::to_string(i), "x");
    }
    EXPECT_EQ(ini.ReadSection("ViewSettings").size(), static_cast<size_t>(Count + 1000));
}

}  // namespace
}  // namespace sonkora
