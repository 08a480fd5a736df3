// The editor window's Karaoke commands, its voice track selection, its page change and
// its side of playback: the text goes to the compiler core, the compiled song to the
// main window's playback, and the window shows what comes back.

#include <QMessageBox>
#include <QStringList>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <exception>

#include "common/UserInterface.h"
#include "shell/EditorCompileHost.h"
#include "shell/EditorText.h"
#include "shell/EditorWindow.h"
#include "shell/PreviewPane.h"
#include "shell/ShellServices.h"
#include "shell/ShellSettings.h"
#include "shell/ShellUserInterface.h"
#include "shell/SongTextEdit.h"
#include "shell/TimingRecording.h"

namespace sonkora {

void EditorWindow::ShowPreviewLines(const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << BytesToPaneChars(line);
    preview_->setPlainText(text.join(QLatin1Char('\n')));
}

void EditorWindow::ReportCompileFailure(const std::exception& error) {
    if (services_) services_->ErrorBox(MessageText(error.what()), HelpContext::ErrorMessages);
}

void EditorWindow::RunCompileAndAct(CompileKind mode, bool fromCursor, bool external) {
    if (!services_) return;
    if (!ConfirmUnmappedCharacters(mode == CompileKind::Export ? QStringLiteral("Export the text")
                                                               : QStringLiteral("Make the karaoke file")))
        return;
    try {
        CompileAndAct(compiler_, mode, fromCursor, external, document_, *ui_, *host_);
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
}

void EditorWindow::makeKaraoke() {
    RunCompileAndAct(CompileKind::Make, false, false);
}

void EditorWindow::play() {
    if (!services_) return;
    RunCompileAndAct(CompileKind::Play, false, false);
}

void EditorWindow::playFromCursor() {
    if (!services_) return;
    if (!IsStfPage()) {
        const QTextCursor caret = preview_->textCursor();
        const SourceRange range =
            SourceRangeAtPreviewCaret(compiler_.Lyrics(), PreviewPlace{caret.blockNumber(), caret.positionInBlock()});
        songText_->Select(range.Start, range.Length);
    }
    RunCompileAndAct(CompileKind::Play, true, false);
}

void EditorWindow::stop() {
    if (services_) services_->StopPlaying();
}

void EditorWindow::playInKaraokePlayer() {
    if (!services_ || services_->Settings().KaraokePlayer.empty()) return;
    RunCompileAndAct(CompileKind::Play, false, true);
}

void EditorWindow::exportMidi() {
    RunCompileAndAct(CompileKind::Export, false, false);
}

void EditorWindow::selectVoiceTrack() {
    if (!services_ || !IsStfPage() || songText_->isReadOnly()) return;
    try {
        compiler_.CompileSongText(CompileKind::SelectTrack, document_, *ui_, host_->Settings());
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
    compiler_.FreePreviewLines();
}

void EditorWindow::LeavingPage(int leaving) {
    if (!services_ || ThisSongPlays()) return;
    if (leaving != 0) return;
    preview_->clear();
    try {
        compiler_.CompileSongText(CompileKind::Preview, document_, *ui_, host_->Settings());
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
    ShowPreviewLines(compiler_.PreviewLines());
    compiler_.FreePreviewLines();
}

bool EditorWindow::ThisSongPlays() const {
    return services_ && services_->Playing() && services_->PlayingEditor() == this;
}

void EditorWindow::PageShown() {
    if (ThisSongPlays()) {
        if (playbackTime_) ShowLyricsAt(*playbackTime_);
        StateChanged();
        return;
    }
    if (IsStfPage()) {
        const QTextCursor caret = preview_->textCursor();
        const SourceRange range =
            SourceRangeAtPreviewCaret(compiler_.Lyrics(), PreviewPlace{caret.blockNumber(), caret.positionInBlock()});
        songText_->Select(range.Start, range.Length);
        activePane_ = songText_;
    } else {
        const PreviewSelection selection =
            PreviewSelectionForCaret(compiler_.Lyrics(), songText_->textCursor().position());
        preview_->Select(preview_->IndexAt(selection.From.Row, selection.From.Col), selection.Length);
        activePane_ = preview_;
    }
    if (isActiveWindow()) activePane_->setFocus(Qt::OtherFocusReason);
    StateChanged();
}

// ---------------------------------------------------------------------------------
// Playback

void EditorWindow::ShowLyricsAt(int32_t time) {
    playbackTime_ = time;
    // A recording shows the syllable the next tap times, not the one being sung.
    if (recording_) return recording_->HighlightNext();
    const std::optional<LyricHighlight> highlight = LyricsAtTime(compiler_.Lyrics(), time);
    if (!highlight) return;
    songText_->Select(highlight->Source.Start, highlight->Source.Length);
    const int from = preview_->IndexAt(highlight->From.Row, highlight->From.Col);
    const int to = preview_->IndexAt(highlight->To.Row, highlight->To.Col);
    preview_->Select(from, to - from);
}

void EditorWindow::SetReadOnly(bool readOnly) {
    songText_->setReadOnly(readOnly);
    // The caret stays visible and movable, so the song text can still be read through.
    if (readOnly) songText_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    if (!readOnly) playbackTime_.reset();
    if (!readOnly && recording_) FinishRecording();
    StateChanged();
}

void EditorWindow::CollapseSelectionToEnd() {
    QTextCursor cursor = songText_->textCursor();
    cursor.setPosition(cursor.selectionEnd());
    songText_->setTextCursor(cursor);
}

int32_t EditorWindow::CaretLineStart() const {
    const QTextBlock block = songText_->document()->findBlock(songText_->textCursor().selectionStart());
    return block.isValid() ? block.position() : 0;
}

int32_t EditorWindow::LyricCount() const {
    return compiler_.Lyrics().LyricCount();
}

LyricMark EditorWindow::LyricAt(int32_t index) const {
    const LyricRecord& lyric = compiler_.Lyrics()[index];
    return LyricMark{lyric.Pos, lyric.Time};
}

}  // namespace sonkora
