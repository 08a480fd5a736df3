#include "common/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "common/FilePaths.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "common/SafeSave.h"

namespace sonkora {

namespace {

constexpr std::string_view Blanks = " \t";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

[[noreturn]] void ThrowErrno(const std::string& path, const char* doing) {
    throw IoError(path, std::string(doing) + ": " + std::strerror(errno));
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Accumulated as a magnitude; the bound lets INT_MIN through.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (char c : text) {
        const int digit = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

void IniFile::LoadFromString(std::string_view text) {
    std::vector<Section> sections(1);  // the lines before the first section
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view raw = text.substr(pos, end - pos);
        // Every CR before the LF belongs to the line end; keeping one would lose it on
        // the next save, which writes LF alone.
        while (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        pos = next;

        const std::string_view trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed[0] == '[') {
            Section& section = sections.emplace_back();
            section.hasHeader = true;
            section.header = std::string(raw);
            const std::string_view inside = trimmed.substr(1);
            section.name = std::string(Trim(inside.substr(0, inside.find(']'))));
            continue;
        }
        Section& section = sections.back();
        Line& line = section.lines.emplace_back();
        line.text = std::string(raw);
        if (trimmed.empty()) {
            continue;
        }
        section.insertAt = section.lines.size();
        const size_t equals = raw.find('=');
        if (trimmed[0] == ';' || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trim(raw.substr(0, equals));
        if (key.empty()) {
            continue;
        }
        line.keyBegin = static_cast<size_t>(key.data() - raw.data());
        line.keyLength = key.size();
        line.valueBegin = equals + 1;
        section.keys.emplace(Fold(key), section.lines.size() - 1);
    }
    sections_ = std::move(sections);
    RebuildSectionIndex();
}

void IniFile::Load(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        LoadFromString({});
        return;
    }
    // A FIFO under the ini file's name would stop the program at start.
    LoadFromString(ReadWholeFile(path, MaxEditableFileSize));
}

std::string IniFile::ToString() const {
    std::string out;
    for (const Section& section : sections_) {
        if (section.hasHeader) {
            out += section.header;
            out += '\n';
        }
        for (const Line& line : section.lines) {
            out += line.text;
            out += '\n';
        }
    }
    return out;
}

void IniFile::Save(const std::string& path) const {
    // Write through a link to the file it names, so the link stays in place.
    std::string target = path;
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        const auto resolved = std::filesystem::weakly_canonical(path, error);
        if (!error) {
            target = resolved.string();
        }
    }
    const std::string text = ToString();

    SafeSave save(target);
    if (!save.Create()) ThrowErrno(path, "cannot create a temporary file beside it");
    if (!save.WriteAll(text)) ThrowErrno(path, "cannot write");
    // The new file takes over the permissions of the one it replaces.
    if (!save.Commit()) ThrowErrno(path, "cannot replace");
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    const auto found = sectionIndex_.find(Fold(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniFile::Line* IniFile::FindLine(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    const auto line = found->keys.find(Fold(key));
    return line == found->keys.end() ? nullptr : &found->lines[line->second];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    const Line* line = FindLine(section, key);
    return std::string(line == nullptr ? defaultValue : line->Value());
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const Line* line = FindLine(section, key);
    if (line == nullptr) {
        return defaultValue;
    }
    return ParseInteger(line->Value()).value_or(defaultValue);
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* found = FindSection(section)) {
        for (const Line& line : found->lines) {
            if (line.keyLength > 0) {
                names.emplace_back(line.Key());
            }
        }
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionValues(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    if (const Section* found = FindSection(section)) {
        for (const Line& line : found->lines) {
            if (line.keyLength > 0) {
                values.emplace_back(line.Key(), line.Value());
            }
        }
    }
    return values;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const auto hasLineBreak = [](std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    };
    if (hasLineBreak(section) || section.find(']') != std::string_view::npos || Trim(section) != section) {
        throw std::invalid_argument("cannot store the ini section name " + Quoted(section));
    }
    if (key.empty() || hasLineBreak(key) || key.find('=') != std::string_view::npos || Trim(key) != key ||
        key[0] == '[' || key[0] == ';') {
        throw std::invalid_argument("cannot store the ini key name " + Quoted(key));
    }
    if (hasLineBreak(value)) {
        throw std::invalid_argument("cannot store a line break in the ini key " + Quoted(key));
    }

    auto found = sectionIndex_.find(Fold(section));
    if (found == sectionIndex_.end()) {
        Section& added = sections_.emplace_back();
        added.hasHeader = true;
        added.header = "[" + std::string(section) + "]";
        added.name = std::string(section);
        found = sectionIndex_.emplace(Fold(section), sections_.size() - 1).first;
    }
    Section& target = sections_[found->second];
    const std::string foldedKey = Fold(key);
    if (const auto existing = target.keys.find(foldedKey); existing != target.keys.end()) {
        Line& line = target.lines[existing->second];
        line.text.resize(line.valueBegin);
        line.text += value;
        return;
    }
    // Every key line lies before insertAt, so the indexes of the keys stay valid.
    Line line;
    line.text = std::string(key) + "=" + std::string(value);
    line.keyLength = key.size();
    line.valueBegin = key.size() + 1;
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(target.insertAt), std::move(line));
    target.keys.emplace(foldedKey, target.insertAt);
    ++target.insertAt;
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(std::string_view section) {
    const std::string folded = Fold(section);
    std::erase_if(sections_, [&](const Section& s) { return s.hasHeader && Fold(s.name) == folded; });
    RebuildSectionIndex();
}

void IniFile::RebuildSectionIndex() {
    sectionIndex_.clear();
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].hasHeader) {
            sectionIndex_.emplace(Fold(sections_[i].name), i);
        }
    }
}

}  // namespace sonkora
