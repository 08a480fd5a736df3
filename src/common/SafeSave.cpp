#include "common/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/FilePaths.h"
#include "common/IoError.h"

namespace sonkora {

namespace fs = std::filesystem;

namespace {

std::string SystemError() {
    return std::strerror(errno);
}

}  // namespace

std::FILE* StagedFile::Open() {
    Discard();
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw IoError(target_, "is not a regular file");
    std::string pattern = DirectoryOf(target_) + "." + FileNameOf(target_) + ".part-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw IoError(target_, "cannot create: " + SystemError());
    tempName_ = pattern;
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        ::close(fd);
        Discard();
        throw IoError(target_, "cannot create: " + SystemError());
    }
    return file_;
}

void StagedFile::Commit() {
    if (file_ == nullptr) throw IoError(target_, "nothing was written");
    const bool flushed = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (!flushed || closed != 0) {
        const std::string why = SystemError();
        Discard();
        throw IoError(target_, "cannot write: " + why);
    }
    // mkstemp gives 0600; a new file gets what the user's umask allows, a replaced one
    // keeps its own permissions.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(target_.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(tempName_.c_str(), mode);
    if (std::rename(tempName_.c_str(), target_.c_str()) != 0) {
        const std::string why = SystemError();
        Discard();
        throw IoError(target_, "cannot write: " + why);
    }
    tempName_.clear();
}

void StagedFile::Discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    tempName_.clear();
}

void SaveFileSafely(const std::string& target, std::string_view bytes) {
    StagedFile staged(target);
    std::FILE* file = staged.Open();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        throw IoError(target, "cannot write: " + SystemError());
    staged.Commit();
}

bool SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    if (fs::equivalent(first, second, error)) return true;
    const fs::path a = fs::weakly_canonical(fs::absolute(first, error), error);
    if (error) return false;
    const fs::path b = fs::weakly_canonical(fs::absolute(second, error), error);
    return !error && a == b;
}

}  // namespace sonkora
