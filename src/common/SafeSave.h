#pragma once
// Writing a file without ever leaving half of it behind: the bytes go to a temporary
// file beside the target (same directory, so the rename cannot cross file systems),
// are flushed to disk, and only then renamed over the target. A replaced file keeps
// its permissions. A StagedFile destroyed before Commit removes its temporary file.
//
//   StagedFile out("/songs/a.lrc");        // nothing created yet
//   std::FILE* f = out.Open();             // "/songs/.a.lrc.part-Xq3ZpA"
//   fwrite(...); out.Commit();             // now "/songs/a.lrc", complete

#include <cstdio>
#include <string>
#include <string_view>

namespace sonkora {

class StagedFile {
public:
    explicit StagedFile(std::string target) : target_(std::move(target)) {}
    ~StagedFile() { Discard(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file. Throws IoError when it cannot be created or when the
    // target is something other than a regular file (a directory, a device).
    std::FILE* Open();
    // Flushes, closes and renames into place. Throws IoError (the target is then untouched).
    void Commit();
    void Discard();

    const std::string& Target() const { return target_; }
    const std::string& TempName() const { return tempName_; }

private:
    std::string target_;
    std::string tempName_;
    std::FILE* file_ = nullptr;
};

// The whole of `bytes` as the new content of `target`, through a StagedFile.
void SaveFileSafely(const std::string& target, std::string_view bytes);

// True when both names lead to the same existing file (links included), or to the same
// place once created ("a/../b.txt" and "b.txt").
bool SameFile(const std::string& first, const std::string& second);

}  // namespace sonkora
