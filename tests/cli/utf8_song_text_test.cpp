// Song texts written in UTF-8 elsewhere: sonkorac reads them in Windows-1252, says so on
// standard error with the place of every character the code page cannot hold, and a
// command that rewrites the text in place leaves such a file alone.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class Utf8SongText : public SonkoracTest {
protected:
    Utf8SongText() {
        Write("song.mid",
              MidiFile(1, 480,
                       {Cat({Tempo(0, 500000), EndOfTrack()}),
                        Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOff(480, 0, 62), EndOfTrack()})}));
    }
};

TEST_F(Utf8SongText, IsReadInTheCodePageAndSaidSo) {
    const std::string song =
        Write("song.stf", Text("\xEF\xBB\xBF\\t 1\r\n@TCaf\xC3\xA9\r\n\r\nJ\xC3\xA9-r\xC3\xB4me\r\n"));
    const ProgramRun make = Sonkorac({"make", song});
    EXPECT_EQ(make.exitCode, 0);
    EXPECT_EQ(make.err, song + ": read as UTF-8 and converted to Windows-1252, the character set of song texts\n");
    // The lyrics went into the karaoke file as Windows-1252 bytes.
    const Bytes kar = ReadBytes(dir.Path("song.kar"));
    const std::string karText(kar.begin(), kar.end());
    EXPECT_NE(karText.find("\\J\xE9"), std::string::npos);
    EXPECT_NE(karText.find("r\xF4me"), std::string::npos);
    EXPECT_EQ(karText.find("\xC3"), std::string::npos);

    const std::string lost = Write("lost.stf", Text("\\t 2\n\nJ\xC3\xA9-\xC4\x81\n"));
    const ProgramRun print = Sonkorac({"print", lost});
    EXPECT_EQ(print.exitCode, 0);
    EXPECT_EQ(print.err, lost + ": read as UTF-8 and converted to Windows-1252, the character set of song texts\n" +
                             lost + ":3:4: \"\xC4\x81\" (U+0101) is not in Windows-1252 and reads as \"?\"\n");
    const ProgramRun shift = Sonkorac({"shift", lost, "--by", "1"});
    EXPECT_EQ(shift.exitCode, 1);
    EXPECT_EQ(ReadBytes(lost), Text("\\t 2\n\nJ\xC3\xA9-\xC4\x81\n"));
}

}  // namespace
}  // namespace sonkora::clitest
