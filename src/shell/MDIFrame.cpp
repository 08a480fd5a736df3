#include "shell/MDIFrame.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <atomic>
#include <exception>

#include "common/IniFile.h"
#include "common/IoError.h"
#include "common/UserInterface.h"
#include "midi/KaraokeImport.h"
#include "playback/MidiToolkit.h"
#include "playback/PlaybackEngine.h"
#include "shell/AboutBox.h"
#include "shell/HelpWindow.h"
#include "shell/Hyphdlg.h"
#include "shell/MDIEdit.h"
#include "shell/Midisdlg.h"
#include "shell/Optiodlg.h"
#include "shell/Printing.h"
#include "shell/ShellUserInterface.h"
#include "shell/Speclett.h"
#include "shell/ToolIcons.h"
#include "shell/Trackdlg.h"

namespace sonkora {

namespace {

const char* const HelpContextProperty = "sonkoraHelpContext";

// The toolkit's two notifications, posted to the frame from the thread that runs the
// toolkit's clock and handled on the frame's own.
constexpr auto FeedRequestEvent = static_cast<QEvent::Type>(QEvent::User + 0x53);
constexpr auto PlaybackEndedEvent = static_cast<QEvent::Type>(QEvent::User + 0x57);

// A notification carries the number of the playback it belongs to: an end that was
// already under way when a new song started must not stop the new one.
class TToolkitEvent : public QEvent {
public:
    TToolkitEvent(Type type, uint64_t playback) : QEvent(type), Playback(playback) {}
    const uint64_t Playback;
};

// The editor window the import opens its song text in.
class TImportHost final : public ImportHost {
public:
    explicit TImportHost(TFrameForm& frame) : frame_(frame) {}
    void OpenSongText(const std::string& fileName) override {
        frame_.CreateEditor()->LoadFile(QString::fromStdString(fileName));
    }

private:
    TFrameForm& frame_;
};

}  // namespace

// Shared with the toolkit's thread, which reads it when it posts a notification.
struct TFrameForm::TPlaybackNumber {
    std::atomic<uint64_t> Value{0};
};

TFrameForm::TFrameForm(const TShellEnvironment& environment, QWidget* parent)
    : QMainWindow(parent), environment_(environment) {
    midi_ = environment_.CreateMidiSystem ? environment_.CreateMidiSystem() : CreateSystemMidi();
    ui_ = std::make_unique<TShellUserInterface>(*this);
    engine_ = std::make_unique<PlaybackEngine>(midi_->Toolkit(), *ui_, *this);
    playbackNumber_ = std::make_shared<TPlaybackNumber>();
    midi_->Toolkit().SetNotificationHandler([this, number = playbackNumber_](ToolkitNotification notification) {
        const QEvent::Type type =
            notification == ToolkitNotification::MoreEventsWanted ? FeedRequestEvent : PlaybackEndedEvent;
        QCoreApplication::postEvent(this, new TToolkitEvent(type, number->Value.load()));
    });

    setWindowTitle(QStringLiteral("Sonkora"));
    setWindowIcon(MakeProgramIcon());
    setMinimumSize(640, 480);
    setProperty(HelpContextProperty, HelpContext::General);

    editorFont_ = FontFromSettings(Settings);

    MdiArea = new QMdiArea(this);
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setBackground(QColor(128, 128, 128));
    setCentralWidget(MdiArea);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, &TFrameForm::SubWindowActivated);

    Timer1 = new QTimer(this);
    Timer1->setInterval(20);
    connect(Timer1, &QTimer::timeout, this, &TFrameForm::Tick);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    ViewName = "Main";
    // The frame opens maximized. Its normal size is the whole work area as well, so
    // that it fills the screen also where no window manager maximizes it.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    SpecialLettersDlg = new TSpecialLettersDlg(this);
    HyphenationDlg = new THyphenationDlg(this);
    CompilerOptionsDlg = new TCompilerOptionsDlg(this);
    MidiSetupDlg = new TMidiSetupDlg(this, midi_->Toolkit());

    MergeMenus();
    UpdateFrameControls();
}

TFrameForm::~TFrameForm() {
    // The song is freed and the device closed; then the toolkit goes, and with it the
    // thread that posts its notifications here.
    Timer1->stop();
    engine_.reset();
    midi_.reset();
    // Editors are deleted with the area; they must not call back into a frame that is
    // half gone.
    for (TEditForm* editor : childOrder_) editor->DetachFromFrame();
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        if (auto* editor = qobject_cast<TEditForm*>(window->widget())) editor->DetachFromFrame();
    childOrder_.clear();
    delete help_;
}

QAction* TFrameForm::MakeAction(QObject* owner, const QString& caption, const QKeySequence& shortcut, int helpContext,
                                const QString& hint) {
    auto* action = new QAction(caption, owner);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    action->setStatusTip(hint);
    action->setProperty(HelpContextProperty, helpContext);
    return action;
}

void TFrameForm::CreateMenus() {
    File1 = new QMenu(QStringLiteral("&File"), this);
    File1->menuAction()->setStatusTip(QStringLiteral("File management commands"));
    New1 = MakeAction(this, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N), HelpContext::General,
                      QStringLiteral("Creates a new STF file and lets you select the MIDI file and voice track"));
    Open1 = MakeAction(this, QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), HelpContext::General,
                       QStringLiteral("Open an existing file"));
    ImportKaraoke1 = MakeAction(this, QStringLiteral("&Import Karaoke..."), {}, HelpContext::Import,
                                QStringLiteral("Import the lyrics from an existing karaoke file"));
    Exit1 = MakeAction(this, QStringLiteral("E&xit"), QKeySequence(Qt::ALT | Qt::Key_X), HelpContext::General,
                       QStringLiteral("Exit Sonkora"));
    File1->addAction(New1);
    File1->addAction(Open1);
    File1->addSeparator();
    File1->addAction(ImportKaraoke1);
    File1->addSeparator();
    File1->addAction(Exit1);
    connect(New1, &QAction::triggered, this, &TFrameForm::New1Click);
    connect(Open1, &QAction::triggered, this, &TFrameForm::Open1Click);
    connect(ImportKaraoke1, &QAction::triggered, this, &TFrameForm::ImportKaraoke1Click);
    connect(Exit1, &QAction::triggered, this, &TFrameForm::Exit1Click);

    Options1 = new QMenu(QStringLiteral("&Options"), this);
    Options1->menuAction()->setStatusTip(QStringLiteral("Options"));
    MidiSetup1 = MakeAction(this, QStringLiteral("&Midi Setup..."), {}, HelpContext::General,
                            QStringLiteral("Select Midi output device"));
    KaraokePlayer1 = MakeAction(this, QStringLiteral("&Karaoke Player..."), {}, HelpContext::KaraokePlayer,
                                QStringLiteral("Set up custom karaoke player"));
    Font1 =
        MakeAction(this, QStringLiteral("&Font..."), {}, HelpContext::None, QStringLiteral("Select the editor font"));
    Warnings1 = MakeAction(this, QStringLiteral("&Warnings..."), {}, HelpContext::Warnings,
                           QStringLiteral("Configure warnings given during making of karaoke files"));
    Options1->addAction(MidiSetup1);
    Options1->addAction(KaraokePlayer1);
    Options1->addSeparator();
    Options1->addAction(Font1);
    Options1->addAction(Warnings1);
    connect(MidiSetup1, &QAction::triggered, this, &TFrameForm::MidiSetup1Click);
    connect(KaraokePlayer1, &QAction::triggered, this, &TFrameForm::KaraokePlayer1Click);
    connect(Font1, &QAction::triggered, this, &TFrameForm::Font1Click);
    connect(Warnings1, &QAction::triggered, this, &TFrameForm::Warnings1Click);

    Window1 = new QMenu(QStringLiteral("&Window"), this);
    Window1->menuAction()->setStatusTip(QStringLiteral("Manipulate and access active editor windows"));
    Tile1 = MakeAction(this, QStringLiteral("&Tile"), {}, HelpContext::General,
                       QStringLiteral("Tile windows on the desktop"));
    Cascade1 = MakeAction(this, QStringLiteral("&Cascade"), {}, HelpContext::General,
                          QStringLiteral("Cascade windows on the desktop"));
    ArrangeIcons1 = MakeAction(this, QStringLiteral("&Arrange Icons"), {}, HelpContext::General,
                               QStringLiteral("Arrange all iconized windows"));
    connect(Tile1, &QAction::triggered, this, &TFrameForm::Tile1Click);
    connect(Cascade1, &QAction::triggered, this, &TFrameForm::Cascade1Click);
    connect(ArrangeIcons1, &QAction::triggered, this, &TFrameForm::ArrangeIcons1Click);
    connect(Window1, &QMenu::aboutToShow, this, &TFrameForm::FillWindowMenu);
    FillWindowMenu();

    Help1 = new QMenu(QStringLiteral("&Help"), this);
    Help1->menuAction()->setStatusTip(QStringLiteral("Access online help"));
    Contents1 = MakeAction(this, QStringLiteral("&Contents"), {}, HelpContext::General,
                           QStringLiteral("Display contents of online help"));
    TopicSearch1 = MakeAction(this, QStringLiteral("&Topic Search"), {}, HelpContext::General,
                              QStringLiteral("Search help index for keyword"));
    GettingStarted1 = MakeAction(this, QStringLiteral("&Getting Started"), {}, HelpContext::General,
                                 QStringLiteral("Display online help about creating karaoke files"));
    SongTextFormat1 = MakeAction(this, QStringLiteral("&Song Text Format"), {}, HelpContext::General,
                                 QStringLiteral("Display online help about the Song Text Format"));
    ErrorMessages1 = MakeAction(this, QStringLiteral("&Error messages"), {}, HelpContext::General,
                                QStringLiteral("Display online help about the error messages"));
    About1 = MakeAction(this, QStringLiteral("&About..."), {}, HelpContext::AboutAndBatch,
                        QStringLiteral("Display version and copyright information"));
    Help1->addAction(Contents1);
    Help1->addAction(TopicSearch1);
    Help1->addSeparator();
    Help1->addAction(GettingStarted1);
    Help1->addAction(SongTextFormat1);
    Help1->addAction(ErrorMessages1);
    Help1->addSeparator();
    Help1->addAction(About1);
    TestSonkora1 = MakeAction(this, QStringLiteral("Test &Sonkora"), {}, HelpContext::AboutAndBatch,
                              QStringLiteral("Test Sonkora"));
    Help1->addAction(TestSonkora1);
    TestSonkora1->setVisible(QFileInfo(QString::fromStdString(environment_.BatchDirectory())).isDir());
    connect(TestSonkora1, &QAction::triggered, this, &TFrameForm::TestSonkora1Click);
    connect(Contents1, &QAction::triggered, this, &TFrameForm::Contents1Click);
    connect(TopicSearch1, &QAction::triggered, this, &TFrameForm::TopicSearch1Click);
    connect(GettingStarted1, &QAction::triggered, this, &TFrameForm::GettingStarted1Click);
    connect(SongTextFormat1, &QAction::triggered, this, &TFrameForm::SongTextFormat1Click);
    connect(ErrorMessages1, &QAction::triggered, this, &TFrameForm::ErrorMessages1Click);
    connect(About1, &QAction::triggered, this, &TFrameForm::About1Click);

    for (QMenu* menu : {File1, Options1, Window1, Help1}) {
        menu->menuAction()->setProperty(HelpContextProperty, HelpContext::General);
        menu->installEventFilter(this);
    }
}

void TFrameForm::CreateToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("Tools"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setIconSize(QSize(24, 24));

    // Two-part hints: the pop-up text before "|", the status line text after it.
    auto button = [this](ToolIcon icon, const QString& hint) {
        const qsizetype bar = hint.indexOf(QLatin1Char('|'));
        auto* action = new QAction(MakeToolIcon(icon), hint.left(bar), this);
        action->setToolTip(hint.left(bar));
        action->setStatusTip(hint.mid(bar + 1));
        ToolBar1->addAction(action);
        return action;
    };
    NewButton = button(ToolIcon::New, QStringLiteral("New|Open an empty editor window"));
    OpenButton = button(ToolIcon::Open, QStringLiteral("Open file|Open an existing file"));
    SaveButton = button(ToolIcon::Save, QStringLiteral("Save file|Save the file in the active editor window"));
    ToolBar1->addSeparator();
    SpecialLettersButton =
        button(ToolIcon::SpecialLetters, QStringLiteral("Special letters|Insert a special letter in the text"));
    HyphenationButton =
        button(ToolIcon::Hyphenation,
               QStringLiteral("Hyphenation|Automatic hyphenation of the text in the active editor window"));
    ToolBar1->addSeparator();
    MakeButton = button(ToolIcon::Make, QStringLiteral("Make|Make a karaoke file of the active editor window"));
    PlayButton =
        button(ToolIcon::Play, QStringLiteral("Play|Make and play the karaoke file in the active editor window"));
    PlayFromCursorButton = button(
        ToolIcon::PlayFromCursor,
        QStringLiteral(
            "Play from cursor|Play the karaoke file in the active editor window from the line containing the cursor"));
    StopButton = button(ToolIcon::Stop, QStringLiteral("Stop|Stop playing"));
    ToolBar1->addSeparator();
    PlayInPlayerButton = button(
        ToolIcon::PlayInPlayer,
        QStringLiteral("Play in custom karaoke player|Make and play the karaoke file in a custom karaoke player"));

    connect(NewButton, &QAction::triggered, this, &TFrameForm::New1Click);
    connect(OpenButton, &QAction::triggered, this, &TFrameForm::Open1Click);
    connect(SaveButton, &QAction::triggered, this, [this] { RunOnActiveEditor(&TEditForm::Save1Click); });
    connect(MakeButton, &QAction::triggered, this, [this] { RunOnActiveEditor(&TEditForm::Make1Click); });
    connect(PlayButton, &QAction::triggered, this, [this] { RunOnActiveEditor(&TEditForm::Play1Click); });
    connect(PlayFromCursorButton, &QAction::triggered, this,
            [this] { RunOnActiveEditor(&TEditForm::PlayFromCursor1Click); });
    connect(SpecialLettersButton, &QAction::triggered, this,
            [this] { RunOnActiveEditor(&TEditForm::SpecialLetters1Click); });
    connect(HyphenationButton, &QAction::triggered, this, [this] { RunOnActiveEditor(&TEditForm::Hyphenation1Click); });
    connect(StopButton, &QAction::triggered, this, &TFrameForm::StopPlaying);
    connect(PlayInPlayerButton, &QAction::triggered, this,
            [this] { RunOnActiveEditor(&TEditForm::PlayInKaraokePlayer1Click); });
}

void TFrameForm::CreateStatusBar() {
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setMinimumWidth(100);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setFixedWidth(123);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(100);
    Gauge1->setTextVisible(true);
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setStyleSheet(
        QStringLiteral("QProgressBar { background: silver; border: 1px solid gray; font-weight: bold; color: black; }"
                       "QProgressBar::chunk { background: blue; }"));
    statusBar()->addWidget(StatusLine, 1);
    statusBar()->addPermanentWidget(Gauge1);
    statusBar()->setSizeGripEnabled(true);
}

bool TFrameForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFrameForm::ShowHint(const QString& hint) {
    if (StatusLine) StatusLine->setText(hint);
}

bool TFrameForm::eventFilter(QObject* watched, QEvent* event) {
    // F1 on a highlighted menu item opens the help topic of that item.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            QAction* action = menu->activeAction();
            QVariant context = action ? action->property(HelpContextProperty) : QVariant();
            if (!context.isValid() || context.toInt() == 0) context = menu->menuAction()->property(HelpContextProperty);
            menu->close();
            ShowHelp(context.isValid() && context.toInt() != 0 ? context.toInt() : HelpContext::General);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------
// Menus

void TFrameForm::MergeMenus() {
    QMenuBar* bar = menuBar();
    bar->clear();
    TEditForm* editor = ActiveEditor();
    if (editor) {
        bar->addMenu(editor->File2);
        bar->addMenu(editor->Edit1);
        bar->addMenu(editor->Search1);
        bar->addMenu(editor->Karaoke1);
    } else {
        bar->addMenu(File1);
    }
    bar->addMenu(Options1);
    bar->addMenu(Window1);
    bar->addMenu(Help1);
}

void TFrameForm::FillWindowMenu() {
    Window1->clear();
    Window1->addAction(Tile1);
    Window1->addAction(Cascade1);
    Window1->addAction(ArrangeIcons1);
    // The editor windows in the order they were opened, the active one checked.
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    Window1->addSeparator();
    TEditForm* active = ActiveEditor();
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        auto* editor = qobject_cast<TEditForm*>(window->widget());
        if (!editor) continue;
        QString caption = editor->windowTitle();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(caption)
                                         : QStringLiteral("%1 %2").arg(number).arg(caption);
        QAction* action = Window1->addAction(text);
        action->setCheckable(true);
        action->setChecked(editor == active);
        action->setStatusTip(QStringLiteral("Activate this window"));
        connect(action, &QAction::triggered, this, [this, window] {
            if (window->isMinimized()) window->showNormal();
            MdiArea->setActiveSubWindow(window);
        });
        ++number;
    }
}

void TFrameForm::SubWindowActivated(QMdiSubWindow* window) {
    // The area reports "none" whenever the frame loses the focus (a dialog opens);
    // the last active editor stays the active one for the menus.
    if (!window) return;
    auto* editor = qobject_cast<TEditForm*>(window->widget());
    if (!editor) return;
    auto it = std::find(childOrder_.begin(), childOrder_.end(), editor);
    if (it != childOrder_.end()) childOrder_.erase(it);
    childOrder_.insert(childOrder_.begin(), editor);
    MergeMenus();
    UpdateFrameControls();
}

void TFrameForm::EditorClosed(TEditForm* editor) {
    // A window that goes while its song plays stops it first.
    if (engine_ && editor && PlayEditor() == editor) StopPlaying();
    auto it = std::find(childOrder_.begin(), childOrder_.end(), editor);
    if (it == childOrder_.end()) return;
    childOrder_.erase(it);
    MergeMenus();
    UpdateFrameControls();
}

QList<TEditForm*> TFrameForm::Editors() const {
    return QList<TEditForm*>(childOrder_.begin(), childOrder_.end());
}

TEditForm* TFrameForm::ActiveEditor() const {
    return childOrder_.empty() ? nullptr : childOrder_.front();
}

TEditForm* TFrameForm::CreateEditor(bool show) {
    auto* editor = new TEditForm(this);
    QMdiSubWindow* window = MdiArea->addSubWindow(editor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(MakeToolIcon(ToolIcon::Make));
    editor->AttachWindow(window);
    childOrder_.insert(childOrder_.begin(), editor);
    // A restored editor is shown once its saved place is known, in one step; showing
    // it maximized first would leave the area to restore an unwanted size later.
    if (show) {
        window->showMaximized();
        MdiArea->setActiveSubWindow(window);
    }
    MergeMenus();
    UpdateFrameControls();
    return editor;
}

void TFrameForm::RunOnActiveEditor(void (TEditForm::*command)()) {
    if (TEditForm* editor = ActiveEditor()) (editor->*command)();
}

void TFrameForm::UpdateFrameControls() {
    if (!SaveButton) return;  // still being built
    const bool editorOpen = !childOrder_.empty();
    const bool playing = Playing();
    SaveButton->setEnabled(editorOpen);
    SpecialLettersButton->setEnabled(editorOpen);
    HyphenationButton->setEnabled(editorOpen);
    MakeButton->setEnabled(editorOpen);
    PlayButton->setEnabled(editorOpen && !playing);
    PlayFromCursorButton->setEnabled(editorOpen && !playing);
    // Stop also ends a track audition or the about box's tune, which play without an
    // editor; with no editor open the button has nothing to show it on.
    StopButton->setEnabled(editorOpen && playing);
    PlayInPlayerButton->setEnabled(!Settings.KaraokePlayer.empty());
    MidiSetup1->setEnabled(!playing);
    Tile1->setEnabled(editorOpen);
    Cascade1->setEnabled(editorOpen);
    ArrangeIcons1->setEnabled(editorOpen);
    for (TEditForm* editor : childOrder_) editor->UpdateMenus();
}

// ---------------------------------------------------------------------------------
// Commands

void TFrameForm::New1Click() {
    TEditForm* editor = CreateEditor();
    editor->Memo1->setPlainText(QStringLiteral("\\t 1\n@LENGL\n@T<title>\n@T<artist>\n@T<copyright>\n\n"));
    editor->Memo1->document()->setModified(false);
    editor->UpdateStatus();
    if (ExecuteOpenDialog(QStringLiteral("MIDI files (*.mid)|*.mid"), QStringLiteral("Select MIDI file"),
                          HelpContext::General, QStringLiteral("mid"))) {
        editor->SetMidiFileLine(OpenFileName);
        editor->VoiceTrackSelection1Click();
    }
}

void TFrameForm::Open1Click() {
    if (!ExecuteOpenDialog(QStringLiteral("STF files (*.stf)|*.stf"), QStringLiteral("Open file"), HelpContext::General,
                           QStringLiteral("stf")))
        return;
    TEditForm* editor = CreateEditor();
    editor->LoadFile(OpenFileName);
}

void TFrameForm::Exit1Click() {
    close();
}

void TFrameForm::SetEditorFont(const QFont& font) {
    editorFont_ = font;
    for (TEditForm* editor : childOrder_) editor->SetPaneFont(font);
}

void TFrameForm::Font1Click() {
    QFontDialog dialog(editorFont_, this);
    dialog.setWindowTitle(QStringLiteral("Font"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const QFont chosen = dialog.selectedFont();
    StoreFont(chosen, Settings);
    SetEditorFont(chosen);
}

void TFrameForm::Tile1Click() {
    MdiArea->tileSubWindows();
}

void TFrameForm::Cascade1Click() {
    MdiArea->cascadeSubWindows();
}

void TFrameForm::ArrangeIcons1Click() {
    // Minimized windows in rows along the bottom of the area, the next row above.
    const QRect area = MdiArea->viewport()->rect();
    int x = 0;
    int rowTop = -1;
    for (QMdiSubWindow* window : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
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

void TFrameForm::Contents1Click() {
    ShowHelp(HelpContext::General);
}

void TFrameForm::TopicSearch1Click() {
    HelpWindow()->ShowKeywordSearch(QString());
}

void TFrameForm::GettingStarted1Click() {
    ShowHelp(HelpContext::GettingStarted);
}

void TFrameForm::SongTextFormat1Click() {
    ShowHelp(HelpContext::SongTextFormat);
}

void TFrameForm::ErrorMessages1Click() {
    ShowHelp(HelpContext::ErrorMessages);
}

void TFrameForm::About1Click() {
    TAboutBox box(this);
    box.exec();
}

void TFrameForm::ImportKaraoke1Click() {
    if (!ExecuteOpenDialog(QStringLiteral("Karaoke Files (*.kar)|*.kar"), QStringLiteral("Import Karaoke File"),
                           HelpContext::Import, QStringLiteral("kar")))
        return;
    // The voice track list of a Soft Karaoke file starts at its fourth track.
    TShellUserInterface ui(*this, 3);
    TImportHost host(*this);
    try {
        ImportKaraoke(ui, host, OpenFileName.toStdString());
    } catch (const std::exception& error) {
        ErrorBox(MessageText(error.what()), HelpContext::ErrorMessages);
    }
}

void TFrameForm::MidiSetup1Click() {
    if (Playing()) return;
    Settings.MidiOutDevice = engine_->MidiOutDevice();
    MidiSetupDlg->SelectDevice(Settings.MidiOutDevice);
    if (MidiSetupDlg->exec() != QDialog::Accepted) return;
    CloseMidiOutput();
    Settings.MidiOutDevice = MidiSetupDlg->SelectedDevice();
    OpenMidiOutput();
    UpdateFrameControls();
}

void TFrameForm::KaraokePlayer1Click() {
    TKaraPlayDlg dialog(this);
    dialog.PathEdit->setText(QString::fromStdString(Settings.KaraokePlayer));
    dialog.ParametersEdit->setText(QString::fromStdString(Settings.Parameters));
    if (dialog.exec() != QDialog::Accepted) return;
    Settings.KaraokePlayer = dialog.PathEdit->text().toStdString();
    Settings.Parameters = dialog.ParametersEdit->text().toStdString();
    UpdateFrameControls();
}

void TFrameForm::Warnings1Click() {
    CompilerOptionsDlg->MoreLyricsBox->setChecked(Settings.CompilerMoreLyrics);
    CompilerOptionsDlg->LessLyricsBox->setChecked(Settings.CompilerLessLyrics);
    if (CompilerOptionsDlg->exec() != QDialog::Accepted) return;
    Settings.CompilerMoreLyrics = CompilerOptionsDlg->MoreLyricsBox->isChecked();
    Settings.CompilerLessLyrics = CompilerOptionsDlg->LessLyricsBox->isChecked();
}

void TFrameForm::TestSonkora1Click() {
    struct BatchFlag {
        bool& flag;
        explicit BatchFlag(bool& f) : flag(f) { flag = true; }
        ~BatchFlag() { flag = false; }
    } batch(Batch);
    const QDir folder(QString::fromStdString(environment_.BatchDirectory()));
    const QStringList songs =
        folder.entryList({QStringLiteral("*.stf")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& song : songs) {
        TEditForm* editor = CreateEditor();
        // A song text that cannot be read is reported and makes nothing.
        if (editor->LoadFile(folder.filePath(song))) {
            editor->Make1Click();
            editor->Printing()->PrintSongText1Click();
        }
        editor->Close1Click();
    }
}

THelpWindow* TFrameForm::HelpWindow() {
    if (!help_) help_ = new THelpWindow(QString::fromStdString(environment_.HelpDirectory()));
    return help_;
}

bool TFrameForm::ShowHelp(int helpContext) {
    return HelpWindow()->ShowContext(helpContext);
}

// ---------------------------------------------------------------------------------
// Start and end

void TFrameForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    RestoreViews();
    // The device and the help come once the frame is on the screen, so that a message
    // about either has the program's window behind it.
    QTimer::singleShot(0, this, &TFrameForm::FinishStart);
}

void TFrameForm::LoadFrameSettings(const IniFile& ini, const std::string& prefix) {
    ReadFrameSettings(ini, prefix, Settings);
    engine_->SetMidiOutDevice(Settings.MidiOutDevice);
    SetEditorFont(FontFromSettings(Settings));
}

void TFrameForm::RestoreViews() {
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
        if (value == "Main") LoadFrameSettings(ini, key);
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        if (it->second != "Edit") continue;
        TEditForm* editor = CreateEditor(false);
        editor->LoadViewSettings(ini, it->first);
        MdiArea->setActiveSubWindow(editor->Window());
    }
    for (const auto& [key, value] : views)
        if (value == "Main") LoadViewSettings(ini, key);

    // A first start meets a working song at once.
    if (!haveIni) OpenExampleSong();
    UpdateFrameControls();
}

void TFrameForm::FinishStart() {
    if (startFinished_) return;
    startFinished_ = true;
    // A missing device is told once, here; the program runs on without one.
    OpenMidiOutput();
    UpdateFrameControls();
    if (Settings.HelpShown != HelpShownMark && ShowHelp(HelpContext::General)) Settings.HelpShown = HelpShownMark;
}

void TFrameForm::OpenExampleSong() {
    QDir examples(QString::fromStdString(environment_.ExamplesDirectory()));
    const QStringList songs = examples.entryList({QStringLiteral("*.stf")}, QDir::Files, QDir::Name);
    if (songs.isEmpty()) return;
    TEditForm* editor = CreateEditor();
    editor->LoadFile(examples.filePath(songs.first()));
}

bool TFrameForm::CloseEditorsForExit() {
    for (TEditForm* editor : Editors())
        if (!editor->CloseQuery()) return false;
    return true;
}

void TFrameForm::SaveViews() {
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
    ini.WriteString(ViewsSection, "View0", ViewName);
    SaveViewSettings(ini, "View0");
    int number = 1;
    for (TEditForm* editor : Editors()) {
        // A file name with a line break cannot be stored in a line of the file; that
        // window is left out rather than the whole file being lost.
        if (editor->FileName.contains(QLatin1Char('\n')) || editor->FileName.contains(QLatin1Char('\r'))) {
            problems << editor->FileName;
            continue;
        }
        const std::string key = "View" + std::to_string(number++);
        ini.WriteString(ViewsSection, key, editor->ViewName);
        editor->SaveViewSettings(ini, key);
    }
    try {
        ini.Save(environment_.IniWritePath);
        settingsSaved_ = true;
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

void TFrameForm::closeEvent(QCloseEvent* event) {
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

void TFrameForm::SaveViewSettings(IniFile& ini, const std::string& prefix) {
    Settings.MidiOutDevice = engine_->MidiOutDevice();
    TView::SaveViewSettings(ini, prefix);
    WriteFrameSettings(ini, prefix, Settings);
}

void TFrameForm::LoadViewSettings(const IniFile& ini, const std::string& prefix) {
    TView::LoadViewSettings(ini, prefix);
}

TWindowPlacement TFrameForm::GetPlacement() const {
    TWindowPlacement placement;
    const Qt::WindowStates state = windowState();
    placement.ShowCmd = state & Qt::WindowMinimized   ? ShowState::Minimized
                        : state & Qt::WindowMaximized ? ShowState::Maximized
                                                      : ShowState::Normal;
    QRect normal = normalGeometry();
    if (!normal.isValid()) normal = geometry();
    placement.SetNormalRect(normal);
    return placement;
}

void TFrameForm::SetPlacement(const TWindowPlacement& placement) {
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
    // A frame that would come back minimized shows nothing at all at start; it comes
    // back in its normal size instead.
    if (placement.ShowCmd == ShowState::Maximized)
        setWindowState(Qt::WindowMaximized);
    else
        setWindowState(Qt::WindowNoState);
}

// ---------------------------------------------------------------------------------
// Playback

bool TFrameForm::Playing() const {
    return engine_ && engine_->Playing();
}

TEditForm* TFrameForm::PlayEditor() const {
    return engine_ ? dynamic_cast<TEditForm*>(engine_->PlayEditor()) : nullptr;
}

bool TFrameForm::OpenMidiOutput() {
    engine_->SetMidiOutDevice(Settings.MidiOutDevice);
    const bool opened = engine_->OpenMidiOutput();
    Settings.MidiOutDevice = engine_->MidiOutDevice();
    return opened;
}

void TFrameForm::CloseMidiOutput() {
    if (engine_) engine_->CloseMidiOutput();
}

void TFrameForm::PlaySong(const std::string& karFileName, TEditForm* editor, bool fromCursor) {
    engine_->StopPlaying();
    ++playbackNumber_->Value;
    engine_->PlaySong(karFileName, editor, fromCursor);
    Settings.MidiOutDevice = engine_->MidiOutDevice();
}

void TFrameForm::PlayTrack(const std::string& fileName, int track) {
    // Stopping the audition that runs must not clear what the track dialog just showed.
    keepTrackDialogStatus_ = true;
    engine_->StopPlaying();
    keepTrackDialogStatus_ = false;
    ++playbackNumber_->Value;
    engine_->PlayTrack(fileName, track);
    Settings.MidiOutDevice = engine_->MidiOutDevice();
}

void TFrameForm::StopPlaying() {
    if (engine_) engine_->StopPlaying();
}

void TFrameForm::Tick() {
    if (engine_) engine_->Tick();
}

void TFrameForm::customEvent(QEvent* event) {
    if (event->type() != FeedRequestEvent && event->type() != PlaybackEndedEvent)
        return QMainWindow::customEvent(event);
    const auto* notification = static_cast<TToolkitEvent*>(event);
    if (!engine_ || notification->Playback != playbackNumber_->Value.load()) return;
    if (event->type() == FeedRequestEvent)
        engine_->MidiFeedRequest();
    else
        engine_->MidiPlaybackEnded();
}

void TFrameForm::SetGauge(int32_t maximum, int32_t progress) {
    // A song of no length still shows a full bar, not a busy one.
    const int top = std::max(1, maximum);
    Gauge1->setRange(0, top);
    Gauge1->setValue(std::clamp(progress, 0, top));
}

void TFrameForm::SetGaugeProgress(int32_t progress) {
    Gauge1->setValue(std::clamp(progress, 0, Gauge1->maximum()));
}

void TFrameForm::SetTimerEnabled(bool enabled) {
    if (enabled)
        Timer1->start();
    else
        Timer1->stop();
}

void TFrameForm::ProcessPendingMessages() {
    QCoreApplication::processEvents();
}

void TFrameForm::ClearTrackDialogStatus() {
    if (TrackDialog && !keepTrackDialogStatus_) TrackDialog->ClearAuditionStatus();
}

// ---------------------------------------------------------------------------------
// Boxes and dialogs

QMessageBox::StandardButton TFrameForm::ShowBox(QMessageBox::Icon icon, const QString& message,
                                                QMessageBox::StandardButtons buttons, int helpContext) {
    QMessageBox box(icon, QStringLiteral("Sonkora"), message, buttons, this);
    box.setWindowModality(Qt::WindowModal);
    QAbstractButton* help = helpContext != HelpContext::None ? box.addButton(QMessageBox::Help) : nullptr;
    if (buttons & QMessageBox::Yes) box.setDefaultButton(QMessageBox::Yes);
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    for (;;) {
        box.exec();
        if (help && box.clickedButton() == help) {
            // The help window is not blocked by the box; the box comes back for the answer.
            ShowHelp(helpContext);
            continue;
        }
        const auto answer = box.standardButton(box.clickedButton());
        if (answer == QMessageBox::NoButton) {
            // Closed with the window's close box or Escape without an escape button.
            if (buttons & QMessageBox::Cancel) return QMessageBox::Cancel;
            if (buttons & QMessageBox::No) return QMessageBox::No;
            return QMessageBox::Ok;
        }
        return answer;
    }
}

void TFrameForm::ErrorBox(const QString& message, int helpContext) {
    ShowBox(QMessageBox::Critical, message, QMessageBox::Ok, helpContext);
}

void TFrameForm::WarningBox(const QString& message, int helpContext) {
    ShowBox(QMessageBox::Warning, message, QMessageBox::Ok, helpContext);
}

void TFrameForm::InformationBox(const QString& message, int helpContext) {
    ShowBox(QMessageBox::Information, message, QMessageBox::Ok, helpContext);
}

QMessageBox::StandardButton TFrameForm::QueryBox(const QString& message, int helpContext, bool withCancel) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    return ShowBox(QMessageBox::Warning, message, buttons, helpContext);
}

}  // namespace sonkora
