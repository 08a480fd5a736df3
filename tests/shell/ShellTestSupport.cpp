#include "shell/ShellTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/VoiceTrackDialog.h"
#include "support/MidiBytes.h"

namespace sonkora::test {

namespace {

void CopyTree(const QString& from, const QString& to, const QStringList& patterns) {
    QDir().mkpath(to);
    QDirIterator it(from, patterns, QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile::copy(file, QDir(to).filePath(QFileInfo(file).fileName()));
    }
}

}  // namespace

TestProgramFolder::TestProgramFolder() = default;

QString TestProgramFolder::Path(const QString& name) const {
    return name.isEmpty() ? dir_.path() + QLatin1Char('/') : QDir(dir_.path()).filePath(name);
}

ShellEnvironment TestProgramFolder::Environment(std::function<void(TestMidiSystem&)> setup,
                                                std::vector<std::string> devices) const {
    ShellEnvironment environment = ShellEnvironment::InDirectory(dir_.path().toStdString());
    environment.CreateMidiSystem = [setup, devices]() -> std::unique_ptr<MidiSystem> {
        auto system = std::make_unique<TestMidiSystem>(devices);
        if (setup) setup(*system);
        return system;
    };
    return environment;
}

namespace {

// Counts the events the toolkit posts to the frame as they are delivered.
class NotificationCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() >= QEvent::User) ++Count;
        return false;
    }
    int Count = 0;
};

class RecordingDevice final : public OutputDevice {
public:
    RecordingDevice(const TimeSource& time, DeviceLog& log) : time_(time), log_(log) {}
    ~RecordingDevice() override { ++log_.closes; }
    bool Reset() override { return true; }
    void Send(std::span<const uint8_t> message) override {
        log_.sent.push_back(Sent{time_.NowMicros(), std::vector<uint8_t>(message.begin(), message.end())});
    }
    void Silence() override { ++log_.silences; }
    void Prepare() override {}

private:
    const TimeSource& time_;
    DeviceLog& log_;
};

}  // namespace

std::vector<Sent> DeviceLog::OfKind(uint8_t kind) const {
    std::vector<Sent> out;
    for (const Sent& s : sent)
        if (!s.bytes.empty() && (s.bytes[0] & 0xF0) == kind) out.push_back(s);
    return out;
}

std::unique_ptr<OutputDevice> RecordingCatalog::Open(int index) {
    log.opened.push_back(index);
    if (failOpen.count(index) != 0) return nullptr;
    return std::make_unique<RecordingDevice>(time_, log);
}

TestMidiSystem::TestMidiSystem(std::vector<std::string> names)
    : catalog(time, std::move(names)), toolkit(catalog, time, SchedulerToolkit::Drive::ByHand) {}

TestMidiSystem& TestMidiSystem::Of(MainWindow& frame) {
    return dynamic_cast<TestMidiSystem&>(frame.Midi());
}

void TestMidiSystem::RunUntil(MainWindow& frame, int64_t micros) {
    NotificationCounter counter;
    frame.installEventFilter(&counter);
    Scheduler& scheduler = toolkit.GetScheduler();
    // Dispatches what is due and delivers what that posted, until nothing more comes.
    auto settle = [&] {
        for (int guard = 0; guard < 100000; ++guard) {
            const int64_t next = scheduler.Service();
            const int before = counter.Count;
            QCoreApplication::sendPostedEvents(&frame, 0);
            if (counter.Count == before) return next;
        }
        return Scheduler::Never;
    };
    for (int guard = 0; guard < 1000000; ++guard) {
        const int64_t next = settle();
        if (next > micros || next <= time.NowMicros()) break;
        time.Set(next);
    }
    time.Set(micros);
    settle();
    frame.removeEventFilter(&counter);
}

void TestProgramFolder::CopyExamples() {
    CopyTree(QStringLiteral(SONKORA_SOURCE_DIR "/examples"), Path(QStringLiteral("examples")),
             {QStringLiteral("*.stf"), QStringLiteral("*.mid")});
}

void TestProgramFolder::CopyHelp() {
    CopyTree(QStringLiteral(SONKORA_SOURCE_DIR "/help"), Path(QStringLiteral("help")), {QStringLiteral("*")});
}

void TestProgramFolder::WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(Path(name));
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QByteArray TestProgramFolder::ReadFile(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    timer_.start();
}

ModalAnswerer::~ModalAnswerer() = default;

ModalAnswerer& ModalAnswerer::Press(QMessageBox::StandardButton button) {
    replies_.push_back({Reply::Button, button, {}, 0, {}});
    return *this;
}

ModalAnswerer& ModalAnswerer::ChooseFile(const QString& path) {
    replies_.push_back({Reply::File, QMessageBox::NoButton, path, 0, {}});
    return *this;
}

ModalAnswerer& ModalAnswerer::ChooseTrack(int index) {
    replies_.push_back({Reply::Track, QMessageBox::NoButton, {}, index, {}});
    return *this;
}

ModalAnswerer& ModalAnswerer::Cancel() {
    replies_.push_back({Reply::CancelIt, QMessageBox::NoButton, {}, 0, {}});
    return *this;
}

ModalAnswerer& ModalAnswerer::Act(std::function<void(QDialog&)> action) {
    replies_.push_back({Reply::Action, QMessageBox::NoButton, {}, 0, std::move(action)});
    return *this;
}

void ModalAnswerer::Poll() {
    // The innermost modal dialog: one opened from another is answered first.
    QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QDialog*>(widget);
            if (d && d->isVisible() && d->isModal()) dialog = d;
        }
    }
    if (!dialog) return;

    QString description;
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        description = QStringLiteral("box: ") + box->text();
    else if (auto* files = qobject_cast<QFileDialog*>(dialog))
        description = QStringLiteral("file: ") + files->windowTitle();
    else if (auto* tracks = qobject_cast<VoiceTrackDialog*>(dialog))
        description =
            QStringLiteral("tracks: %1 items").arg(tracks->findChild<QListWidget*>(QStringLiteral("tracks"))->count());
    else
        description = QStringLiteral("dialog: ") + dialog->windowTitle();

    if (replies_.empty()) {
        Unexpected << description;
        dialog->reject();
        return;
    }
    const Reply reply = replies_.front();
    replies_.pop_front();
    Seen << description;
    switch (reply.kind) {
        case Reply::Button:
            if (auto* box = qobject_cast<QMessageBox*>(dialog); box && box->button(reply.button)) {
                box->button(reply.button)->click();
            } else {
                Unexpected << description + QStringLiteral(" (no such button)");
                dialog->reject();
            }
            break;
        case Reply::File:
            if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                files->selectFile(reply.path);
                // selectFile leaves a name field that has the focus alone; the name is typed
                // in as a person would.
                if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(reply.path);
                static_cast<QDialog*>(files)->accept();
                if (files->isVisible()) {
                    Unexpected << description + QStringLiteral(" (refused %1)").arg(reply.path);
                    dialog->reject();
                }
            } else {
                Unexpected << description + QStringLiteral(" (not a file dialog)");
                dialog->reject();
            }
            break;
        case Reply::Track:
            if (auto* tracks = qobject_cast<VoiceTrackDialog*>(dialog)) {
                tracks->findChild<QListWidget*>(QStringLiteral("tracks"))->setCurrentRow(reply.index);
                tracks->accept();
            } else {
                Unexpected << description + QStringLiteral(" (not the track dialog)");
                dialog->reject();
            }
            break;
        case Reply::Action: {
            // Run from a timer of its own: a dialog the action opens is answered by this
            // one's next tick, which would not come while this tick is still being handled.
            QPointer<QDialog> target(dialog);
            QTimer::singleShot(0, this, [this, target, action = reply.action, description] {
                if (!target) return;
                action(*target);
                if (target && target->isVisible()) {
                    Unexpected << description + QStringLiteral(" (left open)");
                    target->reject();
                }
            });
            break;
        }
        case Reply::CancelIt:
            if (auto* box = qobject_cast<QMessageBox*>(dialog); box && box->button(QMessageBox::Cancel))
                box->button(QMessageBox::Cancel)->click();
            else
                dialog->reject();
            break;
    }
}

QByteArray SixNoteSong() {
    Bytes voice = Program(0, 0, 52);
    for (uint8_t i = 0; i < 6; ++i)
        voice = Cat({voice, NoteOn(i == 0 ? 0 : 48, 0, 60 + i, 100), NoteOff(48, 0, 60 + i)});
    const Bytes bytes = MidiFile(1, 96,
                                 {Cat({Meta(0, 0x03, "Conductor"), Tempo(0, 500000), EndOfTrack()}),
                                  Cat({Meta(0, 0x03, "Voice"), voice, EndOfTrack()}),
                                  Cat({Meta(0, 0x03, "Bass"), Program(0, 1, 33), NoteOn(0, 1, 40, 90),
                                       NoteOff(96, 1, 40), NoteOn(96, 1, 43, 90), NoteOff(96, 1, 43), EndOfTrack()})});
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

FrameFixture::FrameFixture(std::vector<std::string> devices, const QByteArray& ini) {
    folder.WriteFile(QStringLiteral("Sonkora.ini"),
                     ini.isEmpty() ? QByteArray("[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n") : ini);
    folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
    ModalAnswerer quiet;  // a start without devices says so
    quiet.Press(QMessageBox::Ok);
    frame = std::make_unique<MainWindow>(folder.Environment({}, std::move(devices)));
    frame->show();
    frame->FinishStart();
}

FrameHolder::~FrameHolder() {
    if (!frame) return;
    for (EditorWindow* editor : frame->Editors())
        editor->findChild<QPlainTextEdit*>(QStringLiteral("songText"))->document()->setModified(false);
    frame->close();
}

EditorWindow* FrameHolder::Open(const QString& name, const QByteArray& bytes) {
    folder.WriteFile(name, bytes);
    EditorWindow* editor = frame->CreateEditor();
    editor->LoadFile(folder.Path(name));
    return editor;
}

QString FrameHolder::Example(const QString& name) const {
    return folder.Path(QStringLiteral("examples/") + name);
}

EditorFixture::EditorFixture(bool withExamples) {
    if (withExamples) folder.CopyExamples();
    folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
    frame = std::make_unique<MainWindow>(folder.Environment());
    frame->show();
}

TestMidiSystem& FrameFixture::Midi() {
    return TestMidiSystem::Of(*frame);
}

void FrameFixture::At(int64_t micros) {
    Midi().RunUntil(*frame, micros);
    frame->Tick();
}

SongTextEdit* SongText(QWidget* editor) {
    return Child<SongTextEdit>(editor, "songText");
}

SongTextEdit* Preview(QWidget* editor) {
    return Child<SongTextEdit>(editor, "preview");
}

QTabWidget* Pages(QWidget* editor) {
    return Child<QTabWidget>(editor, "pages");
}

QLabel* Status(QWidget* editor, const char* name) {
    return Child<QLabel>(editor, name);
}

QAction* Action(QWidget* window, const char* name) {
    return Child<QAction>(window->window(), name);
}

void Refresh(QWidget* window) {
    if (auto* main = qobject_cast<MainWindow*>(window->window())) main->UpdateFrameControls();
}

QStringList IniLines(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

}  // namespace sonkora::test
