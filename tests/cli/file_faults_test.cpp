// sonkorac against files that are not what they seem: every failing or refused make and
// export leaves the earlier output byte for byte and no temporary file; FIFOs, devices
// and link loops are refused at once; over-long names are refused, never cut; control
// bytes never reach the terminal; damaged pattern files are refused by name.
#include <sys/stat.h>

#include "cli_fixture.h"
#include "hyphenation/PatternFile.h"

namespace sonkora::clitest {

namespace {

class FileFaults : public SonkoracTest {
protected:
    FileFaults() {
        Write("song.mid", MidiFile(1, 480,
                                   {Cat({Tempo(0, 500000), EndOfTrack()}),
                                    Cat({NoteOn(0, 0, 60, 90), NoteOn(480, 0, 62, 90), NoteOn(480, 0, 64, 90),
                                         NoteOff(480, 0, 64), EndOfTrack()})}));
    }
    ProgramRun Run(std::vector<std::string> args) { return RunWithDeadline(dir, std::move(args)); }
    // The names in the folder that a save uses for its temporary files.
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path(""))) {
            const std::string name = entry.path().filename().string();
            if (name.find(".sonkora-tmp-") != std::string::npos) found.push_back(name);
        }
        return found;
    }
};

TEST_F(FileFaults, AFailedOrRefusedMakeOrExportLeavesTheEarlierOutputAsItWas) {
    ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path("folder"));
    std::filesystem::create_symlink("loop", dir.Path("loop"));
    const std::string longName = std::string(300, 'n') + ".kar";
    // Command, song text after "\t 1\n\m song.mid\n", the output it names.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"make", "\n\nla $9:x$li\n", "song.kar"},                    // a lyric error
        {"make", "\n\nla $\\t 7$li\n", "song.kar"},                  // a wrong \t
        {"make", "\n\nla\n", "song.kar"},                            // --strict: notes left over
        {"export", "\\k out.mid\n\nla li lo lu\n", "out.mid"},       // --strict: lyrics left over
        {"export", "\\k out.mid\n\nla $1:1:0$li\n", "out.mid"},      // a time before the last
        {"make", "\\k fifo\n\nla li lo\n", "fifo"},                  // an output that is a FIFO
        {"make", "\\k folder\n\nla li lo\n", "folder"},              // ... a folder
        {"make", "\\k " + longName + "\n\nla li lo\n", "song.kar"},  // ... a name too long
        {"make", "\\m loop\n\nla li lo\n", "song.kar"},              // a MIDI file that loops
        {"make", "\\m fifo\n\nla li lo\n", "song.kar"},              // ... that is a FIFO
    };
    for (const auto& [command, rest, output] : cases) {
        SCOPED_TRACE(command + " " + rest);
        Write("song.kar", Text("earlier karaoke file"));
        Write("out.mid", Text("earlier MIDI file"));
        const ProgramRun run = Run({command, Write("song.stf", Text("\\t 1\n\\m song.mid\n" + rest)), "--strict"});
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err, "");
        EXPECT_EQ(ReadText(dir.Path("song.kar")), "earlier karaoke file");
        EXPECT_EQ(ReadText(dir.Path("out.mid")), "earlier MIDI file");
        EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("fifo")));
        EXPECT_TRUE(Temporaries().empty());
    }
    // In a folder that cannot be written the earlier file stays too, and nothing is added.
    if (::geteuid() != 0) {
        std::filesystem::permissions(dir.Path(""), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        EXPECT_EQ(Run({"make", dir.Path("song.stf")}).exitCode, 1);
        std::filesystem::permissions(dir.Path(""), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(ReadText(dir.Path("song.kar")), "earlier karaoke file");
    }
}

TEST_F(FileFaults, WhatIsNoFileIsRefusedAtOnceSayingWhatItIs) {
    ASSERT_EQ(::mkfifo(dir.Path("fifo.stf").c_str(), 0600), 0);
    std::filesystem::create_symlink("loop.stf", dir.Path("loop.stf"));
    const std::string fifo = dir.Path("fifo.stf"), loop = dir.Path("loop.stf");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"make", fifo}, fifo + ": cannot read: not a regular file\n"},
        {{"preview", "/dev/zero"}, "/dev/zero: cannot read: not a regular file\n"},
        {{"check", loop}, loop + ": a loop of symbolic links\n"},
        {{"tracks", loop}, "File " + loop + " is a loop of symbolic links.\n"},
        {{"tracks", fifo}, fifo + ": cannot read: not a regular file\n"},
        {{"hyphenate", "--words", "--patterns", fifo}, fifo + ": cannot read: not a regular file\n"},
    };
    for (const auto& [args, err] : cases) {
        // A wait for a writer never ends; the deadline leaves room for a sanitizer build
        // on a busy machine, whose start alone can take longer than a second.
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.exitCode, 1) << err;  // -2: it waited for the FIFO
        EXPECT_EQ(run.err, err);
    }
    // The size is checked before anything is read.
    std::filesystem::resize_file(Write("huge.stf", Text("\\t 1\n")), 40 << 20);
    EXPECT_EQ(Run({"check", dir.Path("huge.stf")}).err,
              dir.Path("huge.stf") + ": too large (41943040 bytes; at most 33554432)\n");
}

TEST_F(FileFaults, AnOverLongNameIsRefusedNeverCut) {
    // Cut to the 255 characters after "\k", this name was "./////victim.txt", beside the song.
    const std::string name = "." + std::string(258 - 1 - 14, '/') + "victim.txt.kar";
    Write("victim.txt", Text("victim"));
    const std::string song = Write("song.stf", Text("\\t 1\n\\k " + name + "\n\nla\n"));
    EXPECT_EQ(Run({"make", song}).exitCode, 0);
    EXPECT_EQ(ReadText(dir.Path("victim.txt")), "victim");
    EXPECT_TRUE(Exists("victim.txt.kar"));

    // A name the system cannot hold is an error on its line.
    const ProgramRun tooLong =
        Run({"make", Write("song.stf", Text("\\t 1\n\\k " + std::string(256, 'k') + "\n\nla\n"))});
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_EQ(tooLong.err, song + ":2:3: File name too long: \\k names a file the system cannot hold.\n");
}

TEST_F(FileFaults, NoControlByteReachesTheTerminal) {
    const std::string escape =
        "\x1b]0;title\x07\x1b[2J\x9b"
        "31m";
    Write("t\x1b[2J.hyp", Text(""));
    const std::vector<std::string> commands[] = {
        {"make", Write("song.stf", Text("\\t 1" + escape + "\n"))},
        {"make", Write("song.stf", Text("\\t 1\n\\m " + escape + "\n\nla\n"))},
        {"preview", Write("song.stf", Text("\\t 1\n\nla $" + escape + "$li\n"))},
        {"print", Write("song.stf", Text("\\t 1\n\nla\\" + escape + "\n"))},
        {"check", dir.Path("no" + escape)},
        {"hyphenate", "--words", "--patterns", dir.Path("t\x1b[2J.hyp")},
        {"tracks", "--kar", "x\x1b[2J"},
    };
    for (const std::vector<std::string>& args : commands) {
        const ProgramRun run = Run(args);
        for (const std::string& printed : {run.out, run.err}) {
            EXPECT_NE(run.out + run.err, "") << args[1];
            for (const char c : printed) {
                const auto byte = static_cast<unsigned char>(c);
                EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7F && byte != 0x9B))
                    << args[0] << " " << int{byte};
            }
        }
    }
}

TEST_F(FileFaults, ADamagedPatternFileIsRefusedByName) {
    std::string valid(PatternFile::FullTrieEnd, '\0');
    valid.replace(0, 30, "Test Hyphenation TESTING V2.0 ");
    std::string looping = valid;
    looping[PatternFile::NextOffset + 3] = 3;  // operation 3 is its own next operation
    looping[PatternFile::TrieOffset + PatternFile::TrieEntrySize * 'a' + 2] = 3;
    const std::pair<std::string, std::string> cases[] = {
        {"", "too short for a pattern file's header (0 bytes)"},
        {std::string(5000, '\xA5'), "no identification line (\"... Hyphenation LANGUAGE V2.0\")"},
        {"Test Hyphenation TESTING V1.9" + valid.substr(29), "version \"1.9\"; version 2.0 is required"},
        {valid.substr(0, 1186), "ends inside a trie entry"},
        {looping, "trie entry 97 starts the chain of operation 3, which never ends"},
    };
    for (const auto& [bytes, problem] : cases) {
        const std::string patterns = Write("bad.hyp", Text(bytes));
        const ProgramRun run = Run({"hyphenate", "--words", "--patterns", patterns});
        EXPECT_EQ(run.exitCode, 1) << problem;
        EXPECT_EQ(run.err, patterns + ": not a usable hyphenation pattern file: " + problem + "\n");
    }
    EXPECT_EQ(Run({"hyphenate", "--words", "--patterns", Write("good.hyp", Text(valid))}).exitCode, 0);
}

}  // namespace
}  // namespace sonkora::clitest
