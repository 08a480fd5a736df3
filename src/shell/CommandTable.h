#pragma once
// The command table: every menu command of the program in one row, with its caption,
// shortcut, help context, status line hint, handler and enabling rule, and the tool
// bar's buttons beside it. The main window builds its menus and tool bar from these
// rows, so a new command is a new row (and its handler).

#include <QKeyCombination>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shell/ToolIcons.h"

namespace sonkora {

class EditorWindow;
class MainWindow;

// What the enabling rules look at: the main window's state and the active editor's.
struct CommandState {
    bool editorOpen = false;
    bool playing = false;
    bool playerSet = false;     // a custom karaoke player is set up
    bool songTextPage = false;  // the active editor shows its song text, not the preview
    bool editable = false;      // ... and that song text can be changed (no song of it plays)
    bool selection = false;     // the active pane has a selection
    bool clipboardText = false;
    bool undo = false;
    bool redo = false;
};

enum class MenuId { File, Edit, Search, Karaoke, Options, Window, Help, ExportAs, ExportKaraokeFile };

// The menu a submenu shows in (at the place of its first command); nothing for the menus
// of the menu bar.
constexpr std::optional<MenuId> ParentMenu(MenuId menu) {
    switch (menu) {
        case MenuId::ExportAs: return MenuId::Karaoke;
        case MenuId::ExportKaraokeFile: return MenuId::File;
        default: return std::nullopt;
    }
}

// Which variant of the menu bar a command shows in: the File menu differs with and
// without an editor window; the Edit, Search and Karaoke menus need one.
enum class Shown { Always, WithEditor };

// One command. Exactly one of the handlers is set: a command of the main window, or one
// that acts on the active editor window.
struct Command {
    MenuId menu;
    Shown shown;
    bool separatorBefore;
    const char* name;  // the action's object name
    const char* caption;
    QKeyCombination shortcut;
    int helpContext;
    const char* hint;
    void (MainWindow::*windowCommand)();
    void (EditorWindow::*editorCommand)();
    bool (*enabled)(const CommandState&);  // none: always enabled
};

struct MenuTitle {
    MenuId menu;
    const char* title;
    const char* hint;
};

// A tool button: the pop-up text before "|" in `hint`, the status line text after it.
struct ToolButton {
    ToolIcon icon;
    bool separatorBefore;
    const char* name;
    const char* hint;
    void (MainWindow::*windowCommand)();
    void (EditorWindow::*editorCommand)();
    bool (*enabled)(const CommandState&);
};

// A second shortcut of a command, by the command's name: what users of other desktop
// programs press (Ctrl+Y for Redo, Ctrl+Q to quit).
struct AlternateShortcut {
    const char* name;
    QKeyCombination shortcut;
};

// The rows, in MainWindowCommands.cpp.
std::span<const Command> Commands();
std::span<const AlternateShortcut> AlternateShortcuts();
std::span<const MenuTitle> MenuTitles();
std::span<const ToolButton> ToolButtons();

// Where the command of this name is found, as the user reads the menus:
// "midiSetup" -> "Options > Midi Setup...". Empty for a name that is not in the table.
std::string MenuPath(std::string_view commandName);

}  // namespace sonkora
