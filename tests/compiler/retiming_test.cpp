// Timing by ear over a song whose tempo changes: 120 bpm for the first bar (a beat is
// 0.5 s), then twice as fast (0.25 s), with division 480. Track 1 has a note on every
// beat, track 2 one on every off-beat.
#include <gtest/gtest.h>

#include "compiler/Retiming.h"
#include "compiler/TimeCodeShift.h"
#include "compiler/compiler_fixture.h"

namespace sonkora::compilertest {
namespace {

class Retiming : public ::testing::Test {
protected:
    Retiming() {
        std::vector<uint32_t> offbeats;
        for (uint32_t tick = 240; tick < 7200; tick += 480) offbeats.push_back(tick);
        WriteBytes(dir.Path("song.mid"), MidiFile(1, 480,
                                                  {Cat({Tempo(0, 500000), Tempo(1920, 250000), EndOfTrack(7000)}),
                                                   NotesAt(EveryBeat(16)), NotesAt(offbeats)}));
    }

    MemorySongDocument Song(const Lines& body) const {
        Lines lines = {"\\t 1", "\\m song.mid", ""};
        lines.insert(lines.end(), body.begin(), body.end());
        return MemorySongDocument(dir.Path("song.stf"), lines);
    }
    static Lines Body(const MemorySongDocument& document) {
        return Lines(document.Lines().begin() + 3, document.Lines().end());
    }

    TempDir dir;
};

TEST_F(Retiming, TapsBecomeCodesOnlyWhereTheSyllableWouldNotTakeThatTime) {
    struct Row {
        const char* what;
        Lines body;
        int from;
        std::vector<double> taps;
        RetimeSettings settings;
        Lines expected;
        std::string counts;  // written, removed, moved, ignored
    };
    const RetimeSettings snap;
    const RetimeSettings noSnap{0, 0};
    const Row rows[] = {
        {"taps on the notes leave the text alone", {"a b c d"}, 0, {0, 0.5, 1.0, 1.52}, snap, {"a b c d"}, "0 0 0 0"},
        {"between notes: the nearest unit; the next syllable goes on from there",
         {"a b c d"},
         0,
         {0, 0.75, 1.0, 1.5},
         snap,
         {"a $1:2:60$b c d"},
         "1 0 0 0"},
        {"after the tempo change the faster beat counts", {"a b"}, 1, {2.125}, snap, {"a $2:1:60$b"}, "1 0 0 0"},
        {"a note in the window that is not the syllable's own gets its exact code",
         {"a b c"},
         0,
         {0.03, 1.02, 1.5},
         snap,
         {"a $1:3:0$b c"},
         "1 0 0 0"},
        {"a code goes where the syllable takes its own note anyway",
         {"a $1:3:0$b c"},
         1,
         {0.51},
         snap,
         {"a b c"},
         "0 1 0 0"},
        {"latency is taken off every tap", {"a b c d"}, 0, {0.1, 0.85}, {80, 100}, {"a $1:2:60$b c d"}, "1 0 0 0"},
        {"a tap not after the syllable before takes one unit more",
         {"a b c"},
         0,
         {0, 0, 0.01},
         noSnap,
         {"a $1:1:1$b $1:1:2$c"},
         "2 0 1 0"},
        {"without snapping a tap near a note keeps its own time",
         {"a b"},
         1,
         {0.51},
         noSnap,
         {"a $1:2:2$b"},
         "1 0 0 0"},
        {"taps beyond the last syllable are counted", {"a b"}, 0, {0, 0.5, 1, 1.5}, snap, {"a b"}, "0 0 0 2"},
        {"empty syllables and _ groups take taps like any other",
         {"a--b_c"},
         0,
         {0, 0.75, 1.0, 1.5},
         snap,
         // An empty syllable with a code leaves the note search where it was, so b
         // would take the second note: it needs its code.
         {"a-$1:2:60$-$1:3:0$b_c"},
         "2 0 0 0"},
        {"a code stands after a track change, and snaps to that track's notes",
         {"a $\\t 2$b"},
         1,
         {0.74},
         snap,
         {"a $\\t 2$$1:2:60$b"},
         "1 0 0 0"},
        {"a code left open at its line end keeps it",
         {"a $1:2:0", "b"},
         1,
         {0.75},
         snap,
         {"a $1:2:60", "b"},
         "1 0 0 0"},
        {"codes across lines: the last is rewritten",
         {"a b $1:1:0", "$1:3:0$c"},
         2,
         {1.25},
         snap,
         {"a b $1:1:0", "$1:3:60$c"},
         "1 0 0 0"},
    };
    for (const Row& row : rows) {
        MemorySongDocument document = Song(row.body);
        RecordingUi ui(document);
        SongCompiler compiler;
        const RetimeOutcome outcome = RetimeSong(compiler, document, ui, row.from, row.taps, row.settings);
        ASSERT_TRUE(outcome.done) << row.what << ": " << (ui.log.empty() ? outcome.problem : ui.log[0]);
        EXPECT_EQ(Body(document), row.expected) << row.what;
        const RetimeCounts& c = outcome.counts;
        EXPECT_EQ(Join(c.written, " ", c.removed, " ", c.moved, " ", c.ignored), row.counts) << row.what;
    }
}

TEST_F(Retiming, RefusedTapsAndSongsLeaveTheTextAsItWas) {
    struct Row {
        const char* what;
        Lines body;
        int from;
        std::vector<double> taps;
        std::string expected;  // the refused tap and why, or what the user was shown
    };
    const Row rows[] = {
        {"a negative tap", {"a b"}, 0, {0, -0.5}, "1: -0.5 s lies before the start of the song"},
        {"a tap after the song", {"a b"}, 0, {0, 9}, "1: 9 s lies beyond the end of the song (5.646 s)"},
        {"a song that does not compile", {"a $9:9:9$b"}, 0, {0}, "error 25000 @3:3 Invalid MIDI time $9:9:9$."},
        {"a later code that the taps pass", {"a b $1:2:0$c"}, 0, {0, 0.6}, "MIDI time 1:2:0 falls before"},
        {"no syllable to start from", {"a b"}, 2, {0}, "there is no syllable 3 to time (the song has 2)"},
    };
    for (const Row& row : rows) {
        MemorySongDocument document = Song(row.body);
        RecordingUi ui(document);
        SongCompiler compiler;
        const RetimeOutcome outcome = RetimeSong(compiler, document, ui, row.from, row.taps, {});
        EXPECT_FALSE(outcome.done) << row.what;
        const std::string said = outcome.badTap   ? Join(*outcome.badTap, ": ", outcome.tapProblem)
                                 : ui.log.empty() ? outcome.problem
                                                  : ui.log[0];
        EXPECT_NE(said.find(row.expected), std::string::npos) << row.what << ": " << said;
        EXPECT_EQ(Body(document), row.body) << row.what;
    }
}

TEST_F(Retiming, TheRecorderShowsEachCodeAsWrittenAndTakesTapsBack) {
    MemorySongDocument document = Song({"a $2:1:0$b c", "d"});
    RecordingUi ui(document);
    SongCompiler compiler;
    const std::optional<SongTiming> timing = ReadSongTiming(compiler, document, ui);
    ASSERT_TRUE(timing);
    EXPECT_EQ(timing->SyllableAt(20), 1);  // the caret just before "$2:1:0$b"
    TimingRecorder recorder(*timing, timing->SyllableAt(20), {});
    EXPECT_EQ(recorder.FirstSyllableSeconds(), 2.0);

    // The edits, applied one by one to the text as the editor shows it, give the recorder's text.
    std::string text = "\\t 1\n\\m song.mid\n\na $2:1:0$b c\nd";
    const auto apply = [&](const std::optional<TextEdit>& edit) {
        if (edit) text.replace(static_cast<size_t>(edit->start), static_cast<size_t>(edit->length), edit->text);
    };
    std::optional<TextEdit> edit;
    EXPECT_EQ(recorder.Tap(0.75, &edit), TapResult::Timed);
    apply(edit);
    EXPECT_EQ(recorder.NextSyllableSource().Start, static_cast<int>(text.find("c")));
    EXPECT_EQ(recorder.Tap(0.9, &edit), TapResult::Timed);
    apply(edit);
    EXPECT_EQ(recorder.Tap(1.0, &edit), TapResult::Timed);  // d's own note: no code
    EXPECT_FALSE(edit);
    EXPECT_EQ(text, "\\t 1\n\\m song.mid\n\na $1:2:60$b $1:2:96$c\nd");
    EXPECT_EQ(recorder.Tap(1.6), TapResult::NoSyllableLeft);
    apply(recorder.TakeBack());
    apply(recorder.TakeBack());
    EXPECT_EQ(text, "\\t 1\n\\m song.mid\n\na $1:2:60$b c\nd");
    EXPECT_EQ(recorder.Tap(1.0, &edit), TapResult::Timed);
    apply(edit);

    std::string joined;
    for (const std::string& line : recorder.Lines()) joined += line + "\n";
    EXPECT_EQ(joined, text + "\n");
    ASSERT_TRUE(recorder.Settle(compiler, document, ui));
    EXPECT_EQ(Body(document), Lines({"a $1:2:60$b c", "d"}));
    const std::vector<SourceRange> changed = recorder.ChangedRanges();
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(text.substr(static_cast<size_t>(changed[0].Start), static_cast<size_t>(changed[0].Length)), "$1:2:60$");
}

TEST(ShiftTimeCodes, MovesEveryCodeInTheRangeOrRefusesNamingTheLine) {
    const Lines song = {"\\t 1", "@T$1:1:0$ stays", "", "a $2:1:0$b \\$1:1:0\\$ $$c", "$\\t 2$d $1:4:60"};
    struct Row {
        const char* amount;
        std::optional<SourceRange> selection;
        Lines expected;  // the body, or the refusal
    };
    const Row rows[] = {
        {"1", std::nullopt, {"a $2:2:0$b \\$1:1:0\\$ $$c", "$\\t 2$d $2:1:60"}},
        {"-0:60", std::nullopt, {"a $1:4:60$b \\$1:1:0\\$ $$c", "$\\t 2$d $1:4:0"}},
        {"4", SourceRange{47, 15}, {"a $2:1:0$b \\$1:1:0\\$ $$c", "$\\t 2$d $2:4:60"}},
        {"-4", std::nullopt, {"5:9: Time code $1:4:60$ would move before 1:1:0."}},
    };
    for (const Row& row : rows) {
        MemorySongDocument document("/songs/song.stf", song);
        RecordingUi ui(document);
        const ShiftOutcome outcome = ShiftTimeCodes(document, ui, row.selection, *ParseShiftAmount(row.amount));
        const Lines body(document.Lines().begin() + 3, document.Lines().end());
        if (outcome.done) {
            EXPECT_EQ(body, row.expected) << row.amount;
        } else {
            EXPECT_EQ(Lines{Join(outcome.line + 1, ":", outcome.column, ": ", outcome.problem)}, row.expected);
            EXPECT_EQ(document.Lines(), song);
        }
    }
    for (const char* bad : {"", "-", "1:120", "1:", "x", "1.5", "--1"}) EXPECT_FALSE(ParseShiftAmount(bad)) << bad;
}

}  // namespace
}  // namespace sonkora::compilertest
