#include "cli/ConsoleUserInterface.h"

#include <string_view>

#include "common/TerminalText.h"

namespace sonkora::cli {

std::string ConsoleUserInterface::ConsoleText(const std::string& message) {
    std::string_view text = message;
    constexpr std::string_view question = "Continue?";
    if (text.size() >= question.size() && text.substr(text.size() - question.size()) == question)
        text.remove_suffix(question.size());
    std::string lines;
    for (const char c : text) lines += c == '\r' ? '\n' : c;
    if (lines.empty() || lines.back() != '\n') lines += '\n';
    // Messages quote song texts and file names, which may hold control characters.
    return TerminalSafe(lines, LineBreaks::Keep);
}

void ConsoleUserInterface::ErrorBox(const std::string& message, int /*helpContext*/) {
    err_ << TerminalSafe(ErrorPlace(message)) << ConsoleText(message) << std::flush;
}

void ConsoleUserInterface::InformationBox(const std::string& message, int /*helpContext*/) {
    out_ << ConsoleText(message) << std::flush;
}

bool ConsoleUserInterface::QueryBox(const std::string& message, int /*helpContext*/) {
    err_ << ConsoleText(message) << std::flush;
    return queryAnswer_;
}

Answer ConsoleUserInterface::ConfirmBox(const std::string& message, int /*helpContext*/) {
    err_ << ConsoleText(message) << std::flush;
    return queryAnswer_ ? Answer::Yes : Answer::No;
}

std::optional<int> ConsoleUserInterface::SelectTrack(const std::string& fileName,
                                                     const std::vector<std::string>& items) {
    if (!trackChoice_) return std::nullopt;
    const int number = *trackChoice_;
    if (number < 1 || static_cast<size_t>(number) > items.size()) {
        err_ << TerminalSafe(fileName) << ": --track " << number << " is not in the list of " << items.size()
             << " tracks\n"
             << std::flush;
        return std::nullopt;
    }
    return number - 1;
}

std::optional<std::string> ConsoleUserInterface::AskSaveFileName(const SaveDialogRequest& /*request*/) {
    return saveFileName_;
}

}  // namespace sonkora::cli
