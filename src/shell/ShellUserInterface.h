#pragma once
// ShellUserInterface: the core's questions and messages, shown in the main window's boxes
// and dialogs.

#include <QString>

#include <string>

#include "common/UserInterface.h"

namespace sonkora {

class ShellServices;

// A message of the core as text for a person. Song texts and MIDI texts are
// Windows-1252 bytes; file names are the system's UTF-8. A message that reads as valid
// UTF-8 is taken as such, anything else through the code page table, so both kinds
// show as they were written.
QString MessageText(const std::string& bytes);

class ShellUserInterface : public UserInterface {
public:
    // `firstTrack`: the track the first line of a voice track list stands for, which the
    // track dialog auditions (1 in a MIDI file, 3 in a Soft Karaoke file).
    explicit ShellUserInterface(ShellServices& services, int firstTrack = 1)
        : services_(services), firstTrack_(firstTrack) {}

    void ErrorBox(const std::string& message, int helpContext) override;
    void InformationBox(const std::string& message, int helpContext) override;
    bool QueryBox(const std::string& message, int helpContext) override;
    Answer ConfirmBox(const std::string& message, int helpContext) override;
    std::optional<int> SelectTrack(const std::string& fileName, const std::vector<std::string>& items) override;
    std::optional<int> SelectTrackOfChunks(const std::string& fileName, const std::vector<std::string>& items,
                                           const std::vector<int>& chunks) override;
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) override;
    std::optional<int> ChooseLanguage(const std::vector<std::string>& languages, int selected) override;
    bool Batch() const override;

private:
    ShellServices& services_;
    int firstTrack_;
};

}  // namespace sonkora
