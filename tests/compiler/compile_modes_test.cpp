// The compilations that write no file: the preview with its lyric records, printing the
// song text and the syntax check. Reading the language line is the hyphenation command's.
#include <gtest/gtest.h>

#include "compiler_fixture.h"

namespace sonkora {
namespace {

using namespace compilertest;

// Each record as "Pos Text Row:Col".
Lines Records(const LyricList& lyrics) {
    Lines out;
    for (const LyricRecord& r : lyrics.Records()) out.push_back(Join(r.Pos, " ", r.Text, " ", r.Row, ":", r.Col));
    return out;
}

TEST(Preview, JoinsSyllablesIntoLinesAndRecordsWhereEachCameFrom) {
    const SongCompiler example = InMemoryCompile(Preview, ExampleSong).compiler;
    EXPECT_EQ(example.MidiError(), 0);
    EXPECT_EQ(example.PreviewLines(), (Lines{"", "Hello world,", "how are you", "", "Finety thanks"}));
    EXPECT_EQ(Records(example.Lyrics()),
              (Lines{"35 \\Hel 1:0", "39 lo 1:3", "42  world, 1:5", "49 /how 2:0", "53  are 2:3", "57  you 2:7",
                     "61 \\Fine 4:0", "67 ty 4:4", "70  thanks 4:6", "83  0:0"}));
    const LyricRecord& world = example.Lyrics()[2];
    EXPECT_EQ(example.PreviewLines()[1].substr(5, static_cast<size_t>(world.DisplayLength)), " world,");

    // Empty syllables show nothing; before the first preview line they stand at 0:0.
    const SongCompiler empty = InMemoryCompile(Preview, {"\\t 1", "", " la--li"}).compiler;
    EXPECT_EQ(empty.PreviewLines(), (Lines{"", "lali"}));
    EXPECT_EQ(Records(empty.Lyrics()), (Lines{"6  0:0", "7 \\la 1:0", "10  1:2", "11 li 1:2", "13  0:0"}));

    // Time queries and track changes are not acted on, a syllable left when a time code
    // took the last line end is shown; a body error is the last line, without a box and
    // without moving the caret.
    const Lines acted = {"\\t 1", "", "la $$li $\\t 99$lo $\\t x$ lu$1:1:0"};
    EXPECT_EQ(InMemoryCompile(Preview, acted).compiler.PreviewLines(), (Lines{"", "la li lo lu"}));
    const InMemoryCompile broken(Preview, {"\\t 1", "", "la li", "lo $2:9:0$lu"});
    EXPECT_EQ(broken.compiler.MidiError(), -1);
    EXPECT_EQ(broken.compiler.PreviewLines(), (Lines{"", "la li", "lo", "Invalid MIDI time $2:9:0$."}));
    EXPECT_TRUE(broken.ui.log.empty());
    EXPECT_EQ(broken.document.CaretIndex(), 0);
}

TEST(PrintSongText, WritesTitleAndWriterLinesThenTheLyricsAsTheyAreSung) {
    const InMemoryCompile example(PrintText, ExampleSong);
    EXPECT_EQ(example.compiler.MidiError(), 0);
    EXPECT_EQ(example.printed.str(), "My Song\n\n\nHello world,\nhow are you\n\nFinety thanks\n");
    EXPECT_EQ(example.compiler.LyricCount(), 0);
    // Empty syllables, time codes and escaped line ends print nothing of their own.
    const Lines titles = {"@LENGL", "@TTitle", "@", "@WWords by", "@Vx", "", "la--li $$ lo\\", "lu$1:1:0"};
    EXPECT_EQ(InMemoryCompile(PrintText, titles).printed.str(), "Title\nWords by\n\n\nlali lo\nlu\n");
}

TEST(Check, ReadsOnlyTheLyricBodyAndIsSilentInABatchRun) {
    const InMemoryCompile clean(Check, {"\\t x", "\\t 0", "\\m", "", "la $9:9:9$ $$li $\\t 0$ $\\t x$"});
    EXPECT_EQ(clean.compiler.MidiError(), 0);
    EXPECT_TRUE(clean.ui.log.empty());
    EXPECT_EQ(clean.compiler.LyricCount(), 0);
    const InMemoryCompile batch(Check, {"\\t 1", "", std::string(121, 'x')}, true);
    EXPECT_EQ(batch.compiler.MidiError(), -1);
    EXPECT_TRUE(batch.ui.log.empty());
    EXPECT_EQ(batch.document.CaretIndex(), 0);
}

}  // namespace
}  // namespace sonkora
