// The main window's session: the start (the windows of the last run come back, the
// output device opens, a first start shows the help and an example song) and the end
// (the editors' close questions, the settings and window places saved in Sonkora.ini).

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <utility>

#include "common/ExampleCopy.h"
#include "common/IniFile.h"
#include "common/UserInterface.h"
#include "playback/PlaybackEngine.h"
#include "shell/EditorWindow.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"

namespace sonkora {

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    RestoreViews();
    // The device and the help come once the window is on the screen, so that a message
    // about either has the program's window behind it.
    QTimer::singleShot(0, this, &MainWindow::FinishStart);
}

void MainWindow::LoadMainSettings(const IniFile& ini, const std::string& prefix) {
    ReadShellSettings(ini, prefix, settings_);
    ReadTimingSettings(ini, settings_);
    engine_->SetMidiOutDevice(settings_.MidiOutDevice);
    SetEditorFont(FontFromSettings(settings_));
}

void MainWindow::RestoreViews() {
    // The editors' saved places are kept inside the area, so the area must have its
    // real size before they come back.
    if (layout()) layout()->activate();
    IniFile ini;
    bool haveIni = false;
    try {
        haveIni = QFileInfo::exists(QString::fromStdString(environment_.IniReadPath));
        ini.Load(environment_.IniReadPath);
    } catch (const std::exception& error) {
        haveIni = false;
        ErrorBox(QStringLiteral("The settings could not be read: %1").arg(QString::fromStdString(error.what())),
                 HelpContext::General);
    }

    const auto views = ini.ReadSectionValues(ViewsSection);
    for (const auto& [key, value] : views)
        if (value == "Main") LoadMainSettings(ini, key);
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        if (it->second != "Edit") continue;
        // A file listed twice opens once.
        const QString fileName =
            QString::fromStdString(ini.ReadString(ViewSettingsSection, it->first + "FileName", ""));
        if (EditorOf(fileName)) continue;
        EditorWindow* editor = CreateEditor(false);
        editor->LoadViewSettings(ini, it->first);
        mdiArea_->setActiveSubWindow(editor->Window());
    }
    for (const auto& [key, value] : views)
        if (value == "Main") LoadViewSettings(ini, key);

    recent_.Load(ini);
    // The files the program was started with, once the window is on the screen (their
    // dialogs and messages need it behind them); else a first start meets a working song.
    if (!filesToOpen_.isEmpty())
        QTimer::singleShot(0, this, [this] { OpenFiles(std::exchange(filesToOpen_, {})); });
    else if (!haveIni)
        OpenExampleSong();
    RefreshRecentMenus();
    UpdateFrameControls();
}

void MainWindow::FinishStart() {
    if (startFinished_) return;
    startFinished_ = true;
    // A missing device is noted, not put in a box: the program runs on without one and
    // Play tells why.
    OpenOutputAfterStart();
    UpdateFrameControls();
    if (settings_.HelpShown != HelpShownMark && ShowHelp(HelpContext::General)) settings_.HelpShown = HelpShownMark;
}

void MainWindow::OpenExampleSong() {
    QDir examples(QString::fromStdString(environment_.ExamplesDirectory()));
    // An installed program's folder cannot be written, and Make writes beside the song:
    // the user gets copies of their own in the documents folder.
    if (environment_.DocumentDirectory != environment_.ProgramDirectory) {
        const std::string userExamples = environment_.DocumentDirectory + "examples/";
        try {
            CopyMissingFiles(environment_.ExamplesDirectory(), userExamples);
            examples.setPath(QString::fromStdString(userExamples));
        } catch (const std::exception& error) {
            ErrorBox(QStringLiteral("The example songs could not be copied to your documents folder: %1")
                         .arg(QString::fromStdString(error.what())),
                     HelpContext::General);
        }
    }
    const QStringList songs = examples.entryList({QStringLiteral("*.stf")}, QDir::Files, QDir::Name);
    if (songs.isEmpty()) return;
    CreateEditor()->LoadFile(examples.filePath(songs.first()));
}

bool MainWindow::CloseEditorsForExit() {
    for (EditorWindow* editor : Editors())
        if (!editor->CloseQuery()) return false;
    return true;
}

void MainWindow::SaveViews() {
    if (help_) help_->Quit();
    IniFile ini;
    QStringList problems;
    try {
        ini.Load(environment_.IniReadPath);
    } catch (const std::exception&) {
        // Unreadable: the two sections are written anew all the same.
    }
    ini.EraseSection(ViewsSection);
    ini.EraseSection(ViewSettingsSection);
    recent_.Save(ini);
    ini.WriteString(ViewsSection, "View0", ViewName);
    SaveViewSettings(ini, "View0");
    int number = 1;
    for (EditorWindow* editor : Editors()) {
        // A file name with a line break cannot be stored in a line of the file; that
        // window is left out rather than the whole file being lost.
        const QString fileName = editor->FileName();
        if (fileName.contains(QLatin1Char('\n')) || fileName.contains(QLatin1Char('\r'))) {
            problems << fileName;
            continue;
        }
        const std::string key = "View" + std::to_string(number++);
        ini.WriteString(ViewsSection, key, editor->ViewName);
        editor->SaveViewSettings(ini, key);
    }
    try {
        ini.Save(environment_.IniWritePath);
    } catch (const std::exception& error) {
        ErrorBox(QStringLiteral("The settings could not be saved in %1: %2")
                     .arg(QString::fromStdString(environment_.IniWritePath), QString::fromStdString(error.what())),
                 HelpContext::General);
        return;
    }
    if (!problems.isEmpty())
        ErrorBox(QStringLiteral("These windows will not open again at the next start, because their file "
                                "names cannot be stored in the settings:\n%1")
                     .arg(problems.join(QLatin1Char('\n'))),
                 HelpContext::General);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!CloseEditorsForExit()) {
        event->ignore();
        return;
    }
    StopPlaying();
    // Closed before the start was finished: nothing of it is wanted any more.
    startFinished_ = true;
    SaveViews();
    event->accept();
}

void MainWindow::SaveViewSettings(IniFile& ini, const std::string& prefix) {
    settings_.MidiOutDevice = engine_->MidiOutDevice();
    PersistentView::SaveViewSettings(ini, prefix);
    WriteShellSettings(ini, prefix, settings_);
    WriteTimingSettings(ini, settings_);
}

void MainWindow::LoadViewSettings(const IniFile& ini, const std::string& prefix) {
    PersistentView::LoadViewSettings(ini, prefix);
}

WindowPlacement MainWindow::GetPlacement() const {
    WindowPlacement placement;
    const Qt::WindowStates state = windowState();
    placement.ShowCmd = state & Qt::WindowMinimized   ? ShowState::Minimized
                        : state & Qt::WindowMaximized ? ShowState::Maximized
                                                      : ShowState::Normal;
    QRect normal = normalGeometry();
    if (!normal.isValid()) normal = geometry();
    placement.SetNormalRect(normal);
    return placement;
}

void MainWindow::SetPlacement(const WindowPlacement& placement) {
    const QRect saved = placement.NormalRect();
    if (saved.width() > 0 && saved.height() > 0) {
        QRect area;
        for (QScreen* screen : QGuiApplication::screens()) area = area.united(screen->availableGeometry());
        if (QScreen* screen = QGuiApplication::screenAt(saved.center()))
            area = screen->availableGeometry();
        else if (QGuiApplication::primaryScreen())
            area = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect kept = KeepOnArea(saved, area);
        setGeometry(kept.adjusted(0, 0, std::max(0, 640 - kept.width()), std::max(0, 480 - kept.height())));
    }
    // A main window that would come back minimized shows nothing at all at start; it
    // comes back in its normal size instead.
    if (placement.ShowCmd == ShowState::Maximized)
        setWindowState(Qt::WindowMaximized);
    else
        setWindowState(Qt::WindowNoState);
}

}  // namespace sonkora
