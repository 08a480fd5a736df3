#pragma once
// The settings file: sections of key=value lines, read and written in file order.
//
// Values are bytes taken verbatim: only the key (trimmed of blanks) and the first '='
// are parsed, so "Path= C:\a=b ; x" reads as " C:\a=b ; x". Section and key names match
// without regard to ASCII case. Lines before the first section, comment lines (';'),
// blank lines and lines without '=' are kept as they are and written back on save; an
// entry that was rewritten keeps the key's spelling and spacing from the file.
//
// Where a file repeats a section or a key, reading and writing use the first one, and
// EraseSection removes every section of that name.
//
// Save writes LF line ends (Load accepts LF and CR LF) through a temporary file in the
// target's directory that is then renamed over the target, so a failed save leaves the
// previous file intact.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonkora {

// An integer setting: decimal, or hexadecimal after "0x"/"0X", with an optional sign
// and blanks around it; "12", "-3", "0x1F", " 7". Nothing when the text is anything
// else or does not fit a 32-bit int.
std::optional<int> ParseInteger(std::string_view text);

class IniFile {
public:
    // Replaces the contents with `text`, whose lines end in LF or CR LF.
    void LoadFromString(std::string_view text);
    // Replaces the contents with the file; a missing file gives an empty ini. Throws
    // IoError when the file exists but cannot be read, leaving the contents unchanged.
    void Load(const std::string& path);

    std::string ToString() const;
    // Throws IoError when the file cannot be written; the file is then as it was.
    void Save(const std::string& path) const;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The default when the key is missing or its value is no integer (see ParseInteger).
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // The key names of a section in file order; empty when there is no such section.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The key=value pairs of a section in file order.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;

    // Replaces the value of an existing key, or adds the key after the last line of its
    // section, or adds the section at the end of the file. Throws std::invalid_argument
    // for names or values that would not read back the same: line breaks anywhere,
    // ']' or surrounding blanks in a section name, '=' or surrounding blanks in a key,
    // an empty key or one starting with '[' or ';'.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);

private:
    struct Line {
        std::string text;  // as in the file, without the line end
        size_t keyBegin = 0;
        size_t keyLength = 0;  // 0: not a key=value line
        size_t valueBegin = 0;
        std::string_view Key() const { return std::string_view(text).substr(keyBegin, keyLength); }
        std::string_view Value() const { return std::string_view(text).substr(valueBegin); }
    };
    struct Section {
        bool hasHeader = false;  // false only for the lines before the first section
        std::string header;      // the header line as in the file
        std::string name;
        std::vector<Line> lines;
        std::map<std::string, size_t> keys;  // folded key -> its first line
        size_t insertAt = 0;                 // just after the last non-blank line
    };

    const Section* FindSection(std::string_view name) const;
    const Line* FindLine(std::string_view section, std::string_view key) const;
    void RebuildSectionIndex();

    std::vector<Section> sections_;
    std::map<std::string, size_t> sectionIndex_;  // folded name -> first section
};

}  // namespace sonkora
