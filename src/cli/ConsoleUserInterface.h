#pragma once
// The user interface of sonkorac: message boxes become lines on the console, and the
// questions and dialogs are answered by what the command line said beforehand.
//
//   error boxes        -> standard error, after the place the message belongs to
//   information boxes  -> standard output
//   questions          -> standard error (each carriage return a line break, a closing
//                         "Continue?" left out), answered by SetQueryAnswer (Yes unless told)
//   track dialog       -> answered by SetTrackChoice (the dialog's list number, from 1)
//   save dialog        -> answered by SetSaveFileName

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/UserInterface.h"

namespace sonkora::cli {

class ConsoleUserInterface : public UserInterface {
public:
    ConsoleUserInterface(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    void ErrorBox(const std::string& message, int helpContext) override;
    void InformationBox(const std::string& message, int helpContext) override;
    bool QueryBox(const std::string& message, int helpContext) override;
    Answer ConfirmBox(const std::string& message, int helpContext) override;
    std::optional<int> SelectTrack(const std::string& fileName, const std::vector<std::string>& items) override;
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) override;
    // sonkorac reports everything, so the compiler's messages are never silenced.
    bool Batch() const override { return false; }

    void SetQueryAnswer(bool yes) { queryAnswer_ = yes; }
    void SetTrackChoice(std::optional<int> listNumber) { trackChoice_ = listNumber; }
    void SetSaveFileName(std::optional<std::string> name) { saveFileName_ = std::move(name); }

    // A box's text as console lines: carriage returns become line breaks, a question's
    // closing "Continue?" is dropped since nobody is asked, and control characters are
    // shown as "?" (TerminalSafe).
    static std::string ConsoleText(const std::string& message);

protected:
    // Where an error belongs, printed before it: "FILE: " or "FILE:LINE:COLUMN: ".
    virtual std::string ErrorPlace(const std::string& message) {
        (void)message;
        return {};
    }
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    bool queryAnswer_ = true;
    std::optional<int> trackChoice_;
    std::optional<std::string> saveFileName_;
};

}  // namespace sonkora::cli
