#include "common/ExampleCopy.h"

#include <filesystem>
#include <system_error>

#include "common/IoError.h"

namespace sonkora {

void CopyMissingFiles(const std::string& fromFolder, const std::string& toFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(toFolder, error);
    if (error) throw IoError(toFolder, "cannot be created: " + error.message());
    fs::directory_iterator entries(fromFolder, error);
    if (error) throw IoError(fromFolder, "cannot be read: " + error.message());
    for (const fs::directory_entry& entry : entries) {
        if (!entry.is_regular_file(error)) continue;
        const fs::path target = fs::path(toFolder) / entry.path().filename();
        if (fs::exists(target, error)) continue;
        // Written beside under a temporary name first, so that a failure leaves no half file
        // that the next start would take for the user's own.
        const fs::path partial = target.string() + ".part";
        fs::copy_file(entry.path(), partial, fs::copy_options::overwrite_existing, error);
        if (!error) fs::rename(partial, target, error);
        if (error) {
            std::error_code ignored;
            fs::remove(partial, ignored);
            throw IoError(target.string(), "cannot be written: " + error.message());
        }
    }
}

}  // namespace sonkora
