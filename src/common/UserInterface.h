#pragma once
// The one seam between the core and whoever shows things to a person: the Qt shell,
// sonkorac, or a test. The core never shows anything itself; it asks through this.

#include <optional>
#include <string>
#include <vector>

namespace sonkora {

// Help context numbers used with message boxes and dialogs.
namespace HelpContext {
inline constexpr int None = 0;
inline constexpr int General = 20000;
inline constexpr int GettingStarted = 20002;
inline constexpr int AboutAndBatch = 20003;
inline constexpr int SongTextFormat = 20004;
inline constexpr int ErrorMessages = 25000;
inline constexpr int Import = 10006;
inline constexpr int SpecialLetters = 11006;
inline constexpr int Hyphenation = 11007;
inline constexpr int VoiceTrackSelection = 11008;
inline constexpr int Make = 13001;
inline constexpr int Play = 13002;
inline constexpr int PlayFromCursor = 13003;
inline constexpr int Stop = 13004;
inline constexpr int PlayInKaraokePlayer = 13005;
inline constexpr int Export = 13006;
inline constexpr int TimingByEar = 13007;
inline constexpr int LyricFormats = 13008;
inline constexpr int KaraokePlayer = 15001;
inline constexpr int Warnings = 15002;
}  // namespace HelpContext

enum class Answer { Yes, No, Cancel };

// A save dialog request: "Save file as" with a filter such as "STF files (*.stf)|*.stf".
struct SaveDialogRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension;
    std::string proposedName;
    int helpContext = HelpContext::General;
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Error box: error icon, OK (and Help when helpContext is not 0).
    virtual void ErrorBox(const std::string& message, int helpContext) = 0;
    // Information box: information icon, OK.
    virtual void InformationBox(const std::string& message, int helpContext) = 0;
    // Question box: warning icon, Yes and No; true when Yes was chosen.
    virtual bool QueryBox(const std::string& message, int helpContext) = 0;
    // Confirmation box: Yes, No and Cancel.
    virtual Answer ConfirmBox(const std::string& message, int helpContext) = 0;

    // The voice track dialog over a listed file. `items` are the list items as shown
    // ("%-3d  %s"); `fileName` lets the dialog audition the selected track. Returns the
    // chosen index (0-based) when the user confirmed with a non-empty list.
    virtual std::optional<int> SelectTrack(const std::string& fileName, const std::vector<std::string>& items) = 0;

    // The same dialog, told the track chunk each item stands for, so that its audition
    // plays the right one: a karaoke file's list leaves out its karaoke tracks, and those
    // holding nothing but lyrics. By default the dialog is shown with the items alone.
    virtual std::optional<int> SelectTrackOfChunks(const std::string& fileName, const std::vector<std::string>& items,
                                                   const std::vector<int>& /*chunks*/) {
        return SelectTrack(fileName, items);
    }

    // A save dialog; nothing when cancelled.
    virtual std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) = 0;

    // The hyphenation language dialog ("Hyphenation Language"): `languages` as listed,
    // `selected` preselected. The chosen index when the user confirmed with OK; nothing
    // on Cancel. A front end without this dialog answers as if it was cancelled.
    virtual std::optional<int> ChooseLanguage(const std::vector<std::string>& /*languages*/, int /*selected*/) {
        return std::nullopt;
    }

    // What an import had to change to fit what a file held into a song text, reported
    // once at its end. By default one information box lists them, one per line.
    virtual void ReportChanges(const std::string& fileName, const std::vector<std::string>& changes) {
        std::string message = "Imported " + fileName + " with these changes:";
        for (const std::string& change : changes) message += "\r" + change;
        InformationBox(message, HelpContext::Import);
    }

    // Set only while the frame's batch run works through a folder: the compiler's
    // messages and questions are then silent.
    virtual bool Batch() const = 0;
};

}  // namespace sonkora
