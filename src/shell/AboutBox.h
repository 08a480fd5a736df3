#pragma once
// The about box: the program's name and version, and its credits sung as karaoke to a
// short tune of its own. The tune plays through the main window's playback when an output
// device is ready and nothing else plays; the credits follow it line by line, a bar a
// line, and follow their own clock when the tune is silent. Whatever the box started
// stops when it closes.

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTemporaryDir;
class QTimer;

namespace sonkora {

class CreditsView;
class ShellServices;

// "0.1.0": the version the build was made with.
QString ProgramVersion();

// The tune as a standard MIDI file (format 1, 96 ticks per quarter, 120 beats a
// minute): eight bars of melody, bass and strings and a last chord.
std::string AboutTuneBytes();
inline constexpr int AboutTuneDivision = 96;
inline constexpr int32_t AboutTuneBarTicks = 4 * AboutTuneDivision;

// The credits, one line a bar of the tune.
QStringList AboutCredits();

class AboutBox : public QDialog {
    Q_OBJECT

public:
    AboutBox(ShellServices& services, QWidget* parent);
    ~AboutBox() override;

    // Plays the tune, or stops it when it plays.
    void toggleTune();
    // True while the tune this box started is what the main window plays.
    bool TunePlaying() const;
    // Moves the credits to where the tune stands.
    void advanceCredits();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartTune();
    void StopTune();
    void UpdateTuneButton();

    ShellServices& services_;
    CreditsView* credits_ = nullptr;
    QPushButton* tuneButton_ = nullptr;
    QTimer* animationTimer_ = nullptr;
    std::unique_ptr<QTemporaryDir> folder_;
    QString tuneFile_;
    bool started_ = false;
    bool shownOnce_ = false;
    QElapsedTimer silentClock_;  // runs since the credits stood at silentStart_
    int64_t silentStart_ = 0;
};

}  // namespace sonkora
