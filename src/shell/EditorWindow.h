#pragma once
// EditorWindow: one song text in an editor window. Two pages, the song text and the
// lyric preview, a status strip with the modified mark, the line and paragraph counts
// and the title, and the document's whole life: load, save with one backup, Save As,
// the close question. The Karaoke commands hand the text to the compiler core
// (EditorWindowKaraoke.cpp); the window only shows what comes back. While its song
// plays the song text cannot be changed and the syllables being sung are selected in
// both panes.

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/SongCompiler.h"
#include "formats/KaraokeExport.h"
#include "playback/PlaybackInterfaces.h"
#include "shell/EditorDocument.h"
#include "shell/PersistentView.h"
#include "shell/TimingRecording.h"

class QAction;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QTabWidget;

namespace sonkora {

class EditorCompileHost;
class EditorPrinting;
class IniFile;
class PreviewPane;
class SearchCommands;
class ShellServices;
class ShellUserInterface;
class SongTextEdit;

class EditorWindow : public QWidget, public PersistentView, public PlaybackEditor {
    Q_OBJECT

public:
    explicit EditorWindow(ShellServices& services);
    ~EditorWindow() override;

    // The window of the main window's area that holds this editor.
    void AttachWindow(QMdiSubWindow* window);
    QMdiSubWindow* Window() const { return window_; }
    // Called by a main window that is being destroyed.
    void DetachFromServices() { services_ = nullptr; }

    QString FileName() const { return document_.Path(); }
    // Never saved: the file name is only a proposal.
    bool IsUntitled() const { return untitled_; }
    bool IsModified() const { return document_.IsModified(); }
    // What the last compilation made or read.
    QString MidiFileName() const { return QString::fromStdString(compiler_.MidiFileName()); }
    QString KarFileName() const { return QString::fromStdString(compiler_.KarFileName()); }

    // Loads a document; false (after telling the user) when it cannot be read.
    bool LoadFile(const QString& path);
    // A new document's text, unmodified.
    void SetText(const QString& text);
    // Save and Save As; true when the text is on disk afterwards.
    bool Save();
    bool SaveAs();
    // The close question; true when the window may close.
    bool CloseQuery();

    void SetPaneFont(const QFont& font);
    QFont PaneFont() const;
    // The song text with one '\n' per line end.
    QString SongText() const;
    void SetMidiFileLine(const QString& path);

    // What the enabling of the commands looks at.
    bool IsStfPage() const;
    bool IsEditable() const;  // the song text page shows and no song of it plays
    bool HasSelection() const;
    bool CanUndo() const;
    bool CanRedo() const;
    void UpdateContextMenu();

    // PersistentView
    void SaveViewSettings(IniFile& ini, const std::string& prefix) override;
    void LoadViewSettings(const IniFile& ini, const std::string& prefix) override;
    WindowPlacement GetPlacement() const override;
    void SetPlacement(const WindowPlacement& placement) override;

    // The song text as the compiler sees it, and what the last compilation left.
    SongDocument& Document() { return document_; }
    SongCompiler& Compiler() { return compiler_; }
    EditorPrinting& Printing() const { return *printing_; }

    // PlaybackEditor: what the main window's playback asks of the window whose song plays.
    void ShowLyricsAt(int32_t time) override;
    void SetReadOnly(bool readOnly) override;
    void CollapseSelectionToEnd() override;
    int32_t CaretLineStart() const override;
    int32_t LyricCount() const override;
    LyricMark LyricAt(int32_t index) const override;
    // Puts a compilation's preview into the preview pane (one line per entry).
    void ShowPreviewLines(const std::vector<std::string>& lines);

    // The commands of the editor's menus.
    void closeWindow();
    void saveDocument();
    void saveDocumentAs();
    void printStf();
    void printSongText();
    void printSetup();
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void deleteSelection();
    void selectAll();
    void insertSpecialLetter();
    void hyphenate();
    void selectVoiceTrack();
    void find();
    void replace();
    void findAgain();
    void showSongText();
    void showPreview();
    void makeKaraoke();
    void play();
    void playFromCursor();
    void stop();
    void playInKaraokePlayer();
    void exportMidi();
    void exportLrc();
    void exportEnhancedLrc();
    void exportWebVtt();
    void exportUltraStar();
    void shiftTimeCodes();
    void recordTiming();
    // True while Record Timing runs in this window.
    bool Recording() const { return recording_ != nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreatePanes();
    void CreateStatusStrip();
    void CreateContextMenu();
    void UpdateStatus();
    void ShowFileName(const QString& name);
    void StateChanged();
    bool ConfirmUnmappedCharacters(const QString& purpose);
    void ShowSavedCharacters();
    void OfferUtf8Conversion();
    void ShowPage(int index);
    void CurrentTabChanged(int index);
    // The page change: before the Preview page shows, and after any page shows.
    void LeavingPage(int leaving);
    void PageShown();
    bool ThisSongPlays() const;
    void RunCompileAndAct(CompileKind mode, bool fromCursor, bool external);
    void ReportCompileFailure(const std::exception& error);
    void ExportLyrics(ExportFormat format);
    void FinishRecording();

    ShellServices* services_;
    QTabWidget* pages_ = nullptr;
    SongTextEdit* songText_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QLabel* statusModified_ = nullptr;
    QLabel* statusLines_ = nullptr;
    QLabel* statusParagraphs_ = nullptr;
    QLabel* statusTitle_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    QAction* contextCut_ = nullptr;
    QAction* contextCopy_ = nullptr;
    QAction* contextPaste_ = nullptr;

    EditorDocument document_;
    SongCompiler compiler_;
    SearchCommands* search_ = nullptr;    // a child of the window
    EditorPrinting* printing_ = nullptr;  // a child of the window
    std::unique_ptr<ShellUserInterface> ui_;
    std::unique_ptr<EditorCompileHost> host_;
    QMdiSubWindow* window_ = nullptr;
    SongTextEdit* activePane_ = nullptr;
    bool untitled_ = true;  // never saved: Save asks for a name
    bool shownModified_ = false;
    int currentPage_ = 0;
    bool changingPage_ = false;
    QPointer<TimingRecording> recording_;  // a child of the song text pane
    std::optional<int32_t> playbackTime_;  // the time last highlighted while playing
    QRect normalRect_;
    QPoint minimizedPosition_{-1, -1};
};

}  // namespace sonkora
