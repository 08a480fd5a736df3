#pragma once
// TimingRecording: one Record Timing of an editor window while its song plays. Space
// times the syllable highlighted and moves on, Backspace takes the last tap back; the
// pane shows each code as it is written. At the end the pane's text goes back to what it
// was and the recorder's result goes in as one step of Undo.

#include <QObject>

#include <functional>

#include "compiler/LyricList.h"
#include "compiler/Retiming.h"
#include "compiler/SongTiming.h"

namespace sonkora {

class SongCompiler;
class SongDocument;
class SongTextEdit;
class UserInterface;

class TimingRecording : public QObject {
    Q_OBJECT

public:
    // `songTick` reads the playback clock as the song time in ticks; `stop`
    // ends the playback (Esc).
    TimingRecording(SongTextEdit& pane, SongTiming timing, int firstSyllable, RetimeSettings settings,
                    std::function<int32_t()> songTick, std::function<void()> stop);

    // Where the playback starts: `preRollSeconds` before the first syllable to time.
    int32_t StartTick(double preRollSeconds) const;
    // Selects the syllable the next tap times (nothing once all are timed).
    void HighlightNext();
    void Tap();
    void TakeBack();
    const RetimeCounts& Counts() const { return recorder_.Counts(); }

    // Gives the pane its text back and puts the recording into `document` as one step of
    // Undo; false when the compiler refused the result (its error shown, the text as it
    // was before the recording).
    bool Finish(SongCompiler& compiler, SongDocument& document, UserInterface& ui);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const TextEdit& edit);

    SongTextEdit& pane_;
    SongTiming timing_;
    TimingRecorder recorder_;
    std::function<int32_t()> songTick_;
    std::function<void()> stop_;
    bool paneEdited_ = false;  // an edit block of the recording is on the pane's undo stack
};

}  // namespace sonkora
