// The editor window's timing commands: Shift Time Codes moves every time code (or those
// of the selection) by the same amount; Record Timing plays the song from a pre-roll
// before the caret's syllable and turns the taps into time codes. Each is one step of Undo.

#include <QTextCursor>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "compiler/Retiming.h"
#include "compiler/TimeCodeShift.h"
#include "playback/LyricFollower.h"
#include "playback/MidiToolkit.h"
#include "playback/PlaybackEngine.h"
#include "shell/EditorCompileHost.h"
#include "shell/EditorWindow.h"
#include "shell/GroupedEdits.h"
#include "shell/ShellServices.h"
#include "shell/ShellSettings.h"
#include "shell/ShellUserInterface.h"
#include "shell/ShiftTimeCodesDialog.h"
#include "shell/SongTextEdit.h"
#include "shell/TimingRecording.h"

namespace sonkora {

void EditorWindow::shiftTimeCodes() {
    if (!services_ || !IsEditable()) return;
    const QTextCursor caret = songText_->textCursor();
    std::optional<SourceRange> selection;
    if (caret.hasSelection())
        selection = SourceRange{caret.selectionStart(), caret.selectionEnd() - caret.selectionStart()};
    ShiftTimeCodesDialog dialog(*services_, selection.has_value(), services_->DialogParent());
    if (dialog.exec() != QDialog::Accepted) return;
    const std::optional<int64_t> units = dialog.Units();
    if (!units) return;
    ShiftOutcome outcome;
    {
        GroupedEdits edits(document_, *songText_->document());
        outcome = ShiftTimeCodes(edits, *ui_, selection, *units);
    }
    if (!outcome.done) {
        services_->ErrorBox(QStringLiteral("Line %1, column %2: %3 Nothing was moved.")
                                .arg(outcome.line + 1)
                                .arg(outcome.column)
                                .arg(MessageText(outcome.problem)),
                            HelpContext::TimingByEar);
        return;
    }
    if (outcome.changed.empty()) {
        services_->InformationBox(selection ? QStringLiteral("The selection holds no time code.")
                                            : QStringLiteral("The song text holds no time code."),
                                  HelpContext::TimingByEar);
        return;
    }
    // The moved codes stay selected, so the change shows where it happened.
    const SourceRange& first = outcome.changed.front();
    const SourceRange& last = outcome.changed.back();
    songText_->Select(first.Start, last.Start + last.Length - first.Start);
}

void EditorWindow::recordTiming() {
    if (!services_ || !IsEditable() || recording_) return;
    std::optional<SongTiming> timing;
    try {
        timing = ReadSongTiming(compiler_, document_, *ui_);
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
        return;
    }
    if (!timing) return;  // the song text's error has been shown
    const int first = timing->SyllableAt(songText_->textCursor().selectionStart());
    if (first >= static_cast<int>(timing->Syllables.size())) {
        services_->InformationBox(QStringLiteral("No syllable follows the cursor: put it where the timing starts."),
                                  HelpContext::TimingByEar);
        return;
    }
    const ShellSettings& settings = services_->Settings();
    const RetimeSettings retime{static_cast<double>(settings.SnapWindowMs), static_cast<double>(settings.LatencyMs)};
    auto* recording = new TimingRecording(
        *songText_, std::move(*timing), first, retime,
        [this] { return SongTime(services_->Toolkit().ReadClock(), services_->Engine().StartTime()); },
        [this] { services_->StopPlaying(); });
    host_->PlayNextFrom(recording->StartTick(settings.PreRollMs / 1000.0));
    recording_ = recording;
    RunCompileAndAct(CompileKind::Play, false, false);
    host_->ForgetNextStart();
    if (!ThisSongPlays()) {
        // Nothing plays (an error, or the user went back to the text): nothing to record.
        // A song that ended at once has finished its recording already.
        if (recording_) {
            recording_ = nullptr;
            delete recording;
        }
        return;
    }
    if (recording_) recording_->HighlightNext();
}

void EditorWindow::FinishRecording() {
    TimingRecording* recording = recording_;
    recording_ = nullptr;
    // Esc ends a recording from inside its own key handling, so it goes later.
    recording->deleteLater();
    try {
        recording->Finish(compiler_, document_, *ui_);
    } catch (const std::exception& error) {
        ReportCompileFailure(error);
    }
}

}  // namespace sonkora
