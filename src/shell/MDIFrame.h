#pragma once
// TFrameForm: Sonkora's main window. It starts and ends the program, keeps the settings
// in Sonkora.ini, reopens the editor windows of the last run, carries the menus, the
// tool bar and the status bar, and offers the message boxes and file dialogs every
// other window uses. It owns the one playback of the program: the MIDI toolkit, whose
// notifications arrive here as queued events on the window's own thread, and the
// playback engine that follows the lyrics in the playing editor. It routes commands;
// the work is done by the editor windows and the core.

#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/PlaybackInterfaces.h"
#include "shell/FrameSettings.h"
#include "shell/ShellEnvironment.h"
#include "shell/Vw.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;

namespace sonkora {

class IniFile;
class PlaybackEngine;
class TCompilerOptionsDlg;
class TEditForm;
class THelpWindow;
class THyphenationDlg;
class TMidiSetupDlg;
class TShellUserInterface;
class TSpecialLettersDlg;
class TTrackDialog;

class TFrameForm : public QMainWindow, public TView, public PlaybackFrame {
    Q_OBJECT

public:
    explicit TFrameForm(const TShellEnvironment& environment, QWidget* parent = nullptr);
    ~TFrameForm() override;

    const TShellEnvironment& Environment() const { return environment_; }

    // The settings of the table in Sonkora.ini; the editor font is the frame's font.
    TFrameSettings Settings;
    QFont EditorFont() const { return editorFont_; }
    void SetEditorFont(const QFont& font);

    // The shared boxes. Every one is modal to the frame and, with a help context,
    // carries a Help button that opens that topic while the box stays.
    void ErrorBox(const QString& message, int helpContext);
    void WarningBox(const QString& message, int helpContext);
    void InformationBox(const QString& message, int helpContext);
    // Yes and No, and Cancel as well when `withCancel` is set.
    QMessageBox::StandardButton QueryBox(const QString& message, int helpContext, bool withCancel);

    // The file dialogs. `filter` is "Description (*.ext)|*.ext[|...]"; the chosen name
    // is left in OpenFileName / SaveFileName. The save dialog refuses read-only files.
    bool ExecuteOpenDialog(const QString& filter, const QString& title, int helpContext,
                           const QString& defaultExtension);
    bool ExecuteSaveDialog(const QString& filter, const QString& title, int helpContext,
                           const QString& defaultExtension, const QString& proposedName = {});
    QString OpenFileName;
    QString SaveFileName;

    // Help: the topic of a context number; false when it cannot be shown.
    bool ShowHelp(int helpContext);
    THelpWindow* HelpWindow();

    // The editor windows, in the frame's child order: the active one first.
    QList<TEditForm*> Editors() const;
    TEditForm* ActiveEditor() const;
    // A new editor window, shown maximized and active unless `show` is false.
    TEditForm* CreateEditor(bool show = true);

    // Set only while a batch run works through a folder: compiler messages are silent.
    bool Batch = false;

    // Playback. Every failure is reported in an error box and leaves nothing playing.
    bool Playing() const;
    // The editor whose song plays; none during a track audition or the about box's tune.
    TEditForm* PlayEditor() const;
    PlaybackEngine& Engine() { return *engine_; }
    TMidiSystem& MidiSystem() { return *midi_; }
    // Opens the device of the MidiOutDevice setting (the first one when it is empty,
    // whose name then becomes the setting).
    bool OpenMidiOutput();
    void CloseMidiOutput();
    // Plays a compiled karaoke file for an editor window (none: no lyrics followed).
    void PlaySong(const std::string& karFileName, TEditForm* editor, bool fromCursor);
    // Auditions one track (numbers from 1), together with the conductor track.
    void PlayTrack(const std::string& fileName, int track);
    void StopPlaying();
    // One tick of Timer1: the lyric that is due is highlighted, the gauge moves.
    void Tick();

    // PlaybackFrame
    void UpdateFrameControls() override;
    void SetGauge(int32_t maximum, int32_t progress) override;
    void SetGaugeProgress(int32_t progress) override;
    void SetTimerEnabled(bool enabled) override;
    void ProcessPendingMessages() override;
    void ClearTrackDialogStatus() override;

    // The voice track dialog while one is open: an audition that ends clears its status.
    TTrackDialog* TrackDialog = nullptr;

    // The dialogs made when the program starts and kept until it ends.
    TSpecialLettersDlg* SpecialLettersDlg = nullptr;
    THyphenationDlg* HyphenationDlg = nullptr;
    TCompilerOptionsDlg* CompilerOptionsDlg = nullptr;
    TMidiSetupDlg* MidiSetupDlg = nullptr;

    // Start and end, as the first show and the close run them; public for tests.
    // RestoreViews reopens the windows of the last run; FinishStart, once the frame is
    // on the screen, opens the output device and shows the help at a first start.
    void RestoreViews();
    void FinishStart();
    bool CloseEditorsForExit();  // false when the user kept one open
    void SaveViews();

    // The view overrides: geometry plus the frame's own settings.
    void SaveViewSettings(IniFile& ini, const std::string& prefix) override;
    void LoadViewSettings(const IniFile& ini, const std::string& prefix) override;
    void LoadFrameSettings(const IniFile& ini, const std::string& prefix);
    TWindowPlacement GetPlacement() const override;
    void SetPlacement(const TWindowPlacement& placement) override;

    // Command handlers.
    void New1Click();
    void Open1Click();
    void ImportKaraoke1Click();
    void Exit1Click();
    void MidiSetup1Click();
    void KaraokePlayer1Click();
    void Warnings1Click();
    void Font1Click();
    void Tile1Click();
    void Cascade1Click();
    void ArrangeIcons1Click();
    void Contents1Click();
    void TopicSearch1Click();
    void GettingStarted1Click();
    void SongTextFormat1Click();
    void ErrorMessages1Click();
    void About1Click();
    // The batch run: Make, Print Song Text and Close for every song text of the batch
    // folder, with the compiler's messages and questions silent.
    void TestSonkora1Click();

    // Controls, named as the rest of the program knows them.
    QMdiArea* MdiArea = nullptr;
    QLabel* StatusLine = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QTimer* Timer1 = nullptr;
    QToolBar* ToolBar1 = nullptr;

    QMenu* File1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* Window1 = nullptr;
    QMenu* Help1 = nullptr;

    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* ImportKaraoke1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* MidiSetup1 = nullptr;
    QAction* KaraokePlayer1 = nullptr;
    QAction* Font1 = nullptr;
    QAction* Warnings1 = nullptr;
    QAction* Tile1 = nullptr;
    QAction* Cascade1 = nullptr;
    QAction* ArrangeIcons1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* TopicSearch1 = nullptr;
    QAction* GettingStarted1 = nullptr;
    QAction* SongTextFormat1 = nullptr;
    QAction* ErrorMessages1 = nullptr;
    QAction* About1 = nullptr;
    QAction* TestSonkora1 = nullptr;  // shown only when the batch folder exists at start

    QAction* NewButton = nullptr;
    QAction* OpenButton = nullptr;
    QAction* SaveButton = nullptr;
    QAction* SpecialLettersButton = nullptr;
    QAction* HyphenationButton = nullptr;
    QAction* MakeButton = nullptr;
    QAction* PlayButton = nullptr;
    QAction* PlayFromCursorButton = nullptr;
    QAction* StopButton = nullptr;
    QAction* PlayInPlayerButton = nullptr;

    // Rebuilds the menu bar: the active editor's File menu in place of the frame's,
    // its Edit, Search and Karaoke menus before Options, Window and Help.
    void MergeMenus();

    // Shows the hint of whatever the pointer is over in the status line.
    void ShowHint(const QString& hint);

    // Keeps the menus and the editor order right when an editor goes away.
    void EditorClosed(TEditForm* editor);

    // Creates an action with its caption, shortcut, hint and help context.
    QAction* MakeAction(QObject* owner, const QString& caption, const QKeySequence& shortcut, int helpContext,
                        const QString& hint);

protected:
    bool event(QEvent* event) override;
    void customEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FillWindowMenu();
    void SubWindowActivated(QMdiSubWindow* window);
    void RunOnActiveEditor(void (TEditForm::*command)());
    QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& message,
                                        QMessageBox::StandardButtons buttons, int helpContext);
    void OpenExampleSong();

    TShellEnvironment environment_;
    // Destroyed by hand, the engine before the toolkit it plays through.
    std::unique_ptr<TMidiSystem> midi_;
    std::unique_ptr<TShellUserInterface> ui_;
    std::unique_ptr<PlaybackEngine> engine_;
    bool keepTrackDialogStatus_ = false;
    struct TPlaybackNumber;
    std::shared_ptr<TPlaybackNumber> playbackNumber_;
    QFont editorFont_;
    THelpWindow* help_ = nullptr;
    std::vector<TEditForm*> childOrder_;  // the active editor first
    bool shownOnce_ = false;
    bool startFinished_ = false;
    bool settingsSaved_ = false;
    QString lastDirectory_;  // where the file dialogs open next
};

}  // namespace sonkora
