#pragma once
// Replacing a file without ever leaving it half written: the new content goes to a
// temporary file beside the target, is flushed to disk, and only then renamed over the
// target. Until Commit succeeds the old file stays as it was, and a SafeSave that is
// dropped or fails removes its temporary file.
//
// A streaming writer keeps writing while it reads elsewhere:
//   SafeSave save(target);
//   if (!save.Create()) fail;
//   write to save.Stream() (or open save.TempName() yourself) ...
//   if (!save.Commit()) fail;   // errno tells why
// A whole buffer at once: save.Create() && save.WriteAll(bytes) && save.Commit().
//
// The temporary file is hidden and named after the target, "DIR/.NAME.sonkora-tmp-XXXXXX",
// and locked while the save runs. A program killed before its commit (SIGKILL, a power
// cut) leaves only that file behind, never a partial target; the next save of the same
// target finds it unlocked and removes it.
//
// Only a regular file that may be written is replaced: a directory, a device, a FIFO or
// a read-only file under the target's name is refused, since renaming over it would
// destroy what the user protected. A symbolic link is followed, so the link stays a
// link and the file it names gets the new content.

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include <sys/types.h>

namespace sonkora {

class SafeSave {
public:
    // How far Commit flushes before the rename. A file the user wrote (a song text, the
    // settings) goes to the disk itself, so a power cut cannot leave it empty. A file made
    // from others (a karaoke or lyric file Make or Export writes) goes to the system only:
    // a killed or failed run still leaves the earlier file whole, and waiting for the disk
    // would cost a large song more than making it does.
    enum class Flush { ToDisk, ToSystem };
    explicit SafeSave(std::string target, Flush flush = Flush::ToDisk);
    ~SafeSave();  // removes the temporary file unless it was committed
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;

    // What temporary file names carry after ".NAME".
    static constexpr const char* TempMarker = ".sonkora-tmp-";

    // Creates the temporary file beside the target, after removing what earlier runs left
    // there. False when the target cannot be replaced or the file not created; errno is
    // set and Problem() says why.
    bool Create();
    // Why Create or Commit failed, for a message: "not a regular file", "read-only", or
    // the system's reason.
    const std::string& Problem() const { return problem_; }

    // Removes temporary files beside `target` that no running save holds any more.
    static void RemoveLeftovers(const std::string& target);
    // The temporary file as a stream for writing, opened on first use; null on failure.
    std::FILE* Stream();
    // Writes `bytes` to the temporary file; false (errno set) on failure.
    bool WriteAll(std::string_view bytes);

    const std::string& Target() const { return target_; }
    const std::string& TempName() const { return tempName_; }

    // Flushes the temporary file to disk, gives it the permissions of the file it
    // replaces and renames it over the target. False (errno set) on failure; the
    // temporary file is removed then and the target left alone.
    bool Commit();
    // Undoes a commit that created the target, when a file saved together with it could
    // not be put in place: nothing half done is left behind. A replaced file stays.
    void Withdraw();
    // Drops the temporary file.
    void Discard();

private:
    bool Fail(int error, std::string problem);
    bool ResolveTarget();

    std::string problem_;
    int cleanupSlot_ = -1;
    std::string target_;
    std::string tempName_;
    int descriptor_ = -1;
    std::FILE* stream_ = nullptr;
    Flush flush_;
    bool existed_ = false;
    bool committed_ = false;
    mode_t mode_ = 0;
};

// SafeSave for writers that report failures as IoError rather than as results.
//
//   StagedFile out("/songs/a.lrc");   // nothing created yet
//   std::FILE* f = out.Open();        // the temporary beside it
//   fwrite(...); out.Commit();        // now "/songs/a.lrc", complete
class StagedFile {
public:
    explicit StagedFile(std::string target) : save_(std::move(target)) {}

    // Creates the temporary file. IoError when it cannot be created or when the target is
    // something other than a regular file (a directory, a device).
    std::FILE* Open();
    // Flushes and renames into place. IoError when that fails; the target is then untouched.
    void Commit();
    void Discard() { save_.Discard(); }

    const std::string& Target() const { return save_.Target(); }
    const std::string& TempName() const { return save_.TempName(); }

private:
    SafeSave save_;
};

// The whole of `bytes` as the new content of `target`, through a StagedFile.
void SaveFileSafely(const std::string& target, std::string_view bytes);

}  // namespace sonkora
