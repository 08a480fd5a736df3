#pragma once
// A private temporary folder for the targets that need real files, removed at exit.

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace sonkora::fuzz {

struct Workspace {
    std::filesystem::path dir;
    explicit Workspace(const char* prefix) {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        dir = pattern;
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string File(const char* name) const { return (dir / name).string(); }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }
    // Removes every file but `keep`.
    void Clear(const char* keep) const {
        for (const std::string& name : Names())
            if (name != keep) std::filesystem::remove(dir / name);
    }
};

}  // namespace sonkora::fuzz
