#pragma once
// Helpers for the hyphenation tests: a pattern file image assembled entry by entry, a
// scratch folder, and the folder where the build puts the shipped pattern files.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "hyphenation/PatternFile.h"

namespace sonkora::testing {

// A pattern file image written by hand, offset by offset, so that a test can say
// exactly which trie entries and operations exist.
class HandMadeImage {
public:
    HandMadeImage() : bytes_(PatternFile::FullTrieEnd, '\0') {}

    // `code` for character `c` (and for `upper` when given); word characters are the
    // characters that get a code.
    void Code(unsigned char c, std::uint8_t code) {
        bytes_[PatternFile::CodeTableOffset + c] = static_cast<char>(code);
        bytes_[PatternFile::WordCharsOffset + c / 8] =
            static_cast<char>(bytes_[PatternFile::WordCharsOffset + c / 8] | (1 << (c % 8)));
    }
    void Op(unsigned number, std::uint8_t distance, std::uint8_t value, std::uint8_t next) {
        bytes_[PatternFile::DistanceOffset + number] = static_cast<char>(distance);
        bytes_[PatternFile::ValueOffset + number] = static_cast<char>(value);
        bytes_[PatternFile::NextOffset + number] = static_cast<char>(next);
    }
    void Entry(unsigned index, std::uint16_t link, std::uint8_t op, std::uint8_t code) {
        const std::size_t offset = PatternFile::TrieOffset + index * PatternFile::TrieEntrySize;
        bytes_[offset] = static_cast<char>(link & 0xFF);
        bytes_[offset + 1] = static_cast<char>(link >> 8);
        bytes_[offset + 2] = static_cast<char>(op);
        bytes_[offset + 3] = static_cast<char>(code);
    }
    void Identification(const std::string& line) { bytes_.replace(0, line.size(), line); }

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("sonkora-hyph-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder with a trailing separator, as the program directory is given.
    std::string Directory() const { return path_.string() + "/"; }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path path_;
};

// Where the build put the shipped pattern files (beside the executables).
inline std::string ShippedPatternFolder() {
    return std::string(SONKORA_PATTERN_DIR) + "/";
}

}  // namespace sonkora::testing
