// The main window's files: those given on the command line or dropped on the window,
// each opened by what it is, and the recently used files of the File menu.

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

#include <exception>

#include "common/IniFile.h"
#include "common/UserInterface.h"
#include "midi/FileKind.h"
#include "midi/KaraokeImport.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

namespace {

// The editor window the import opens its song text in.
class ImportWindowHost final : public ImportHost {
public:
    explicit ImportWindowHost(MainWindow& window) : window_(window) {}
    // The window that already shows the song text is reloaded rather than a second one
    // opened on the same file.
    void OpenSongText(const std::string& fileName) override {
        const QString path = QString::fromStdString(fileName);
        if (EditorWindow* open = window_.EditorOf(path)) {
            open->LoadFile(path);
            window_.ActivateEditor(open);
            return;
        }
        window_.CreateEditor()->LoadFile(path);
    }
    bool MayReplaceSongText(const std::string& fileName) override {
        EditorWindow* open = window_.EditorOf(QString::fromStdString(fileName));
        if (!open || !open->IsModified()) return true;
        window_.ActivateEditor(open);
        return window_.QueryBox(QStringLiteral("%1 is open and has changes that are not saved. The import "
                                               "replaces the file, and the changes are lost.\n\nImport anyway?")
                                    .arg(open->windowTitle()),
                                HelpContext::Import, false) == QMessageBox::Yes;
    }

private:
    MainWindow& window_;
};

// The local files of a drop; a drop of anything else carries none.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

}  // namespace

void MainWindow::OpenFiles(const QStringList& paths) {
    for (const QString& path : paths) OpenFile(QFileInfo(path).absoluteFilePath());
}

bool MainWindow::OpenFile(const QString& path) {
    FileKind kind = FileKind::SongText;
    try {
        kind = DetectFileKindOfFile(path.toStdString());
    } catch (const std::exception& error) {
        ErrorBox(QStringLiteral("Cannot open %1").arg(MessageText(error.what())), HelpContext::General);
        return false;
    }
    switch (kind) {
        case FileKind::NotMidi:
            ErrorBox(QStringLiteral("%1 is not a MIDI file.").arg(path), HelpContext::General);
            return false;
        case FileKind::Karaoke: ImportKaraokeFile(path); return true;
        case FileKind::Midi:
            NewSongTextFor(path);
            NoteRecentFile(path);
            return true;
        case FileKind::SongText: break;
    }
    // A file already open gets its window back, never a second one on the same file.
    if (EditorWindow* open = EditorOf(path)) {
        ActivateEditor(open);
        NoteRecentFile(path);
        return true;
    }
    EditorWindow* editor = CreateEditor();
    if (!editor->LoadFile(path)) {
        // Nothing was read: an empty window under that name would only mislead.
        editor->Window()->close();
        return false;
    }
    NoteRecentFile(path);
    return true;
}

void MainWindow::NewSongTextFor(const std::optional<QString>& midiFile) {
    EditorWindow* editor = CreateEditor();
    editor->SetText(QStringLiteral("\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n"));
    if (!midiFile) return;
    editor->SetMidiFileLine(*midiFile);
    editor->selectVoiceTrack();
}

void MainWindow::ImportKaraokeFile(const QString& path) {
    // The voice track list of a Soft Karaoke file starts at its fourth track.
    ShellUserInterface ui(*this, 3);
    ImportWindowHost host(*this);
    try {
        if (ImportKaraoke(ui, host, path.toStdString()).outcome == ImportOutcome::Imported) NoteRecentFile(path);
    } catch (const std::exception& error) {
        ErrorBox(MessageText(error.what()), HelpContext::ErrorMessages);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    OpenFiles(files);
}

// ---------------------------------------------------------------------------------
// Recent files

void MainWindow::NoteRecentFile(const QString& path) {
    recent_.Add(QFileInfo(path).absoluteFilePath().toStdString());
    RefreshRecentMenus();
}

void MainWindow::RefreshRecentMenus() {
    for (QMenu* menu : findChildren<QMenu*>(QStringLiteral("recentFiles"))) FillRecentMenu(menu);
}

void MainWindow::openRecentFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_.Remove(path.toStdString());
        RefreshRecentMenus();
        ErrorBox(QStringLiteral("%1 no longer exists; it is taken off the list of recent files.").arg(path),
                 HelpContext::General);
        return;
    }
    OpenFile(path);
}

void MainWindow::AddRecentMenus() {
    // Below Open in both File menus, filled each time it opens.
    for (QMenu* fileMenu : {fileMenu_, editorFileMenu_}) {
        auto* recentMenu = new QMenu(QStringLiteral("Open &Recent"), fileMenu);
        recentMenu->setObjectName(QStringLiteral("recentFiles"));
        recentMenu->menuAction()->setStatusTip(QStringLiteral("Open one of the files used lately"));
        QAction* open = findChild<QAction*>(QStringLiteral("openDocument"));
        const QList<QAction*> actions = fileMenu->actions();
        const qsizetype at = actions.indexOf(open);
        fileMenu->insertMenu(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, recentMenu);
    }
    RefreshRecentMenus();
}

void MainWindow::FillRecentMenu(QMenu* menu) {
    // The entry chosen may be the one being replaced: it goes once its signal is done.
    for (QAction* old : menu->actions()) {
        menu->removeAction(old);
        old->deleteLater();
    }
    int number = 1;
    for (const std::string& entry : recent_.Entries()) {
        const QString path = QString::fromStdString(entry);
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(shown));
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    menu->menuAction()->setEnabled(!recent_.Entries().empty());
}

}  // namespace sonkora
