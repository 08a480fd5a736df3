// sonkorac retime and shift, run as a user runs them: what they print, the files they
// rewrite byte for byte, and what they refuse without touching anything.
#include <sstream>

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class RetimeCommand : public SonkoracTest {
protected:
    // A voice on every beat at 120 bpm (0.5 s a beat), without any tempo event.
    RetimeCommand() {
        Bytes voice;
        for (int i = 0; i < 8; ++i) voice = Cat({voice, NoteOn(i == 0 ? 0 : 470, 0, 60, 90), NoteOff(10, 0, 60)});
        Write("song.mid", MidiFile(1, 480, {EndOfTrack(), Cat({voice, EndOfTrack()})}));
    }
    std::string Song(const std::string& text) { return Write("song.stf", Text(text)); }
    std::string Taps(const std::string& text) { return Write("taps.txt", Text(text)); }
    std::string Read(const std::string& name) { return ReadText(dir.Path(name)); }
};

TEST_F(RetimeCommand, RewritesTheSongInPlaceKeepingItsBytes) {
    // Windows line ends, a Windows-1252 letter and no line end after the last line.
    const std::string song = Song("\\t 1\r\n@T\xC9t\xE9\r\n\r\nd\xE9j\xE0 vu la la\r\nfin");
    const ProgramRun run = Sonkorac({"retime", song, "--taps", Taps("# tapped by hand\n0\n\n0.75\r\n1.0\n0.9\n")});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, song +
                           ": 2 time codes written, 0 removed, 1 tap moved after the syllable before, "
                           "0 taps ignored (no syllable left)\n");
    EXPECT_EQ(Read("song.stf"), "\\t 1\r\n@T\xC9t\xE9\r\n\r\nd\xE9j\xE0 $1:2:60$vu la $1:3:1$la\r\nfin");
    EXPECT_EQ(dir.Names().size(), 5u);  // song.mid, song.stf, taps.txt and the two program outputs: no temporary left

    // A second pass from syllable 2 on the notes takes the codes out again; the rest is ignored.
    const ProgramRun again = Sonkorac(
        {"retime", song, "--taps", Taps("0.5\n1\n1.5\n2\n2.5\n3\n"), "--from", "2", "--output", dir.Path("out.stf")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, dir.Path("out.stf") +
                             ": 0 time codes written, 2 removed, 0 taps moved after the syllable before, "
                             "2 taps ignored (no syllable left)\n");
    EXPECT_EQ(Read("out.stf"), "\\t 1\r\n@T\xC9t\xE9\r\n\r\nd\xE9j\xE0 vu la la\r\nfin");
    EXPECT_EQ(Read("song.stf"), "\\t 1\r\n@T\xC9t\xE9\r\n\r\nd\xE9j\xE0 $1:2:60$vu la $1:3:1$la\r\nfin");
}

TEST_F(RetimeCommand, BadInputIsNamedAndNothingIsWritten) {
    // Taps, options split at blanks ("T" for the taps' path), exit code, standard error ("$S"
    // for the song's path, "$T" for the taps'), and the song text.
    struct Row {
        const char* taps;
        const char* options;
        int exitCode;
        std::string err;
        std::string song = "\\t 1\n\na b\n";
    };
    const Row rows[] = {
        {"0\n1.5x\n", "", 1, "$T:2: '1.5x' is not a time in seconds\n"},
        {"0\nnan\n", "", 1, "$T:2: 'nan' is not a time in seconds\n"},
        {"\n-1\n", "", 1, "$T:2: '-1' lies before the start of the song\n"},
        {"0\n# later\n99\n", "", 1, "$T:3: 99 s lies beyond the end of the song (3.51 s)\n"},
        {"0\n", "", 1, "$S:3:4: Invalid MIDI time $9:9:9$.\n", "\\t 1\n\na $9:9:9$b\n"},
        {"0\n", "--from 3", 1, "$S: there is no syllable 3 to time (the song has 2)\n"},
        {"0\n1.2\n", "", 1, "$S:3:14: MIDI time 1:3:0 falls before time of previous lyric (1:3:48)\n",
         "\\t 1\n\na b $1:3:0$c\n"},
        {"0\n", "--snap -5", 2, "sonkorac: --snap needs milliseconds from 0 to 10000, not '-5'\n"},
        {"0\n", "--snap 10001", 2, "sonkorac: --snap needs milliseconds from 0 to 10000, not '10001'\n"},
        {"0\n", "--output T", 2, "sonkorac: --output names the file of taps; choose another file\n"},
    };
    for (const Row& row : rows) {
        const std::string song = Song(row.song);
        const std::string taps = Taps(row.taps);
        std::vector<std::string> args = {"retime", song, "--taps", taps};
        std::istringstream options(row.options);
        for (std::string option; options >> option;) args.push_back(option == "T" ? taps : option);
        const ProgramRun run = Sonkorac(args);
        std::string err = row.err;
        for (const auto& [mark, name] : {std::pair{"$S", song}, {"$T", taps}})
            if (const size_t at = err.find(mark); at != std::string::npos) err.replace(at, 2, name);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.err;
        EXPECT_EQ(run.err.substr(0, run.exitCode == 2 ? err.size() : std::string::npos), err);
        EXPECT_EQ(Read("song.stf"), row.song);
    }

    // A header without ticks per quarter note is broken, as for every other command.
    Write("song.mid", MidiFile(1, 0, {EndOfTrack(), Cat({NoteOn(0, 0, 60, 90), EndOfTrack(480)})}));
    const ProgramRun division = Sonkorac({"retime", Song("\\t 1\n\na\n"), "--taps", Taps("0\n")});
    EXPECT_EQ(division.exitCode, 1);
    EXPECT_EQ(division.err, dir.Path("song.mid") + ": Not a MIDI file.\n");
}

TEST_F(RetimeCommand, ShiftMovesEveryCodeOrRefusesNamingItsLine) {
    const std::string song = Song("\\t 1\n\na $1:2:0$b\n$\\t 1$c $ 2:1:+16$d\n");
    const ProgramRun later = Sonkorac({"shift", song, "--by", "1:30"});
    EXPECT_EQ(later.exitCode, 0);
    EXPECT_EQ(later.out, song + ": 2 time codes shifted by 1:30\n");
    EXPECT_EQ(Read("song.stf"), "\\t 1\n\na $1:3:30$b\n$\\t 1$c $2:2:46$d\n");

    const ProgramRun before = Sonkorac({"shift", song, "--by", "-3", "--output", "out.stf"});
    EXPECT_EQ(before.exitCode, 1);
    EXPECT_EQ(before.err, song + ":3:4: Time code $1:3:30$ would move before 1:1:0.\n");
    EXPECT_FALSE(Exists("out.stf"));
    EXPECT_EQ(Read("song.stf"), "\\t 1\n\na $1:3:30$b\n$\\t 1$c $2:2:46$d\n");
    EXPECT_EQ(Sonkorac({"shift", song, "--by", "1:120"}).exitCode, 2);
}

}  // namespace
}  // namespace sonkora::clitest
