#include "hyphenation/LanguageList.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/FoldUpper.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "common/UserInterface.h"
#include "hyphenation/PatternFile.h"
#include "hyphenation/PatternFileCheck.h"

namespace sonkora {

namespace {

namespace fs = std::filesystem;

// The part of `s` after its first blank, or all of it when it has none.
std::string_view AfterBlank(std::string_view s) {
    const std::size_t blank = s.find(' ');
    return blank == std::string_view::npos ? s : s.substr(blank + 1);
}

std::string Substring(std::string_view s, std::size_t start, std::size_t length) {
    return start >= s.size() ? std::string() : std::string(s.substr(start, length));
}

bool HasPatternExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4) return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == "hyp";
}

}  // namespace

PatternIdentification ParseIdentification(std::string_view line) {
    std::string_view s = line.substr(0, PatternFile::IdentificationLength);
    if (const std::size_t at = s.find("Hyphenation"); at != std::string_view::npos) s = s.substr(at);
    s = AfterBlank(s);
    PatternIdentification id;
    const std::size_t blank = s.find(' ');
    if (blank == std::string_view::npos) {
        id.version = Substring(s, 1, 3);
    } else {
        id.version = Substring(s, blank + 2, 3);
        id.language = std::string(s.substr(0, blank));
    }
    return id;
}

bool LanguageMatches(std::string_view name, std::string_view songLanguage) {
    return FoldUpper(name.substr(0, 4)) == FoldUpper(songLanguage.substr(0, 4));
}

std::optional<int> FindLanguage(const std::vector<LanguageEntry>& entries, std::string_view songLanguage) {
    std::optional<int> found;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (LanguageMatches(entries[i].name, songLanguage)) found = static_cast<int>(i);
    }
    return found;
}

LanguageList BuildLanguageList(const std::string& directory, std::string_view songLanguage, UserInterface& ui) {
    // The folder's own order differs from one file system to the next; the names' order
    // gives the same list everywhere.
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) throw IoError(directory, error.message());
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code notAFile;  // a dangling link, for instance: not a pattern file
        if (HasPatternExtension(name) && it->is_regular_file(notAFile)) names.push_back(name);
    }
    if (error) throw IoError(directory, error.message());
    std::sort(names.begin(), names.end());

    LanguageList list;
    for (const std::string& name : names) {
        if (list.entries.size() >= MaxLanguages) break;
        // A file that cannot serve is left out of the list with a word why; the others
        // are still offered.
        std::string image;
        std::optional<PatternFileProblem> problem;
        try {
            image = ReadWholeFile(directory + name, PatternFile::ImageSize);
            problem = CheckPatternImage(image);
        } catch (const IoError& error) {
            // The message without the "FILE: " that IoError puts first.
            problem = PatternFileProblem{std::nullopt, std::string(error.what()).substr(error.FileName().size() + 2)};
        }
        if (problem && problem->wrongVersion) {
            ui.ErrorBox("Hyphenation pattern file " + name + " has an incorrect version number " +
                            *problem->wrongVersion + ". Version " + PatternFile::Version + " is required.",
                        HelpContext::ErrorMessages);
            continue;
        }
        if (problem) {
            ui.ErrorBox("Hyphenation pattern file " + name + " is left out: " + problem->text + ".",
                        HelpContext::ErrorMessages);
            continue;
        }
        const PatternIdentification id = ParseIdentification(image);
        list.entries.push_back({id.language, name});
        if (LanguageMatches(id.language, songLanguage)) list.defaultEntry = static_cast<int>(list.entries.size() - 1);
    }
    return list;
}

}  // namespace sonkora
