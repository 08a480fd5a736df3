#include "shell/CommandTable.h"

#include "common/UserInterface.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"

namespace sonkora {

namespace {

using M = MainWindow;
using E = EditorWindow;
using S = const CommandState&;
constexpr QKeyCombination None{};

bool EditorOpen(S s) {
    return s.editorOpen;
}
bool NotPlaying(S s) {
    return !s.playing;
}
bool CanPlay(S s) {
    return s.editorOpen && !s.playing;
}
bool CanStop(S s) {
    return s.editorOpen && s.playing;
}
bool CanRecord(S s) {
    return s.editable && !s.playing;
}
bool PlayerSet(S s) {
    return s.playerSet;
}
bool SongTextPage(S s) {
    return s.songTextPage;
}
bool Editable(S s) {
    return s.editable;
}
bool CanUndo(S s) {
    return s.undo && s.editable;
}
bool CanRedo(S s) {
    return s.redo && s.editable;
}
bool CanCut(S s) {
    return s.selection && s.editable;
}
bool CanCopy(S s) {
    return s.selection;
}
bool CanPaste(S s) {
    return s.clipboardText && s.editable;
}

// clang-format off
constexpr Command CommandRows[] = {
    // menu, shown, separator, name, caption, shortcut, help context, hint, handler, enabling
    {MenuId::File, Shown::Always, false, "newDocument", "&New", Qt::CTRL | Qt::Key_N, HelpContext::General,
     "Creates a new STF file and lets you select the MIDI file and voice track", &M::newDocument, nullptr, nullptr},
    {MenuId::File, Shown::Always, false, "openDocument", "&Open...", Qt::CTRL | Qt::Key_O, HelpContext::General,
     "Open an existing file", &M::openDocument, nullptr, nullptr},
    {MenuId::File, Shown::WithEditor, false, "closeWindow", "&Close", Qt::CTRL | Qt::Key_F4, HelpContext::General,
     "Close the active editor window", nullptr, &E::closeWindow, nullptr},
    {MenuId::File, Shown::WithEditor, true, "saveDocument", "&Save", Qt::CTRL | Qt::Key_S, HelpContext::General,
     "Save the file in the active editor window", nullptr, &E::saveDocument, nullptr},
    {MenuId::File, Shown::WithEditor, false, "saveDocumentAs", "Save &As...", None, HelpContext::General,
     "Save the file in the active editor window under a new name", nullptr, &E::saveDocumentAs, nullptr},
    {MenuId::File, Shown::Always, true, "importKaraoke", "&Import Karaoke...", None, HelpContext::Import,
     "Import the lyrics from an existing karaoke file", &M::importKaraoke, nullptr, nullptr},
    {MenuId::ExportKaraokeFile, Shown::Always, false, "exportKarAsLrc", "&LRC...", None, HelpContext::LyricFormats,
     "Export the lyrics of a karaoke file as LRC for music players", &M::exportKarAsLrc, nullptr, nullptr},
    {MenuId::ExportKaraokeFile, Shown::Always, false, "exportKarAsEnhancedLrc", "&Enhanced LRC...", None,
     HelpContext::LyricFormats, "Export the lyrics of a karaoke file as enhanced LRC for music players",
     &M::exportKarAsEnhancedLrc, nullptr, nullptr},
    {MenuId::ExportKaraokeFile, Shown::Always, false, "exportKarAsWebVtt", "&WebVTT...", None,
     HelpContext::LyricFormats, "Export the lyrics of a karaoke file as WebVTT captions", &M::exportKarAsWebVtt,
     nullptr, nullptr},
    {MenuId::ExportKaraokeFile, Shown::Always, false, "exportKarAsUltraStar", "&UltraStar...", None,
     HelpContext::LyricFormats, "Export a karaoke file for singing games: UltraStar notes with pitch, and its audio",
     &M::exportKarAsUltraStar, nullptr, nullptr},
    {MenuId::File, Shown::WithEditor, true, "printStf", "&Print STF...", Qt::CTRL | Qt::Key_P, HelpContext::General,
     "Print the complete contents of the active editor window", nullptr, &E::printStf, SongTextPage},
    {MenuId::File, Shown::WithEditor, false, "printSongText", "P&rint Song Text...", None, HelpContext::None,
     "Print only the song text of the active editor window", nullptr, &E::printSongText, SongTextPage},
    {MenuId::File, Shown::WithEditor, false, "printSetup", "Prin&t Setup...", None, HelpContext::General,
     "Select and set up a printer", nullptr, &E::printSetup, nullptr},
    {MenuId::File, Shown::Always, true, "exitProgram", "E&xit", Qt::ALT | Qt::Key_X, HelpContext::General,
     "Exit Sonkora", &M::exitProgram, nullptr, nullptr},

    {MenuId::Edit, Shown::WithEditor, false, "undo", "&Undo", Qt::CTRL | Qt::Key_Z, HelpContext::General,
     "Undo the previous editor operation", nullptr, &E::undo, CanUndo},
    {MenuId::Edit, Shown::WithEditor, false, "redo", "&Redo", Qt::CTRL | Qt::SHIFT | Qt::Key_Z, HelpContext::General,
     "Redo the editor operation that was undone", nullptr, &E::redo, CanRedo},
    {MenuId::Edit, Shown::WithEditor, true, "cut", "Cu&t", Qt::CTRL | Qt::Key_X, HelpContext::General,
     "Remove the selected text and put in the clipboard", nullptr, &E::cut, CanCut},
    {MenuId::Edit, Shown::WithEditor, false, "copy", "&Copy", Qt::CTRL | Qt::Key_C, HelpContext::General,
     "Copy the selected text to the clipboard", nullptr, &E::copy, CanCopy},
    {MenuId::Edit, Shown::WithEditor, false, "paste", "&Paste", Qt::CTRL | Qt::Key_V, HelpContext::General,
     "Insert text from the clipboard at the cursor position", nullptr, &E::paste, CanPaste},
    {MenuId::Edit, Shown::WithEditor, false, "deleteSelection", "De&lete", None, HelpContext::General,
     "Delete the selected text", nullptr, &E::deleteSelection, CanCut},
    {MenuId::Edit, Shown::WithEditor, true, "selectAll", "Select &All", Qt::CTRL | Qt::Key_A, HelpContext::General,
     "Select all text in the active editor window", nullptr, &E::selectAll, nullptr},
    {MenuId::Edit, Shown::WithEditor, true, "insertSpecialLetter", "&Special Letters...", QKeyCombination(Qt::Key_F4),
     HelpContext::SpecialLetters, "Insert a special letter in the text", nullptr, &E::insertSpecialLetter, Editable},
    {MenuId::Edit, Shown::WithEditor, true, "hyphenate", "&Hyphenation...", QKeyCombination(Qt::Key_F5),
     HelpContext::Hyphenation, "Automatic hyphenation of the text in the active editor window", nullptr,
     &E::hyphenate, Editable},
    {MenuId::Edit, Shown::WithEditor, true, "selectVoiceTrack", "&Voice Track Selection...",
     QKeyCombination(Qt::Key_F6), HelpContext::VoiceTrackSelection,
     "Select the voice track for the karaoke file in the active editor window", nullptr, &E::selectVoiceTrack,
     Editable},

    {MenuId::Search, Shown::WithEditor, false, "find", "&Find...", Qt::CTRL | Qt::Key_F, HelpContext::General,
     "Search for text", nullptr, &E::find, SongTextPage},
    {MenuId::Search, Shown::WithEditor, false, "replace", "&Replace...", Qt::CTRL | Qt::Key_H, HelpContext::General,
     "Search and replace text", nullptr, &E::replace, Editable},
    {MenuId::Search, Shown::WithEditor, false, "findAgain", "Find &Again", QKeyCombination(Qt::Key_F3),
     HelpContext::General, "Repeat last search or replace", nullptr, &E::findAgain, SongTextPage},

    {MenuId::Karaoke, Shown::WithEditor, false, "makeKaraoke", "&Make", QKeyCombination(Qt::Key_F8),
     HelpContext::Make, "Make a karaoke file of the active editor window", nullptr, &E::makeKaraoke, nullptr},
    {MenuId::Karaoke, Shown::WithEditor, false, "play", "&Play", QKeyCombination(Qt::Key_F9), HelpContext::Play,
     "Make and play the karaoke file in the active editor window", nullptr, &E::play, CanPlay},
    {MenuId::Karaoke, Shown::WithEditor, false, "playFromCursor", "Play &From Cursor", QKeyCombination(Qt::Key_F7),
     HelpContext::PlayFromCursor,
     "Play the karaoke file in the active editor window from the line containing the cursor", nullptr,
     &E::playFromCursor, CanPlay},
    {MenuId::Karaoke, Shown::WithEditor, false, "stop", "&Stop", QKeyCombination(Qt::Key_Escape), HelpContext::Stop,
     "Stop playing", nullptr, &E::stop, CanStop},
    {MenuId::Karaoke, Shown::WithEditor, true, "playInKaraokePlayer", "Play In &Karaoke Player", None,
     HelpContext::PlayInKaraokePlayer, "Make and play the karaoke file in a custom karaoke player", nullptr,
     &E::playInKaraokePlayer, PlayerSet},
    {MenuId::Karaoke, Shown::WithEditor, true, "recordTiming", "&Record Timing", Qt::CTRL | Qt::Key_R,
     HelpContext::TimingByEar,
     "Play the song from before the syllable at the cursor and time each syllable with a press of Space", nullptr,
     &E::recordTiming, CanRecord},
    {MenuId::Karaoke, Shown::WithEditor, false, "shiftTimeCodes", "S&hift Time Codes...", None,
     HelpContext::TimingByEar, "Move every time code of the selection or of the whole text by the same amount",
     nullptr, &E::shiftTimeCodes, Editable},
    {MenuId::ExportAs, Shown::WithEditor, true, "exportMidi", "&MIDI With Lyrics", None,
     HelpContext::Export, "Export the STF text as a MIDI file with lyrics", nullptr, &E::exportMidi, nullptr},
    {MenuId::ExportAs, Shown::WithEditor, false, "exportLrc", "&LRC...", None, HelpContext::LyricFormats,
     "Export the lyrics as LRC, one time a line, for music players", nullptr, &E::exportLrc, nullptr},
    {MenuId::ExportAs, Shown::WithEditor, false, "exportEnhancedLrc", "&Enhanced LRC...", None,
     HelpContext::LyricFormats, "Export the lyrics as enhanced LRC, one time a syllable, for music players",
     nullptr, &E::exportEnhancedLrc, nullptr},
    {MenuId::ExportAs, Shown::WithEditor, false, "exportWebVtt", "&WebVTT...", None, HelpContext::LyricFormats,
     "Export the lyrics as WebVTT captions for video players and web pages", nullptr, &E::exportWebVtt, nullptr},
    {MenuId::ExportAs, Shown::WithEditor, false, "exportUltraStar", "&UltraStar...", None,
     HelpContext::LyricFormats, "Export the song for singing games: UltraStar notes with pitch, and its audio",
     nullptr, &E::exportUltraStar, nullptr},

    {MenuId::Options, Shown::Always, false, "midiSetup", "&Midi Setup...", None, HelpContext::General,
     "Select Midi output device", &M::midiSetup, nullptr, NotPlaying},
    {MenuId::Options, Shown::Always, false, "karaokePlayerSetup", "&Karaoke Player...", None,
     HelpContext::KaraokePlayer, "Set up custom karaoke player", &M::karaokePlayerSetup, nullptr, nullptr},
    {MenuId::Options, Shown::Always, false, "timingSetup", "&Timing By Ear...", None, HelpContext::TimingByEar,
     "Set the snap window, latency and pre-roll of Record Timing", &M::timingSetup, nullptr, nullptr},
    {MenuId::Options, Shown::Always, true, "chooseFont", "&Font...", None, HelpContext::None,
     "Select the editor font", &M::chooseFont, nullptr, nullptr},
    {MenuId::Options, Shown::Always, false, "warningsSetup", "&Warnings...", None, HelpContext::Warnings,
     "Configure warnings given during making of karaoke files", &M::warningsSetup, nullptr, nullptr},

    {MenuId::Window, Shown::Always, false, "tileWindows", "&Tile", None, HelpContext::General,
     "Tile windows on the desktop", &M::tileWindows, nullptr, EditorOpen},
    {MenuId::Window, Shown::Always, false, "cascadeWindows", "&Cascade", None, HelpContext::General,
     "Cascade windows on the desktop", &M::cascadeWindows, nullptr, EditorOpen},
    {MenuId::Window, Shown::Always, false, "arrangeIcons", "&Arrange Icons", None, HelpContext::General,
     "Arrange all iconized windows", &M::arrangeIcons, nullptr, EditorOpen},

    {MenuId::Help, Shown::Always, false, "helpContents", "&Contents", None, HelpContext::General,
     "Display contents of online help", &M::helpContents, nullptr, nullptr},
    {MenuId::Help, Shown::Always, false, "helpTopicSearch", "&Topic Search", None, HelpContext::General,
     "Search help index for keyword", &M::helpTopicSearch, nullptr, nullptr},
    {MenuId::Help, Shown::Always, true, "helpGettingStarted", "&Getting Started", None, HelpContext::General,
     "Display online help about creating karaoke files", &M::helpGettingStarted, nullptr, nullptr},
    {MenuId::Help, Shown::Always, false, "helpSongTextFormat", "&Song Text Format", None, HelpContext::General,
     "Display online help about the Song Text Format", &M::helpSongTextFormat, nullptr, nullptr},
    {MenuId::Help, Shown::Always, false, "helpErrorMessages", "&Error messages", None, HelpContext::General,
     "Display online help about the error messages", &M::helpErrorMessages, nullptr, nullptr},
    {MenuId::Help, Shown::Always, true, "about", "&About...", None, HelpContext::AboutAndBatch,
     "Display version and copyright information", &M::about, nullptr, nullptr},
    // Shown only when the batch folder exists at start.
    {MenuId::Help, Shown::Always, false, "runBatch", "Test &Sonkora", None, HelpContext::AboutAndBatch,
     "Test Sonkora", &M::runBatch, nullptr, nullptr},
};

constexpr AlternateShortcut AlternateShortcutRows[] = {
    {"redo", Qt::CTRL | Qt::Key_Y},
    {"exitProgram", Qt::CTRL | Qt::Key_Q},
};

constexpr MenuTitle MenuTitleRows[] = {
    {MenuId::File, "&File", "File management commands"},
    {MenuId::Edit, "&Edit", "Undo editor operations and clipboard access"},
    {MenuId::Search, "&Search", "Text search commands"},
    {MenuId::Karaoke, "&Karaoke", "Make or play karaoke files"},
    {MenuId::Options, "&Options", "Options"},
    {MenuId::ExportAs, "&Export As", "Export the song text as a MIDI file or as lyrics for other players"},
    {MenuId::ExportKaraokeFile, "Export &Karaoke File As", "Export the lyrics of a karaoke file for other players"},
    {MenuId::Window, "&Window", "Manipulate and access active editor windows"},
    {MenuId::Help, "&Help", "Access online help"},
};

constexpr ToolButton ToolButtonRows[] = {
    {ToolIcon::New, false, "newButton", "New|Open an empty editor window", &M::newDocument, nullptr, nullptr},
    {ToolIcon::Open, false, "openButton", "Open file|Open an existing file", &M::openDocument, nullptr, nullptr},
    {ToolIcon::Save, false, "saveButton", "Save file|Save the file in the active editor window", nullptr,
     &E::saveDocument, EditorOpen},
    {ToolIcon::SpecialLetters, true, "specialLettersButton", "Special letters|Insert a special letter in the text",
     nullptr, &E::insertSpecialLetter, Editable},
    {ToolIcon::Hyphenation, false, "hyphenationButton",
     "Hyphenation|Automatic hyphenation of the text in the active editor window", nullptr, &E::hyphenate, Editable},
    {ToolIcon::Make, true, "makeButton", "Make|Make a karaoke file of the active editor window", nullptr,
     &E::makeKaraoke, EditorOpen},
    {ToolIcon::Play, false, "playButton", "Play|Make and play the karaoke file in the active editor window", nullptr,
     &E::play, CanPlay},
    {ToolIcon::PlayFromCursor, false, "playFromCursorButton",
     "Play from cursor|Play the karaoke file in the active editor window from the line containing the cursor",
     nullptr, &E::playFromCursor, CanPlay},
    // Stop also ends a track audition or the about box's tune, which play without an
    // editor; with no editor open the button has nothing to show it on.
    {ToolIcon::Stop, false, "stopButton", "Stop|Stop playing", &M::StopPlaying, nullptr, CanStop},
    {ToolIcon::RecordTiming, false, "recordTimingButton",
     "Record timing|Play the song and time each syllable with a press of Space", nullptr, &E::recordTiming,
     CanRecord},
    {ToolIcon::PlayInPlayer, true, "playInPlayerButton",
     "Play in custom karaoke player|Make and play the karaoke file in a custom karaoke player", nullptr,
     &E::playInKaraokePlayer, PlayerSet},
};
// clang-format on

}  // namespace

std::span<const Command> Commands() {
    return CommandRows;
}

std::span<const AlternateShortcut> AlternateShortcuts() {
    return AlternateShortcutRows;
}

std::span<const MenuTitle> MenuTitles() {
    return MenuTitleRows;
}

std::span<const ToolButton> ToolButtons() {
    return ToolButtonRows;
}

std::string MenuPath(std::string_view commandName) {
    auto plain = [](std::string_view caption) {
        std::string text;
        for (char c : caption)
            if (c != '&') text += c;
        return text;
    };
    for (const Command& command : CommandRows) {
        if (command.name != commandName) continue;
        std::string path = plain(command.caption);
        for (std::optional<MenuId> menu = command.menu; menu; menu = ParentMenu(*menu))
            for (const MenuTitle& title : MenuTitleRows)
                if (title.menu == *menu) path = plain(title.title) + " > " + path;
        return path;
    }
    return {};
}

}  // namespace sonkora
