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

#include <cstdint>
#include <memory>
#include <set>
#include <span>

#include "playback/OutputDevice.h"
#include "playback/SchedulerToolkit.h"
#include "playback/TimeSource.h"
#include "shell/MidiSystem.h"
#include "shell/ShellEnvironment.h"
#include "shell/SongTextEdit.h"

class QAction;
class QDialog;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QWidget;

namespace sonkora {
class EditorWindow;
class MainWindow;
}  // namespace sonkora

namespace sonkora::test {

// One message a recording device received, and when.
struct Sent {
    int64_t micros = 0;
    std::vector<uint8_t> bytes;
};

// What the devices of a recording catalog went through, kept after a device is closed.
struct DeviceLog {
    std::vector<Sent> sent;
    int silences = 0;
    int closes = 0;
    std::vector<int> opened;  // device indexes, in order
    // The messages whose status has this high nibble (0x90 note on, 0xC0 program ...).
    std::vector<Sent> OfKind(uint8_t kind) const;
};

// Output devices that write down what they get; `failOpen` names those that cannot be
// opened.
class RecordingCatalog final : public DeviceCatalog {
public:
    RecordingCatalog(const TimeSource& time, std::vector<std::string> names) : time_(time), names_(std::move(names)) {}
    std::vector<std::string> DeviceNames() override { return names_; }
    std::unique_ptr<OutputDevice> Open(int index) override;

    DeviceLog log;
    std::set<int> failOpen;

private:
    const TimeSource& time_;
    std::vector<std::string> names_;
};

// The frame's toolkit in tests: devices that record what they receive and when, and a
// scheduler that moves only when RunUntil moves its clock.
class TestMidiSystem final : public MidiSystem {
public:
    explicit TestMidiSystem(std::vector<std::string> names = {"Test Synth", "Port B"});
    MidiToolkit& Toolkit() override { return toolkit; }

    // Moves the clock to `micros`, dispatching every record at its moment and handing
    // the toolkit's notifications to the frame as they come, as its message loop would.
    void RunUntil(MainWindow& frame, int64_t micros);

    // The toolkit of a frame made from TestProgramFolder::Environment().
    static TestMidiSystem& Of(MainWindow& frame);

    ManualTimeSource time;
    RecordingCatalog catalog;
    SchedulerToolkit toolkit;
};

class TestProgramFolder {
public:
    TestProgramFolder();
    bool IsValid() const { return dir_.isValid(); }
    QString Path(const QString& name = {}) const;
    // Settings and documents here, and a TestMidiSystem with these devices, which
    // `setup` may prepare.
    ShellEnvironment Environment(std::function<void(TestMidiSystem&)> setup = {},
                                 std::vector<std::string> devices = {"Test Synth", "Port B"}) const;
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

// What a user sees of a window, found by object name: an editor's song text and preview
// panes, its page tabs and status labels ("statusModified", "statusLines",
// "statusParagraphs", "statusTitle"); a command of the main window a widget lives in
// ("paste", "playButton", ...), and the refresh of their enabling.
SongTextEdit* SongText(QWidget* editor);
SongTextEdit* Preview(QWidget* editor);
QTabWidget* Pages(QWidget* editor);
QLabel* Status(QWidget* editor, const char* name);
QAction* Action(QWidget* window, const char* name);
void Refresh(QWidget* window);
template <class T>
T* Child(QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// The lines of an ini file's text.
QStringList IniLines(const QByteArray& bytes);

// A MIDI file whose voice notes fall on known ticks. Format 1, 96 ticks a quarter, 120
// beats a minute (96 ticks = 500 ms). Track 1, the voice, sounds a note on every quarter
// from tick 0 to 480; track 2, a bass on channel 2 with a program of its own, at ticks
// 0 and 192.
QByteArray SixNoteSong();
inline constexpr int64_t Quarter = 500'000;  // microseconds

// One syllable for each of its notes: Hel 0, lo 96, world 192 on the first lyric line,
// how 288, are 384, you 480 on the second.
inline const QByteArray SixSyllables = "\\t 1\n\\m song.mid\n@TSix\n\nHel-lo world\nhow are you\n";

// A frame on a program folder of its own whose windows close without questions at the
// end.
struct FrameHolder {
    FrameHolder() = default;
    FrameHolder(const FrameHolder&) = delete;
    FrameHolder& operator=(const FrameHolder&) = delete;
    ~FrameHolder();
    // An editor window on a new song text file.
    EditorWindow* Open(const QString& name, const QByteArray& bytes);
    // A file of the examples CopyExamples() put in place.
    QString Example(const QString& name) const;

    TestProgramFolder folder;
    std::unique_ptr<MainWindow> frame;
};

// A frame that has shown its help before, so that nothing else opens at start; with
// `withExamples` the example songs are in examples/.
struct EditorFixture : FrameHolder {
    explicit EditorFixture(bool withExamples = false);
};

// A frame started on a program folder of its own that holds song.mid, with recording
// devices (the first one open).
struct FrameFixture : FrameHolder {
    explicit FrameFixture(std::vector<std::string> devices = {"Test Synth", "Port B"}, const QByteArray& ini = {});
    TestMidiSystem& Midi();
    // Time passes to `micros` and the frame's timer ticks once.
    void At(int64_t micros);
};

}  // namespace sonkora::test
