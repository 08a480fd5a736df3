#include "compiler/LyricList.h"

#include <utility>

namespace sonkora {

void LyricList::ClearLyrics(bool keepOpen) {
    records_.clear();
    if (keepOpen) records_.emplace_back();
}

void LyricList::AppendOpen(int32_t pos) {
    LyricRecord next;
    next.Pos = pos;
    records_.push_back(std::move(next));
}

PreviewSelection PreviewSelectionForCaret(const LyricList& lyrics, int caretIndex) {
    const int count = lyrics.LyricCount();
    if (count < 1) return {};
    // The first record after the first lyric whose source starts past the caret; the
    // lyric before it holds the caret. A caret past the last lyric's start stays on it.
    int i = 1;
    while (i <= count - 1 && lyrics[i].Pos <= caretIndex) ++i;
    const LyricRecord& lyric = lyrics[i - 1];
    return {{lyric.Row, lyric.Col}, lyric.DisplayLength};
}

SourceRange SourceRangeAtPreviewCaret(const LyricList& lyrics, PreviewPlace caret) {
    const int count = lyrics.LyricCount();
    if (count < 1) return {};
    int k = 0;
    while (k < count && lyrics[k].Row < caret.Row) ++k;
    if (k == count) k = count - 1;
    while (k + 1 < count && lyrics[k + 1].Row == caret.Row && lyrics[k + 1].Col <= caret.Col) ++k;
    return {lyrics[k].Pos, lyrics[k + 1].Pos - lyrics[k].Pos};
}

std::optional<LyricHighlight> LyricsAtTime(const LyricList& lyrics, int32_t time) {
    const int count = lyrics.LyricCount();
    if (count < 1) return std::nullopt;
    int i = 0;
    while (i < count - 1 && lyrics[i].Time < time) ++i;
    if (lyrics[i].Time != time) return std::nullopt;
    int j = i + 1;
    while (j < count && lyrics[j].Time == time) ++j;
    // Empty syllables hold a note without showing anything; they go with the lyric.
    while (j < count && lyrics[j].Text.empty()) ++j;
    const LyricRecord& first = lyrics[i];
    const LyricRecord& last = lyrics[j - 1];
    LyricHighlight highlight;
    highlight.Source = {first.Pos, lyrics[j].Pos - first.Pos};
    highlight.From = {first.Row, first.Col};
    highlight.To = {last.Row, last.Col + last.DisplayLength};
    return highlight;
}

}  // namespace sonkora
