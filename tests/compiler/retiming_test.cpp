// Timing by ear over a song whose tempo changes: 120 bpm for the first bar (a beat is
// 0.5 s), then twice as fast (0.25 s), with division 480. Track 1 has a note on every
// beat, track 2 one on every off-beat.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "compiler/Retiming.h"
#include "compiler/TimeCodeShift.h"
#include "compiler/compiler_fixture.h"

namespace sonkora::compilertest {
namespace {

class Retiming : public ::testing::Test {
protected:
    Retiming() {
        WriteBytes(dir.Path("song.mid"), MidiFile(1, 480,
                                                  {Cat({Tempo(0, 500000), Tempo(1920, 250000), EndOfTrack(7000)}),
                                                   Beats(16), Beats(15, 240)}));
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
    // The body, the syllable tapped from, the taps, the settings, the body retimed and the
    // counts written, removed, moved and ignored.
    const RetimeSettings snap, noSnap{0, 0};
    const std::tuple<Lines, int, std::vector<double>, RetimeSettings, Lines, std::string> rows[] = {
        // Taps on the notes leave the text alone.
        {{"a b c d"}, 0, {0, 0.5, 1.0, 1.52}, snap, {"a b c d"}, "0 0 0 0"},
        // Between notes: the nearest unit; the next syllable goes on from there.
        {{"a b c d"}, 0, {0, 0.75, 1.0, 1.5}, snap, {"a $1:2:60$b c d"}, "1 0 0 0"},
        // After the tempo change the faster beat counts.
        {{"a b"}, 1, {2.125}, snap, {"a $2:1:60$b"}, "1 0 0 0"},
        // A note in the window that is not the syllable's own gets its exact code.
        {{"a b c"}, 0, {0.03, 1.02, 1.5}, snap, {"a $1:3:0$b c"}, "1 0 0 0"},
        // A code goes where the syllable takes its own note anyway.
        {{"a $1:3:0$b c"}, 1, {0.51}, snap, {"a b c"}, "0 1 0 0"},
        // Latency is taken off every tap.
        {{"a b c d"}, 0, {0.1, 0.85}, {80, 100}, {"a $1:2:60$b c d"}, "1 0 0 0"},
        // A tap not after the syllable before takes one unit more.
        {{"a b c"}, 0, {0, 0, 0.01}, noSnap, {"a $1:1:1$b $1:1:2$c"}, "2 0 1 0"},
        // Without snapping a tap near a note keeps its own time.
        {{"a b"}, 1, {0.51}, noSnap, {"a $1:2:2$b"}, "1 0 0 0"},
        // Taps beyond the last syllable are counted.
        {{"a b"}, 0, {0, 0.5, 1, 1.5}, snap, {"a b"}, "0 0 0 2"},
        // Empty syllables and _ groups take taps like any other. An empty syllable with a
        // code leaves the note search where it was, so b would take the second note.
        {{"a--b_c"}, 0, {0, 0.75, 1.0, 1.5}, snap, {"a-$1:2:60$-$1:3:0$b_c"}, "2 0 0 0"},
        // A code stands after a track change, and snaps to that track's notes.
        {{"a $\\t 2$b"}, 1, {0.74}, snap, {"a $\\t 2$$1:2:60$b"}, "1 0 0 0"},
        // A code left open at its line end keeps it.
        {{"a $1:2:0", "b"}, 1, {0.75}, snap, {"a $1:2:60", "b"}, "1 0 0 0"},
        // Codes across lines: the last is rewritten.
        {{"a b $1:1:0", "$1:3:0$c"}, 2, {1.25}, snap, {"a b $1:1:0", "$1:3:60$c"}, "1 0 0 0"},
    };
    for (const auto& [body, from, taps, settings, expected, counts] : rows) {
        SCOPED_TRACE(Join(body[0], " from ", from));
        MemorySongDocument document = Song(body);
        RecordingUi ui(document);
        SongCompiler compiler;
        const RetimeOutcome outcome = RetimeSong(compiler, document, ui, from, taps, settings);
        ASSERT_TRUE(outcome.done) << (ui.log.empty() ? outcome.problem : ui.log[0]);
        EXPECT_EQ(Body(document), expected);
        const RetimeCounts& c = outcome.counts;
        EXPECT_EQ(Join(c.written, " ", c.removed, " ", c.moved, " ", c.ignored), counts);
    }
}

// Refused taps and songs, and the text they leave alone, are run through sonkorac retime.
// Tapping along in the editor, with its selection and taking taps back, is the shell's
// record-timing test; here the edits it is shown against the text the recorder settles.
TEST_F(Retiming, TheRecorderShowsEachCodeAsWrittenAndSettlesOnTheSameText) {
    MemorySongDocument document = Song({"a $2:1:0$b c", "d"});
    RecordingUi ui(document);
    SongCompiler compiler;
    const std::optional<SongTiming> timing = ReadSongTiming(compiler, document, ui);
    ASSERT_TRUE(timing);
    TimingRecorder recorder(*timing, timing->SyllableAt(20), {});  // the caret just before "$2:1:0$b"
    EXPECT_EQ(recorder.FirstSyllableSeconds(), 2.0);
    std::string text = "\\t 1\n\\m song.mid\n\na $2:1:0$b c\nd";
    const auto apply = [&](const std::optional<TextEdit>& edit) {
        if (edit) text.replace(static_cast<size_t>(edit->start), static_cast<size_t>(edit->length), edit->text);
    };
    std::optional<TextEdit> edit;
    for (const double tap : {0.75, 0.9}) {
        EXPECT_EQ(recorder.Tap(tap, &edit), TapResult::Timed);
        apply(edit);
    }
    apply(recorder.TakeBack());
    EXPECT_EQ(recorder.Tap(0.9, &edit), TapResult::Timed);  // c again, where the taken-back code was
    apply(edit);
    EXPECT_EQ(recorder.Tap(1.0, &edit), TapResult::Timed);  // d's own note: no code
    EXPECT_FALSE(edit);
    EXPECT_EQ(text, "\\t 1\n\\m song.mid\n\na $1:2:60$b $1:2:96$c\nd");
    ASSERT_TRUE(recorder.Settle(compiler, document, ui));
    EXPECT_EQ(Body(document), Lines({"a $1:2:60$b $1:2:96$c", "d"}));
    const std::vector<SourceRange> changed = recorder.ChangedRanges();
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(text.substr(static_cast<size_t>(changed[1].Start), static_cast<size_t>(changed[1].Length)), "$1:2:96$");
}

// Whole-song shifts, carries and refusals are run through sonkorac shift; here the borrow
// across a beat, a selection, and the codes that are not codes of the lyric body.
TEST(ShiftTimeCodes, MovesTheCodesOfTheLyricBodyInTheRange) {
    const Lines song = {"\\t 1", "@T$1:1:0$ stays", "", "a $2:1:0$b \\$1:1:0\\$ $$c", "$\\t 2$d $1:4:60"};
    const std::tuple<const char*, std::optional<SourceRange>, Lines> rows[] = {
        {"-0:60", std::nullopt, {"a $1:4:60$b \\$1:1:0\\$ $$c", "$\\t 2$d $1:4:0"}},
        {"4", SourceRange{47, 15}, {"a $2:1:0$b \\$1:1:0\\$ $$c", "$\\t 2$d $2:4:60"}},
    };
    for (const auto& [amount, selection, expected] : rows) {
        MemorySongDocument document("/songs/song.stf", song);
        RecordingUi ui(document);
        ASSERT_TRUE(ShiftTimeCodes(document, ui, selection, *ParseShiftAmount(amount)).done) << amount;
        EXPECT_EQ(Lines(document.Lines().begin() + 3, document.Lines().end()), expected) << amount;
        EXPECT_EQ(document.Lines()[1], song[1]);
    }
    for (const char* bad : {"", "-", "1:", "x", "1.5", "--1"}) EXPECT_FALSE(ParseShiftAmount(bad)) << bad;
}

}  // namespace
}  // namespace sonkora::compilertest
