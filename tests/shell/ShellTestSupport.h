#pragma once
// What the shell's tests share: a program folder of their own (settings, examples,
// help), a MIDI toolkit on recording devices with a clock moved by hand, and an
// answerer that replies to the modal boxes and dialogs an action opens, recording what
// they said.

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "playback/PlaybackFakes.h"
#include "playback/SchedulerToolkit.h"
#include "shell/MidiSystem.h"
#include "shell/ShellEnvironment.h"

class QDialog;

namespace sonkora {
class TFrameForm;
}

namespace sonkora::test {

// The frame's toolkit in tests: devices that record what they receive and when, and a
// scheduler that moves only when RunUntil moves its clock.
class TestMidiSystem final : public TMidiSystem {
public:
    explicit TestMidiSystem(std::vector<std::string> names = {"Test Synth", "Port B"});
    MidiToolkit& Toolkit() override { return toolkit; }

    // Moves the clock to `micros`, dispatching every record at its moment and handing
    // the toolkit's notifications to the frame as they come, as its message loop would.
    void RunUntil(TFrameForm& frame, int64_t micros);

    // The toolkit of a frame made from TestProgramFolder::Environment().
    static TestMidiSystem& Of(TFrameForm& frame);

    ManualTimeSource time;
    RecordingCatalog catalog;
    SchedulerToolkit toolkit;
};

class TestProgramFolder {
public:
    TestProgramFolder();
    bool IsValid() const { return dir_.isValid(); }
    QString Path(const QString& name = {}) const;
    // Settings and documents here, and a TestMidiSystem, which `setup` may prepare.
    TShellEnvironment Environment(std::function<void(TestMidiSystem&)> setup = {}) const;
    // Copies the example songs the project ships into examples/.
    void CopyExamples();
    // Copies the help topics the project ships into help/.
    void CopyHelp();
    void WriteFile(const QString& name, const QByteArray& bytes);
    QByteArray ReadFile(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Replies, in order, to the modal boxes and dialogs that show up while it lives.
class ModalAnswerer : public QObject {
    Q_OBJECT

public:
    ModalAnswerer();
    ~ModalAnswerer() override;

    ModalAnswerer& Press(QMessageBox::StandardButton button);
    ModalAnswerer& ChooseFile(const QString& path);
    ModalAnswerer& ChooseTrack(int index);
    ModalAnswerer& Cancel();
    // Anything else done to the next modal dialog, which `action` must close.
    ModalAnswerer& Act(std::function<void(QDialog&)> action);

    // One entry per modal handled: "box: TEXT", "file: TITLE", "tracks: N items".
    QStringList Seen;
    // Modals that came with no reply queued; each was cancelled.
    QStringList Unexpected;
    bool AllUsed() const { return replies_.empty(); }

private:
    struct Reply {
        enum Kind { Button, File, Track, CancelIt, Action } kind;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QString path;
        int index = 0;
        std::function<void(QDialog&)> action;
    };
    void Poll();

    std::deque<Reply> replies_;
    QTimer timer_;
};

// The lines of an ini file's text.
QStringList IniLines(const QByteArray& bytes);

}  // namespace sonkora::test
