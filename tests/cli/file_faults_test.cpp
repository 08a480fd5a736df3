// sonkorac against files that are not what they seem: every failing or refused make and
// export leaves the earlier output byte for byte and no temporary file; FIFOs, devices
// and link loops are refused at once; over-long names are refused, never cut; control
// bytes never reach the terminal; a damaged pattern file is refused by name; a killed
// make leaves the earlier file.
#include <sys/stat.h>

#include "cli_fixture.h"

namespace sonkora::clitest {

namespace {

class FileFaults : public SonkoracTest {
protected:
    FileFaults() { Write("song.mid", MidiFile(1, 480, {Tempo120, VoiceOf(3)})); }
};

TEST_F(FileFaults, AFailedOrRefusedMakeOrExportLeavesTheEarlierOutputAsItWas) {
    ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path("folder"));
    std::filesystem::create_symlink("loop", dir.Path("loop"));
    const std::string longName = std::string(300, 'n') + ".kar";
    // Command and song text after "\t 1\n\m song.mid\n". (That an error in the song text
    // leaves the earlier output is the compiler's own test.)
    const std::pair<std::string, std::string> cases[] = {
        {"make", "\n\nla\n"},                            // --strict: notes left over
        {"export", "\\k out.mid\n\nla li lo lu\n"},      // --strict: lyrics left over
        {"make", "\\k fifo\n\nla li lo\n"},              // an output that is a FIFO
        {"make", "\\k folder\n\nla li lo\n"},            // ... a folder
        {"make", "\\k " + longName + "\n\nla li lo\n"},  // ... a name too long
        {"make", "\\m loop\n\nla li lo\n"},              // a MIDI file that loops
        {"make", "\\m fifo\n\nla li lo\n"},              // ... that is a FIFO
    };
    for (const auto& [command, rest] : cases) {
        SCOPED_TRACE(command + " " + rest);
        Write("song.kar", "earlier karaoke file");
        Write("out.mid", "earlier MIDI file");
        const ProgramRun run = Sonkorac({command, Write("song.stf", "\\t 1\n\\m song.mid\n" + rest), "--strict"});
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err, "");
        EXPECT_EQ(Read("song.kar") + "|" + Read("out.mid"), "earlier karaoke file|earlier MIDI file");
        EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("fifo")));
        EXPECT_TRUE(Temporaries().empty());
    }
    // In a folder that cannot be written the earlier file stays too, and nothing is added.
    if (::geteuid() != 0) {
        const std::string song = Write("song.stf", "\\t 1\n\\m song.mid\n\nla li lo\n");
        std::filesystem::permissions(dir.Path(""), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        EXPECT_EQ(Sonkorac({"make", song}).exitCode, 1);
        std::filesystem::permissions(dir.Path(""), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(Read("song.kar"), "earlier karaoke file");
    }
}

TEST_F(FileFaults, WhatIsNoFileIsRefusedAtOnceSayingWhatItIs) {
    ASSERT_EQ(::mkfifo(dir.Path("fifo.stf").c_str(), 0600), 0);
    std::filesystem::create_symlink("loop.stf", dir.Path("loop.stf"));
    // The size is checked before anything is read.
    std::filesystem::resize_file(Write("huge.stf", "\\t 1\n"), 40 << 20);
    const std::string fifo = dir.Path("fifo.stf"), loop = dir.Path("loop.stf"), huge = dir.Path("huge.stf");
    // Each kind of damage of a pattern file is the hyphenation engine's to find and is
    // tested there; here, how the command reports one.
    const std::string patterns = Write("bad.hyp", "");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"make", fifo}, fifo + ": cannot read: not a regular file\n"},
        {{"preview", "/dev/zero"}, "/dev/zero: cannot read: not a regular file\n"},
        {{"check", loop}, loop + ": a loop of symbolic links\n"},
        {{"tracks", loop}, "File " + loop + " is a loop of symbolic links.\n"},
        {{"tracks", fifo}, fifo + ": cannot read: not a regular file\n"},
        {{"hyphenate", "--words", "--patterns", fifo}, fifo + ": cannot read: not a regular file\n"},
        {{"check", huge}, huge + ": too large (41943040 bytes; at most 33554432)\n"},
        {{"hyphenate", "--words", "--patterns", patterns},
         patterns + ": not a usable hyphenation pattern file: too short for a pattern file's header (0 bytes)\n"},
    };
    // A wait for a writer never ends; the deadline leaves room for a sanitizer build on a
    // busy machine, whose start alone can take longer than a second.
    for (const auto& [args, err] : cases) EXPECT_EQ(Sonkorac(args), (ProgramRun{1, "", err}));  // -2: it waited
}

TEST_F(FileFaults, AnOverLongNameIsRefusedNeverCut) {
    // Cut to the 255 characters after "\k", this name was "./////victim.txt", beside the song.
    const std::string name = "." + std::string(258 - 1 - 14, '/') + "victim.txt.kar";
    Write("victim.txt", "victim");
    const std::string song = Write("song.stf", "\\t 1\n\\k " + name + "\n\nla\n");
    EXPECT_EQ(Sonkorac({"make", song}).exitCode, 0);
    EXPECT_EQ(Read("victim.txt"), "victim");
    EXPECT_TRUE(Exists("victim.txt.kar"));

    // A name the system cannot hold is an error on its line.
    EXPECT_EQ(Sonkorac({"make", Write("song.stf", "\\t 1\n\\k " + std::string(256, 'k') + "\n\nla\n")}),
              (ProgramRun{1, "", song + ":2:3: File name too long: \\k names a file the system cannot hold.\n"}));
}

TEST_F(FileFaults, NoControlByteReachesTheTerminal) {
    const std::string escape =
        "\x1b]0;title\x07\x1b[2J\x9b"
        "31m";
    Write("t\x1b[2J.hyp", "");
    const std::vector<std::string> commands[] = {
        {"make", Write("song.stf", "\\t 1" + escape + "\n")},
        {"make", Write("song.stf", "\\t 1\n\\m " + escape + "\n\nla\n")},
        {"preview", Write("song.stf", "\\t 1\n\nla $" + escape + "$li\n")},
        {"print", Write("song.stf", "\\t 1\n\nla\\" + escape + "\n")},
        {"check", dir.Path("no" + escape)},
        {"hyphenate", "--words", "--patterns", dir.Path("t\x1b[2J.hyp")},
        {"tracks", "--kar", "x\x1b[2J"},
    };
    for (const std::vector<std::string>& args : commands) {
        const ProgramRun run = Sonkorac(args);
        EXPECT_NE(run.out + run.err, "") << args[1];
        for (const char c : run.out + run.err) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7F && byte != 0x9B)) << args[0] << " " << int{byte};
        }
    }
}

// A make killed with SIGKILL at any point of writing leaves the earlier karaoke file
// byte for byte; what it leaves is a hidden temporary, which the next make removes.
TEST_F(FileFaults, AKilledMakeLeavesTheEarlierFileAndTheNextMakeCleansUp) {
    Bytes voice;
    std::string lyrics;
    for (int i = 0; i < 200; ++i) {
        voice = Cat({voice, NoteOn(i == 0 ? 0 : 240, 0, 60 + i % 12, 90), NoteOff(240, 0, 60 + i % 12)});
        lyrics += i % 2 == 0 ? "la-" : "li ";
    }
    Write("song.mid", MidiFile(1, 480, {Tempo120, Cat({voice, EndOfTrack()})}));
    const std::string song = Write("song.stf", "\\t 1\n\n" + lyrics + "\n");
    ASSERT_EQ(Sonkorac({"make", song}).exitCode, 0);
    const Bytes earlier = ReadBytes(dir.Path("song.kar"));
    Write("song.stf", "\\t 1\n@TA new title\n\n" + lyrics + "\n");

    // Into the header, after it, into the Words track, near the end, and with the whole
    // file written but not yet renamed. (The new file is longer by its title line.)
    const size_t size = earlier.size();
    for (const std::string& point : std::vector<std::string>{
             "KILL_AFTER_BYTES=1", "KILL_AFTER_BYTES=14", "KILL_AFTER_BYTES=" + std::to_string(size / 2),
             "KILL_AFTER_BYTES=" + std::to_string(size - 1), "KILL_AT_RENAME=1"}) {
        const ProgramRun run = Sonkorac({"make", song}, {"LD_PRELOAD=" KILL_AT_WRITE_PATH,
                                                         "ASAN_OPTIONS=verify_asan_link_order=0", "SONKORA_" + point});
        EXPECT_EQ(run.exitCode, 128 + SIGKILL) << point;
        EXPECT_EQ(ReadBytes(dir.Path("song.kar")), earlier) << point;
        // What the killed run had written lies beside, hidden; never in the target.
        const std::vector<std::string> left = Temporaries();
        ASSERT_EQ(left.size(), 1U) << point;
        EXPECT_TRUE(point.find("RENAME") != std::string::npos || ReadBytes(left[0]).size() < size) << point;
    }
    // The next make finds the leftovers unlocked, removes them and puts the new file in place.
    const ProgramRun next = Sonkorac({"make", song});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_TRUE(Temporaries().empty());
    EXPECT_GT(ReadBytes(dir.Path("song.kar")).size(), size);
}

}  // namespace
}  // namespace sonkora::clitest
