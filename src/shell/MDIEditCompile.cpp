// The editor window's Karaoke commands, its voice track selection, its page change and
// its side of playback: the text goes to the compiler core, the compiled song to the
// frame's playback, and the window shows what comes back.

#include <QMessageBox>
#include <QStringList>
#include <QTabWidget>
#include <QTextBlock>

#include <algorithm>
#include <exception>

#include "common/UserInterface.h"
#include "shell/EditorText.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

namespace {

// The index of a line and column of a pane, both clamped to the text.
int PaneIndex(const TMemo* memo, int row, int col) {
    const QTextDocument* doc = memo->document();
    const QTextBlock block = doc->findBlockByNumber(std::clamp(row, 0, std::max(0, doc->blockCount() - 1)));
    return block.position() + std::clamp(col, 0, static_cast<int>(block.length()) - 1);
}

}  // namespace

void TEditForm::ShowPreviewLines(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << BytesToPaneChars(line);
    Memo2->setPlainText(text.join(QLatin1Char('\n')));
}

void TEditForm::ReportCompileFailure(const std::exception& error) {
    if (frame_) frame_->ErrorBox(MessageText(error.what()), HelpContext::ErrorMessages);
}

void TEditForm::RunCompileAndAct(CompileKind mode, bool fromCursor, bool external) {
    if (!frame_) return;
    if (!ConfirmUnmappedCharacters(mode == CompileKind::Export ? QStringLiteral("Export the text")
                                                               : QStringLiteral("Make the karaoke file")))
        return;
    try {
        CompileAndAct(compiler_, mode, fromCursor, external, document_, *ui_, *host_);
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
    MidiFileName = QString::fromStdString(compiler_.MidiFileName());
    KarFileName = QString::fromStdString(compiler_.KarFileName());
}

void TEditForm::Make1Click() {
    RunCompileAndAct(CompileKind::Make, false, false);
}

void TEditForm::Play1Click() {
    if (!frame_) return;
    RunCompileAndAct(CompileKind::Play, false, false);
}

void TEditForm::PlayFromCursor1Click() {
    if (!frame_) return;
    if (!IsStfPage()) {
        const QTextCursor caret = Memo2->textCursor();
        const SourceRange range =
            SourceRangeAtPreviewCaret(compiler_.Lyrics(), PreviewPlace{caret.blockNumber(), caret.positionInBlock()});
        Memo1->Select(range.Start, range.Length);
    }
    RunCompileAndAct(CompileKind::Play, true, false);
}

void TEditForm::Stop1Click() {
    if (frame_) frame_->StopPlaying();
}

void TEditForm::PlayInKaraokePlayer1Click() {
    if (!frame_ || frame_->Settings.KaraokePlayer.empty()) return;
    RunCompileAndAct(CompileKind::Play, false, true);
}

void TEditForm::Export1Click() {
    RunCompileAndAct(CompileKind::Export, false, false);
}

void TEditForm::VoiceTrackSelection1Click() {
    if (!frame_ || !IsStfPage() || Memo1->isReadOnly()) return;
    try {
        compiler_.CompileSongText(CompileKind::SelectTrack, document_, *ui_, host_->Settings());
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
    compiler_.FreePreviewLines();
}

void TEditForm::PageControl1Changing(int leaving) {
    if (!frame_ || (frame_->Playing() && frame_->PlayEditor() == this)) return;
    if (leaving != 0) return;
    Memo2->clear();
    try {
        compiler_.CompileSongText(CompileKind::Preview, document_, *ui_, host_->Settings());
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
    ShowPreviewLines(compiler_.PreviewLines());
    compiler_.FreePreviewLines();
}

void TEditForm::PageControl1Change() {
    if (frame_ && frame_->Playing() && frame_->PlayEditor() == this) {
        if (playbackTime_) ShowLyricsAt(*playbackTime_);
        UpdateMenus();
        return;
    }
    if (IsStfPage()) {
        const QTextCursor caret = Memo2->textCursor();
        const SourceRange range =
            SourceRangeAtPreviewCaret(compiler_.Lyrics(), PreviewPlace{caret.blockNumber(), caret.positionInBlock()});
        Memo1->Select(range.Start, range.Length);
        activePane_ = Memo1;
    } else {
        const PreviewSelection selection = PreviewSelectionForCaret(compiler_.Lyrics(), Memo1->textCursor().position());
        Memo2->Select(PaneIndex(Memo2, selection.From.Row, selection.From.Col), selection.Length);
        activePane_ = Memo2;
    }
    if (isActiveWindow()) activePane_->setFocus(Qt::OtherFocusReason);
    UpdateMenus();
}

// ---------------------------------------------------------------------------------
// Playback

void TEditForm::ShowLyricsAt(int32_t time) {
    playbackTime_ = time;
    const std::optional<LyricHighlight> highlight = LyricsAtTime(compiler_.Lyrics(), time);
    if (!highlight) return;
    Memo1->Select(highlight->Source.Start, highlight->Source.Length);
    const int from = PaneIndex(Memo2, highlight->From.Row, highlight->From.Col);
    const int to = PaneIndex(Memo2, highlight->To.Row, highlight->To.Col);
    Memo2->Select(from, to - from);
}

void TEditForm::SetReadOnly(bool readOnly) {
    Memo1->setReadOnly(readOnly);
    // The caret stays visible and movable, so the song text can still be read through.
    if (readOnly) Memo1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    if (!readOnly) playbackTime_.reset();
    UpdateMenus();
}

void TEditForm::CollapseSelectionToEnd() {
    QTextCursor cursor = Memo1->textCursor();
    cursor.setPosition(cursor.selectionEnd());
    Memo1->setTextCursor(cursor);
}

int32_t TEditForm::CaretLineStart() const {
    const QTextBlock block = Memo1->document()->findBlock(Memo1->textCursor().selectionStart());
    return block.isValid() ? block.position() : 0;
}

int32_t TEditForm::LyricCount() const {
    return compiler_.Lyrics().LyricCount();
}

LyricMark TEditForm::LyricAt(int32_t index) const {
    const LyricRecord& lyric = compiler_.Lyrics()[index];
    return LyricMark{lyric.Pos, lyric.Time};
}

}  // namespace sonkora
