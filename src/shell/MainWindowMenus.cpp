// The main window's menus, tool bar and status bar, made from the command table, and
// the enabling of every command.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include <algorithm>
#include <utility>
#include <vector>

#include "common/UserInterface.h"
#include "shell/CommandTable.h"
#include "shell/EditorWindow.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/ToolIcons.h"

namespace sonkora {

namespace {

const char* const HelpContextProperty = "sonkoraHelpContext";

}  // namespace

void MainWindow::CreateMenus() {
    fileMenu_ = BuildMenu(MenuId::File, false);
    editorFileMenu_ = BuildMenu(MenuId::File, true);
    editMenu_ = BuildMenu(MenuId::Edit, true);
    searchMenu_ = BuildMenu(MenuId::Search, true);
    karaokeMenu_ = BuildMenu(MenuId::Karaoke, true);
    optionsMenu_ = BuildMenu(MenuId::Options, false);
    windowMenu_ = BuildMenu(MenuId::Window, false);
    helpMenu_ = BuildMenu(MenuId::Help, false);
    AddRecentMenus();
    windowCommands_ = windowMenu_->actions();
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::FillWindowMenu);
    FillWindowMenu();
    findChild<QAction*>(QStringLiteral("runBatch"))
        ->setVisible(QFileInfo(QString::fromStdString(environment_.BatchDirectory())).isDir());
}

QMenu* MainWindow::BuildMenu(MenuId id, bool withEditor, QWidget* parent) {
    const auto title = std::find_if(MenuTitles().begin(), MenuTitles().end(),
                                    [id](const MenuTitle& entry) { return entry.menu == id; });
    auto* menu = new QMenu(QString::fromLatin1(title->title), parent ? parent : this);
    menu->menuAction()->setStatusTip(QString::fromLatin1(title->hint));
    menu->menuAction()->setProperty(HelpContextProperty, HelpContext::General);
    menu->installEventFilter(this);
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
    // A submenu's commands go into it, the submenu made at the place of its first one.
    std::vector<std::pair<MenuId, QMenu*>> submenus;
    for (const Command& command : Commands()) {
        if (command.shown == Shown::WithEditor && !withEditor) continue;
        if (command.menu != id) {
            if (ParentMenu(command.menu) != id) continue;
            auto made = std::find_if(submenus.begin(), submenus.end(),
                                     [&command](const auto& entry) { return entry.first == command.menu; });
            if (made == submenus.end()) {
                if (command.separatorBefore && !menu->isEmpty()) menu->addSeparator();
                QMenu* submenu = BuildMenu(command.menu, withEditor, menu);
                menu->addMenu(submenu);
                submenus.emplace_back(command.menu, submenu);
            }
            continue;
        }
        if (command.separatorBefore && !menu->isEmpty()) menu->addSeparator();
        menu->addAction(ActionFor(command));
    }
    return menu;
}

QAction* MainWindow::ActionFor(const Command& command) {
    for (const auto& [row, action] : commandActions_)
        if (row == &command) return action;
    auto* action = new QAction(QString::fromLatin1(command.caption), this);
    action->setObjectName(QString::fromLatin1(command.name));
    QList<QKeySequence> shortcuts;
    if (command.shortcut.key() != Qt::Key(0)) shortcuts << QKeySequence(command.shortcut);
    for (const AlternateShortcut& alternate : AlternateShortcuts())
        if (qstrcmp(alternate.name, command.name) == 0) shortcuts << QKeySequence(alternate.shortcut);
    action->setShortcuts(shortcuts);
    action->setStatusTip(QString::fromLatin1(command.hint));
    action->setProperty(HelpContextProperty, command.helpContext);
    if (command.windowCommand)
        connect(action, &QAction::triggered, this, command.windowCommand);
    else
        connect(action, &QAction::triggered, this, [this, &command] { RunOnActiveEditor(command.editorCommand); });
    commandActions_.emplace_back(&command, action);
    return action;
}

void MainWindow::CreateToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setIconSize(QSize(24, 24));
    for (const ToolButton& button : ToolButtons()) {
        const QString hint = QString::fromLatin1(button.hint);
        const qsizetype split = hint.indexOf(QLatin1Char('|'));
        if (button.separatorBefore) bar->addSeparator();
        auto* action = new QAction(MakeToolIcon(button.icon), hint.left(split), this);
        action->setObjectName(QString::fromLatin1(button.name));
        action->setToolTip(hint.left(split));
        action->setStatusTip(hint.mid(split + 1));
        bar->addAction(action);
        if (button.windowCommand)
            connect(action, &QAction::triggered, this, button.windowCommand);
        else
            connect(action, &QAction::triggered, this,
                    [this, command = button.editorCommand] { RunOnActiveEditor(command); });
        toolActions_.emplace_back(action, button.enabled);
    }
}

void MainWindow::CreateStatusBar() {
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setMinimumWidth(100);
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("gauge"));
    gauge_->setFixedWidth(123);
    gauge_->setRange(0, 1);
    gauge_->setValue(0);
    gauge_->setTextVisible(false);  // until a song plays
    gauge_->setAlignment(Qt::AlignCenter);
    gauge_->setStyleSheet(
        QStringLiteral("QProgressBar { background: silver; border: 1px solid gray; font-weight: bold; color: black; }"
                       "QProgressBar::chunk { background: blue; }"));
    // Without a working output the program still starts; this says so until one works.
    outputStatus_ = new QLabel(this);
    outputStatus_->setObjectName(QStringLiteral("outputStatus"));
    outputStatus_->hide();
    statusBar()->addWidget(statusLine_, 1);
    statusBar()->addPermanentWidget(outputStatus_);
    statusBar()->addPermanentWidget(gauge_);
    statusBar()->setSizeGripEnabled(true);
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::ShowHint(const QString& hint) {
    if (statusLine_) statusLine_->setText(hint);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The dialog that holds the help window closes: the help window stays open and
    // outlives it, handed to the modal dialog beneath (a box's dialog), else the program's own again.
    if (event->type() == QEvent::Hide && help_ && watched == help_->parentWidget()) {
        watched->removeEventFilter(this);
        QWidget* beneath = QApplication::activeModalWidget();
        const bool usable = beneath && beneath != watched && beneath != help_ && !help_->isAncestorOf(beneath) &&
                            !static_cast<QWidget*>(watched)->isAncestorOf(beneath);
        SetHelpOwner(usable ? beneath : nullptr);
        if (usable) beneath->installEventFilter(this);
    }
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

void MainWindow::MergeMenus() {
    QMenuBar* bar = menuBar();
    bar->clear();
    if (ActiveEditor()) {
        for (QMenu* menu : {editorFileMenu_, editMenu_, searchMenu_, karaokeMenu_}) bar->addMenu(menu);
    } else {
        bar->addMenu(fileMenu_);
    }
    for (QMenu* menu : {optionsMenu_, windowMenu_, helpMenu_}) bar->addMenu(menu);
}

void MainWindow::FillWindowMenu() {
    windowMenu_->clear();
    windowMenu_->addActions(windowCommands_);
    // The editor windows in the order they were opened, the active one checked.
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    windowMenu_->addSeparator();
    EditorWindow* active = ActiveEditor();
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        auto* editor = qobject_cast<EditorWindow*>(window->widget());
        if (!editor) continue;
        QString caption = editor->windowTitle();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(caption)
                                         : QStringLiteral("%1 %2").arg(number).arg(caption);
        QAction* action = windowMenu_->addAction(text);
        action->setCheckable(true);
        action->setChecked(editor == active);
        action->setStatusTip(QStringLiteral("Activate this window"));
        connect(action, &QAction::triggered, this, [this, window] {
            if (window->isMinimized()) window->showNormal();
            mdiArea_->setActiveSubWindow(window);
        });
        ++number;
    }
}

CommandState MainWindow::CurrentState() const {
    CommandState state;
    state.editorOpen = !childOrder_.empty();
    state.playing = Playing();
    state.playerSet = !settings_.KaraokePlayer.empty();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    state.clipboardText = clip && clip->hasText();
    if (EditorWindow* editor = ActiveEditor()) {
        state.songTextPage = editor->IsStfPage();
        state.editable = editor->IsEditable();
        state.selection = editor->HasSelection();
        state.undo = editor->CanUndo();
        state.redo = editor->CanRedo();
    }
    return state;
}

void MainWindow::UpdateCommands() {
    if (toolActions_.empty()) return;  // still being built
    const CommandState state = CurrentState();
    for (const auto& [command, action] : commandActions_)
        if (command->enabled) action->setEnabled(command->enabled(state));
    for (const auto& [action, enabled] : toolActions_)
        if (enabled) action->setEnabled(enabled(state));
}

void MainWindow::UpdateFrameControls() {
    UpdateCommands();
    for (EditorWindow* editor : childOrder_) editor->UpdateContextMenu();
    ShowDeviceProblem();
}

void MainWindow::EditorStateChanged(EditorWindow* editor) {
    if (editor == ActiveEditor()) UpdateCommands();
}

void MainWindow::RunOnActiveEditor(void (EditorWindow::*command)()) {
    if (EditorWindow* editor = ActiveEditor()) (editor->*command)();
}

}  // namespace sonkora
