#include "ShellHarness.h"

#include <QDialog>
#include <QFileDialog>

#include <algorithm>

#include "support/MidiBytes.h"

namespace sonkora::test {

namespace {

class RecordingDevice final : public OutputDevice {
public:
    RecordingDevice(const TimeSource& time, std::vector<Sent>& sent) : time_(time), sent_(sent) {}
    bool Reset() override { return true; }
    void Send(std::span<const uint8_t> message) override {
        sent_.push_back(Sent{time_.NowMicros(), std::vector<uint8_t>(message.begin(), message.end())});
    }
    void Silence() override {}
    void Prepare() override {}

private:
    const TimeSource& time_;
    std::vector<Sent>& sent_;
};

// Counts the events the toolkit posts to the window as they are delivered.
class NotificationCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() >= QEvent::User) ++Count;
        return false;
    }
    int Count = 0;
};

}  // namespace

std::unique_ptr<OutputDevice> TestMidiSystem::Open(int index) {
    opened.push_back(index);
    if (failOpen.count(index) != 0) return nullptr;
    return std::make_unique<RecordingDevice>(time, sent);
}

std::vector<Sent> TestMidiSystem::NotesOn(int channel) const {
    std::vector<Sent> notes;
    for (const Sent& s : sent)
        if (s.bytes.size() == 3 && s.bytes[0] == (0x90 | channel) && s.bytes[2] > 0) notes.push_back(s);
    return notes;
}

void TestMidiSystem::RunUntil(MainWindow& window, int64_t micros) {
    NotificationCounter counter;
    window.installEventFilter(&counter);
    Scheduler& scheduler = toolkit.GetScheduler();
    // Dispatches what is due and delivers what that posted, until nothing more comes.
    auto settle = [&] {
        for (int guard = 0; guard < 100000; ++guard) {
            const int64_t next = scheduler.Service();
            const int before = counter.Count;
            QCoreApplication::sendPostedEvents(&window, 0);
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
    window.removeEventFilter(&counter);
}

QString TestProgramFolder::Path(const QString& name) const {
    return name.isEmpty() ? dir_.path() + QLatin1Char('/') : QDir(dir_.path()).filePath(name);
}

ShellEnvironment TestProgramFolder::Environment(std::function<void(TestMidiSystem&)> setup,
                                                std::vector<std::string> devices) const {
    // The windows of a test come and go; the program must not end when the last one does.
    QApplication::setQuitOnLastWindowClosed(false);
    ShellEnvironment environment = ShellEnvironment::InDirectory(dir_.path().toStdString());
    environment.CreateMidiSystem = [setup, devices]() -> std::unique_ptr<MidiSystem> {
        auto system = std::make_unique<TestMidiSystem>(devices);
        if (setup) setup(*system);
        return system;
    };
    return environment;
}

void TestProgramFolder::Copy(const QString& folder) {
    QDir().mkpath(Path(folder));
    const QDir from(QStringLiteral(SONKORA_SOURCE_DIR "/") + folder);
    for (const QString& name : from.entryList(QDir::Files)) QFile::copy(from.filePath(name), Path(folder + '/' + name));
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

ModalAnswerer::~ModalAnswerer() {
    if (!unexpected_.isEmpty()) QTest::qFail(qPrintable("unexpected: " + unexpected_.join(", ")), __FILE__, __LINE__);
    if (!replies_.empty())
        QTest::qFail(qPrintable(QStringLiteral("%1 replies unused").arg(replies_.size())), __FILE__, __LINE__);
}

ModalAnswerer& ModalAnswerer::Press(QMessageBox::StandardButton button) {
    return Act([this, button](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box && box->button(button)) box->button(button)->click();
    });
}

ModalAnswerer& ModalAnswerer::ChooseFile(const QString& path) {
    return Act([path](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return;
        files->selectFile(path);
        // selectFile leaves alone a name field that has the focus; the name is typed in.
        if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
        dialog.accept();
    });
}

ModalAnswerer& ModalAnswerer::Cancel() {
    return Act([](QDialog& dialog) { dialog.reject(); });
}

ModalAnswerer& ModalAnswerer::ChooseTrack(int row) {
    return Act([row](QDialog& dialog) {
        Child<QListWidget>(&dialog, "tracks")->setCurrentRow(row);
        dialog.accept();
    });
}

ModalAnswerer& ModalAnswerer::Act(std::function<void(QDialog&)> action) {
    replies_.push_back(std::move(action));
    return *this;
}

void ModalAnswerer::Poll() {
    if (busy_) return;
    // The innermost modal dialog: one opened from another is answered first.
    QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(widget); !dialog && d && d->isVisible() && d->isModal()) dialog = d;
    if (!dialog || std::find(answering_.begin(), answering_.end(), dialog) != answering_.end()) return;
    QString description = "dialog: " + dialog->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) description = "box: " + box->text();
    if (qobject_cast<QFileDialog*>(dialog)) description = "file: " + dialog->windowTitle();
    if (replies_.empty()) {
        unexpected_ << description;
        dialog->reject();
        return;
    }
    Seen << description;
    // Run from a timer of its own: a dialog the reply opens is answered by a later tick
    // of this one, which would not come while this tick is still being handled.
    busy_ = true;
    QTimer::singleShot(0, this, [this, target = QPointer<QDialog>(dialog), reply = replies_.front(), description] {
        busy_ = false;
        if (!target) return;
        answering_.push_back(target);
        reply(*target);
        answering_.pop_back();
        if (target && target->isVisible()) {
            unexpected_ << description + " (not answered)";
            target->reject();
        }
    });
    replies_.pop_front();
}

Shell::Shell(ShellOptions options) {
    for (const QString& shipped : options.shipped) folder.Copy(shipped);
    if (!options.ini.isEmpty())
        folder.WriteFile("Sonkora.ini", options.ini.replace("$FOLDER/", folder.Path().toUtf8()));
    folder.WriteFile("song.mid", SixNoteSong());
    for (const auto& [name, bytes] : options.files) folder.WriteFile(name, bytes);
    frame = std::make_unique<MainWindow>(
        folder.Environment([&](TestMidiSystem& midi) { midi.failOpen = options.failOpen; }, options.devices));
    frame->show();
    frame->FinishStart();
    // Active, so that the command keys reach it.
    frame->activateWindow();
    if (!QTest::qWaitForWindowActive(frame.get())) qWarning("The main window did not become active.");
}

Shell::~Shell() {
    for (EditorWindow* editor : frame->Editors()) SongText(editor)->document()->setModified(false);
    frame->close();
}

EditorWindow* Shell::Open(const QString& name, const QByteArray& bytes) {
    folder.WriteFile(name, bytes);
    EditorWindow* editor = frame->CreateEditor();
    editor->LoadFile(folder.Path(name));
    return editor;
}

void Shell::At(int64_t micros) {
    Midi().RunUntil(*frame, micros);
    frame->Tick();
}

void Refresh(QWidget* widget) {
    if (auto* main = qobject_cast<MainWindow*>(widget->window())) main->UpdateFrameControls();
}

QStringList IniLines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).remove(QLatin1Char('\r')).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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

}  // namespace sonkora::test
