#include "playback/PlaybackModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>

namespace sonkora {

namespace {

struct LoadResult {
    PlaybackBackend* backend = nullptr;
    std::string error;
};

LoadResult Load() {
    LoadResult result;
    const std::string path = PlaybackModule::Path();
    const std::string failed = "the playback module " + path + " cannot be loaded: ";
    // Local symbols: nothing in the module may stand in for the program's own.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        result.error = failed + (reason != nullptr ? reason : "unknown error");
        return result;
    }
    const auto entry = reinterpret_cast<PlaybackBackendEntry>(dlsym(module, PlaybackBackendEntryName));
    result.backend = entry != nullptr ? entry(PlaybackBackendVersion) : nullptr;
    if (result.backend == nullptr) {
        result.error = failed + "it belongs to another version of the program";
        dlclose(module);
    }
    // A loaded module stays until the process ends: its devices may outlive any owner here.
    return result;
}

}  // namespace

std::string PlaybackModule::Path() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = error ? std::filesystem::path(".") : program.parent_path();
    return (folder / PlaybackModuleFileName).string();
}

PlaybackBackend* PlaybackModule::Get(std::string& error) {
    static std::once_flag once;
    static LoadResult result;
    std::call_once(once, [] { result = Load(); });
    if (result.backend == nullptr) error = result.error;
    return result.backend;
}

}  // namespace sonkora
