// The main window as the host of the program's one playback: the MIDI toolkit and the
// playback engine, the toolkit's notifications carried to the window's own thread, the
// timer that follows the lyrics and the gauge.

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <atomic>

#include "common/FoldUpper.h"
#include "playback/MidiToolkit.h"
#include "playback/PlaybackEngine.h"
#include "playback/Synthesizer.h"
#include "shell/CommandTable.h"
#include "shell/MainWindow.h"
#include "shell/MidiSetupDialog.h"
#include "shell/MidiSystem.h"
#include "shell/ShellUserInterface.h"
#include "shell/VoiceTrackDialog.h"

namespace sonkora {

namespace {

// The toolkit's two notifications, posted to the window from the thread that runs the
// toolkit's clock and handled on the window's own.
constexpr auto FeedRequestEvent = static_cast<QEvent::Type>(QEvent::User + 0x53);
constexpr auto PlaybackEndedEvent = static_cast<QEvent::Type>(QEvent::User + 0x57);

// A notification carries the number of the playback it belongs to: an end that was
// already under way when a new song started must not stop the new one.
class ToolkitEvent : public QEvent {
public:
    ToolkitEvent(Type type, uint64_t playback) : QEvent(type), Playback(playback) {}
    const uint64_t Playback;
};

}  // namespace

// Shared with the toolkit's thread, which reads it when it posts a notification.
struct MainWindow::PlaybackNumber {
    std::atomic<uint64_t> Value{0};
};

void MainWindow::StartPlayback() {
    midi_ = environment_.CreateMidiSystem ? environment_.CreateMidiSystem() : CreateSystemMidi();
    ui_ = std::make_unique<ShellUserInterface>(*this);
    engine_ = std::make_unique<PlaybackEngine>(midi_->Toolkit(), *ui_, *this);
    engine_->SetDeviceAdvice("To choose another device: " + MenuPath("midiSetup"));
    playbackNumber_ = std::make_shared<PlaybackNumber>();
    midi_->Toolkit().SetNotificationHandler([this, number = playbackNumber_](ToolkitNotification notification) {
        const QEvent::Type type =
            notification == ToolkitNotification::MoreEventsWanted ? FeedRequestEvent : PlaybackEndedEvent;
        QCoreApplication::postEvent(this, new ToolkitEvent(type, number->Value.load()));
    });
}

MidiToolkit& MainWindow::Toolkit() {
    return midi_->Toolkit();
}

bool MainWindow::Playing() const {
    return engine_ && engine_->Playing();
}

PlaybackEditor* MainWindow::PlayingEditor() const {
    return engine_ ? engine_->PlayEditor() : nullptr;
}

bool MainWindow::OpenMidiOutput() {
    engine_->SetMidiOutDevice(settings_.MidiOutDevice);
    const bool opened = engine_->OpenMidiOutput();
    settings_.MidiOutDevice = engine_->MidiOutDevice();
    return opened;
}

void MainWindow::OpenMidiOutputQuietly() {
    engine_->SetMidiOutDevice(settings_.MidiOutDevice);
    engine_->OpenMidiOutputQuietly();
    settings_.MidiOutDevice = engine_->MidiOutDevice();
    ShowDeviceProblem();
}

void MainWindow::ShowDeviceProblem() {
    if (!outputStatus_ || !engine_) return;
    const QString problem = QString::fromStdString(engine_->DeviceProblem());
    outputStatus_->setText(
        problem.isEmpty() ? QString()
                          : QStringLiteral("No sound output (%1)").arg(QString::fromStdString(MenuPath("midiSetup"))));
    outputStatus_->setToolTip(problem);
    outputStatus_->setVisible(!problem.isEmpty());
    if (midiSetupDialog_) midiSetupDialog_->SetDeviceProblem(problem);
}

void MainWindow::OpenOutputAfterStart() {
    // The built-in synthesizer takes a while to open (its sound font, the sound server),
    // so it opens off this thread and the window answers meanwhile; Play pressed before
    // it is ready waits for it. A MIDI port opens at once. A device that does not open
    // is noted quietly: Play then tells why.
    const std::string& device = settings_.MidiOutDevice;
    if (!device.empty() && FoldUpper(device) != FoldUpper(SynthesizerName)) {
        OpenMidiOutputQuietly();
        return;
    }
    midi_->OpenOutputInBackground();
    if (midi_->OutputReady()) {
        OpenMidiOutputQuietly();
        return;
    }
    auto* poll = new QTimer(this);
    poll->setInterval(10);
    connect(poll, &QTimer::timeout, this, [this, poll] {
        if (!midi_->OutputReady()) return;
        poll->stop();
        poll->deleteLater();
        // Play or the MIDI setup may have opened a device meanwhile.
        if (engine_->MidiOut() == 0 && !Playing()) OpenMidiOutputQuietly();
        UpdateFrameControls();
    });
    poll->start();
}

void MainWindow::CloseMidiOutput() {
    if (engine_) engine_->CloseMidiOutput();
}

void MainWindow::PlaySong(const std::string& karFileName, PlaybackEditor* editor, bool fromCursor) {
    engine_->StopPlaying();
    ++playbackNumber_->Value;
    engine_->PlaySong(karFileName, editor, fromCursor);
    settings_.MidiOutDevice = engine_->MidiOutDevice();
}

void MainWindow::PlaySongFrom(const std::string& karFileName, PlaybackEditor* editor, int32_t startTick) {
    engine_->StopPlaying();
    ++playbackNumber_->Value;
    engine_->PlaySongFrom(karFileName, editor, startTick);
    settings_.MidiOutDevice = engine_->MidiOutDevice();
}

void MainWindow::PlayTrack(const std::string& fileName, int track) {
    // Stopping the audition that runs must not clear what the track dialog just showed.
    keepTrackDialogStatus_ = true;
    engine_->StopPlaying();
    keepTrackDialogStatus_ = false;
    ++playbackNumber_->Value;
    engine_->PlayTrack(fileName, track);
    settings_.MidiOutDevice = engine_->MidiOutDevice();
}

void MainWindow::StopPlaying() {
    if (engine_) engine_->StopPlaying();
}

void MainWindow::Tick() {
    if (!engine_) return;
    const int next = engine_->Tick();
    // Aimed at the next lyric when it falls due before the period is over; a tick that
    // stopped the song has stopped the timer too.
    if (tickTimer_->isActive()) tickTimer_->start(next);
}

void MainWindow::customEvent(QEvent* event) {
    if (event->type() != FeedRequestEvent && event->type() != PlaybackEndedEvent)
        return QMainWindow::customEvent(event);
    const auto* notification = static_cast<ToolkitEvent*>(event);
    if (!engine_ || notification->Playback != playbackNumber_->Value.load()) return;
    if (event->type() == FeedRequestEvent)
        engine_->MidiFeedRequest();
    else
        engine_->MidiPlaybackEnded();
}

void MainWindow::SetGauge(int32_t maximum, int32_t progress) {
    // With no song playing the gauge is empty and says nothing: a full "100%" bar
    // would read as something finished or going on.
    const bool active = Playing();
    gauge_->setTextVisible(active);
    if (!active) {
        gauge_->setRange(0, 1);
        gauge_->setValue(0);
        return;
    }
    // A song of no length still shows a full bar, not a busy one.
    const int top = std::max(1, maximum);
    gauge_->setRange(0, top);
    gauge_->setValue(std::clamp(progress, 0, top));
}

void MainWindow::SetGaugeProgress(int32_t progress) {
    gauge_->setValue(std::clamp(progress, 0, gauge_->maximum()));
}

void MainWindow::SetTimerEnabled(bool enabled) {
    if (enabled)
        tickTimer_->start(PlaybackEngine::TimerMillis);
    else
        tickTimer_->stop();
}

void MainWindow::ProcessPendingMessages() {
    QCoreApplication::processEvents();
}

void MainWindow::ClearTrackDialogStatus() {
    if (trackDialog_ && !keepTrackDialogStatus_) trackDialog_->ClearAuditionStatus();
}

}  // namespace sonkora
