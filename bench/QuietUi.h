#pragma once
// The user interface of a benchmark: says yes to every question, picks the first track,
// and prints errors, so a benchmark that goes wrong says why instead of timing nothing.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/UserInterface.h"

namespace sonkora::bench {

class QuietUi : public UserInterface {
public:
    void ErrorBox(const std::string& message, int) override { std::cerr << "error: " << message << "\n"; }
    void InformationBox(const std::string&, int) override {}
    bool QueryBox(const std::string&, int) override { return true; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>&) override { return 0; }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return false; }
};

}  // namespace sonkora::bench
