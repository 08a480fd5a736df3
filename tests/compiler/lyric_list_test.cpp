// The lyric records and the preview of a compilation, the mappings between the panes
// and playback, and the song document's caret and header line helpers.
#include <gtest/gtest.h>

#include "compiler/LyricList.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "compiler_fixture.h"

namespace sonkora {
namespace {

using compilertest::RecordingUi;

const std::vector<std::string> WorkedExample = {
    "\\t 2", "\\m song.mid", "@LENGL", "@TMy Song", "", "Hel-lo world,", "how are you", "", "Fine_ty $3:1:0$thanks",
};

LyricList PreviewOf(const std::vector<std::string>& lines) {
    MemorySongDocument document("/songs/song.stf", lines);
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckPreview, document, ui);
    EXPECT_EQ(compiler.MidiError(), 0);
    return compiler.Lyrics();
}

TEST(Preview, WorkedExampleGivesFiveLinesAndARecordPerSyllable) {
    MemorySongDocument document("/songs/song.stf", WorkedExample);
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckPreview, document, ui);
    EXPECT_EQ(compiler.MidiError(), 0);
    EXPECT_EQ(compiler.PreviewLines(),
              (std::vector<std::string>{"", "Hello world,", "how are you", "", "Finety thanks"}));
    EXPECT_TRUE(ui.log.empty());

    const LyricList& lyrics = compiler.Lyrics();
    ASSERT_EQ(lyrics.LyricCount(), 9);
    const std::vector<std::string> texts = {"\\Hel", "lo", " world,", "/how", " are", " you", "\\Fine", "ty", " thanks"};
    const std::vector<int32_t> positions = {35, 39, 42, 49, 53, 57, 61, 67, 70, 83};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(lyrics[i].Text, texts[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(lyrics[i].Pos, positions[static_cast<size_t>(i)]) << i;
    }
    // The open record ends the last lyric's source at the end of the text.
    EXPECT_EQ(lyrics[9].Pos, 83);
    EXPECT_EQ(lyrics[2].Row, 1);
    EXPECT_EQ(lyrics[2].Col, 5);
    EXPECT_EQ(lyrics[2].Display, " world,");
    EXPECT_EQ(lyrics[6].Row, 4);
    EXPECT_EQ(lyrics[6].Col, 0);
}

TEST(Preview, EmptySyllablesAddNothingButKeepTheirRecords) {
    MemorySongDocument document("/songs/song.stf", {"\\t 1", "", " la--li"});
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckPreview, document, ui);
    EXPECT_EQ(compiler.PreviewLines(), (std::vector<std::string>{"", "lali"}));
    const LyricList& lyrics = compiler.Lyrics();
    ASSERT_EQ(lyrics.LyricCount(), 4);
    // Before any preview line exists the empty syllable sits at row 0, column 0.
    EXPECT_EQ(lyrics[0].Text, "");
    EXPECT_EQ(lyrics[0].Row, 0);
    EXPECT_EQ(lyrics[2].Display, "");
    EXPECT_EQ(lyrics[2].Col, 2);
}

TEST(Preview, ErrorInTheBodyBecomesTheLastLineWithoutABox) {
    MemorySongDocument document("/songs/song.stf", {"\\t 1", "", "la li", "lo $2:9:0$lu"});
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckPreview, document, ui);
    EXPECT_EQ(compiler.MidiError(), -1);
    EXPECT_EQ(compiler.PreviewLines(), (std::vector<std::string>{"", "la li", "lo", "Invalid MIDI time $2:9:0$."}));
    EXPECT_TRUE(ui.log.empty());
    EXPECT_EQ(document.CaretIndex(), 0);
}

TEST(Preview, TimeQueriesAndTrackChangesAreNotActedOn) {
    MemorySongDocument document("/songs/song.stf", {"\\t 1", "", "la $$li $\\t 99$lo $\\t x$"});
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckPreview, document, ui);
    EXPECT_EQ(compiler.MidiError(), 0);
    EXPECT_EQ(compiler.PreviewLines(), (std::vector<std::string>{"", "la li lo"}));
}

TEST(PreviewSelection, CaretInsideYouSelectsTheBlankAndYou) {
    const LyricList lyrics = PreviewOf(WorkedExample);
    // "you" occupies indexes 57 to 59 of the song text.
    const PreviewSelection selection = PreviewSelectionForCaret(lyrics, 58);
    EXPECT_EQ(selection.From.Row, 2);
    EXPECT_EQ(selection.From.Col, 7);
    EXPECT_EQ(selection.Length, 4);
}

TEST(PreviewSelection, CaretBeforeTheFirstLyricOrAfterTheLastStaysOnThem) {
    const LyricList lyrics = PreviewOf(WorkedExample);
    PreviewSelection selection = PreviewSelectionForCaret(lyrics, 3);
    EXPECT_EQ(selection.From.Row, 1);
    EXPECT_EQ(selection.From.Col, 0);
    EXPECT_EQ(selection.Length, 3);
    selection = PreviewSelectionForCaret(lyrics, 83);
    EXPECT_EQ(selection.From.Row, 4);
    EXPECT_EQ(selection.From.Col, 6);
    EXPECT_EQ(selection.Length, 7);
    // A caret exactly at a lyric's start belongs to that lyric.
    selection = PreviewSelectionForCaret(lyrics, 42);
    EXPECT_EQ(selection.From.Col, 5);
}

TEST(PreviewSelection, WithoutLyricsTheCaretGoesToTheStart) {
    const LyricList lyrics = PreviewOf({"\\t 1", "@TTitle only"});
    EXPECT_EQ(lyrics.LyricCount(), 0);
    const PreviewSelection selection = PreviewSelectionForCaret(lyrics, 10);
    EXPECT_EQ(selection.From.Row, 0);
    EXPECT_EQ(selection.From.Col, 0);
    EXPECT_EQ(selection.Length, 0);
    const SourceRange range = SourceRangeAtPreviewCaret(lyrics, {3, 3});
    EXPECT_EQ(range.Start, 0);
    EXPECT_EQ(range.Length, 0);
}

TEST(SourceRange, PreviewCaretSelectsTheSourceOfTheLyricUnderIt) {
    const LyricList lyrics = PreviewOf(WorkedExample);
    // Inside "world," on preview line 1: its source up to and with the line end.
    SourceRange range = SourceRangeAtPreviewCaret(lyrics, {1, 7});
    EXPECT_EQ(range.Start, 42);
    EXPECT_EQ(range.Length, 7);
    // On the blank that belongs to " world,".
    range = SourceRangeAtPreviewCaret(lyrics, {1, 5});
    EXPECT_EQ(range.Start, 42);
    // At the end of the line "how are you": its source ends with the line end.
    range = SourceRangeAtPreviewCaret(lyrics, {2, 11});
    EXPECT_EQ(range.Start, 57);
    EXPECT_EQ(range.Length, 4);
    // The empty first line and the line between paragraphs lead to the next lyric.
    range = SourceRangeAtPreviewCaret(lyrics, {0, 0});
    EXPECT_EQ(range.Start, 35);
    EXPECT_EQ(range.Length, 4);
    // Fine's source starts with the empty line before it.
    range = SourceRangeAtPreviewCaret(lyrics, {3, 0});
    EXPECT_EQ(range.Start, 61);
    EXPECT_EQ(range.Length, 6);
    // Past the last line: the last lyric, whose source runs to the end of the text.
    range = SourceRangeAtPreviewCaret(lyrics, {9, 0});
    EXPECT_EQ(range.Start, 70);
    EXPECT_EQ(range.Length, 13);
}

// la (0) li (100) an empty syllable (200) lo (300) on two preview lines.
LyricList TimedList() {
    LyricList lyrics;
    struct Row {
        int32_t time, pos;
        const char* text;
        int32_t row, col;
        const char* display;
    };
    const Row rows[] = {{0, 0, "\\la", 1, 0, "la"},
                        {100, 3, " li", 1, 2, " li"},
                        {200, 6, "", 1, 5, ""},
                        {300, 7, "/lo", 2, 0, "lo"}};
    lyrics.Open().Pos = rows[0].pos;
    for (size_t i = 0; i < 4; ++i) {
        TLyric& open = lyrics.Open();
        open.Time = rows[i].time;
        open.Text = rows[i].text;
        open.Row = rows[i].row;
        open.Col = rows[i].col;
        open.Display = rows[i].display;
        lyrics.AppendOpen(i + 1 < 4 ? rows[i + 1].pos : 10);
    }
    return lyrics;
}

TEST(LyricsAtTime, HighlightsTheLyricAndTheEmptySyllablesAfterIt) {
    const LyricList lyrics = TimedList();
    const std::optional<LyricHighlight> li = LyricsAtTime(lyrics, 100);
    ASSERT_TRUE(li.has_value());
    EXPECT_EQ(li->Source.Start, 3);
    EXPECT_EQ(li->Source.Length, 4);
    EXPECT_EQ(li->From.Row, 1);
    EXPECT_EQ(li->From.Col, 2);
    EXPECT_EQ(li->To.Row, 1);
    EXPECT_EQ(li->To.Col, 5);

    const std::optional<LyricHighlight> lo = LyricsAtTime(lyrics, 300);
    ASSERT_TRUE(lo.has_value());
    EXPECT_EQ(lo->Source.Start, 7);
    EXPECT_EQ(lo->Source.Length, 3);
    EXPECT_EQ(lo->To.Col, 2);
}

TEST(LyricsAtTime, ATimeBetweenLyricsOrPastThemChangesNothing) {
    const LyricList lyrics = TimedList();
    EXPECT_FALSE(LyricsAtTime(lyrics, 50).has_value());
    EXPECT_FALSE(LyricsAtTime(lyrics, 301).has_value());
    EXPECT_FALSE(LyricsAtTime(LyricList(), 0).has_value());
}

TEST(LyricsAtTime, LyricsSharingATimeAreHighlightedTogether) {
    // Syllables bound after the voice track ended keep the time of its last event.
    LyricList lyrics;
    lyrics.Open().Pos = 0;
    for (int i = 0; i < 3; ++i) {
        lyrics.Open().Time = i == 0 ? 10 : 20;
        lyrics.Open().Text = "x";
        lyrics.Open().Row = 1;
        lyrics.Open().Col = i;
        lyrics.Open().Display = "x";
        lyrics.AppendOpen(i + 1);
    }
    const std::optional<LyricHighlight> shared = LyricsAtTime(lyrics, 20);
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->Source.Start, 1);
    EXPECT_EQ(shared->Source.Length, 2);
    EXPECT_EQ(shared->To.Col, 3);
}

TEST(PlayFromCursor, StartsAtTheLastLyricBeginningAtOrBeforeTheCaretLine) {
    const LyricList lyrics = TimedList();
    EXPECT_EQ(PlayFromCursorTime(lyrics, 0), 0);
    EXPECT_EQ(PlayFromCursorTime(lyrics, 5), 100);
    EXPECT_EQ(PlayFromCursorTime(lyrics, 7), 300);
    EXPECT_EQ(PlayFromCursorTime(lyrics, 1000), 300);
    EXPECT_EQ(PlayFromCursorTime(LyricList(), 5), 0);

    // A caret line before the first lyric starts at the first lyric.
    LyricList late;
    late.Open().Pos = 20;
    late.Open().Time = 480;
    late.AppendOpen(25);
    EXPECT_EQ(PlayFromCursorTime(late, 0), 480);
}

TEST(SongDocument, CaretPlacementClampsLineAndColumn) {
    MemorySongDocument document("a.stf", {"\\t 2", "", "Hel-lo"});
    EXPECT_EQ(document.TextLength(), 12);
    EXPECT_EQ(document.LineStart(2), 6);
    document.PlaceCaret(2, 4);
    EXPECT_EQ(document.CaretIndex(), 10);
    EXPECT_EQ(document.CaretLine(), 2);
    EXPECT_EQ(document.CaretColumn(), 4);
    document.PlaceCaret(9, 99);  // past the end: the end of the last line
    EXPECT_EQ(document.CaretIndex(), 12);
    document.PlaceCaret(1, 5);  // an empty line holds the caret at its start
    EXPECT_EQ(document.CaretIndex(), 5);
    EXPECT_EQ(document.CaretLine(), 1);
    document.PlaceCaret(-3, -1);
    EXPECT_EQ(document.CaretIndex(), 0);

    MemorySongDocument empty("b.stf", {});
    empty.PlaceCaret(4, 4);
    EXPECT_EQ(empty.CaretIndex(), 0);
    EXPECT_EQ(empty.CaretLine(), 0);
}

TEST(SongDocument, FileBytesSplitIntoLinesAsTheEditorSplitsThem) {
    EXPECT_EQ(SplitSongLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitSongLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitSongLines("\n"), (std::vector<std::string>{""}));
    EXPECT_TRUE(SplitSongLines("").empty());
    EXPECT_EQ(SplitSongLines(std::string("a\0b", 3)), (std::vector<std::string>{std::string("a\0b", 3)}));
}

TEST(SongDocument, TrimRemovesBlanksAndControlCharactersOnly) {
    EXPECT_EQ(TrimLine(" \t\x01@TTitle \r"), "@TTitle");
    EXPECT_EQ(TrimLine("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(TrimLine("   "), "");
}

TEST(SongDocument, MidiFileLineReplacesTheHeaderLineOrBecomesTheFirst) {
    MemorySongDocument withLine("a.stf", {"\\t 1", "  \\m old.mid", "@LENGL", "", "\\m lyric"});
    SetMidiFileLine(withLine, "/songs/new.mid");
    EXPECT_EQ(withLine.Lines(),
              (std::vector<std::string>{"\\t 1", "\\m /songs/new.mid", "@LENGL", "", "\\m lyric"}));

    // The scan stops at the first empty line: a "\m" below it is lyrics.
    MemorySongDocument below("a.stf", {"\\t 1", "", "\\m lyric"});
    SetMidiFileLine(below, "x.mid");
    EXPECT_EQ(below.Lines(), (std::vector<std::string>{"\\m x.mid", "\\t 1", "", "\\m lyric"}));

    MemorySongDocument empty("a.stf", {});
    SetHeaderLine(empty, "\\t", "\\t 3");
    EXPECT_EQ(empty.Lines(), (std::vector<std::string>{"\\t 3"}));
}

}  // namespace
}  // namespace sonkora
