#pragma once
// A fresh folder under the system's temporary folder for one test, removed with
// everything in it, and the file helpers the tests of every layer write and read with.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sonkora::test {

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

inline std::string ReadFile(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

class TempFolder {
public:
    TempFolder() {
        std::string name = (std::filesystem::temp_directory_path() / "sonkora-test-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        root_ = name;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The folder with a trailing separator, as the program directory is given.
    std::string Directory() const { return root_.string() + "/"; }
    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    template <typename Bytes>
    std::string Write(const std::string& name, const Bytes& bytes) const {
        WriteFile(Path(name), bytes);
        return Path(name);
    }
    // The names of the files in the folder (temporary files left behind show up here).
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root_)) names.insert(entry.path().filename());
        return names;
    }

private:
    std::filesystem::path root_;
};

}  // namespace sonkora::test
