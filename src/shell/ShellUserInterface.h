#pragma once
// The core's questions and messages, shown by the frame's boxes and dialogs; and what a
// compilation asks of the editor window it ran for.

#include <QString>

#include <string>

#include "common/UserInterface.h"
#include "compiler/CompileHost.h"

namespace sonkora {

class TFrameForm;
class TEditForm;

// A message of the core as text for a person. Song texts and MIDI texts are
// Windows-1252 bytes; file names are the system's UTF-8. A message that reads as valid
// UTF-8 is taken as such, anything else through the code page table, so both kinds
// show as they were written.
QString MessageText(const std::string& bytes);

class TShellUserInterface : public UserInterface {
public:
    // `firstTrack`: the track the first line of a voice track list stands for, which the
    // track dialog auditions (1 in a MIDI file, 3 in a Soft Karaoke file).
    explicit TShellUserInterface(TFrameForm& frame, int firstTrack = 1) : frame_(frame), firstTrack_(firstTrack) {}

    void ErrorBox(const std::string& message, int helpContext) override;
    void InformationBox(const std::string& message, int helpContext) override;
    bool QueryBox(const std::string& message, int helpContext) override;
    Answer ConfirmBox(const std::string& message, int helpContext) override;
    std::optional<int> SelectTrack(const std::string& fileName, const std::vector<std::string>& items) override;
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) override;
    std::optional<int> ChooseLanguage(const std::vector<std::string>& languages, int selected) override;
    bool Batch() const override;

private:
    TFrameForm& frame_;
    int firstTrack_;
};

class TEditorCompileHost : public CompileHost {
public:
    TEditorCompileHost(TFrameForm& frame, TEditForm& editor) : frame_(frame), editor_(editor) {}

    CompilerSettings Settings() const override;
    void TakePreviewLines(const std::vector<std::string>& lines) override;
    void StopPlayback() override;
    void PlaySong(const std::string& karFileName, bool fromCursor) override;
    bool StartProgram(const std::string& program, const std::string& parameters,
                      const std::string& workingDirectory) override;

private:
    TFrameForm& frame_;
    TEditForm& editor_;
};

}  // namespace sonkora
