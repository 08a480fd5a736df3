#include "shell/EditorWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
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
#include "shell/EditorCompileHost.h"
#include "shell/EditorPrinting.h"
#include "shell/EditorText.h"
#include "shell/FileDialogFilter.h"
#include "shell/GroupedEdits.h"
#include "shell/PreviewPane.h"
#include "shell/SearchCommands.h"
#include "shell/ShellEnvironment.h"
#include "shell/ShellServices.h"
#include "shell/ShellUserInterface.h"
#include "shell/SongTextEdit.h"

namespace sonkora {

EditorWindow::EditorWindow(ShellServices& services)
    : QWidget(nullptr),
      services_(&services),
      songText_(new SongTextEdit(this)),
      document_(*songText_),
      ui_(std::make_unique<ShellUserInterface>(services)),
      host_(std::make_unique<EditorCompileHost>(services, *this, compiler_, [this](const auto& lines) {
          // While the Preview page shows, its text stays as the user is reading it.
          if (IsStfPage()) ShowPreviewLines(lines);
      })) {
    ViewName = "Edit";
    document_.SetPath(QString::fromStdString(services.Environment().DocumentDirectory) +
                      QStringLiteral("untitled.stf"));
    ShowFileName(QStringLiteral("untitled.stf"));
    CreatePanes();
    CreateStatusStrip();
    CreateContextMenu();
    search_ = new SearchCommands(this, songText_);
    printing_ = new EditorPrinting(*this, document_, *songText_, services, [this] { return IsStfPage(); });
    // While the batch run's item is in the Help menu, Print Song Text writes a file.
    printing_->PrintsToFile = [this] { return services_ && services_->BatchRunAvailable(); };
    activePane_ = songText_;
    pages_->setCurrentIndex(0);
    SetPaneFont(services.EditorFont());
    UpdateStatus();
    UpdateContextMenu();
}

EditorWindow::~EditorWindow() {
    if (services_) services_->EditorClosed(this);
}

void EditorWindow::CreatePanes() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    songText_->setObjectName(QStringLiteral("songText"));
    preview_ = new PreviewPane(pages_);
    preview_->setObjectName(QStringLiteral("preview"));
    // The captions carry no mnemonic: Alt+T and Alt+P belong to the window's page
    // actions below, and two owners of one key would leave Qt to trigger neither.
    pages_->addTab(songText_, QStringLiteral("STF"));
    pages_->addTab(preview_, QStringLiteral("Preview"));
    layout->addWidget(pages_, 1);

    connect(songText_, &QPlainTextEdit::textChanged, this, &EditorWindow::UpdateStatus);
    connect(preview_, &QPlainTextEdit::textChanged, this, &EditorWindow::UpdateStatus);
    connect(songText_->document(), &QTextDocument::modificationChanged, this, &EditorWindow::UpdateStatus);
    for (SongTextEdit* pane : {songText_, static_cast<SongTextEdit*>(preview_)})
        connect(pane, &QPlainTextEdit::selectionChanged, this, &EditorWindow::StateChanged);
    connect(songText_, &QPlainTextEdit::undoAvailable, this, &EditorWindow::StateChanged);
    connect(songText_, &QPlainTextEdit::redoAvailable, this, &EditorWindow::StateChanged);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &EditorWindow::StateChanged);
    connect(pages_, &QTabWidget::currentChanged, this, &EditorWindow::CurrentTabChanged);

    // The focus keeper: the tab strip never keeps the focus, the page's pane takes it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now == pages_->tabBar())
            (pages_->currentIndex() == 0 ? songText_ : preview_)->setFocus(Qt::OtherFocusReason);
    });

    // The two pages have no place in the menus; their shortcuts live on the window so
    // that Alt+T and Alt+P reach them from either pane.
    auto pageAction = [this](const QString& caption, Qt::Key key, void (EditorWindow::*command)()) {
        auto* action = new QAction(caption, this);
        action->setShortcut(QKeySequence(Qt::ALT | key));
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, command);
    };
    pageAction(QStringLiteral("STF"), Qt::Key_T, &EditorWindow::showSongText);
    pageAction(QStringLiteral("Preview"), Qt::Key_P, &EditorWindow::showPreview);
}

void EditorWindow::CreateStatusStrip() {
    auto* strip = new QWidget(this);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 1, 0, 0);
    stripLayout->setSpacing(2);
    // The labels keep their classic widths unless the font needs more room for what
    // they show.
    auto label = [strip, stripLayout](const char* name, int width, const QString& hint,
                                      const QString& widest = QString()) {
        auto* panel = new QLabel(strip);
        if (width > 0 && !widest.isEmpty())
            width = std::max(width, panel->fontMetrics().horizontalAdvance(widest) + 10);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setToolTip(hint);
        panel->setStatusTip(hint);
        panel->setTextFormat(Qt::PlainText);
        if (width > 0) panel->setFixedWidth(width);
        stripLayout->addWidget(panel, width > 0 ? 0 : 1);
        return panel;
    };
    statusModified_ = label("statusModified", 64, QStringLiteral("Modified indicator"), QStringLiteral(" Modified"));
    statusLines_ =
        label("statusLines", 90, QStringLiteral("Total number of lines in the file"), QStringLiteral(" 99999 lines"));
    statusParagraphs_ = label("statusParagraphs", 89, QStringLiteral("Number of paragraphs in the song"),
                              QStringLiteral(" 9999 paragraphs"));
    statusTitle_ = label("statusTitle", 0, QStringLiteral("Title of the song as specified with @T"));
    strip->setFixedHeight(std::max(15, statusTitle_->fontMetrics().height() + 4));
    layout()->addWidget(strip);
}

void EditorWindow::CreateContextMenu() {
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName(QStringLiteral("contextMenu"));
    contextCut_ = contextMenu_->addAction(QStringLiteral("Cut"), this, &EditorWindow::cut);
    contextCopy_ = contextMenu_->addAction(QStringLiteral("Copy"), this, &EditorWindow::copy);
    contextPaste_ = contextMenu_->addAction(QStringLiteral("Paste"), this, &EditorWindow::paste);
    contextMenu_->menuAction()->setProperty("sonkoraHelpContext", HelpContext::General);
    connect(contextMenu_, &QMenu::aboutToShow, this, &EditorWindow::UpdateContextMenu);
    songText_->SetContextMenu(contextMenu_);
    preview_->SetContextMenu(contextMenu_);
}

void EditorWindow::ShowFileName(const QString& name) {
    setWindowTitle(name);
    // The frame shows "Sonkora - [song.stf]" while the window is maximized, with the
    // platform's mark of a modified document: the placeholder lives in the title of
    // the area's window, so that the editor's own title (the Window menu's entry) stays
    // the bare name.
    if (window_) {
        window_->setWindowTitle(name + QStringLiteral("[*]"));
        window_->setWindowModified(document_.IsModified());
    }
}

void EditorWindow::AttachWindow(QMdiSubWindow* window) {
    window_ = window;
    ShowFileName(windowTitle());
    normalRect_ = window->geometry();
    window->installEventFilter(this);
    // F1 on an item of the context menu opens its help, as in the menus.
    if (QWidget* main = window->window(); main && main != window) contextMenu_->installEventFilter(main);
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        const Qt::WindowStates state = window_->windowState();
        if (state & Qt::WindowMinimized)
            minimizedPosition_ = window_->pos();
        else if (!(state & Qt::WindowMaximized))
            normalRect_ = window_->geometry();
    }
    return QWidget::eventFilter(watched, event);
}

void EditorWindow::SetPaneFont(const QFont& font) {
    songText_->setFont(font);
    preview_->setFont(font);
}

QFont EditorWindow::PaneFont() const {
    return songText_->font();
}

QString EditorWindow::SongText() const {
    return songText_->Text();
}

// ---------------------------------------------------------------------------------
// Status strip and command enabling

void EditorWindow::UpdateStatus() {
    const bool modified = document_.IsModified();
    if (modified != shownModified_) {
        shownModified_ = modified;
        statusModified_->setText(modified ? QStringLiteral(" Modified") : QString());
        if (window_) window_->setWindowModified(modified);
    }
    const StatusCounts counts = CountStatus(PaneLines(songText_->Text()));
    statusLines_->setText(CountText(counts.Lines, QStringLiteral("line")));
    statusParagraphs_->setText(CountText(counts.Paragraphs, QStringLiteral("paragraph")));
    statusTitle_->setText(QLatin1Char(' ') + counts.Title);
}

bool EditorWindow::IsStfPage() const {
    return pages_->currentIndex() == 0;
}

bool EditorWindow::IsEditable() const {
    // While this window's song plays its song text is read-only: nothing may change it,
    // neither a key nor a command, or the highlight would no longer fit the text.
    return IsStfPage() && !songText_->isReadOnly();
}

bool EditorWindow::HasSelection() const {
    return activePane_ && activePane_->textCursor().hasSelection();
}

bool EditorWindow::CanUndo() const {
    return songText_->document()->isUndoAvailable();
}

bool EditorWindow::CanRedo() const {
    return songText_->document()->isRedoAvailable();
}

void EditorWindow::UpdateContextMenu() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool editable = IsEditable();
    contextCut_->setEnabled(HasSelection() && editable);
    contextCopy_->setEnabled(HasSelection());
    contextPaste_->setEnabled(clip && clip->hasText() && editable);
}

void EditorWindow::StateChanged() {
    UpdateContextMenu();
    if (services_) services_->EditorStateChanged(this);
}

// ---------------------------------------------------------------------------------
// Load and save

bool EditorWindow::LoadFile(const QString& path) {
    document_.SetPath(path);
    if (const auto problem = document_.Load(path)) {
        if (services_) services_->ErrorBox(*problem, HelpContext::General);
        return false;
    }
    untitled_ = false;
    ShowFileName(QFileInfo(path).fileName());
    if (!document_.LoadedUtf8Text().isEmpty()) OfferUtf8Conversion();
    shownModified_ = true;  // forces the label to be written
    songText_->moveCursor(QTextCursor::Start);
    UpdateStatus();
    return true;
}

void EditorWindow::OfferUtf8Conversion() {
    if (!services_ || services_->Batch()) return;
    QString message = QStringLiteral(
                          "%1 is written in UTF-8, while song texts use the Windows-1252 character set, "
                          "so its special letters show wrongly.")
                          .arg(windowTitle());
    const std::vector<UnmappedCharacter> unmapped = FindUnmappedCharacters(document_.LoadedUtf8Text());
    if (!unmapped.empty()) {
        message += QStringLiteral("\n\nLine %1 holds %2, which a song text cannot hold.")
                       .arg(unmapped.front().Line + 1)
                       .arg(DescribeCharacter(unmapped.front().Code));
        if (unmapped.size() > 1)
            message += QStringLiteral(" The text holds %1 more such characters.").arg(unmapped.size() - 1);
        message += QStringLiteral(" Change them before you save.");
    }
    message += QStringLiteral("\n\nConvert the text? It is saved in Windows-1252.");
    if (services_->QueryBox(message, HelpContext::SpecialLetters, false) == QMessageBox::Yes)
        document_.ConvertFromUtf8();
}

void EditorWindow::SetText(const QString& text) {
    songText_->setPlainText(text);
    document_.SetModified(false);
    UpdateStatus();
}

bool EditorWindow::ConfirmUnmappedCharacters(const QString& purpose) {
    const std::vector<UnmappedCharacter> unmapped = FindUnmappedCharacters(songText_->Text());
    if (unmapped.empty() || !services_) return true;
    const UnmappedCharacter& first = unmapped.front();
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
    if (services_->QueryBox(message, HelpContext::SpecialLetters, false) == QMessageBox::Yes) return true;
    if (!IsStfPage()) pages_->setCurrentIndex(0);
    songText_->Select(first.Position, first.Length);
    songText_->setFocus();
    return false;
}

void EditorWindow::ShowSavedCharacters() {
    // The file holds "?" for each character the code page cannot hold; the pane shows
    // the same, as one step Undo can take back.
    const std::vector<UnmappedCharacter> unmapped = FindUnmappedCharacters(songText_->Text());
    if (unmapped.empty()) return;
    QTextCursor cursor(songText_->document());
    cursor.beginEditBlock();
    for (auto it = unmapped.rbegin(); it != unmapped.rend(); ++it) {
        cursor.setPosition(it->Position);
        cursor.setPosition(it->Position + it->Length, QTextCursor::KeepAnchor);
        cursor.insertText(QString(it->Length, QLatin1Char('?')));
    }
    cursor.endEditBlock();
}

bool EditorWindow::Save() {
    const QString fileName = FileName();
    if (!fileName.isEmpty() && IsReadOnlyFile(fileName) && services_)
        services_->WarningBox(QStringLiteral("%1 is read only.").arg(QFileInfo(fileName).fileName()),
                              HelpContext::General);
    // A document that was never saved has no file yet: its name is chosen first.
    if (untitled_ || fileName.isEmpty() || IsReadOnlyFile(fileName)) return SaveAs();
    if (!ConfirmUnmappedCharacters(QStringLiteral("Save"))) return false;
    if (const auto problem = document_.Write(fileName)) {
        if (services_) services_->ErrorBox(*problem, HelpContext::General);
        return false;
    }
    ShowSavedCharacters();
    document_.SetModified(false);
    UpdateStatus();
    return true;
}

bool EditorWindow::SaveAs() {
    if (!services_) return false;
    // A new document is offered as untitled.stf in the folder the file dialogs used last.
    const QString proposal = untitled_ ? QFileInfo(FileName()).fileName() : FileName();
    const auto chosen = services_->AskSaveFileName(QStringLiteral("STF (*.stf)|*.stf"), QStringLiteral("Save As"),
                                                   HelpContext::Files, QStringLiteral("stf"), proposal);
    if (!chosen) return false;
    // The file dialog replaces files without asking, as it always has for a document
    // saved under another name; a new document would silently take the place of
    // another song text, though (two new songs saved one after the other).
    if (untitled_ && QFileInfo::exists(*chosen) &&
        services_->QueryBox(
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(*chosen).fileName()),
            HelpContext::General, false) != QMessageBox::Yes)
        return false;
    document_.SetPath(*chosen);
    untitled_ = false;
    ShowFileName(QFileInfo(*chosen).fileName());
    return Save();
}

bool EditorWindow::CloseQuery() {
    if (!document_.IsModified() || !services_) return true;
    const auto answer =
        services_->QueryBox(QStringLiteral("Save changes to '%1'?").arg(windowTitle()), HelpContext::General, true);
    if (answer == QMessageBox::Cancel) return false;
    // Closing after a save that did not happen (a write error, Save As cancelled)
    // would lose the text, so the window stays open then.
    if (answer == QMessageBox::Yes) return Save();
    return true;
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    // The window is deleted later, perhaps after the main window: from here on it no
    // longer belongs to it.
    if (services_) services_->EditorClosed(this);
    services_ = nullptr;
}

// ---------------------------------------------------------------------------------
// View settings and placement

void EditorWindow::SaveViewSettings(IniFile& ini, const std::string& prefix) {
    PersistentView::SaveViewSettings(ini, prefix);
    ini.WriteString(ViewSettingsSection, prefix + "FileName", FileName().toStdString());
}

void EditorWindow::LoadViewSettings(const IniFile& ini, const std::string& prefix) {
    PersistentView::LoadViewSettings(ini, prefix);
    const QString fileName = QString::fromStdString(ini.ReadString(ViewSettingsSection, prefix + "FileName", ""));
    document_.SetPath(fileName);
    untitled_ = fileName.isEmpty();
    if (!fileName.isEmpty() && FileExists(fileName.toStdString())) LoadFile(fileName);
}

WindowPlacement EditorWindow::GetPlacement() const {
    WindowPlacement placement;
    if (!window_) return placement;
    const Qt::WindowStates state = window_->windowState();
    placement.ShowCmd = state & Qt::WindowMinimized   ? ShowState::Minimized
                        : state & Qt::WindowMaximized ? ShowState::Maximized
                                                      : ShowState::Normal;
    placement.SetNormalRect(normalRect_.isValid() ? normalRect_ : window_->geometry());
    placement.MinPosition = minimizedPosition_;
    return placement;
}

void EditorWindow::SetPlacement(const WindowPlacement& placement) {
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

void EditorWindow::closeWindow() {
    if (window_)
        window_->close();
    else
        close();
}

void EditorWindow::saveDocument() {
    Save();
}

void EditorWindow::saveDocumentAs() {
    SaveAs();
}

void EditorWindow::printStf() {
    printing_->printStf();
}

void EditorWindow::printSongText() {
    printing_->printSongText();
}

void EditorWindow::printSetup() {
    printing_->printSetup();
}

void EditorWindow::undo() {
    if (IsEditable()) songText_->undo();
}

void EditorWindow::redo() {
    if (IsEditable()) songText_->redo();
}

void EditorWindow::cut() {
    if (IsEditable()) songText_->cut();
}

void EditorWindow::copy() {
    activePane_->copy();
}

void EditorWindow::paste() {
    if (IsEditable()) songText_->paste();
}

void EditorWindow::deleteSelection() {
    if (!IsEditable()) return;
    QTextCursor cursor = songText_->textCursor();
    cursor.removeSelectedText();
    songText_->setTextCursor(cursor);
}

void EditorWindow::selectAll() {
    activePane_->selectAll();
}

void EditorWindow::insertSpecialLetter() {
    if (!services_ || !IsEditable()) return;
    // The dialog leaves the letter on the clipboard; it goes in as Paste puts it.
    if (services_->PickSpecialLetter()) songText_->paste();
}

void EditorWindow::hyphenate() {
    if (!services_ || !IsEditable()) return;
    int skipped = 0;
    {
        GroupedEdits grouped(document_, *songText_->document());
        try {
            if (Hyphenation(grouped, compiler_, *ui_, services_->Environment().ProgramDirectory))
                skipped = grouped.SkippedWords;
        } catch (const std::exception& error) {
            ReportCompileFailure(error);
        }
    }
    compiler_.FreePreviewLines();
    UpdateStatus();
    if (skipped > 0 && services_)
        services_->InformationBox(
            QStringLiteral("%1 left without hyphens: %2 characters a song text cannot hold (Windows-1252). "
                           "Change them, or hyphenate those words by hand.")
                .arg(skipped == 1 ? QStringLiteral("1 word was") : QStringLiteral("%1 words were").arg(skipped),
                     skipped == 1 ? QStringLiteral("it holds") : QStringLiteral("they hold")),
            HelpContext::SpecialLetters);
}

void EditorWindow::find() {
    search_->find();
}

void EditorWindow::replace() {
    search_->replace();
}

void EditorWindow::findAgain() {
    search_->findAgain();
}

void EditorWindow::SetMidiFileLine(const QString& path) {
    // The name goes into the song text as bytes; a path the code page cannot spell
    // is warned about when the text is saved, like any other such character.
    sonkora::SetMidiFileLine(document_, PaneCharsToBytes(path));
    const std::vector<UnmappedCharacter> unmapped = FindUnmappedCharacters(path);
    if (!unmapped.empty()) {
        // The line was written with "?" in place of those characters; put the real
        // name back so that nothing is lost and the save warning can name them.
        for (int i = 0; i < document_.LineCount(); ++i) {
            if (document_.Line(i) == "\\m " + PaneCharsToBytes(path)) {
                QTextCursor cursor(songText_->document()->findBlockByNumber(i));
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(QStringLiteral("\\m ") + path);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------------
// Pages

void EditorWindow::ShowPage(int index) {
    if (pages_->currentIndex() != index) pages_->setCurrentIndex(index);
}

void EditorWindow::showSongText() {
    ShowPage(0);
}

void EditorWindow::showPreview() {
    ShowPage(1);
}

void EditorWindow::CurrentTabChanged(int index) {
    if (index == currentPage_ || changingPage_) return;
    changingPage_ = true;
    LeavingPage(currentPage_);
    currentPage_ = index;
    PageShown();
    changingPage_ = false;
}

}  // namespace sonkora
