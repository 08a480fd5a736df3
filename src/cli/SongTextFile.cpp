#include "cli/SongTextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <system_error>

#include "cli/CompileConsole.h"
#include "common/CodePage.h"
#include "common/IoError.h"
#include "common/SafeSave.h"
#include "compiler/SongDocument.h"

namespace sonkora::cli {

namespace {

// A UTF-8 song text is rewritten in Windows-1252 like every song text; one holding
// characters the code page has not is left alone rather than having them turn into '?'.
std::string ReadForRewriting(const std::string& path) {
    Cp1252Conversion read = ReadSongTextInCodePage(path, std::cerr);
    if (!read.unmapped.empty())
        throw IoError(path, "holds characters that Windows-1252 cannot hold; change them in Sonkora first");
    return std::move(read.text);
}

}  // namespace

SongTextFile::SongTextFile(const std::string& path) : path_(path), bytes_(ReadForRewriting(path)) {
    lines_ = SplitSongLines(bytes_);
    // The same split, noting what ended each line.
    size_t i = 0;
    for (const std::string& line : lines_) {
        i += line.size();
        size_t end = i;
        if (end < bytes_.size() && bytes_[end] == '\r') ++end;
        if (end < bytes_.size() && bytes_[end] == '\n' && (end == i || bytes_[i] == '\r')) ++end;
        lineEnds_.push_back(bytes_.substr(i, end - i));
        i = end;
    }
}

std::string SongTextFile::WithLines(const std::vector<std::string>& lines) const {
    if (lines.size() != lines_.size()) throw std::logic_error("a song text rewritten in place keeps its line count");
    std::string bytes;
    bytes.reserve(bytes_.size() + 1024);
    for (size_t i = 0; i < lines.size(); ++i) bytes += lines[i] + lineEnds_[i];
    return bytes;
}

void WriteFileSafely(const std::string& path, const std::string& bytes) {
    std::error_code error;
    std::string target = path;
    if (std::filesystem::is_symlink(path, error)) {
        const std::filesystem::path resolved = std::filesystem::canonical(path, error);
        if (!error) target = resolved.string();
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw IoError(path, "is not a regular file");
    SafeSave save(target);
    if (!save.Create()) throw IoError(path, "cannot be created: " + save.Problem());
    if (!save.WriteAll(bytes) || !save.Commit())
        throw IoError(path, std::string("cannot be written: ") + std::strerror(errno));
}

}  // namespace sonkora::cli
