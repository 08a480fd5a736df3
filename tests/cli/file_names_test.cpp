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
        const Bytes music =
            MidiFile(1, 480,
                     {Cat({Tempo(0, 500000), EndOfTrack()}),
                      Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOff(480, 0, 62), EndOfTrack()})});
        Write(utf8Name + ".mid", music);
        Write("song.mid", music);
    }
};

TEST_F(CodePage, AccentedNamesInSongTextsReachTheirFilesAndComeBackFromAnImport) {
    // The song text holds ü as the single byte 0xFC.
    ASSERT_EQ(
        Sonkorac({"make", Write("song.stf", Text("\\t 1\n\\m M\xFCsic.mid\n\\k M\xFCsic.kar\n\nla-la\n"))}).exitCode,
        0);
    ASSERT_TRUE(Exists(utf8Name + ".kar"));
    ASSERT_EQ(Sonkorac({"import", dir.Path(utf8Name + ".kar"), "--track", "1", "--stf", dir.Path("back.stf"), "--mid",
                        dir.Path("back.mid")})
                  .exitCode,
              0);
    const std::string imported = ReadText(dir.Path("back.stf"));
    EXPECT_NE(imported.find("M\xFCsic_1.kar"), std::string::npos) << imported;
    EXPECT_EQ(imported.find("\xC3\xBC"), std::string::npos) << "UTF-8 bytes in a Windows-1252 text";
    EXPECT_EQ(Sonkorac({"make", dir.Path("back.stf")}).exitCode, 0);
    EXPECT_TRUE(Exists(utf8Name + "_1.kar"));
}

TEST_F(CodePage, AUtf8SongTextIsReadInTheCodePageAndSaidSo) {
    const std::string note = ": read as UTF-8 and converted to Windows-1252, the character set of song texts\n";
    const std::string song =
        Write("song.stf", Text("\xEF\xBB\xBF\\t 1\r\n@TCaf\xC3\xA9\r\n\r\nJ\xC3\xA9-r\xC3\xB4me\r\n"));
    const ProgramRun make = Sonkorac({"make", song});
    EXPECT_EQ(make.exitCode, 0);
    EXPECT_EQ(make.err, song + note);
    // The lyrics went into the karaoke file as Windows-1252 bytes.
    const std::string kar = ReadText(dir.Path("song.kar"));
    EXPECT_NE(kar.find("\\J\xE9"), std::string::npos);
    EXPECT_NE(kar.find("r\xF4me"), std::string::npos);
    EXPECT_EQ(kar.find("\xC3"), std::string::npos);

    const std::string lost = Write("lost.stf", Text("\\t 2\n\nJ\xC3\xA9-\xC4\x81\n"));
    const ProgramRun print = Sonkorac({"print", lost});
    EXPECT_EQ(print.exitCode, 0);
    EXPECT_EQ(print.err,
              lost + note + lost + ":3:4: \"\xC4\x81\" (U+0101) is not in Windows-1252 and reads as \"?\"\n");
    EXPECT_EQ(Sonkorac({"shift", lost, "--by", "1"}).exitCode, 1);
    EXPECT_EQ(ReadBytes(lost), Text("\\t 2\n\nJ\xC3\xA9-\xC4\x81\n"));
}

}  // namespace
}  // namespace sonkora::clitest
