#include "shell/MDIEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QSaveFile>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

#include "common/FilePaths.h"
#include "common/IniFile.h"
#include "common/UserInterface.h"
#include "compiler/HyphenationCommand.h"
#include "shell/EditorText.h"
#include "shell/FileDialogFilter.h"
#include "shell/MDIFrame.h"
#include "shell/Printing.h"
#include "shell/Search.h"
#include "shell/ShellUserInterface.h"
#include "shell/Speclett.h"

namespace sonkora {

namespace {

// Song texts are a few kilobytes; anything near this is not one, and reading it whole
// into the pane would only stall the program.
constexpr qint64 MaxSongTextBytes = 32 * 1024 * 1024;

QString PaneText(const QPlainTextEdit* pane) {
    QString text;
    for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next()) {
        if (block != pane->document()->begin()) text.append(QLatin1Char('\n'));
        text.append(block.text());
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------------
// TMemo

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    // The selection shows when the pane has no focus, so that an error's place or a
    // lyric stays marked while a box or the other page has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void TMemo::Select(int start, int length) {
    const int size = document()->characterCount() - 1;
    start = std::clamp(start, 0, std::max(0, size));
    const int end = std::clamp(start + std::max(0, length), start, std::max(0, size));
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

int TMemo::SelectionStart() const {
    return textCursor().selectionStart();
}

int TMemo::SelectionLength() const {
    return textCursor().selectionEnd() - textCursor().selectionStart();
}

int TMemo::CaretLine() const {
    return textCursor().blockNumber();
}

int TMemo::LineStartIndex(int line) const {
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() ? block.position() : document()->characterCount() - 1;
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    // Whatever line ends the text came with, the pane keeps one character per line end.
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    insertPlainText(text);
}

void TMemo::contextMenuEvent(QContextMenuEvent* event) {
    if (!ContextMenu) return QPlainTextEdit::contextMenuEvent(event);
    ContextMenu->exec(event->globalPos());
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    // Shift+Enter would put a line separator inside a line; a song text knows only
    // whole lines.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & Qt::ShiftModifier)) {
        if (!isReadOnly()) insertPlainText(QStringLiteral("\n"));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------
// TEditorDocument

std::string TEditorDocument::FileName() const {
    return editor_.FileName.toStdString();
}

int TEditorDocument::LineCount() const {
    const QTextDocument* doc = editor_.Memo1->document();
    int count = doc->blockCount();
    if (doc->lastBlock().text().isEmpty()) --count;  // a line end at the very end
    return std::max(0, count);
}

std::string TEditorDocument::Line(int index) const {
    const QTextBlock block = editor_.Memo1->document()->findBlockByNumber(index);
    return block.isValid() ? PaneCharsToBytes(block.text()) : std::string();
}

void TEditorDocument::InsertLine(int index, const std::string& text) {
    QTextDocument* doc = editor_.Memo1->document();
    const QString line = BytesToPaneChars(text);
    QTextCursor cursor(doc);
    const int count = LineCount();
    if (index < count) {
        cursor.setPosition(doc->findBlockByNumber(std::max(0, index)).position());
        cursor.insertText(line + QLatin1Char('\n'));
    } else {
        cursor.movePosition(QTextCursor::End);
        const bool endsWithBreak = doc->lastBlock().text().isEmpty() && doc->blockCount() > 1;
        if (doc->isEmpty())
            cursor.insertText(line);
        else if (endsWithBreak)
            cursor.insertText(line + QLatin1Char('\n'));
        else
            cursor.insertText(QLatin1Char('\n') + line);
    }
}

void TEditorDocument::ReplaceLine(int index, const std::string& text) {
    QTextBlock block = editor_.Memo1->document()->findBlockByNumber(index);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(BytesToPaneChars(text));
}

int TEditorDocument::CaretIndex() const {
    return editor_.Memo1->textCursor().position();
}

void TEditorDocument::SetCaretIndex(int index) {
    editor_.Memo1->Select(index, 0);
}

// ---------------------------------------------------------------------------------
// TEditForm

TEditForm::TEditForm(TFrameForm* frame)
    : QWidget(nullptr),
      frame_(frame),
      ui_(std::make_unique<TShellUserInterface>(*frame)),
      host_(std::make_unique<TEditorCompileHost>(*frame, *this)) {
    ViewName = "Edit";
    FileName = QString::fromStdString(frame->Environment().DocumentDirectory) + QStringLiteral("untitled.stf");
    setWindowTitle(QStringLiteral("untitled.stf"));
    CreatePanes();
    CreateMenus();
    activePane_ = Memo1;
    PageControl1->setCurrentIndex(0);
    SetPaneFont(frame->EditorFont());
    UpdateStatus();
    UpdateMenus();
}

TEditForm::~TEditForm() {
    if (frame_) frame_->EditorClosed(this);
}

void TEditForm::CreatePanes() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    Memo1 = new TMemo(PageControl1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo2 = new TMemo(PageControl1);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    QPalette grey = Memo2->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        grey.setColor(group, QPalette::Base, QColor(192, 192, 192));
    Memo2->setPalette(grey);
    PageControl1->addTab(Memo1, QStringLiteral("S&TF"));
    PageControl1->addTab(Memo2, QStringLiteral("&Preview"));
    layout->addWidget(PageControl1, 1);

    auto* strip = new QWidget(this);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 1, 0, 0);
    stripLayout->setSpacing(2);
    // The panels keep their classic widths unless the font needs more room for what
    // they show.
    auto panel = [strip, stripLayout](const char* name, int width, const QString& hint,
                                      const QString& widest = QString()) {
        auto* label = new QLabel(strip);
        if (width > 0 && !widest.isEmpty())
            width = std::max(width, label->fontMetrics().horizontalAdvance(widest) + 10);
        label->setObjectName(QString::fromLatin1(name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setToolTip(hint);
        label->setStatusTip(hint);
        label->setTextFormat(Qt::PlainText);
        if (width > 0) label->setFixedWidth(width);
        stripLayout->addWidget(label, width > 0 ? 0 : 1);
        return label;
    };
    Panel3 = panel("Panel3", 64, QStringLiteral("Modified indicator"), QStringLiteral(" Modified"));
    Panel4 = panel("Panel4", 90, QStringLiteral("Total number of lines in the file"), QStringLiteral(" 99999 lines"));
    Panel5 =
        panel("Panel5", 89, QStringLiteral("Number of paragraphs in the song"), QStringLiteral(" 9999 paragraphs"));
    Panel2 = panel("Panel2", 0, QStringLiteral("Title of the song as specified with @T"));
    strip->setFixedHeight(std::max(15, Panel2->fontMetrics().height() + 4));
    layout->addWidget(strip);

    connect(Memo1, &QPlainTextEdit::textChanged, this, &TEditForm::UpdateStatus);
    connect(Memo2, &QPlainTextEdit::textChanged, this, &TEditForm::UpdateStatus);
    connect(Memo1->document(), &QTextDocument::modificationChanged, this, &TEditForm::UpdateStatus);
    for (TMemo* memo : {Memo1, Memo2}) connect(memo, &QPlainTextEdit::selectionChanged, this, &TEditForm::UpdateMenus);
    connect(Memo1, &QPlainTextEdit::undoAvailable, this, &TEditForm::UpdateMenus);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TEditForm::UpdateMenus);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TEditForm::CurrentTabChanged);

    // The focus keeper: the tab strip never keeps the focus, the page's pane takes it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now == PageControl1->tabBar())
            (PageControl1->currentIndex() == 0 ? Memo1 : Memo2)->setFocus(Qt::OtherFocusReason);
    });
}

void TEditForm::CreateMenus() {
    TFrameForm& f = *frame_;
    const QString editorHint = QStringLiteral("Make a karaoke file of the active editor window");

    File2 = new QMenu(QStringLiteral("&File"), this);
    File2->menuAction()->setStatusTip(QStringLiteral("File management commands"));
    QAction* new1 =
        f.MakeAction(this, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N), HelpContext::General,
                     QStringLiteral("Creates a new STF file and lets you select the MIDI file and voice track"));
    QAction* open1 = f.MakeAction(this, QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                                  HelpContext::General, QStringLiteral("Open an existing file"));
    Close1 = f.MakeAction(this, QStringLiteral("&Close"), QKeySequence(Qt::CTRL | Qt::Key_F4), HelpContext::General,
                          QStringLiteral("Close the active editor window"));
    Save1 = f.MakeAction(this, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), HelpContext::General,
                         QStringLiteral("Save the file in the active editor window"));
    SaveAs1 = f.MakeAction(this, QStringLiteral("Save &As..."), {}, HelpContext::General,
                           QStringLiteral("Save the file in the active editor window under a new name"));
    QAction* import1 = f.MakeAction(this, QStringLiteral("&Import Karaoke..."), {}, HelpContext::Import,
                                    QStringLiteral("Import the lyrics from an existing karaoke file"));
    PrintSTF1 =
        f.MakeAction(this, QStringLiteral("&Print STF..."), QKeySequence(Qt::CTRL | Qt::Key_P), HelpContext::General,
                     QStringLiteral("Print the complete contents of the active editor window"));
    PrintSongText1 = f.MakeAction(this, QStringLiteral("P&rint Song Text..."), {}, HelpContext::None,
                                  QStringLiteral("Print only the song text of the active editor window"));
    PrintSetup1 = f.MakeAction(this, QStringLiteral("Prin&t Setup..."), {}, HelpContext::General,
                               QStringLiteral("Select and set up a printer"));
    QAction* exit1 = f.MakeAction(this, QStringLiteral("E&xit"), QKeySequence(Qt::ALT | Qt::Key_X),
                                  HelpContext::General, QStringLiteral("Exit Sonkora"));
    File2->addAction(new1);
    File2->addAction(open1);
    File2->addAction(Close1);
    File2->addSeparator();
    File2->addAction(Save1);
    File2->addAction(SaveAs1);
    File2->addSeparator();
    File2->addAction(import1);
    File2->addSeparator();
    File2->addAction(PrintSTF1);
    File2->addAction(PrintSongText1);
    File2->addAction(PrintSetup1);
    File2->addSeparator();
    File2->addAction(exit1);
    connect(new1, &QAction::triggered, this, &TEditForm::New1Click);
    connect(open1, &QAction::triggered, this, &TEditForm::Open1Click);
    connect(Close1, &QAction::triggered, this, &TEditForm::Close1Click);
    connect(Save1, &QAction::triggered, this, &TEditForm::Save1Click);
    connect(SaveAs1, &QAction::triggered, this, &TEditForm::SaveAs1Click);
    connect(exit1, &QAction::triggered, this, &TEditForm::Exit1Click);
    connect(import1, &QAction::triggered, this, [this] {
        if (frame_) frame_->ImportKaraoke1Click();
    });
    printing_ = new TEditorPrinting(*this, f);
    // While the batch run's item is in the Help menu, Print Song Text writes a file.
    printing_->PrintsToFile = [this] { return frame_ && frame_->TestSonkora1 && frame_->TestSonkora1->isVisible(); };
    connect(PrintSTF1, &QAction::triggered, printing_, &TEditorPrinting::PrintSTF1Click);
    connect(PrintSongText1, &QAction::triggered, printing_, &TEditorPrinting::PrintSongText1Click);
    connect(PrintSetup1, &QAction::triggered, printing_, &TEditorPrinting::PrintSetup1Click);

    Edit1 = new QMenu(QStringLiteral("&Edit"), this);
    Edit1->menuAction()->setStatusTip(QStringLiteral("Undo editor operations and clipboard access"));
    Undo1 = f.MakeAction(this, QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), HelpContext::General,
                         QStringLiteral("Undo the previous editor operation"));
    Cut1 = f.MakeAction(this, QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), HelpContext::General,
                        QStringLiteral("Remove the selected text and put in the clipboard"));
    Copy1 = f.MakeAction(this, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), HelpContext::General,
                         QStringLiteral("Copy the selected text to the clipboard"));
    Paste1 = f.MakeAction(this, QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), HelpContext::General,
                          QStringLiteral("Insert text from the clipboard at the cursor position"));
    Delete1 = f.MakeAction(this, QStringLiteral("De&lete"), {}, HelpContext::General,
                           QStringLiteral("Delete the selected text"));
    SelectAll1 = f.MakeAction(this, QStringLiteral("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A),
                              HelpContext::General, QStringLiteral("Select all text in the active editor window"));
    SpecialLetters1 = f.MakeAction(this, QStringLiteral("&Special Letters..."), QKeySequence(Qt::Key_F4),
                                   HelpContext::SpecialLetters, QStringLiteral("Insert a special letter in the text"));
    Hyphenation1 =
        f.MakeAction(this, QStringLiteral("&Hyphenation..."), QKeySequence(Qt::Key_F5), HelpContext::Hyphenation,
                     QStringLiteral("Automatic hyphenation of the text in the active editor window"));
    VoiceTrackSelection1 = f.MakeAction(
        this, QStringLiteral("&Voice Track Selection..."), QKeySequence(Qt::Key_F6), HelpContext::VoiceTrackSelection,
        QStringLiteral("Select the voice track for the karaoke file in the active editor window"));
    Edit1->addAction(Undo1);
    Edit1->addSeparator();
    Edit1->addAction(Cut1);
    Edit1->addAction(Copy1);
    Edit1->addAction(Paste1);
    Edit1->addAction(Delete1);
    Edit1->addSeparator();
    Edit1->addAction(SelectAll1);
    Edit1->addSeparator();
    Edit1->addAction(SpecialLetters1);
    Edit1->addSeparator();
    Edit1->addAction(Hyphenation1);
    Edit1->addSeparator();
    Edit1->addAction(VoiceTrackSelection1);
    connect(Undo1, &QAction::triggered, this, &TEditForm::Undo1Click);
    connect(Cut1, &QAction::triggered, this, &TEditForm::Cut1Click);
    connect(Copy1, &QAction::triggered, this, &TEditForm::Copy1Click);
    connect(Paste1, &QAction::triggered, this, &TEditForm::Paste1Click);
    connect(Delete1, &QAction::triggered, this, &TEditForm::Delete1Click);
    connect(SelectAll1, &QAction::triggered, this, &TEditForm::SelectAll1Click);
    connect(SpecialLetters1, &QAction::triggered, this, &TEditForm::SpecialLetters1Click);
    connect(Hyphenation1, &QAction::triggered, this, &TEditForm::Hyphenation1Click);
    connect(VoiceTrackSelection1, &QAction::triggered, this, &TEditForm::VoiceTrackSelection1Click);

    // The two page items have no place in the menu; they live on the window so that
    // Alt+T and Alt+P reach them from either pane.
    STF1 = new QAction(QStringLiteral("STF"), this);
    STF1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_T));
    STF1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Preview1 = new QAction(QStringLiteral("Preview"), this);
    Preview1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_P));
    Preview1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(STF1);
    addAction(Preview1);
    connect(STF1, &QAction::triggered, this, &TEditForm::STF1Click);
    connect(Preview1, &QAction::triggered, this, &TEditForm::Preview1Click);

    Search1 = new QMenu(QStringLiteral("&Search"), this);
    Search1->menuAction()->setStatusTip(QStringLiteral("Text search commands"));
    Find1 = f.MakeAction(this, QStringLiteral("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_F), HelpContext::General,
                         QStringLiteral("Search for text"));
    Replace1 = f.MakeAction(this, QStringLiteral("&Replace..."), QKeySequence(Qt::CTRL | Qt::Key_H),
                            HelpContext::General, QStringLiteral("Search and replace text"));
    FindAgain1 = f.MakeAction(this, QStringLiteral("Find &Again"), QKeySequence(Qt::Key_F3), HelpContext::General,
                              QStringLiteral("Repeat last search or replace"));
    Search1->addAction(Find1);
    Search1->addAction(Replace1);
    Search1->addAction(FindAgain1);
    search_ = new TSearchCommands(this, Memo1, FindAgain1);
    connect(Find1, &QAction::triggered, search_, &TSearchCommands::Find1Click);
    connect(Replace1, &QAction::triggered, search_, &TSearchCommands::Replace1Click);
    connect(FindAgain1, &QAction::triggered, search_, &TSearchCommands::FindAgain1Click);

    Karaoke1 = new QMenu(QStringLiteral("&Karaoke"), this);
    Karaoke1->menuAction()->setStatusTip(QStringLiteral("Make or play karaoke files"));
    Make1 = f.MakeAction(this, QStringLiteral("&Make"), QKeySequence(Qt::Key_F8), HelpContext::Make, editorHint);
    Play1 = f.MakeAction(this, QStringLiteral("&Play"), QKeySequence(Qt::Key_F9), HelpContext::Play,
                         QStringLiteral("Make and play the karaoke file in the active editor window"));
    PlayFromCursor1 = f.MakeAction(
        this, QStringLiteral("Play &From Cursor"), QKeySequence(Qt::Key_F7), HelpContext::PlayFromCursor,
        QStringLiteral("Play the karaoke file in the active editor window from the line containing the cursor"));
    Stop1 = f.MakeAction(this, QStringLiteral("&Stop"), QKeySequence(Qt::Key_Escape), HelpContext::Stop,
                         QStringLiteral("Stop playing"));
    PlayInKaraokePlayer1 =
        f.MakeAction(this, QStringLiteral("Play In &Karaoke Player"), {}, HelpContext::PlayInKaraokePlayer,
                     QStringLiteral("Make and play the karaoke file in a custom karaoke player"));
    Export1 = f.MakeAction(this, QStringLiteral("&Export As MIDI File With Lyrics"), {}, HelpContext::Export,
                           QStringLiteral("Export the STF text as a MIDI file with lyrics"));
    Karaoke1->addAction(Make1);
    Karaoke1->addAction(Play1);
    Karaoke1->addAction(PlayFromCursor1);
    Karaoke1->addAction(Stop1);
    Karaoke1->addSeparator();
    Karaoke1->addAction(PlayInKaraokePlayer1);
    Karaoke1->addSeparator();
    Karaoke1->addAction(Export1);
    connect(Make1, &QAction::triggered, this, &TEditForm::Make1Click);
    connect(Play1, &QAction::triggered, this, &TEditForm::Play1Click);
    connect(PlayFromCursor1, &QAction::triggered, this, &TEditForm::PlayFromCursor1Click);
    connect(Stop1, &QAction::triggered, this, &TEditForm::Stop1Click);
    connect(PlayInKaraokePlayer1, &QAction::triggered, this, &TEditForm::PlayInKaraokePlayer1Click);
    connect(Export1, &QAction::triggered, this, &TEditForm::Export1Click);

    PopupMenu1 = new QMenu(this);
    Cut2 = PopupMenu1->addAction(QStringLiteral("Cut"));
    Copy2 = PopupMenu1->addAction(QStringLiteral("Copy"));
    Paste2 = PopupMenu1->addAction(QStringLiteral("Paste"));
    connect(Cut2, &QAction::triggered, this, &TEditForm::Cut1Click);
    connect(Copy2, &QAction::triggered, this, &TEditForm::Copy1Click);
    connect(Paste2, &QAction::triggered, this, &TEditForm::Paste1Click);
    Memo1->ContextMenu = PopupMenu1;
    Memo2->ContextMenu = PopupMenu1;

    for (QMenu* menu : {File2, Edit1, Search1, Karaoke1, PopupMenu1}) {
        menu->menuAction()->setProperty("sonkoraHelpContext", HelpContext::General);
        menu->installEventFilter(frame_);
        connect(menu, &QMenu::aboutToShow, this, &TEditForm::UpdateMenus);
    }
}

void TEditForm::AttachWindow(QMdiSubWindow* window) {
    window_ = window;
    normalRect_ = window->geometry();
    window->installEventFilter(this);
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        const Qt::WindowStates state = window_->windowState();
        if (state & Qt::WindowMinimized)
            minimizedPosition_ = window_->pos();
        else if (!(state & Qt::WindowMaximized))
            normalRect_ = window_->geometry();
    }
    return QWidget::eventFilter(watched, event);
}

void TEditForm::SetPaneFont(const QFont& font) {
    Memo1->setFont(font);
    Memo2->setFont(font);
}

bool TEditForm::IsStfPage() const {
    return PageControl1->currentIndex() == 0;
}

// ---------------------------------------------------------------------------------
// Status strip and menu enabling

void TEditForm::UpdateStatus() {
    const bool modified = Memo1->document()->isModified();
    if (modified != shownModified_) {
        shownModified_ = modified;
        Panel3->setText(modified ? QStringLiteral(" Modified") : QString());
    }
    const TStatusCounts counts = CountStatus(PaneLines(PaneText(Memo1)));
    Panel4->setText(CountText(counts.Lines, QStringLiteral("line")));
    Panel5->setText(CountText(counts.Paragraphs, QStringLiteral("paragraph")));
    Panel2->setText(QLatin1Char(' ') + counts.Title);
}

void TEditForm::UpdateMenus() {
    const bool stf = IsStfPage();
    // While this window's song plays its song text is read-only: nothing may change it,
    // neither a key nor a command, or the highlight would no longer fit the text.
    const bool editable = stf && !Memo1->isReadOnly();
    const bool selection = activePane_ && activePane_->textCursor().hasSelection();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool clipText = clip && clip->hasText();
    const bool undo = Memo1->document()->isUndoAvailable();

    Paste1->setEnabled(clipText && editable);
    Paste2->setEnabled(clipText && editable);
    Cut1->setEnabled(selection && editable);
    Cut2->setEnabled(selection && editable);
    Delete1->setEnabled(selection && editable);
    Copy1->setEnabled(selection);
    Copy2->setEnabled(selection);
    Undo1->setEnabled(undo && editable);
    VoiceTrackSelection1->setEnabled(editable);

    PrintSTF1->setEnabled(stf);
    PrintSongText1->setEnabled(stf);
    Find1->setEnabled(stf);
    Replace1->setEnabled(editable);
    FindAgain1->setEnabled(stf);
    SpecialLetters1->setEnabled(editable);
    Hyphenation1->setEnabled(editable);

    if (frame_) {
        Play1->setEnabled(frame_->PlayButton->isEnabled());
        PlayFromCursor1->setVisible(frame_->PlayFromCursorButton->isVisible());
        PlayFromCursor1->setEnabled(frame_->PlayFromCursorButton->isEnabled());
        Stop1->setVisible(frame_->StopButton->isVisible());
        Stop1->setEnabled(frame_->StopButton->isEnabled());
        PlayInKaraokePlayer1->setEnabled(frame_->PlayInPlayerButton->isEnabled());
    }
}

// ---------------------------------------------------------------------------------
// Load and save

bool TEditForm::LoadFile(const QString& path) {
    FileName = path;
    QFile file(path);
    const QFileInfo info(path);
    QString problem;
    QByteArray bytes;
    if (info.isDir()) {
        problem = QStringLiteral("it is a folder");
    } else if (info.exists() && info.size() > MaxSongTextBytes) {
        problem = QStringLiteral("it is too large to be a song text (%1 bytes)").arg(info.size());
    } else if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
    } else {
        bytes = file.read(MaxSongTextBytes + 1);
        if (file.error() != QFileDevice::NoError)
            problem = file.errorString();
        else if (bytes.size() > MaxSongTextBytes)
            problem = QStringLiteral("it is too large to be a song text");
    }
    if (!problem.isEmpty()) {
        if (frame_) frame_->ErrorBox(QStringLiteral("Cannot read %1: %2").arg(path, problem), HelpContext::General);
        return false;
    }
    Memo1->setPlainText(FileBytesToPaneText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
    setWindowTitle(info.fileName());
    Memo1->document()->setModified(false);
    shownModified_ = true;  // forces the panel to be written
    Memo1->moveCursor(QTextCursor::Start);
    UpdateStatus();
    return true;
}

bool TEditForm::ConfirmUnmappedCharacters(const QString& purpose) {
    const QString text = PaneText(Memo1);
    const std::vector<TUnmappedCharacter> unmapped = FindUnmappedCharacters(text);
    if (unmapped.empty() || !frame_) return true;
    const TUnmappedCharacter& first = unmapped.front();
    QString message = QStringLiteral(
                          "Line %1 holds %2, which a song text cannot hold: song texts use the "
                          "Windows-1252 character set.")
                          .arg(first.Line + 1)
                          .arg(DescribeCharacter(first.Code));
    if (unmapped.size() > 1)
        message += QStringLiteral(" The text holds %1 more such characters.").arg(unmapped.size() - 1);
    message += QStringLiteral(
                   "\n\n%1 anyway, with \"?\" in place of each of them?\n"
                   "Choose No to go back to the text and change them.")
                   .arg(purpose);
    if (frame_->QueryBox(message, HelpContext::SpecialLetters, false) == QMessageBox::Yes) return true;
    if (!IsStfPage()) PageControl1->setCurrentIndex(0);
    Memo1->Select(first.Position, first.Length);
    Memo1->setFocus();
    return false;
}

bool TEditForm::WriteDocument(const QString& path) {
    const std::string bytes = PaneTextToFileBytes(PaneText(Memo1));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        const QString reason = out.errorString();
        out.cancelWriting();
        if (frame_) frame_->ErrorBox(QStringLiteral("Cannot write %1: %2").arg(path, reason), HelpContext::General);
        return false;
    }
    // One generation of backup: the previous version moves to the .bak name. A song
    // text that itself ends in .bak gets none, since that would remove the document.
    const QString backup = QString::fromStdString(ChangeExtension(path.toStdString(), ".bak"));
    if (backup != path && QFileInfo::exists(path)) {
        QFile::remove(backup);
        QFile::rename(path, backup);
    }
    if (!out.commit()) {
        if (frame_)
            frame_->ErrorBox(QStringLiteral("Cannot write %1: %2\nThe previous version is kept as %3.")
                                 .arg(path, out.errorString(), backup),
                             HelpContext::General);
        return false;
    }
    return true;
}

bool TEditForm::Save() {
    if (!FileName.isEmpty() && IsReadOnlyFile(FileName) && frame_)
        frame_->WarningBox(QStringLiteral("%1 is read only.").arg(QFileInfo(FileName).fileName()),
                           HelpContext::General);
    if (FileName.isEmpty() || IsReadOnlyFile(FileName)) return SaveAs();
    if (!ConfirmUnmappedCharacters(QStringLiteral("Save"))) return false;
    if (!WriteDocument(FileName)) return false;
    Memo1->document()->setModified(false);
    UpdateStatus();
    return true;
}

bool TEditForm::SaveAs() {
    if (!frame_ || !frame_->ExecuteSaveDialog(QStringLiteral("STF (*.stf)|*.stf"), QStringLiteral("Save As"),
                                              HelpContext::General, QStringLiteral("stf"), FileName))
        return false;
    FileName = frame_->SaveFileName;
    setWindowTitle(QFileInfo(FileName).fileName());
    return Save();
}

bool TEditForm::CloseQuery() {
    if (!Memo1->document()->isModified() || !frame_) return true;
    const auto answer =
        frame_->QueryBox(QStringLiteral("Save changes to '%1'?").arg(windowTitle()), HelpContext::General, true);
    if (answer == QMessageBox::Cancel) return false;
    // Closing after a save that did not happen (a write error, Save As cancelled)
    // would lose the text, so the window stays open then.
    if (answer == QMessageBox::Yes) return Save();
    return true;
}

void TEditForm::closeEvent(QCloseEvent* event) {
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    // The window is deleted later, perhaps after the frame: from here on it no longer
    // belongs to the frame.
    if (frame_) frame_->EditorClosed(this);
    frame_ = nullptr;
}

// ---------------------------------------------------------------------------------
// View settings and placement

void TEditForm::SaveViewSettings(IniFile& ini, const std::string& prefix) {
    TView::SaveViewSettings(ini, prefix);
    ini.WriteString(ViewSettingsSection, prefix + "FileName", FileName.toStdString());
}

void TEditForm::LoadViewSettings(const IniFile& ini, const std::string& prefix) {
    TView::LoadViewSettings(ini, prefix);
    FileName = QString::fromStdString(ini.ReadString(ViewSettingsSection, prefix + "FileName", ""));
    if (!FileName.isEmpty() && FileExists(FileName.toStdString())) LoadFile(FileName);
}

TWindowPlacement TEditForm::GetPlacement() const {
    TWindowPlacement placement;
    if (!window_) return placement;
    const Qt::WindowStates state = window_->windowState();
    placement.ShowCmd = state & Qt::WindowMinimized   ? ShowState::Minimized
                        : state & Qt::WindowMaximized ? ShowState::Maximized
                                                      : ShowState::Normal;
    placement.SetNormalRect(normalRect_.isValid() ? normalRect_ : window_->geometry());
    placement.MinPosition = minimizedPosition_;
    return placement;
}

void TEditForm::SetPlacement(const TWindowPlacement& placement) {
    if (!window_) return;
    const QRect saved = placement.NormalRect();
    if (saved.width() > 0 && saved.height() > 0) {
        QRect area(QPoint(0, 0), window_->mdiArea() ? window_->mdiArea()->viewport()->size() : saved.size());
        normalRect_ = KeepOnArea(saved, area);
    }
    // Back to the normal state first, so that the rectangle is the one the window
    // returns to from any state.
    if (window_->isVisible() && (window_->isMaximized() || window_->isMinimized())) window_->showNormal();
    if (normalRect_.isValid()) window_->setGeometry(normalRect_);
    switch (placement.ShowCmd) {
        case ShowState::Maximized: window_->showMaximized(); break;
        case ShowState::Minimized:
            window_->showMinimized();
            if (placement.MinPosition.x() >= 0 && placement.MinPosition.y() >= 0 && window_->mdiArea()) {
                const QSize area = window_->mdiArea()->viewport()->size();
                window_->move(std::min(placement.MinPosition.x(), std::max(0, area.width() - 40)),
                              std::min(placement.MinPosition.y(), std::max(0, area.height() - 20)));
            }
            break;
        default: window_->show(); break;
    }
}

// ---------------------------------------------------------------------------------
// Commands

void TEditForm::New1Click() {
    if (frame_) frame_->New1Click();
}

void TEditForm::Open1Click() {
    if (frame_) frame_->Open1Click();
}

void TEditForm::Close1Click() {
    if (window_)
        window_->close();
    else
        close();
}

void TEditForm::Save1Click() {
    Save();
}

void TEditForm::SaveAs1Click() {
    SaveAs();
}

void TEditForm::Exit1Click() {
    if (frame_) frame_->Exit1Click();
}

void TEditForm::Undo1Click() {
    if (IsStfPage() && !Memo1->isReadOnly()) Memo1->undo();
}

void TEditForm::Cut1Click() {
    if (IsStfPage() && !Memo1->isReadOnly()) Memo1->cut();
}

void TEditForm::Copy1Click() {
    activePane_->copy();
}

void TEditForm::Paste1Click() {
    if (IsStfPage() && !Memo1->isReadOnly()) Memo1->paste();
}

void TEditForm::Delete1Click() {
    if (!IsStfPage() || Memo1->isReadOnly()) return;
    QTextCursor cursor = Memo1->textCursor();
    cursor.removeSelectedText();
    Memo1->setTextCursor(cursor);
}

void TEditForm::SelectAll1Click() {
    activePane_->selectAll();
}

void TEditForm::SpecialLetters1Click() {
    if (!frame_ || !frame_->SpecialLettersDlg || !IsStfPage() || Memo1->isReadOnly()) return;
    // The dialog leaves the letter on the clipboard; it goes in as Paste puts it.
    if (frame_->SpecialLettersDlg->exec() == QDialog::Accepted) Memo1->paste();
}

namespace {

// The song text as the hyphenation sees it, whose line writes form one step of the
// pane's undo: Undo takes the whole hyphenation back, not its last line only.
class TGroupedEdits final : public SongDocument {
public:
    TGroupedEdits(SongDocument& document, QTextDocument& pane) : document_(document), pane_(pane) {}
    ~TGroupedEdits() override {
        if (group_) group_->endEditBlock();
    }
    std::string FileName() const override { return document_.FileName(); }
    int LineCount() const override { return document_.LineCount(); }
    std::string Line(int index) const override { return document_.Line(index); }
    void InsertLine(int index, const std::string& text) override {
        Group();
        document_.InsertLine(index, text);
    }
    void ReplaceLine(int index, const std::string& text) override {
        Group();
        document_.ReplaceLine(index, text);
    }
    int CaretIndex() const override { return document_.CaretIndex(); }
    void SetCaretIndex(int index) override { document_.SetCaretIndex(index); }

private:
    void Group() {
        if (group_) return;
        group_.emplace(&pane_);
        group_->beginEditBlock();
    }
    SongDocument& document_;
    QTextDocument& pane_;
    std::optional<QTextCursor> group_;
};

}  // namespace

void TEditForm::Hyphenation1Click() {
    if (!frame_ || !IsStfPage() || Memo1->isReadOnly()) return;
    {
        TGroupedEdits grouped(document_, *Memo1->document());
        try {
            Hyphenation(grouped, compiler_, *ui_, frame_->Environment().ProgramDirectory);
        } catch (const std::exception& error) {
            ReportCompileFailure(error);
        }
    }
    compiler_.FreePreviewLines();
    UpdateStatus();
}

void TEditForm::SetMidiFileLine(const QString& path) {
    // The name goes into the song text as bytes; a path the code page cannot spell
    // is warned about when the text is saved, like any other such character.
    sonkora::SetMidiFileLine(document_, PaneCharsToBytes(path));
    const std::vector<TUnmappedCharacter> unmapped = FindUnmappedCharacters(path);
    if (!unmapped.empty()) {
        // The line was written with "?" in place of those characters; put the real
        // name back so that nothing is lost and the save warning can name them.
        for (int i = 0; i < document_.LineCount(); ++i) {
            if (document_.Line(i) == "\\m " + PaneCharsToBytes(path)) {
                QTextCursor cursor(Memo1->document()->findBlockByNumber(i));
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(QStringLiteral("\\m ") + path);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------------
// Pages

void TEditForm::ShowPage(int index) {
    if (PageControl1->currentIndex() != index) PageControl1->setCurrentIndex(index);
}

void TEditForm::STF1Click() {
    ShowPage(0);
}

void TEditForm::Preview1Click() {
    ShowPage(1);
}

void TEditForm::CurrentTabChanged(int index) {
    if (index == currentPage_ || changingPage_) return;
    changingPage_ = true;
    PageControl1Changing(currentPage_);
    currentPage_ = index;
    PageControl1Change();
    changingPage_ = false;
}

}  // namespace sonkora
