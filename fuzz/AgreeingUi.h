#pragma once
// What the file-writing fuzz targets share: a user who says Yes to every question and
// picks the voice track the data chose, and reading back what a target wrote.

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/UserInterface.h"

namespace sonkora::fuzz {

class AgreeingUi : public UserInterface {
public:
    explicit AgreeingUi(int track) : track_(track) {}
    void ErrorBox(const std::string& message, int) override { lastError_ = message; }
    void InformationBox(const std::string&, int) override {}
    bool QueryBox(const std::string&, int) override { return true; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        if (items.empty()) return std::nullopt;
        return track_ % static_cast<int>(items.size());
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return true; }

    // The last error shown, emptied.
    std::string TakeError() { return std::exchange(lastError_, {}); }

private:
    int track_;
    std::string lastError_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace sonkora::fuzz
