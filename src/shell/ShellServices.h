#pragma once
// ShellServices: what the editor windows and dialogs ask of the program's main window,
// the message boxes, the file dialogs, the help, the settings and the one playback, so
// that none of them needs the main window itself.

#include <QFont>
#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace sonkora {

// The help topics only the program's own dialogs open, beside the shared ones.
namespace HelpContext {
inline constexpr int Files = 10001;      // the Open, Save As and Select MIDI file dialogs
inline constexpr int MidiSetup = 15003;  // Options, Midi Setup
}  // namespace HelpContext

class EditorWindow;
class MidiToolkit;
class PlaybackEditor;
class PlaybackEngine;
class VoiceTrackDialog;
struct ShellEnvironment;
struct ShellSettings;

class ShellServices {
public:
    // The window the dialogs and boxes belong to.
    virtual QWidget* DialogParent() = 0;

    // The shared boxes. Every one is modal to the main window and, with a help context,
    // carries a Help button that opens that topic while the box stays.
    virtual void ErrorBox(const QString& message, int helpContext) = 0;
    virtual void WarningBox(const QString& message, int helpContext) = 0;
    virtual void InformationBox(const QString& message, int helpContext) = 0;
    // Yes and No, and Cancel as well when `withCancel` is set.
    virtual QMessageBox::StandardButton QueryBox(const QString& message, int helpContext, bool withCancel) = 0;

    // The file dialogs. `filter` is "Description (*.ext)|*.ext[|...]"; the chosen name,
    // or nothing when the user cancelled. The save dialog refuses read-only files.
    virtual std::optional<QString> AskOpenFileName(const QString& filter, const QString& title, int helpContext,
                                                   const QString& defaultExtension) = 0;
    virtual std::optional<QString> AskSaveFileName(const QString& filter, const QString& title, int helpContext,
                                                   const QString& defaultExtension,
                                                   const QString& proposedName = {}) = 0;

    // Help: the topic of a context number; false when it cannot be shown.
    virtual bool ShowHelp(int helpContext) = 0;

    virtual const ShellEnvironment& Environment() const = 0;
    virtual ShellSettings& Settings() = 0;
    virtual QFont EditorFont() const = 0;
    // Set only while a batch run works through a folder: compiler messages are silent.
    virtual bool Batch() const = 0;
    // True while the batch run's item is in the Help menu.
    virtual bool BatchRunAvailable() const = 0;

    // The dialogs made when the program starts and kept until it ends.
    virtual std::optional<int> ChooseLanguage(const std::vector<std::string>& languages, int selected) = 0;
    // True when the user picked a special letter, which is then on the clipboard.
    virtual bool PickSpecialLetter() = 0;

    // Playback. Every failure is reported in an error box and leaves nothing playing.
    virtual bool Playing() const = 0;
    // The editor whose song plays; none during a track audition or the about box's tune.
    virtual PlaybackEditor* PlayingEditor() const = 0;
    virtual void PlaySong(const std::string& karFileName, PlaybackEditor* editor, bool fromCursor) = 0;
    // The same from a song time in ticks (a recording's pre-roll).
    virtual void PlaySongFrom(const std::string& karFileName, PlaybackEditor* editor, int32_t startTick) = 0;
    // Auditions one track (numbers from 1), together with the conductor track.
    virtual void PlayTrack(const std::string& fileName, int track) = 0;
    virtual void StopPlaying() = 0;
    virtual void CloseMidiOutput() = 0;
    virtual PlaybackEngine& Engine() = 0;
    virtual MidiToolkit& Toolkit() = 0;
    // The voice track dialog while one is open: an audition that ends clears its status.
    virtual void SetTrackDialog(VoiceTrackDialog* dialog) = 0;
    virtual VoiceTrackDialog* TrackDialog() const = 0;

    // An editor window's commands may have changed their enabling.
    virtual void EditorStateChanged(EditorWindow* editor) = 0;
    // An editor window goes: it is no longer listed and its song no longer plays.
    virtual void EditorClosed(EditorWindow* editor) = 0;

protected:
    ~ShellServices() = default;
};

}  // namespace sonkora
