#pragma once
// The languages the hyphenation command offers: one entry per pattern file ("*.hyp") in
// the program's folder, named by the file's identification line.
//
// The identification line is the first 63 bytes of the file; the language name follows
// the word "Hyphenation" and a blank, and the version stands two characters after the
// next blank:
//   "Sonkora Hyphenation ENGLISH V2.0"  ->  language "ENGLISH", version "2.0"
//   "Sonkora Hyphenation ENGLISH"       ->  no second blank: version "NGL", refused
//
// A song text's "@L" line preselects a language when the first four letters agree,
// compared through FoldUpper: "@LENGL" and "@Lenglish" both pick "ENGLISH".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonkora {

class UserInterface;

struct PatternIdentification {
    std::string language;
    std::string version;
};

// Reads the language and version out of an identification line (at most 63 bytes are
// looked at).
PatternIdentification ParseIdentification(std::string_view line);

struct LanguageEntry {
    std::string name;
    std::string fileName;  // without the folder
};

struct LanguageList {
    std::vector<LanguageEntry> entries;
    int defaultEntry = 0;  // the preselected entry; 0 when nothing matched
};

inline constexpr std::size_t MaxLanguages = 25;

// True when the first four letters of a language name and of a song text's language
// agree after FoldUpper.
bool LanguageMatches(std::string_view name, std::string_view songLanguage);

// The index of the last entry that matches `songLanguage`, if any.
std::optional<int> FindLanguage(const std::vector<LanguageEntry>& entries, std::string_view songLanguage);

// Lists the pattern files of `directory` (which ends with a separator) in the order of
// their file names, up to 25 of them. A file whose version is not "2.0", or that cannot
// be read or fails CheckPatternImage, is reported in an error box and skipped; it does
// not count towards the 25. A folder that cannot be listed throws IoError.
LanguageList BuildLanguageList(const std::string& directory, std::string_view songLanguage, UserInterface& ui);

}  // namespace sonkora
