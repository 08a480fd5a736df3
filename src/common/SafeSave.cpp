#include "common/SafeSave.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "common/FilePaths.h"
#include "common/InterruptCleanup.h"
#include "common/IoError.h"

namespace sonkora {

namespace {

// Room for the dot, the marker and six digits within the system's limit of a name:
// a long target name is shortened in its temporary file's name, never in the target's.
constexpr size_t MaxNameInTemp = NAME_MAX - 32;

std::string TempPrefix(const std::string& targetName) {
    return "." + targetName.substr(0, MaxNameInTemp) + SafeSave::TempMarker;
}

}  // namespace

SafeSave::SafeSave(std::string target, Flush flush) : target_(std::move(target)), flush_(flush) {}

SafeSave::~SafeSave() {
    Discard();
}

bool SafeSave::Fail(int error, std::string problem) {
    problem_ = std::move(problem);
    errno = error;
    return false;
}

bool SafeSave::ResolveTarget() {
    struct stat link {};
    if (::lstat(target_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        // The file the link names gets the content; a dangling link is replaced itself.
        if (char* real = ::realpath(target_.c_str(), nullptr); real != nullptr) {
            target_ = real;
            std::free(real);
        } else if (errno == ELOOP) {
            return Fail(ELOOP, "a loop of symbolic links");
        }
    }
    struct stat existing {};
    existed_ = false;
    if (::stat(target_.c_str(), &existing) != 0) {
        if (errno == ENOENT) return true;
        if (errno == ELOOP) return Fail(ELOOP, "a loop of symbolic links");
        if (errno == ENAMETOOLONG) return Fail(ENAMETOOLONG, "name too long");
        return Fail(errno, std::strerror(errno));
    }
    if (S_ISDIR(existing.st_mode)) return Fail(EISDIR, "is a directory");
    if (!S_ISREG(existing.st_mode)) return Fail(EINVAL, "not a regular file");
    if (::access(target_.c_str(), W_OK) != 0) return Fail(EACCES, "read-only");
    existed_ = true;
    mode_ = existing.st_mode & 07777;
    return true;
}

bool SafeSave::Create() {
    Discard();
    problem_.clear();
    committed_ = false;
    if (!ResolveTarget()) return false;
    if (FileNameOf(target_).size() > NAME_MAX) return Fail(ENAMETOOLONG, "name too long");
    RemoveLeftovers(target_);
    const std::string stem = DirectoryOf(target_) + TempPrefix(FileNameOf(target_));
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string candidate = stem + std::to_string(100000 + random() % 900000);
        const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            return Fail(errno, std::strerror(errno));
        }
        // The lock tells other runs that this file is in use. Another run's clean-up may
        // have taken the file between its creation and the lock; then it is gone and a
        // new one is made.
        struct stat created {};
        if (::flock(descriptor, LOCK_EX) != 0 || ::fstat(descriptor, &created) != 0 || created.st_nlink == 0) {
            ::close(descriptor);
            continue;
        }
        descriptor_ = descriptor;
        tempName_ = candidate;
        cleanupSlot_ = RegisterTemporary(tempName_);
        return true;
    }
    return Fail(EEXIST, "no free name for a temporary file");
}

std::FILE* SafeSave::Stream() {
    if (stream_ == nullptr && descriptor_ >= 0) {
        stream_ = ::fdopen(descriptor_, "wb");
        if (stream_ != nullptr) descriptor_ = -1;  // the stream owns it now
    }
    return stream_;
}

bool SafeSave::WriteAll(std::string_view bytes) {
    if (stream_ != nullptr) return std::fwrite(bytes.data(), 1, bytes.size(), stream_) == bytes.size();
    if (descriptor_ < 0) {
        errno = EBADF;
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor_, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

bool SafeSave::Commit() {
    if (tempName_.empty()) return Fail(ENOENT, "nothing to save");
    bool ok = true;
    int error = 0;
    const auto fail = [&] {
        if (ok) error = errno;
        ok = false;
    };
    if (stream_ != nullptr && std::fflush(stream_) != 0) fail();
    const int descriptor = stream_ != nullptr ? ::fileno(stream_) : descriptor_;
    if (existed_) ::fchmod(descriptor, mode_);  // the replaced file keeps its permissions
    if (ok && flush_ == Flush::ToDisk && ::fsync(descriptor) != 0) fail();
    // Renamed while still open and locked, so no other run's clean-up can take it.
    if (ok && std::rename(tempName_.c_str(), target_.c_str()) != 0) fail();
    if (!ok) {
        Discard();
        return Fail(error, std::strerror(error));
    }
    // The content is with the system already; closing cannot lose any of it.
    if (stream_ != nullptr) std::fclose(stream_);
    if (descriptor_ >= 0) ::close(descriptor_);
    stream_ = nullptr;
    descriptor_ = -1;
    UnregisterTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    tempName_.clear();
    committed_ = true;
    return true;
}

void SafeSave::Withdraw() {
    if (committed_ && !existed_) ::unlink(target_.c_str());
}

void SafeSave::Discard() {
    const int error = errno;
    if (stream_ != nullptr) std::fclose(stream_);
    if (descriptor_ >= 0) ::close(descriptor_);
    stream_ = nullptr;
    descriptor_ = -1;
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    UnregisterTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
    tempName_.clear();
    errno = error;
}

void SafeSave::RemoveLeftovers(const std::string& target) {
    const std::string directory = DirectoryOf(target);
    const std::string prefix = TempPrefix(FileNameOf(target));
    DIR* folder = ::opendir(directory.empty() ? "." : directory.c_str());
    if (folder == nullptr) return;
    const int folderDescriptor = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        const int descriptor =
            ::openat(folderDescriptor, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0) continue;
        // Only our own plain files, and only when no running save holds the lock.
        struct stat status {};
        if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
            ::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderDescriptor, entry->d_name, 0);
        ::close(descriptor);
    }
    ::closedir(folder);
}

std::FILE* StagedFile::Open() {
    // Create refuses a directory, a device, a FIFO or a read-only file and says which.
    if (!save_.Create()) throw IoError(save_.Target(), "cannot be created: " + save_.Problem());
    std::FILE* stream = save_.Stream();
    if (stream == nullptr) throw IoError(save_.Target(), std::string("cannot create: ") + std::strerror(errno));
    return stream;
}

void StagedFile::Commit() {
    if (!save_.Commit()) throw IoError(save_.Target(), "cannot write: " + save_.Problem());
}

void SaveFileSafely(const std::string& target, std::string_view bytes) {
    StagedFile staged(target);
    std::FILE* file = staged.Open();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        throw IoError(target, std::string("cannot write: ") + std::strerror(errno));
    staged.Commit();
}

}  // namespace sonkora
