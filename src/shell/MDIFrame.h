#pragma once
// TFrameForm: Sonkora's main window. It starts and ends the program, keeps the settings
// in Sonkora.ini, reopens the editor windows of the last run, carries the menus, the
// tool bar and the status bar, and offers the message boxes and file dialogs every
// other window uses. It routes commands; the work is done by the editor windows and
// the core.

#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <string>
#include <vector>

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
class TEditForm;
class THelpWindow;

class TFrameForm : public QMainWindow, public TView {
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

    // The playback state the editors and the menus look at.
    bool Playing = false;
    TEditForm* PlayEditor = nullptr;
    // Set only while a batch run works through a folder: compiler messages are silent.
    bool Batch = false;
    // The playback engine's entry points, set when playback is part of the program.
    // Without them nothing ever plays, so there is nothing to stop, and the play
    // commands stay disabled.
    std::function<void(const std::string& karFileName, TEditForm* editor, bool fromCursor)> PlaySongHandler;
    std::function<void()> StopPlayingHandler;

    void UpdateFrameControls();

    // Start and end, as the first show and the close run them; public for tests.
    void RestoreViews();
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
    void Exit1Click();
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
    QAction* MakeAction(QObject* owner, const QString& caption, const QKeySequence& shortcut,
                        int helpContext, const QString& hint);

protected:
    bool event(QEvent* event) override;
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
    QFont editorFont_;
    THelpWindow* help_ = nullptr;
    std::vector<TEditForm*> childOrder_;  // the active editor first
    bool shownOnce_ = false;
    bool settingsSaved_ = false;
    QString lastDirectory_;  // where the file dialogs open next
};

}  // namespace sonkora
