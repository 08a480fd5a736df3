#include "shell/TimingRecording.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

#include "compiler/SongDocument.h"
#include "shell/EditorText.h"
#include "shell/GroupedEdits.h"
#include "shell/SongTextEdit.h"

namespace sonkora {

TimingRecording::TimingRecording(SongTextEdit& pane, SongTiming timing, int firstSyllable, RetimeSettings settings,
                                 std::function<int32_t()> songTick, std::function<void()> stop)
    : QObject(&pane),
      pane_(pane),
      timing_(std::move(timing)),
      recorder_(timing_, firstSyllable, settings),
      songTick_(std::move(songTick)),
      stop_(std::move(stop)) {
    pane_.installEventFilter(this);
}

int32_t TimingRecording::StartTick(double preRollSeconds) const {
    const double seconds = recorder_.FirstSyllableSeconds() - preRollSeconds;
    if (seconds <= 0) return 0;
    return static_cast<int32_t>(std::floor(timing_.Tempo().TickAt(seconds * 1e6)));
}

void TimingRecording::HighlightNext() {
    const SourceRange next = recorder_.NextSyllableSource();
    if (recorder_.NextSyllable() < recorder_.SyllableCount()) pane_.Select(next.Start, next.Length);
}

void TimingRecording::Show(const TextEdit& edit) {
    // Every edit of the recording joins one block, which Finish takes off the pane again.
    QTextCursor cursor(pane_.document());
    if (paneEdited_)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    paneEdited_ = true;
    cursor.setPosition(edit.start);
    cursor.setPosition(edit.start + edit.length, QTextCursor::KeepAnchor);
    cursor.insertText(BytesToPaneChars(edit.text));
    cursor.endEditBlock();
}

void TimingRecording::Tap() {
    std::optional<TextEdit> edit;
    // A tap the recorder refuses (before the start, past the end) times nothing.
    if (recorder_.Tap(timing_.Tempo().SecondsAt(songTick_()), &edit) != TapResult::Timed) return;
    if (edit) Show(*edit);
    HighlightNext();
}

void TimingRecording::TakeBack() {
    if (const std::optional<TextEdit> edit = recorder_.TakeBack()) Show(*edit);
    HighlightNext();
}

bool TimingRecording::Finish(SongCompiler& compiler, SongDocument& document, UserInterface& ui) {
    pane_.removeEventFilter(this);
    if (paneEdited_) pane_.document()->undo();
    paneEdited_ = false;
    GroupedEdits edits(document, *pane_.document());
    return recorder_.Settle(compiler, edits, ui);
}

bool TimingRecording::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &pane_ || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (key->key()) {
        case Qt::Key_Space:
            if (!key->isAutoRepeat()) Tap();
            return true;
        case Qt::Key_Backspace: TakeBack(); return true;
        case Qt::Key_Escape: stop_(); return true;
        default: return false;
    }
}

}  // namespace sonkora
