// Song texts are Windows-1252 while this system names files in UTF-8: a "\m" line with an
// accented letter must find its file, an imported song text must name its files in the
// code page so that it compiles back, and a song text written in UTF-8 elsewhere is read
// in the code page, said so with the place of every character it cannot hold, and not
// rewritten in place.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class CodePage : public SonkoracTest {
protected:
    const std::string utf8Name = "M\xC3\xBCsic";  // "Müsic" as this system spells it
    CodePage() {
        for (const std::string& stem : {utf8Name, std::string("song")})
            Write(stem + ".mid", MidiFile(1, 480, {Tempo120, VoiceOf(2)}));
    }
};

TEST_F(CodePage, AccentedNamesReachTheirFilesAndComeBackFromAnImportAndUtf8TextsAreConverted) {
    // The song text holds ü as the single byte 0xFC; the import finds what the make wrote.
    Write("song.stf", "\\t 1\n\\m M\xFCsic.mid\n\\k M\xFCsic.kar\n\nla-la\n");
    ASSERT_EQ(Sonkorac({"make", dir.Path("song.stf")}).exitCode, 0);
    const std::string kar = dir.Path(utf8Name + ".kar");
    ASSERT_EQ(
        Sonkorac({"import", kar, "--track", "1", "--stf", dir.Path("back.stf"), "--mid", dir.Path("b.mid")}).exitCode,
        0);
    const std::string imported = Read("back.stf");
    EXPECT_NE(imported.find("M\xFCsic_1.kar"), std::string::npos) << imported;
    EXPECT_EQ(imported.find("\xC3\xBC"), std::string::npos) << "UTF-8 bytes in a Windows-1252 text";
    EXPECT_EQ(Sonkorac({"make", dir.Path("back.stf")}).exitCode, 0);
    EXPECT_TRUE(Exists(utf8Name + "_1.kar"));

    // A song text in UTF-8 is read in the code page, and said so.
    const std::string note = ": read as UTF-8 and converted to Windows-1252, the character set of song texts\n";
    const std::string song = Write("song.stf", "\xEF\xBB\xBF\\t 1\r\n@TCaf\xC3\xA9\r\n\r\nJ\xC3\xA9-r\xC3\xB4me\r\n");
    EXPECT_EQ(Sonkorac({"make", song}).err, song + note);
    // The lyrics went into the karaoke file as Windows-1252 bytes.
    const std::string made = Read("song.kar");
    EXPECT_NE(made.find("\\J\xE9"), std::string::npos);
    EXPECT_NE(made.find("r\xF4me"), std::string::npos);
    EXPECT_EQ(made.find("\xC3"), std::string::npos);

    const std::string lost = Write("lost.stf", "\\t 2\n\nJ\xC3\xA9-\xC4\x81\n");
    EXPECT_EQ(Sonkorac({"print", lost}).err,
              lost + note + lost + ":3:4: \"\xC4\x81\" (U+0101) is not in Windows-1252 and reads as \"?\"\n");
    EXPECT_EQ(Sonkorac({"shift", lost, "--by", "1"}).exitCode, 1);
    EXPECT_EQ(ReadText(lost), "\\t 2\n\nJ\xC3\xA9-\xC4\x81\n");
}

}  // namespace
}  // namespace sonkora::clitest
