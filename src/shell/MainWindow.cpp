#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <exception>

#include "common/UserInterface.h"
#include "midi/KaraokeImport.h"
#include "playback/PlaybackEngine.h"
#include "shell/AboutBox.h"
#include "shell/EditorCompileHost.h"
#include "shell/EditorWindow.h"
#include "shell/HelpWindow.h"
#include "shell/HyphenationDialog.h"
#include "shell/KaraokePlayerDialog.h"
#include "shell/LyricExport.h"
#include "shell/MidiSetupDialog.h"
#include "shell/MidiSystem.h"
#include "shell/ShellUserInterface.h"
#include "shell/SpecialLettersDialog.h"
#include "shell/TimingSettingsDialog.h"
#include "shell/ToolIcons.h"
#include "shell/WarningsDialog.h"

namespace sonkora {

MainWindow::MainWindow(const ShellEnvironment& environment, QWidget* parent)
    : QMainWindow(parent), environment_(environment) {
    StartPlayback();

    setWindowTitle(QStringLiteral("Sonkora"));
    setWindowIcon(MakeProgramIcon());
    setMinimumSize(640, 480);
    setProperty("sonkoraHelpContext", HelpContext::General);
    setAcceptDrops(true);

    editorFont_ = FontFromSettings(settings_);

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MainWindow::SubWindowActivated);

    tickTimer_ = new QTimer(this);
    // A coarse timer may come a millisecond or more off, which the highlight would show.
    tickTimer_->setTimerType(Qt::PreciseTimer);
    tickTimer_->setInterval(PlaybackEngine::TimerMillis);
    connect(tickTimer_, &QTimer::timeout, this, &MainWindow::Tick);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    ViewName = "Main";
    // The window opens maximized. Its normal size is the whole work area as well, so
    // that it fills the screen also where no window manager maximizes it.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    specialLettersDialog_ = new SpecialLettersDialog(*this, this);
    hyphenationDialog_ = new HyphenationDialog(*this, this);
    warningsDialog_ = new WarningsDialog(*this, this);
    midiSetupDialog_ = new MidiSetupDialog(this, midi_->Toolkit());
    connect(midiSetupDialog_, &MidiSetupDialog::HelpRequested, this, [this] { ShowHelp(HelpContext::MidiSetup); });

    MergeMenus();
    UpdateFrameControls();
}

MainWindow::~MainWindow() {
    // The song is freed and the device closed; then the toolkit goes, and with it the
    // thread that posts its notifications here.
    tickTimer_->stop();
    engine_.reset();
    midi_.reset();
    // Editors are deleted with the area; they must not call back into a window that is
    // half gone.
    for (EditorWindow* editor : childOrder_) editor->DetachFromServices();
    for (QMdiSubWindow* window : mdiArea_->subWindowList())
        if (auto* editor = qobject_cast<EditorWindow*>(window->widget())) editor->DetachFromServices();
    childOrder_.clear();
    delete help_;
}

// ---------------------------------------------------------------------------------
// Editor windows

void MainWindow::SubWindowActivated(QMdiSubWindow* window) {
    // The area reports "none" whenever the main window loses the focus (a dialog
    // opens); the last active editor stays the active one for the menus.
    if (!window) return;
    auto* editor = qobject_cast<EditorWindow*>(window->widget());
    if (!editor) return;
    auto it = std::find(childOrder_.begin(), childOrder_.end(), editor);
    if (it != childOrder_.end()) childOrder_.erase(it);
    childOrder_.insert(childOrder_.begin(), editor);
    MergeMenus();
    UpdateFrameControls();
}

void MainWindow::EditorClosed(EditorWindow* editor) {
    // A window that goes while its song plays stops it first.
    if (engine_ && editor && PlayingEditor() == editor) StopPlaying();
    auto it = std::find(childOrder_.begin(), childOrder_.end(), editor);
    if (it == childOrder_.end()) return;
    childOrder_.erase(it);
    MergeMenus();
    UpdateFrameControls();
}

QList<EditorWindow*> MainWindow::Editors() const {
    return QList<EditorWindow*>(childOrder_.begin(), childOrder_.end());
}

EditorWindow* MainWindow::ActiveEditor() const {
    return childOrder_.empty() ? nullptr : childOrder_.front();
}

EditorWindow* MainWindow::CreateEditor(bool show) {
    auto* editor = new EditorWindow(*this);
    QMdiSubWindow* window = mdiArea_->addSubWindow(editor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(MakeToolIcon(ToolIcon::Make));
    editor->AttachWindow(window);
    childOrder_.insert(childOrder_.begin(), editor);
    // A restored editor is shown once its saved place is known, in one step; showing
    // it maximized first would leave the area to restore an unwanted size later.
    if (show) {
        window->showMaximized();
        mdiArea_->setActiveSubWindow(window);
    }
    MergeMenus();
    UpdateFrameControls();
    return editor;
}

namespace {

// Two names of one file compare equal: links and "./" resolved where the file exists.
QString ComparablePath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}  // namespace

EditorWindow* MainWindow::EditorOf(const QString& path) const {
    if (path.isEmpty()) return nullptr;
    const QString wanted = ComparablePath(path);
    for (EditorWindow* editor : childOrder_)
        if (!editor->IsUntitled() && ComparablePath(editor->FileName()) == wanted) return editor;
    return nullptr;
}

void MainWindow::ActivateEditor(EditorWindow* editor) {
    QMdiSubWindow* window = editor->Window();
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    mdiArea_->setActiveSubWindow(window);
    editor->setFocus();
}

void MainWindow::OpenEditorOn(const QString& path) {
    if (EditorWindow* open = EditorOf(path)) {
        ActivateEditor(open);
        return;
    }
    CreateEditor()->LoadFile(path);
}

void MainWindow::SetEditorFont(const QFont& font) {
    editorFont_ = font;
    for (EditorWindow* editor : childOrder_) editor->SetPaneFont(font);
}

bool MainWindow::BatchRunAvailable() const {
    const QAction* item = findChild<QAction*>(QStringLiteral("runBatch"));
    return item && item->isVisible();
}

std::optional<int> MainWindow::ChooseLanguage(const std::vector<std::string>& languages, int selected) {
    return hyphenationDialog_->Choose(languages, selected);
}

bool MainWindow::PickSpecialLetter() {
    return specialLettersDialog_->exec() == QDialog::Accepted;
}

HelpWindow* MainWindow::Help() {
    if (!help_) help_ = new HelpWindow(QString::fromStdString(environment_.HelpDirectory()));
    return help_;
}

bool MainWindow::ShowHelp(int helpContext) {
    HelpWindow* help = Help();
    // A modal dialog blocks every window but its own: asked for from one, the help window
    // becomes a window of that dialog, in front of it and usable while the dialog stays
    // open and usable too. When the dialog closes, the help window is the program's own
    // again and stays where it is.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == help || (modal && help->isAncestorOf(modal))) modal = nullptr;
    if (modal && help->parentWidget() != modal) {
        SetHelpOwner(modal);
        modal->installEventFilter(this);
    }
    return help->ShowContext(helpContext);
}

void MainWindow::SetHelpOwner(QWidget* owner) {
    const bool shown = !help_->isHidden();
    const QRect place = help_->geometry();
    help_->setParent(owner, Qt::Window);  // hides it
    help_->setGeometry(place);
    if (shown) help_->show();
}

// ---------------------------------------------------------------------------------
// Commands

void MainWindow::newDocument() {
    NewSongTextFor(AskOpenFileName(QStringLiteral("MIDI files (*.mid;*.midi;*.kar;*.rmi)|*.mid;*.midi;*.kar;*.rmi"),
                                   QStringLiteral("Select MIDI file"), HelpContext::Files, QStringLiteral("mid")));
}

void MainWindow::openDocument() {
    const auto fileName = AskOpenFileName(QStringLiteral("STF files (*.stf)|*.stf"), QStringLiteral("Open file"),
                                          HelpContext::Files, QStringLiteral("stf"));
    if (!fileName) return;
    OpenEditorOn(*fileName);
    if (EditorOf(*fileName)) NoteRecentFile(*fileName);
}

void MainWindow::importKaraoke() {
    const auto fileName =
        AskOpenFileName(QStringLiteral("Karaoke Files (*.kar;*.mid;*.midi;*.rmi)|*.kar;*.mid;*.midi;*.rmi"),
                        QStringLiteral("Import Karaoke File"), HelpContext::Import, QStringLiteral("kar"));
    if (fileName) ImportKaraokeFile(*fileName);
}

void MainWindow::ExportKaraokeFile(ExportFormat format) {
    const auto fileName =
        AskOpenFileName(QStringLiteral("Karaoke Files (*.kar)|*.kar"), QStringLiteral("Export Karaoke File"),
                        HelpContext::LyricFormats, QStringLiteral("kar"));
    if (!fileName) return;
    // The voice track list of a Soft Karaoke file starts at its fourth track.
    ShellUserInterface ui(*this, 3);
    ExportLyricFile(*this, ui, format, *fileName, nullptr, CompilerSettingsOf(settings_));
}

void MainWindow::exportKarAsLrc() {
    ExportKaraokeFile(ExportFormat::Lrc);
}

void MainWindow::exportKarAsEnhancedLrc() {
    ExportKaraokeFile(ExportFormat::EnhancedLrc);
}

void MainWindow::exportKarAsWebVtt() {
    ExportKaraokeFile(ExportFormat::WebVtt);
}

void MainWindow::exportKarAsUltraStar() {
    ExportKaraokeFile(ExportFormat::UltraStar);
}

void MainWindow::timingSetup() {
    TimingSettingsDialog dialog(*this, this);
    dialog.Show(settings_);
    if (dialog.exec() == QDialog::Accepted) dialog.Store(settings_);
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::midiSetup() {
    if (Playing()) return;
    settings_.MidiOutDevice = engine_->MidiOutDevice();
    midiSetupDialog_->SelectDevice(settings_.MidiOutDevice);
    if (midiSetupDialog_->exec() != QDialog::Accepted) return;
    CloseMidiOutput();
    settings_.MidiOutDevice = midiSetupDialog_->SelectedDevice();
    OpenMidiOutput();
    UpdateFrameControls();
}

void MainWindow::karaokePlayerSetup() {
    KaraokePlayerDialog dialog(*this, this);
    dialog.SetPlayer(QString::fromStdString(settings_.KaraokePlayer), QString::fromStdString(settings_.Parameters));
    if (dialog.exec() != QDialog::Accepted) return;
    settings_.KaraokePlayer = dialog.Program().toStdString();
    settings_.Parameters = dialog.Parameters().toStdString();
    UpdateFrameControls();
}

void MainWindow::warningsSetup() {
    warningsDialog_->SetWarnings(settings_.CompilerMoreLyrics, settings_.CompilerLessLyrics);
    if (warningsDialog_->exec() != QDialog::Accepted) return;
    settings_.CompilerMoreLyrics = warningsDialog_->MoreLyricsWarning();
    settings_.CompilerLessLyrics = warningsDialog_->LessLyricsWarning();
}

void MainWindow::chooseFont() {
    // The dialog lists the fonts as they are installed: a name that only stands for one
    // of them ("Courier New" for Liberation Mono) would select nothing.
    QFont current = editorFont_;
    current.setFamily(QFontInfo(editorFont_).family());
    QFontDialog dialog(current, this);
    dialog.setWindowTitle(QStringLiteral("Font"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const QFont chosen = dialog.selectedFont();
    StoreFont(chosen, settings_);
    SetEditorFont(chosen);
}

void MainWindow::tileWindows() {
    mdiArea_->tileSubWindows();
}

void MainWindow::cascadeWindows() {
    mdiArea_->cascadeSubWindows();
}

void MainWindow::arrangeIcons() {
    // Minimized windows in rows along the bottom of the area, the next row above.
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    int rowTop = -1;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) continue;
        const QSize size = window->size();
        if (rowTop < 0) rowTop = area.height() - size.height();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            rowTop -= size.height();
        }
        window->move(x, std::max(0, rowTop));
        x += size.width();
    }
}

void MainWindow::helpContents() {
    ShowHelp(HelpContext::General);
}

void MainWindow::helpTopicSearch() {
    Help()->ShowKeywordSearch(QString());
}

void MainWindow::helpGettingStarted() {
    ShowHelp(HelpContext::GettingStarted);
}

void MainWindow::helpSongTextFormat() {
    ShowHelp(HelpContext::SongTextFormat);
}

void MainWindow::helpErrorMessages() {
    ShowHelp(HelpContext::ErrorMessages);
}

void MainWindow::about() {
    AboutBox box(*this, this);
    box.exec();
}

void MainWindow::runBatch() {
    struct BatchFlag {
        bool& flag;
        explicit BatchFlag(bool& f) : flag(f) { flag = true; }
        ~BatchFlag() { flag = false; }
    } batch(batch_);
    const QDir folder(QString::fromStdString(environment_.BatchDirectory()));
    const QStringList songs =
        folder.entryList({QStringLiteral("*.stf")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& song : songs) {
        EditorWindow* editor = CreateEditor();
        // A song text that cannot be read is reported and makes nothing.
        if (editor->LoadFile(folder.filePath(song))) {
            editor->makeKaraoke();
            editor->printSongText();
        }
        editor->closeWindow();
    }
}

}  // namespace sonkora
