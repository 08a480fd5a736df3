#include "common/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "common/FilePaths.h"
#include "common/IoError.h"

namespace sonkora {

SafeSave::SafeSave(std::string target) : target_(std::move(target)) {}

SafeSave::~SafeSave() {
    Discard();
}

bool SafeSave::Create() {
    Discard();
    struct stat existing {};
    existed_ = ::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    mode_ = existing.st_mode & 07777;
    const std::string stem = DirectoryOf(target_) + "." + FileNameOf(target_) + ".part-";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string candidate = stem + std::to_string(random() % 1000000);
        descriptor_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            tempName_ = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
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
    if (tempName_.empty()) {
        errno = ENOENT;
        return false;
    }
    bool ok = true;
    int error = 0;
    const auto fail = [&] {
        if (ok) error = errno;
        ok = false;
    };
    if (stream_ != nullptr && std::fflush(stream_) != 0) fail();
    const int descriptor = stream_ != nullptr ? ::fileno(stream_) : descriptor_;
    if (existed_) ::fchmod(descriptor, mode_);  // the replaced file keeps its permissions
    if (::fsync(descriptor) != 0) fail();
    if (stream_ != nullptr) {
        if (std::fclose(stream_) != 0) fail();
        stream_ = nullptr;
    } else {
        if (::close(descriptor_) != 0) fail();
    }
    descriptor_ = -1;
    if (ok && std::rename(tempName_.c_str(), target_.c_str()) != 0) fail();
    if (!ok) {
        Discard();
        errno = error;
        return false;
    }
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
    tempName_.clear();
    errno = error;
}

std::FILE* StagedFile::Open() {
    struct stat existing {};
    if (::stat(save_.Target().c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw IoError(save_.Target(), "is not a regular file");
    std::FILE* stream = save_.Create() ? save_.Stream() : nullptr;
    if (stream == nullptr) throw IoError(save_.Target(), std::string("cannot create: ") + std::strerror(errno));
    return stream;
}

void StagedFile::Commit() {
    if (!save_.Commit()) throw IoError(save_.Target(), std::string("cannot write: ") + std::strerror(errno));
}

void SaveFileSafely(const std::string& target, std::string_view bytes) {
    StagedFile staged(target);
    std::FILE* file = staged.Open();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        throw IoError(target, std::string("cannot write: ") + std::strerror(errno));
    staged.Commit();
}

}  // namespace sonkora
