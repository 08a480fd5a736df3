// Song texts are Windows-1252 while this system names files in UTF-8: a "\m" line with
// an accented letter must find its file, and an imported song text must name its files
// in the song text's own code page so that it compiles back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "support/MidiBytes.h"
#include "support/TempFolder.h"

using namespace sonkora::test;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
    WriteFile(path.string(), bytes);
}

std::string Read(const fs::path& path) {
    return ReadFile(path.string());
}

int Sonkorac(const std::string& args) {
    const std::string command = std::string(SONKORAC_PATH) + " " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FileNames, AccentedNamesInSongTextsReachTheirFilesAndComeBackFromAnImport) {
    const TempFolder folder;
    const fs::path dir = folder.Root();
    const std::string utf8Name = "M\xC3\xBCsic";  // "Müsic" as this system spells it
    const Bytes music = MidiFile(
        1, 96,
        {Cat({Tempo(0, 500000), EndOfTrack()}),
         Cat({NoteOn(0, 0, 60, 90), NoteOff(48, 0, 60), NoteOn(48, 0, 62, 90), NoteOff(48, 0, 62), EndOfTrack()})});
    Write(dir / (utf8Name + ".mid"), std::string(music.begin(), music.end()));
    // The song text holds ü as the single byte 0xFC.
    Write(dir / "song.stf", "\\t 1\n\\m M\xFCsic.mid\n\\k M\xFCsic.kar\n\nla-la\n");

    ASSERT_EQ(Sonkorac("make '" + (dir / "song.stf").string() + "'"), 0);
    ASSERT_TRUE(fs::exists(dir / (utf8Name + ".kar")));

    ASSERT_EQ(Sonkorac("import '" + (dir / (utf8Name + ".kar")).string() + "' --track 1 --stf '" +
                       (dir / "back.stf").string() + "' --mid '" + (dir / "back.mid").string() + "'"),
              0);
    const std::string imported = Read(dir / "back.stf");
    EXPECT_NE(imported.find("M\xFCsic_1.kar"), std::string::npos) << imported;
    EXPECT_EQ(imported.find("\xC3\xBC"), std::string::npos) << "UTF-8 bytes in a Windows-1252 text";
    EXPECT_EQ(Sonkorac("make '" + (dir / "back.stf").string() + "'"), 0);
    EXPECT_TRUE(fs::exists(dir / (utf8Name + "_1.kar")));
}

}  // namespace
