#pragma once
// TEditForm: one song text in an editor window. Two tabs, the song text (Memo1) and
// the lyric preview (Memo2), a status strip with the modified mark, the line and
// paragraph counts and the title, and the document's whole life: load, save with one
// backup, Save As, the close question. The Karaoke menu hands the text to the
// compiler core; the window only shows what comes back. While its song plays the song
// text cannot be changed and the syllables being sung are selected in both panes.

#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "playback/PlaybackInterfaces.h"
#include "shell/Vw.h"

class QAction;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QTabWidget;

namespace sonkora {

class IniFile;
class TFrameForm;
class TEditorCompileHost;
class TEditorPrinting;
class TSearchCommands;
class TShellUserInterface;

// A text pane of the editor: plain text only, line ends of any kind pasted in become
// the pane's own, and the selection stays visible when the pane has no focus.
class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TMemo(QWidget* parent = nullptr);

    // Selects `length` characters from `start` (clamped to the text).
    void Select(int start, int length);
    int SelectionStart() const;
    int SelectionLength() const;
    // The caret helpers: the caret's line and column, the first index of a line.
    int CaretLine() const;
    int LineStartIndex(int line) const;

    QMenu* ContextMenu = nullptr;  // shared with the other pane, owned by the window

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class TEditForm;

// The song text of an editor as the compiler reads and changes it: the lines of Memo1
// as Windows-1252 bytes, the caret, the document's file name.
class TEditorDocument : public SongDocument {
public:
    explicit TEditorDocument(TEditForm& editor) : editor_(editor) {}
    std::string FileName() const override;
    int LineCount() const override;
    std::string Line(int index) const override;
    void InsertLine(int index, const std::string& text) override;
    void ReplaceLine(int index, const std::string& text) override;
    int CaretIndex() const override;
    void SetCaretIndex(int index) override;

private:
    TEditForm& editor_;
};

class TEditForm : public QWidget, public TView, public PlaybackEditor {
    Q_OBJECT

public:
    explicit TEditForm(TFrameForm* frame);
    ~TEditForm() override;

    // The window of the frame's area that holds this editor.
    void AttachWindow(QMdiSubWindow* window);
    QMdiSubWindow* Window() const { return window_; }
    // Called by a frame that is being destroyed.
    void DetachFromFrame() { frame_ = nullptr; }

    QString FileName;
    QString MidiFileName;
    QString KarFileName;

    // Loads a document; false (after telling the user) when it cannot be read.
    bool LoadFile(const QString& path);
    // Save and Save As; true when the text is on disk afterwards.
    bool Save();
    bool SaveAs();
    // The close question; true when the window may close.
    bool CloseQuery();

    void UpdateMenus();
    void UpdateStatus();
    void SetPaneFont(const QFont& font);
    void SetMidiFileLine(const QString& path);

    bool IsStfPage() const;
    TMemo* ActivePane() const { return activePane_; }

    // TView
    void SaveViewSettings(IniFile& ini, const std::string& prefix) override;
    void LoadViewSettings(const IniFile& ini, const std::string& prefix) override;
    TWindowPlacement GetPlacement() const override;
    void SetPlacement(const TWindowPlacement& placement) override;

    // The song text as the compiler sees it, and what the last compilation left.
    SongDocument& Document() { return document_; }
    SongCompiler& Compiler() { return compiler_; }
    TEditorPrinting* Printing() const { return printing_; }

    // PlaybackEditor: what the frame's playback asks of the window whose song plays.
    void ShowLyricsAt(int32_t time) override;
    void SetReadOnly(bool readOnly) override;
    void CollapseSelectionToEnd() override;
    int32_t CaretLineStart() const override;
    int32_t LyricCount() const override;
    LyricMark LyricAt(int32_t index) const override;
    // Puts a compilation's preview into Memo2 (the text replaced, one line per entry).
    void ShowPreviewLines(const std::vector<std::string>& lines);

    // Menu handlers.
    void New1Click();
    void Open1Click();
    void Close1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Delete1Click();
    void SelectAll1Click();
    void SpecialLetters1Click();
    void Hyphenation1Click();
    void VoiceTrackSelection1Click();
    void STF1Click();
    void Preview1Click();
    void Make1Click();
    void Play1Click();
    void PlayFromCursor1Click();
    void Stop1Click();
    void PlayInKaraokePlayer1Click();
    void Export1Click();

    // The page change: before the Preview page shows, and after any page shows.
    void PageControl1Changing(int leaving);
    void PageControl1Change();

    TMemo* Memo1 = nullptr;
    TMemo* Memo2 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QLabel* Panel2 = nullptr;
    QLabel* Panel3 = nullptr;
    QLabel* Panel4 = nullptr;
    QLabel* Panel5 = nullptr;

    QMenu* File2 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Search1 = nullptr;
    QMenu* Karaoke1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

    QAction* Close1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* PrintSTF1 = nullptr;
    QAction* PrintSongText1 = nullptr;
    QAction* PrintSetup1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* SpecialLetters1 = nullptr;
    QAction* Hyphenation1 = nullptr;
    QAction* VoiceTrackSelection1 = nullptr;
    QAction* STF1 = nullptr;
    QAction* Preview1 = nullptr;
    QAction* Find1 = nullptr;
    QAction* Replace1 = nullptr;
    QAction* FindAgain1 = nullptr;
    QAction* Make1 = nullptr;
    QAction* Play1 = nullptr;
    QAction* PlayFromCursor1 = nullptr;
    QAction* Stop1 = nullptr;
    QAction* PlayInKaraokePlayer1 = nullptr;
    QAction* Export1 = nullptr;
    QAction* Cut2 = nullptr;
    QAction* Copy2 = nullptr;
    QAction* Paste2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreatePanes();
    bool WriteDocument(const QString& path);
    bool ConfirmUnmappedCharacters(const QString& purpose);
    void CurrentTabChanged(int index);
    void ShowPage(int index);
    void RunCompileAndAct(CompileKind mode, bool fromCursor, bool external);
    void ReportCompileFailure(const std::exception& error);

    TFrameForm* frame_;
    TEditorDocument document_{*this};
    SongCompiler compiler_;
    TSearchCommands* search_ = nullptr;    // a child of the window
    TEditorPrinting* printing_ = nullptr;  // a child of the window
    std::unique_ptr<TShellUserInterface> ui_;
    std::unique_ptr<TEditorCompileHost> host_;
    QMdiSubWindow* window_ = nullptr;
    TMemo* activePane_ = nullptr;
    bool shownModified_ = false;
    int currentPage_ = 0;
    bool changingPage_ = false;
    std::optional<int32_t> playbackTime_;  // the time last highlighted while playing
    QRect normalRect_;
    QPoint minimizedPosition_{-1, -1};
};

}  // namespace sonkora
