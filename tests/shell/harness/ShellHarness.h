#pragma once
// What every shell test shares (with the headers most of them use): a program folder of its own, a MIDI system of
// recording devices on a clock moved by hand, a main window started on both, an answerer for the modal boxes and
// dialogs an action opens, and the widgets a user sees, found by name.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "playback/OutputDevice.h"
#include "playback/PlaybackEngine.h"
#include "playback/SchedulerToolkit.h"
#include "playback/TimeSource.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/MidiSystem.h"
#include "shell/ShellEnvironment.h"
#include "shell/SongTextEdit.h"

namespace sonkora::test {

// One message a recording device received, and when.
struct Sent {
    int64_t micros = 0;
    std::vector<uint8_t> bytes;
};

// Output devices that write down what they get, on a scheduler that moves only when
// RunUntil moves its clock. Devices listed in `failOpen` cannot be opened.
class TestMidiSystem final : public MidiSystem, public DeviceCatalog {
public:
    explicit TestMidiSystem(std::vector<std::string> names) : names_(std::move(names)) {}
    MidiToolkit& Toolkit() override { return toolkit; }
    std::vector<std::string> DeviceNames() override { return names_; }
    std::unique_ptr<OutputDevice> Open(int index) override;

    // Moves the clock to `micros`, dispatching every record at its moment and handing
    // the toolkit's notifications to the window as they come, as its event loop would.
    void RunUntil(MainWindow& window, int64_t micros);
    // The note ons with a velocity sent on `channel`.
    std::vector<Sent> NotesOn(int channel) const;

    std::vector<Sent> sent;
    std::vector<int> opened;  // device indexes, in order
    std::set<int> failOpen;
    ManualTimeSource time;

private:
    std::vector<std::string> names_;

public:
    SchedulerToolkit toolkit{*this, time, SchedulerToolkit::Drive::ByHand};
};

// A temporary program folder: settings, documents, examples and help.
class TestProgramFolder {
public:
    QString Path(const QString& name = {}) const;
    // Settings and documents here, and a TestMidiSystem with these devices, which `setup`
    // may prepare.
    ShellEnvironment Environment(std::function<void(TestMidiSystem&)> setup = {},
                                 std::vector<std::string> devices = {"Test Synth", "Port B"}) const;
    // Copies a folder the project ships ("examples", "help") here.
    void Copy(const QString& folder);
    void WriteFile(const QString& name, const QByteArray& bytes);
    QByteArray ReadFile(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Replies, in order, to the modal boxes and dialogs that show up while it lives. At its
// end the test fails when a modal came with no reply queued or a reply went unused.
class ModalAnswerer : public QObject {
public:
    ModalAnswerer();
    ~ModalAnswerer() override;
    ModalAnswerer& Press(QMessageBox::StandardButton button);
    ModalAnswerer& ChooseFile(const QString& path);
    ModalAnswerer& Cancel();
    // The voice track dialog's answer: that line of its list.
    ModalAnswerer& ChooseTrack(int row);
    // Anything done to the next modal dialog; `action` must close it.
    ModalAnswerer& Act(std::function<void(QDialog&)> action);

    // One entry per modal answered: "box: TEXT", "file: TITLE", "dialog: TITLE".
    QStringList Seen;

private:
    void Poll();

    // Modals that came with no reply queued (each cancelled), or that a reply missed.
    QStringList unexpected_;
    std::deque<std::function<void(QDialog&)>> replies_;
    bool busy_ = false;                // a reply is scheduled
    std::vector<QDialog*> answering_;  // dialogs whose reply runs, perhaps opening others
    QTimer timer_;
};

// The settings of a program that has shown its help before, so nothing opens at start.
inline const QByteArray QuietIni = "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n";

// A main window on a program folder of its own that holds song.mid (SixNoteSong), its
// windows closed without questions at the end. Without `ini` the start is a first one.
struct ShellOptions {
    std::vector<std::string> devices = {"Test Synth", "Port B"};
    QByteArray ini = QuietIni;                               // "$FOLDER/" stands for the program folder
    QStringList shipped = {};                                // folders the project ships, copied first
    std::vector<std::pair<QString, QByteArray>> files = {};  // more files in the folder at start
    std::set<int> failOpen = {};                             // devices that cannot be opened
};
struct Shell {
    explicit Shell(ShellOptions options = {});
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    ~Shell();
    // An editor window on a new song text file.
    EditorWindow* Open(const QString& name, const QByteArray& bytes);
    QString Example(const QString& name) const { return folder.Path("examples/" + name); }
    TestMidiSystem& Midi() { return dynamic_cast<TestMidiSystem&>(frame->Midi()); }
    // Time passes to `micros` and the window's timer ticks once.
    void At(int64_t micros);

    TestProgramFolder folder;
    std::unique_ptr<MainWindow> frame;
};

// What a user sees of a window, by object name: an editor's panes "songText" and
// "preview", its "pages" and status labels; the main window's commands.
template <class T>
T* Child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}
inline SongTextEdit* SongText(QWidget* editor) {
    return Child<SongTextEdit>(editor, "songText");
}
inline SongTextEdit* Preview(QWidget* editor) {
    return Child<SongTextEdit>(editor, "preview");
}
inline QTabWidget* Pages(QWidget* editor) {
    return Child<QTabWidget>(editor, "pages");
}
inline QString Status(QWidget* editor, const char* name) {
    return Child<QLabel>(editor, name)->text();
}
// A command of the main window `widget` lives in, and the refresh of their enabling
// that opening a menu does.
inline QAction* Action(QWidget* widget, const char* name) {
    return Child<QAction>(widget->window(), name);
}
void Refresh(QWidget* widget);

// The lines of an ini file.
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

}  // namespace sonkora::test
