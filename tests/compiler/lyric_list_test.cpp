// The mappings the lyric records make between the song text, the preview and playback,
// and the song document's line helpers.
#include <gtest/gtest.h>

#include "compiler_fixture.h"

namespace sonkora {
namespace {

using namespace compilertest;

TEST(LyricList, CaretsMapBetweenSongTextAndPreview) {
    const LyricList lyrics = InMemoryCompile(Preview, ExampleSong).compiler.Lyrics();
    // Song text caret -> "row:col+length" of the preview selection.
    for (const auto& [caret, selection] : std::vector<std::pair<int, std::string>>{
             {58, "2:7+4"}, {3, "1:0+3"}, {42, "1:5+7"}, {41, "1:3+2"}, {83, "4:6+7"}}) {
        const PreviewSelection s = PreviewSelectionForCaret(lyrics, caret);
        EXPECT_EQ(Join(s.From.Row, ":", s.From.Col, "+", s.Length), selection) << caret;
    }
    // Preview caret -> "start+length" of the source selection.
    for (const auto& [caret, range] : std::vector<std::pair<PreviewPlace, std::string>>{{{1, 7}, "42+7"},
                                                                                        {{1, 5}, "42+7"},
                                                                                        {{2, 11}, "57+4"},
                                                                                        {{0, 0}, "35+4"},
                                                                                        {{3, 0}, "61+6"},
                                                                                        {{9, 0}, "70+13"}}) {
        const SourceRange r = SourceRangeAtPreviewCaret(lyrics, caret);
        EXPECT_EQ(Join(r.Start, "+", r.Length), range) << caret.Row << ":" << caret.Col;
    }
    const LyricList none = InMemoryCompile(Preview, {"\\t 1", "@TTitle only"}).compiler.Lyrics();
    EXPECT_EQ(PreviewSelectionForCaret(none, 10).Length, 0);
    EXPECT_EQ(SourceRangeAtPreviewCaret(none, {3, 3}).Length, 0);
}

TEST(LyricList, PlaybackTimesFindTheirLyrics) {
    // la (0) li (100) lu (100) an empty syllable (200) lo (300), their sources 3 apart from 2.
    LyricList lyrics;
    for (const LyricRecord& lyric : std::vector<LyricRecord>{{0, 2, "\\la", 1, 0, 2},
                                                             {100, 5, " li", 1, 2, 3},
                                                             {100, 8, "lu", 1, 5, 2},
                                                             {200, 11, "", 1, 7, 0},
                                                             {300, 14, "/lo", 2, 0, 2}}) {
        lyrics.Open() = lyric;
        lyrics.AppendOpen(lyric.Pos + 3);
    }
    // "start+length row:col-row:col": lyrics sharing a time go together, with the empty
    // syllables after them.
    for (const auto& [time, highlight] : std::vector<std::pair<int32_t, std::string>>{
             {100, "5+9 1:2-1:7"}, {300, "14+3 2:0-2:2"}, {50, "none"}, {301, "none"}}) {
        const std::optional<LyricHighlight> h = LyricsAtTime(lyrics, time);
        EXPECT_EQ(!h ? "none"
                     : Join(h->Source.Start, "+", h->Source.Length, " ", h->From.Row, ":", h->From.Col, "-", h->To.Row,
                            ":", h->To.Col),
                  highlight)
            << time;
    }
    EXPECT_FALSE(LyricsAtTime(LyricList(), 0).has_value());
}

TEST(SongDocument, FileBytesSplitIntoLinesAndHeaderLinesAreFoundAboveTheFirstEmptyLine) {
    EXPECT_EQ(SplitSongLines("a\r\nb\nc\rd\r\n\r\ne\n"), (Lines{"a", "b", "c", "d", "", "e"}));
    EXPECT_TRUE(SplitSongLines("").empty());
    MemorySongDocument header("a.stf", {"\\t 1", "  \\m old.mid", "@LENGL", "", "\\m lyric"});
    SetMidiFileLine(header, "new.mid");
    EXPECT_EQ(header.Lines(), (Lines{"\\t 1", "\\m new.mid", "@LENGL", "", "\\m lyric"}));
    MemorySongDocument below("a.stf", {"\\t 1", "", "\\m lyric"});
    SetMidiFileLine(below, "x.mid");
    EXPECT_EQ(below.Lines(), (Lines{"\\m x.mid", "\\t 1", "", "\\m lyric"}));
}

}  // namespace
}  // namespace sonkora
