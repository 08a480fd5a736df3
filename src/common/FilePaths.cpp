#include "common/FilePaths.h"

#include <limits.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/IoError.h"

namespace sonkora {

namespace {

// Position of the first character of the file name.
size_t NameStart(std::string_view path) {
    const size_t slash = path.rfind(PathSeparator);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Position of the extension's dot within `path`, or npos.
size_t ExtensionStart(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < NameStart(path)) {
        return std::string_view::npos;
    }
    return dot;
}

}  // namespace

std::string ProgramDirectory() {
    const char* link = "/proc/self/exe";
    // The kernel does not say how long the path is; grow the buffer until it fits,
    // within a bound no real path reaches.
    for (size_t size = 256; size <= (size_t{1} << 20); size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t length = readlink(link, buffer.data(), buffer.size());
        if (length < 0) {
            throw IoError(link, std::strerror(errno));
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return DirectoryOf(std::string_view(buffer.data(), static_cast<size_t>(length)));
        }
    }
    throw IoError(link, "the program's path is too long");
}

std::string DirectoryOf(std::string_view path) {
    const size_t slash = path.rfind(PathSeparator);
    if (slash == std::string_view::npos) {
        return {};
    }
    // The directory without the name's separator, then one separator unless the
    // directory already ends with one (as the root does).
    std::string directory(path.substr(0, slash));
    if (directory.empty() || directory.back() != PathSeparator) {
        directory += PathSeparator;
    }
    return directory;
}

std::string FileNameOf(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string ExtensionOf(std::string_view path) {
    const size_t dot = ExtensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string BaseNameOf(std::string_view path) {
    const size_t start = NameStart(path);
    const size_t dot = ExtensionStart(path);
    const size_t end = dot == std::string_view::npos ? path.size() : dot;
    return std::string(path.substr(start, end - start));
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
    const size_t dot = ExtensionStart(path);
    std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
    result += extension;
    return result;
}

bool HasDirectory(std::string_view path) {
    return path.find(PathSeparator) != std::string_view::npos;
}

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string result(directory);
    if (!result.empty() && result.back() != PathSeparator) {
        result += PathSeparator;
    }
    result += name;
    return result;
}

bool NameFitsSystem(std::string_view path) {
    if (path.size() >= PATH_MAX) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(PathSeparator, start);
        if (end == std::string_view::npos) end = path.size();
        if (end - start > NAME_MAX) return false;
        start = end + 1;
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool SameFile(const std::string& first, const std::string& second) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(first, second, error) && !error) return true;
    // Names of files still to be written are compared as the places they name.
    const fs::path a = fs::weakly_canonical(fs::absolute(first, error), error);
    if (error) return false;
    const fs::path b = fs::weakly_canonical(fs::absolute(second, error), error);
    return !error && a == b;
}

}  // namespace sonkora
