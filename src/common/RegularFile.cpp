#include "common/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "common/IoError.h"

namespace sonkora {

namespace {

std::string SizeProblem(std::uint64_t size, std::uint64_t maxSize) {
    return "too large (" + std::to_string(size) + " bytes; at most " + std::to_string(maxSize) + ")";
}

[[noreturn]] void ThrowStatusError(const std::string& path, int error) {
    switch (error) {
        case ENOENT: throw IoError(path, "no such file");
        case ELOOP: throw IoError(path, "a loop of symbolic links");
        case ENAMETOOLONG: throw IoError(path, "name too long");
        default: throw IoError(path, std::string("cannot read: ") + std::strerror(error));
    }
}

void RequireRegular(const std::string& path, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) throw IoError(path, "is a directory");
    if (!S_ISREG(status.st_mode)) throw IoError(path, "cannot read: not a regular file");
}

}  // namespace

bool IsSymlinkLoop(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && errno == ELOOP;
}

std::string FileNotFoundMessage(const std::string& path) {
    return IsSymlinkLoop(path) ? "File " + path + " is a loop of symbolic links." : "File " + path + " not found.";
}

std::uint64_t RequireRegularFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) ThrowStatusError(path, errno);
    RequireRegular(path, status);
    return static_cast<std::uint64_t>(status.st_size);
}

std::string ReadWholeFile(const std::string& path, std::uint64_t maxSize) {
    const std::uint64_t claimed = RequireRegularFile(path);
    if (claimed > maxSize) throw IoError(path, SizeProblem(claimed, maxSize));
    // Non-blocking, so that a FIFO put under the name since the check cannot stop us in
    // open(); it is refused by the check on the open file below.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOENT || error == ELOOP) ThrowStatusError(path, error);
        throw IoError(path, std::string("cannot open: ") + std::strerror(error));
    }
    struct Closer {
        int descriptor;
        ~Closer() { ::close(descriptor); }
    } closer{descriptor};
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) throw IoError(path, std::string("cannot read: ") + std::strerror(errno));
    RequireRegular(path, status);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > maxSize) throw IoError(path, SizeProblem(size, maxSize));

    // The size is only a claim: a file may grow while we read it. Never more than the
    // limit is taken in.
    std::string bytes(static_cast<size_t>(size), '\0');
    size_t filled = 0;
    char more[65536];
    for (;;) {
        const bool inPlace = filled < bytes.size();
        const ssize_t got = inPlace ? ::read(descriptor, bytes.data() + filled, bytes.size() - filled)
                                    : ::read(descriptor, more, sizeof more);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw IoError(path, std::string("cannot read: ") + std::strerror(errno));
        }
        if (got == 0) break;
        if (!inPlace) {
            if (filled + static_cast<size_t>(got) > maxSize) throw IoError(path, SizeProblem(filled + got, maxSize));
            bytes.append(more, static_cast<size_t>(got));
        }
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace sonkora
