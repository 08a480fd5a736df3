#pragma once
// A user who reads every error and information box (kept with its help context, in
// order) and says yes to every question; dialogs are cancelled unless a test says more.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/UserInterface.h"

namespace sonkora::test {

class RecordingUser : public UserInterface {
public:
    void ErrorBox(const std::string& message, int help) override { errors.emplace_back(message, help); }
    void InformationBox(const std::string& message, int help) override { errors.emplace_back(message, help); }
    bool QueryBox(const std::string&, int) override { return true; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>&) override {
        return std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return false; }

    std::vector<std::pair<std::string, int>> errors;
};

}  // namespace sonkora::test
