#include "shell/ShellTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>

#include "shell/MDIFrame.h"
#include "shell/Trackdlg.h"

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

TShellEnvironment TestProgramFolder::Environment(std::function<void(TestMidiSystem&)> setup) const {
    TShellEnvironment environment = TShellEnvironment::InDirectory(dir_.path().toStdString());
    environment.CreateMidiSystem = [setup]() -> std::unique_ptr<TMidiSystem> {
        auto system = std::make_unique<TestMidiSystem>();
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

}  // namespace

TestMidiSystem::TestMidiSystem(std::vector<std::string> names)
    : catalog(time, std::move(names)), toolkit(catalog, time, SchedulerToolkit::Drive::ByHand) {}

TestMidiSystem& TestMidiSystem::Of(TFrameForm& frame) {
    return dynamic_cast<TestMidiSystem&>(frame.MidiSystem());
}

void TestMidiSystem::RunUntil(TFrameForm& frame, int64_t micros) {
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
    QDialog* dialog = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(widget);
        if (d && d->isVisible() && d->isModal()) dialog = d;
    }
    if (!dialog) return;

    QString description;
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        description = QStringLiteral("box: ") + box->text();
    else if (auto* files = qobject_cast<QFileDialog*>(dialog))
        description = QStringLiteral("file: ") + files->windowTitle();
    else if (auto* tracks = qobject_cast<TTrackDialog*>(dialog))
        description = QStringLiteral("tracks: %1 items").arg(tracks->TrackList->count());
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
            static_cast<QDialog*>(files)->accept();
        } else {
            Unexpected << description + QStringLiteral(" (not a file dialog)");
            dialog->reject();
        }
        break;
    case Reply::Track:
        if (auto* tracks = qobject_cast<TTrackDialog*>(dialog)) {
            tracks->TrackList->setCurrentRow(reply.index);
            tracks->accept();
        } else {
            Unexpected << description + QStringLiteral(" (not the track dialog)");
            dialog->reject();
        }
        break;
    case Reply::Action:
        reply.action(*dialog);
        if (dialog->isVisible()) {
            Unexpected << description + QStringLiteral(" (left open)");
            dialog->reject();
        }
        break;
    case Reply::CancelIt:
        if (auto* box = qobject_cast<QMessageBox*>(dialog); box && box->button(QMessageBox::Cancel))
            box->button(QMessageBox::Cancel)->click();
        else
            dialog->reject();
        break;
    }
}

QStringList IniLines(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

}  // namespace sonkora::test
