#pragma once
// What playback needs of the windows around it. The frame and the editor window
// implement these in the shell; sonkorac and the tests implement them too.

#include <cstdint>

namespace sonkora {

// Where a lyric stands in the song text and when it is sung.
struct LyricMark {
    int32_t Pos = 0;   // character index of the lyric in the song text
    int32_t Time = 0;  // ticks
};

// The editor window whose compiled song plays.
class PlaybackEditor {
public:
    virtual ~PlaybackEditor() = default;

    // Selects, in the song text and the preview, the syllables that start at `time`.
    virtual void ShowLyricsAt(int32_t time) = 0;
    // The song text page is read-only while its song plays.
    virtual void SetReadOnly(bool readOnly) = 0;
    // The selection shrinks to a caret at its end.
    virtual void CollapseSelectionToEnd() = 0;
    // Character index of the first character of the line that holds the selection start.
    virtual int32_t CaretLineStart() const = 0;
    // The lyric records of the last compilation, in song text order.
    virtual int32_t LyricCount() const = 0;
    virtual LyricMark LyricAt(int32_t index) const = 0;
};

// The frame window that owns the playback.
class PlaybackFrame {
public:
    virtual ~PlaybackFrame() = default;

    // The enabled state of tool buttons and menu items follows the playback state.
    virtual void UpdateFrameControls() = 0;
    virtual void SetGauge(int32_t maximum, int32_t progress) = 0;
    virtual void SetGaugeProgress(int32_t progress) = 0;
    // The timer that calls PlaybackEngine::Tick, again after the milliseconds it returns.
    virtual void SetTimerEnabled(bool enabled) = 0;
    // Lets waiting window messages through before a feed.
    virtual void ProcessPendingMessages() = 0;
    // A track audition ended: the track dialog clears its status line and disables Stop.
    virtual void ClearTrackDialogStatus() = 0;
};

// The frame of a playback without a window (sonkorac, the renderer, the benchmarks):
// nothing to show; it only remembers whether the engine wants its timer.
class WindowlessFrame final : public PlaybackFrame {
public:
    void UpdateFrameControls() override {}
    void SetGauge(int32_t, int32_t) override {}
    void SetGaugeProgress(int32_t) override {}
    void SetTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
    void ProcessPendingMessages() override {}
    void ClearTrackDialogStatus() override {}
    bool TimerEnabled() const { return timerEnabled_; }

private:
    bool timerEnabled_ = false;
};

}  // namespace sonkora
