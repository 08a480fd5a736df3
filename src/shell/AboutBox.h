#pragma once
// The about box: the program's name and version, and its credits sung as karaoke to a
// short tune of its own. The tune plays through the frame's playback when an output
// device is ready and nothing else plays; the credits follow it line by line, a bar a
// line, and follow their own clock when the tune is silent. Whatever the box started
// stops when it closes.

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTemporaryDir;
class QTimer;

namespace sonkora {

class TFrameForm;

// "0.1.0": the version the build was made with.
QString ProgramVersion();

// The tune as a standard MIDI file (format 1, 96 ticks per quarter, 120 beats a
// minute): eight bars of melody, bass and strings and a last chord.
std::string AboutTuneBytes();
inline constexpr int AboutTuneDivision = 96;
inline constexpr int32_t AboutTuneBarTicks = 4 * AboutTuneDivision;

// The credits, one line a bar of the tune.
QStringList AboutCredits();

// The animated credits: the line of the current bar, sung from left to right, with the
// line before it above and the next below.
class TCreditsView : public QWidget {
    Q_OBJECT

public:
    explicit TCreditsView(QWidget* parent = nullptr);

    // The song position shown, in ticks of the tune.
    void SetSongTime(int32_t ticks);
    int32_t SongTime() const { return ticks_; }
    // The line sung at the position shown.
    int CurrentLine() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList credits_;
    int32_t ticks_ = 0;
};

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(TFrameForm* frame);
    ~TAboutBox() override;

    // Plays the tune, or stops it when it plays.
    void TuneButtonClick();
    // True while the tune this box started is what the frame plays.
    bool TunePlaying() const;
    // Moves the credits to where the tune stands.
    void AnimationTimerTimer();

    TCreditsView* Credits = nullptr;
    QPushButton* TuneButton = nullptr;
    QTimer* AnimationTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartTune();
    void StopTune();
    void UpdateTuneButton();

    QPointer<TFrameForm> frame_;
    std::unique_ptr<QTemporaryDir> folder_;
    QString tuneFile_;
    bool started_ = false;
    bool shownOnce_ = false;
    QElapsedTimer silentClock_;  // runs since the credits stood at silentStart_
    int64_t silentStart_ = 0;
};

}  // namespace sonkora
