// Make, Export and Play from song text to file: the bytes written, the binding of
// syllables to notes, time codes and track changes, the lyric count questions, the
// errors with their caret places, and what is left behind (nothing) when anything fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/IoError.h"
#include "compiler_fixture.h"
#include "support/FileSizeLimit.h"

namespace sonkora {
namespace {

using namespace compilertest;

const Bytes Conductor = Cat({Meta(0, 0x03, "Conductor"), Tempo(0, 500000), EndOfTrack()});
// Division 480: voice 1 has a note on every beat from 0 to 3360, voice 2 four notes at
// 240, 720, 1200 and 1680.
const Bytes Voice1 = Beats(8);
const Bytes Voice2 = Beats(4, 240, 1);

class Compile : public ::testing::Test {
protected:
    Compile() { WriteBytes(dir.Path("song.mid"), midi); }

    int32_t Run(CompileKind kind, const Lines& lines) {
        WriteBytes(dir.Path("song.stf"), Text(JoinLines(lines)));
        document = MemorySongDocument(dir.Path("song.stf"), lines);
        ui.log.clear();
        ui.listed = 0;
        CompileAndAct(compiler, kind, fromCursor, external, document, ui, host);
        return compiler.MidiError();
    }

    // "tick:text" of the lyrics in the Words track of the file made.
    Lines Lyrics() {
        Lines lyrics;
        for (const importtest::Timed& t : MetaTexts(SplitChunks(ReadBytes(compiler.KarFileName())).chunks.at(2)))
            if (t.text.empty() || t.text[0] != '@') lyrics.push_back(Join(t.time, ":", t.text));
        return lyrics;
    }

    // What the user was shown, with the test's folder written as "~".
    Lines Log() const {
        Lines log = ui.log;
        const std::string folder = dir.Path("");
        for (std::string& line : log)
            for (size_t at; (at = line.find(folder)) != std::string::npos;) line.replace(at, folder.size() - 1, "~");
        return log;
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.Path(name)); }

    TempDir dir;
    Bytes midi = MidiFile(1, 480, {Conductor, Voice1, Voice2});
    SongCompiler compiler;
    RecordingHost host;
    MemorySongDocument document{"", {}};
    RecordingUi ui{document};
    bool fromCursor = false, external = false;
};

// The Words track: its name, then texts of one meta type, each at its delta time.
Bytes Words(uint8_t type, const std::vector<uint32_t>& deltas, const Lines& texts) {
    Bytes words = Meta(0, 0x03, "Words");
    for (size_t i = 0; i < texts.size(); ++i) words = Cat({words, Meta(deltas.at(i), type, texts[i])});
    return Cat({words, EndOfTrack()});
}

TEST_F(Compile, MakeAndExportWriteTheExampleSongByteForByte) {
    Lines lines = ExampleSong;
    lines[0] = "\\t 1";
    ASSERT_EQ(Run(Make, lines), 0);
    EXPECT_EQ(Log(), (Lines{"information 20000 Karaoke file made succesfully: ~/song.kar"}));
    const Bytes information = Cat({Meta(0, 0x03, "Soft karaoke"), Meta(0, 0x01, "@KMIDI KARAOKE FILE"), EndOfTrack()});
    const Bytes texts =
        Words(0x01, {0, 0, 0, 480, 480, 480, 480, 480, 480, 480, 480},
              {"@LENGL", "@TMy Song", "\\Hel", "lo", " world,", "/how", " are", " you", "\\Fine", "ty", " thanks"});
    EXPECT_EQ(ReadBytes(dir.Path("song.kar")), Cat({Header(1, 5, 480), Track(Conductor), Track(information),
                                                    Track(texts), Track(Voice1), Track(Voice2)}));
    EXPECT_EQ(host.preview, (Lines{"", "Hello world,", "how are you", "", "Finety thanks"}));

    // Export writes title and writer lines, and each lyric, as lyric events.
    lines.insert(lines.begin() + 1, "\\k out.mid");
    lines.insert(lines.begin() + 5, "@WWords: trad.");
    std::filesystem::remove(dir.Path("song.kar"));
    ASSERT_EQ(Run(Export, lines), 0);
    EXPECT_EQ(Log(), (Lines{"information 20000 Karaoke file made succesfully: ~/out.mid"}));
    const Bytes lyrics = Words(0x05, {0, 0, 0, 0, 0, 480, 480, 0, 480, 480, 480, 0, 480, 480, 480},
                               {"My Song ", "\r", "Words: trad. ", "\r", "Hel", "lo ", "world, ", "\r", "how ", "are ",
                                "you ", "\r", "Fine", "ty ", "thanks "});
    EXPECT_EQ(ReadBytes(dir.Path("out.mid")),
              Cat({Header(1, 4, 480), Track(Conductor), Track(lyrics), Track(Voice1), Track(Voice2)}));
    EXPECT_FALSE(Exists("song.kar"));
}

TEST_F(Compile, SyllablesTakeNotesTimeCodesAndTrackChanges) {
    const std::pair<std::string, Lines> cases[] = {
        // Empty syllables take a note and write nothing.
        {"Hel--lo wor- ld", {"0:\\Hel", "960:lo", "1440: wor", "2400: ld"}},
        // A time code binds the next syllable, the one after takes the next note; before
        // the line end it binds an empty syllable, which writes nothing.
        {"a b $2:1:60$c d $1:1:1$", {"0:\\a", "480: b", "2160: c", "2400: d"}},
        {"a b $1:2:1$c", {"0:\\a", "480: b", "484: c"}},
        {"a b c$2:1:0", {"0:\\a", "480: b", "1920: c"}},
        // A time code before a blank moves the voice on: "li" takes the first note after it.
        {"la $2:1:0$ li", {"0:\\la", "2400: li"}},
        // Track 2 passes its notes up to the last lyric; track 1 goes on where it was left.
        {"a b $\\t 2$c d $\\t 1$e f", {"0:\\a", "480: b", "720: c", "1200: d", "1440: e", "1920: f"}},
    };
    for (const auto& [body, lyrics] : cases) {
        ASSERT_EQ(Run(Make, {"\\t 1", "", body}), 0) << body;
        EXPECT_EQ(Lyrics(), lyrics) << body;
    }
}

TEST_F(Compile, LyricCountQuestionsDecideWhetherTheFileIsKept) {
    const std::string more =
        "query 25000 More lyrics than vocal notes.\r(6 lyric(s) and 4 note(s)/time-code(s) counted)\rContinue?";
    ASSERT_EQ(Run(Make, {"\\t 2", "", "a b c d e f"}), 0);
    EXPECT_EQ(Log(), (Lines{more, "information 20000 Karaoke file made succesfully: ~/song.kar"}));
    EXPECT_EQ(Lyrics(), (Lines{"240:\\a", "720: b", "1200: c", "1680: d"}));
    EXPECT_EQ(compiler.Lyrics()[5].Time, 1690);  // the time of the last event read

    // Declined, the file made before stays as it was.
    const Bytes made = ReadBytes(dir.Path("song.kar"));
    ui.answer = false;
    EXPECT_EQ(Run(Make, {"\\t 2", "", "a b c d e f"}), -2);
    EXPECT_EQ(Log(), (Lines{more, "information 20000 Karaoke file not made"}));
    EXPECT_EQ(ReadBytes(dir.Path("song.kar")), made);
    EXPECT_EQ(Run(Export, {"\\t 2", "\\k out.mid", "", "a b"}), -2);
    EXPECT_EQ(Log()[0], "query 25000 2 lyric(s) missing.\rContinue?");
    EXPECT_FALSE(Exists("out.mid"));
    EXPECT_EQ(Run(Make, {"\\t 2", "", "a b c d"}), 0);

    // Switched off, or in a batch run, nothing is asked and the file stays.
    host.settings.CompilerMoreLyrics = host.settings.CompilerLessLyrics = false;
    EXPECT_EQ(Run(Make, {"\\t 2", "", "a b c d e f"}), 0);
    EXPECT_EQ(Run(Export, {"\\t 2", "\\k out.mid", "", "a b"}), 0);
    host.settings = {};
    ui.batch = true;
    EXPECT_EQ(Run(Make, {"\\t 2", "", "a b c d e f"}), 0);
    EXPECT_TRUE(ui.log.empty());
    EXPECT_TRUE(Exists("song.kar") && Exists("out.mid"));
}

TEST_F(Compile, FailuresAreReportedAndLeaveTheEarlierOutputAsItWas) {
    struct Case {
        CompileKind kind;
        Lines lines;
        std::string shown;  // the one error box, with the caret place for a song text error
        int32_t code = -1;
        Bytes file = {};  // the MIDI file, if not the usual one
    };
    Bytes cut = MidiFile(1, 480, {Conductor, Beats(4)});
    cut.erase(cut.end() - 12, cut.end());  // the voice track now claims more than the file holds
    const std::string tooMany = "Track number \\t 3 greater than number of tracks (MIDI file contains 2 tracks).";
    const Case cases[] = {
        {Make, {"\\m song.mid", "\\t two", "@TTitle", "", "la"}, "@2:1 Invalid Track number \\t two"},
        {Make, {"\\t 2147483648", "", "la"}, "@1:0 Invalid Track number \\t 2147483648"},
        {Make, {"\\t 0", "@TTitle", "", "la"}, "@1:1 Track number \\t must be greater than 0."},
        {Export, {"\\t -3", "\\k out.mid", "", "la"}, "@2:0 Track number \\t must be greater than 0."},
        {Export, {"", "\\t 1", "\\m missing.mid", "", "la"}, "@3:0 Karaoke file not specified."},
        {Play, {"\\t 1", "\\m  midi/other.mid ", "@T", "", "la"}, "@2:1 File ~/midi/other.mid not found."},
        {SelectTrack, {"\\m /"}, "@0:1 File / not found."},
        {Make, {"\\t 1", "\\k ./song.mid", "", "a"}, "@2:0 Output file ~/./song.mid would overwrite the MIDI file."},
        {Export, {"\\t 1", "\\k song.stf", "", "a"}, "@2:0 Output file ~/song.stf would overwrite the song text."},
        {Make, {"\\t 1", "\\k taken.kar", "", "a"}, "@0:0 Error writing file ~/taken.kar.", -3},
        // A "\\m" line after an @-line is not read.
        {Make, {"\\t 3", "@TTitle", "\\m other.mid", "", "la"}, "@1:1 " + tooMany},
        {Make, {"\\t 1", "", "a $\\t 3$b"}, "@2:8 " + tooMany},
        {Make, {"\\t 1", "", "a $\\t 0$b"}, "@2:8 Track number \\t must be greater than 0."},
        {Make, {"\\t 1", "", "a $\\t x$b"}, "@2:8 Invalid Track number \\t x"},
        {Make, {"\\t 1", "", "a b", "$1:2:0$c"}, "@3:1 MIDI time 1:2:0 falls before time of previous lyric (1:2:0)"},
        {Make, {"\\t 1", "", "a $-1:1:0$b"}, "@2:3 Invalid MIDI time $-1:1:0$."},
        {Make, {"\\t 1", "", "Hel-$$lo"}, "@2:5 MIDI time of 'lo' is 1:2:0."},
        {Make, {"\\t 2", "", "a b c d e $$f"}, "@2:11 MIDI time of 'f' is unknown (no note event found)."},
        // The file's own errors are shown after the compilation, the caret left alone.
        {Make,
         {"\\t 1", "", "a"},
         "@0:0 Type 2 MIDI file: its tracks are separate patterns, not one song. Save it as type 1 first.",
         10,
         MidiFile(2, 480, {Conductor, Beats(1)})},
        {Make, {"\\t 1", "", "a b c d"}, "@0:0 MIDI file is damaged: a track is cut short.", 9, cut},
        // A query after the last note finds only the end of the track.
        {Make, {"\\t 1", "", "a b c d e f g h $$i"}, "@2:17 MIDI time of 'i' is unknown (no note event found)."},
    };
    std::filesystem::create_directory(dir.Path("taken.kar"));
    const std::set<std::string> Folder = {"song.kar", "song.mid", "song.stf", "taken.kar"};
    for (const Case& c : cases) {
        const Bytes& file = c.file.empty() ? midi : c.file;
        WriteBytes(dir.Path("song.mid"), file);
        WriteBytes(dir.Path("song.kar"), Text("earlier"));
        EXPECT_EQ(Run(c.kind, c.lines), c.code) << c.shown;
        EXPECT_EQ(Log(), Lines{"error 25000 " + c.shown});
        EXPECT_EQ(ReadText(dir.Path("song.kar")), "earlier") << c.shown;
        EXPECT_EQ(dir.Names(), Folder) << c.shown;  // no temporary file, no out.mid
        EXPECT_EQ(ReadBytes(dir.Path("song.mid")), file) << c.shown;
    }
    // An output that cannot be created is shown even in a batch run, and kept.
    ui.batch = true;
    EXPECT_EQ(Run(Make, {"\\t 1", "\\k taken.kar", "", "a"}), -3);
    EXPECT_EQ(Log(), (Lines{"error 25000 @0:0 Error writing file ~/taken.kar."}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("taken.kar")));
}

TEST_F(Compile, AChosenVoiceTrackBecomesTheTrackLine) {
    // Voice Track Selection replaces the header's track line, or puts one first.
    ui.trackChoice = 0;
    Run(SelectTrack, {"@LENGL", "  \\t 2", "", "a"});
    EXPECT_EQ(document.Lines(), (Lines{"@LENGL", "\\t 1", "", "a"}));
    Run(SelectTrack, {"", "\\t 2", "", "a"});
    EXPECT_EQ(document.Lines(), (Lines{"\\t 1", "", "\\t 2", "", "a"}));
    EXPECT_FALSE(Exists("song.kar"));

    // Make without a track line inserts the chosen one first; records count it.
    ui.trackChoice = 1;
    ASSERT_EQ(Run(Make, {"@TTitle", "\\t 1", "", "a b c d"}), 0);
    EXPECT_EQ(ui.listed, 2u);
    EXPECT_EQ(document.Lines().front(), "\\t 2");
    EXPECT_EQ(Lyrics(), (Lines{"240:\\a", "720: b", "1200: c", "1680: d"}));
    EXPECT_EQ(compiler.Lyrics()[0].Pos, 19);

    // Cancelled: Make stops, Voice Track Selection leaves the text as it was.
    ui.trackChoice.reset();
    EXPECT_EQ(Run(Make, {"\\m song.mid", "", "a b"}), -1);
    EXPECT_EQ(Log(), (Lines{"error 25000 @1:0 Track number \\t missing."}));
    EXPECT_EQ(Run(SelectTrack, {"\\t 2", "", "a"}), 0);
    EXPECT_EQ(document.Lines().front(), "\\t 2");
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(Compile, AWriteFailureLeavesTheEarlierFileAndIsRaised) {
    WriteBytes(dir.Path("song.mid"), MidiFile(1, 480, {Conductor, Beats(2), Bytes(200000, 0)}));
    WriteBytes(dir.Path("song.kar"), Text("earlier"));
    // Files may grow to 4096 bytes only, so copying the large track fails.
    test::WithFileSizeLimit(4096, [&] { EXPECT_THROW(Run(Make, {"\\t 1", "", "a b"}), IoError); });
    EXPECT_NE(compiler.MidiError(), 0);
    EXPECT_EQ(ReadText(dir.Path("song.kar")), "earlier");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"song.kar", "song.mid", "song.stf"}));
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(Compile, PlayHandsTheFileOnOnlyAfterASuccess) {
    const Lines lines = {"\\t 2", "", "a b c d"};
    ASSERT_EQ(Run(Play, lines), 0);
    fromCursor = true;
    ASSERT_EQ(Run(Play, lines), 0);
    external = true;
    host.settings.KaraokePlayer = "/opt/player/kplay";
    host.settings.Parameters = "/play %";
    ASSERT_EQ(Run(Play, lines), 0);
    EXPECT_TRUE(ui.log.empty());
    host.startSucceeds = false;
    host.settings.Parameters = "%%";
    ASSERT_EQ(Run(Play, lines), 0);
    EXPECT_EQ(Log(),
              Lines{"error 0 @0:0 Error executing \"/opt/player/kplay ~/song.kar~/song.kar\" in \"/opt/player/\"."});
    const std::string kar = dir.Path("song.kar");
    EXPECT_TRUE(Exists("song.kar"));

    ui.answer = false;
    EXPECT_EQ(Run(Play, {"\\t 2", "", "a b c d e"}), -2);
    EXPECT_EQ(ui.log.size(), 1u);  // the question only
    EXPECT_EQ(host.calls, (Lines{"play " + kar, "play " + kar + " from cursor", "stop",
                                 "start /opt/player/kplay|/play " + kar + "|/opt/player/", "stop",
                                 "start /opt/player/kplay|" + kar + kar + "|/opt/player/"}));
}

}  // namespace
}  // namespace sonkora
