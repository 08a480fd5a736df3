#pragma once
// MainWindow: Sonkora's main window. It starts and ends the program, keeps the settings
// in Sonkora.ini, reopens the editor windows of the last run, carries the menus, the
// tool bar and the status bar, and offers the message boxes, file dialogs and help
// every other window uses (ShellServices). It owns the one playback of the program: the
// MIDI toolkit, whose notifications arrive here as queued events on the window's own
// thread, and the playback engine that follows the lyrics in the playing editor. It
// routes commands; the work is done by the editor windows and the core.
//
// The window is written in four parts: routing and the commands of its own menus
// (MainWindow.cpp), the menus and tool bar built from the command table
// (MainWindowMenus.cpp), playback hosting (MainWindowPlayback.cpp), the window session,
// start, restore and save (MainWindowSession.cpp), and the boxes and file dialogs
// (MainWindowDialogs.cpp), and the opening of files given to the program, dropped on
// it or chosen from the recent files (MainWindowFiles.cpp).

#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/RecentFiles.h"
#include "playback/PlaybackInterfaces.h"
#include "shell/PersistentView.h"
#include "shell/ShellEnvironment.h"
#include "shell/ShellServices.h"
#include "shell/ShellSettings.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;

namespace sonkora {

enum class ExportFormat : uint8_t;

class EditorWindow;
class HelpWindow;
class HyphenationDialog;
class IniFile;
class MidiSetupDialog;
class MidiSystem;
class ShellUserInterface;
class SpecialLettersDialog;
class WarningsDialog;
struct Command;
struct CommandState;
enum class MenuId;

class MainWindow : public QMainWindow, public PersistentView, public PlaybackFrame, public ShellServices {
    Q_OBJECT

public:
    explicit MainWindow(const ShellEnvironment& environment, QWidget* parent = nullptr);
    ~MainWindow() override;

    // ShellServices
    QWidget* DialogParent() override { return this; }
    void ErrorBox(const QString& message, int helpContext) override;
    void WarningBox(const QString& message, int helpContext) override;
    void InformationBox(const QString& message, int helpContext) override;
    QMessageBox::StandardButton QueryBox(const QString& message, int helpContext, bool withCancel) override;
    std::optional<QString> AskOpenFileName(const QString& filter, const QString& title, int helpContext,
                                           const QString& defaultExtension) override;
    std::optional<QString> AskSaveFileName(const QString& filter, const QString& title, int helpContext,
                                           const QString& defaultExtension, const QString& proposedName = {}) override;
    bool ShowHelp(int helpContext) override;
    const ShellEnvironment& Environment() const override { return environment_; }
    ShellSettings& Settings() override { return settings_; }
    QFont EditorFont() const override { return editorFont_; }
    bool Batch() const override { return batch_; }
    bool BatchRunAvailable() const override;
    std::optional<int> ChooseLanguage(const std::vector<std::string>& languages, int selected) override;
    bool PickSpecialLetter() override;
    bool Playing() const override;
    PlaybackEditor* PlayingEditor() const override;
    void PlaySongFrom(const std::string& karFileName, PlaybackEditor* editor, int32_t startTick) override;
    void PlaySong(const std::string& karFileName, PlaybackEditor* editor, bool fromCursor) override;
    void PlayTrack(const std::string& fileName, int track) override;
    void StopPlaying() override;
    void CloseMidiOutput() override;
    PlaybackEngine& Engine() override { return *engine_; }
    MidiToolkit& Toolkit() override;
    void SetTrackDialog(VoiceTrackDialog* dialog) override { trackDialog_ = dialog; }
    VoiceTrackDialog* TrackDialog() const override { return trackDialog_; }
    void EditorStateChanged(EditorWindow* editor) override;
    void EditorClosed(EditorWindow* editor) override;

    void SetEditorFont(const QFont& font);
    HelpWindow* Help();
    MidiSystem& Midi() { return *midi_; }

    // The editor windows, in the window's child order: the active one first.
    QList<EditorWindow*> Editors() const;
    EditorWindow* ActiveEditor() const;
    // A new editor window, shown maximized and active unless `show` is false.
    EditorWindow* CreateEditor(bool show = true);
    // The editor window on `path`, if one is open.
    EditorWindow* EditorOf(const QString& path) const;
    void ActivateEditor(EditorWindow* editor);
    // The window on `path`: the open one brought forward, or a new one.
    void OpenEditorOn(const QString& path);

    // Opens the device of the MidiOutDevice setting (the first one when it is empty,
    // whose name then becomes the setting).
    bool OpenMidiOutput();
    // One tick of the timer (20 ms, or sooner when a lyric falls due): the lyric that is
    // due is highlighted, the gauge moves.
    void Tick();

    // PlaybackFrame
    void UpdateFrameControls() override;
    void SetGauge(int32_t maximum, int32_t progress) override;
    void SetGaugeProgress(int32_t progress) override;
    void SetTimerEnabled(bool enabled) override;
    void ProcessPendingMessages() override;
    void ClearTrackDialogStatus() override;

    // Start and end, as the first show and the close run them; public for tests.
    // RestoreViews reopens the windows of the last run; FinishStart, once the window is
    // on the screen, opens the output device and shows the help at a first start.
    void RestoreViews();
    void FinishStart();
    bool CloseEditorsForExit();  // false when the user kept one open
    void SaveViews();

    // PersistentView: geometry plus the main window's own settings.
    void SaveViewSettings(IniFile& ini, const std::string& prefix) override;
    void LoadViewSettings(const IniFile& ini, const std::string& prefix) override;
    WindowPlacement GetPlacement() const override;
    void SetPlacement(const WindowPlacement& placement) override;

    // Opens each file by what it is: a song text in an editor window, a karaoke file
    // through the import, a MIDI file as a new song text naming it (with the voice track
    // dialog). A file that cannot be read is reported and the others still open.
    void OpenFiles(const QStringList& paths);
    // The files of the command line, opened once the window shows (instead of the
    // example song of a first start).
    void SetFilesToOpen(const QStringList& paths) { filesToOpen_ = paths; }
    // The recently used files, newest first; choosing one that is gone drops it.
    const RecentFiles& Recent() const { return recent_; }
    void openRecentFile(const QString& path);

    // The commands of the main window's own menus.
    void newDocument();
    void openDocument();
    void importKaraoke();
    void exportKarAsLrc();
    void exportKarAsEnhancedLrc();
    void exportKarAsWebVtt();
    void exportKarAsUltraStar();
    void timingSetup();
    void exitProgram();
    void midiSetup();
    void karaokePlayerSetup();
    void warningsSetup();
    void chooseFont();
    void tileWindows();
    void cascadeWindows();
    void arrangeIcons();
    void helpContents();
    void helpTopicSearch();
    void helpGettingStarted();
    void helpSongTextFormat();
    void helpErrorMessages();
    void about();
    // The batch run: Make, Print Song Text and Close for every song text of the batch
    // folder, with the compiler's messages and questions silent.
    void runBatch();

protected:
    bool event(QEvent* event) override;
    void customEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Menus and tool bar (MainWindowMenus.cpp).
    void CreateMenus();
    QMenu* BuildMenu(MenuId id, bool withEditor, QWidget* parent = nullptr);
    void ExportKaraokeFile(ExportFormat format);
    QAction* ActionFor(const Command& command);
    void CreateToolBar();
    void CreateStatusBar();
    // The menu bar: the active editor's File, Edit, Search and Karaoke menus, or the
    // File menu of no editor, before Options, Window and Help.
    void MergeMenus();
    void FillWindowMenu();
    CommandState CurrentState() const;
    void UpdateCommands();
    void ShowHint(const QString& hint);
    void RunOnActiveEditor(void (EditorWindow::*command)());

    // Playback (MainWindowPlayback.cpp): the toolkit, the engine, their notifications.
    void StartPlayback();
    void OpenOutputAfterStart();
    // Opens the device of the setting as OpenMidiOutput does, but a failure is only
    // noted (status bar, MIDI setup), not put in a box: nobody asked for sound yet.
    void OpenMidiOutputQuietly();
    void ShowDeviceProblem();
    // Makes the help window a window of `owner` (a modal dialog), or of nobody.
    void SetHelpOwner(QWidget* owner);

    // Files (MainWindowFiles.cpp).
    bool OpenFile(const QString& path);
    void NewSongTextFor(const std::optional<QString>& midiFile);
    void ImportKaraokeFile(const QString& path);
    void NoteRecentFile(const QString& path);
    void FillRecentMenu(QMenu* menu);
    void AddRecentMenus();
    void RefreshRecentMenus();

    void SubWindowActivated(QMdiSubWindow* window);
    void LoadMainSettings(const IniFile& ini, const std::string& prefix);
    void OpenExampleSong();
    QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& message,
                                        QMessageBox::StandardButtons buttons, int helpContext);

    ShellEnvironment environment_;
    ShellSettings settings_;
    // Destroyed by hand, the engine before the toolkit it plays through.
    std::unique_ptr<MidiSystem> midi_;
    std::unique_ptr<ShellUserInterface> ui_;
    std::unique_ptr<PlaybackEngine> engine_;
    bool keepTrackDialogStatus_ = false;
    struct PlaybackNumber;
    std::shared_ptr<PlaybackNumber> playbackNumber_;
    VoiceTrackDialog* trackDialog_ = nullptr;
    bool batch_ = false;
    QFont editorFont_;
    HelpWindow* help_ = nullptr;
    std::vector<EditorWindow*> childOrder_;  // the active editor first
    bool shownOnce_ = false;
    bool startFinished_ = false;
    QString lastDirectory_;  // where the file dialogs open next
    RecentFiles recent_;
    QStringList filesToOpen_;

    QMdiArea* mdiArea_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QLabel* outputStatus_ = nullptr;
    QTimer* tickTimer_ = nullptr;

    // The dialogs made when the program starts and kept until it ends.
    SpecialLettersDialog* specialLettersDialog_ = nullptr;
    HyphenationDialog* hyphenationDialog_ = nullptr;
    WarningsDialog* warningsDialog_ = nullptr;
    MidiSetupDialog* midiSetupDialog_ = nullptr;

    // Every command of the table has one action, shared by the menus it shows in; the
    // tool buttons have theirs.
    std::vector<std::pair<const Command*, QAction*>> commandActions_;
    std::vector<std::pair<QAction*, bool (*)(const CommandState&)>> toolActions_;
    QMenu* fileMenu_ = nullptr;        // with no editor open
    QMenu* editorFileMenu_ = nullptr;  // with an editor open
    QMenu* editMenu_ = nullptr;
    QMenu* searchMenu_ = nullptr;
    QMenu* karaokeMenu_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QList<QAction*> windowCommands_;  // Tile, Cascade, Arrange Icons
};

}  // namespace sonkora
