#pragma once
// A large, plausible type 1 MIDI file for the benchmarks: a conductor track, a voice
// track of single notes, and accompaniment tracks of chords, controllers and pitch
// bends with running status, as sequencers write them. Deterministic for a given size.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "midi/MidiWriter.h"

namespace sonkora::bench {

using Bytes = std::vector<uint8_t>;

class SongWriter {
public:
    void Quantity(uint32_t value) {
        for (const uint8_t byte : EncodeQuantity(value)) bytes_.push_back(byte);
    }
    // Byte by byte: GCC 12 warns falsely about vector::insert of short lists when optimising.
    void Raw(std::initializer_list<uint8_t> values) {
        for (uint8_t value : values) bytes_.push_back(value);
    }
    void Meta(uint32_t delta, uint8_t type, const std::string& text) {
        Quantity(delta);
        Raw({0xFF, type});
        Quantity(static_cast<uint32_t>(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }
    void Be32(uint32_t v) {
        Raw({static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
             static_cast<uint8_t>(v)});
    }
    size_t Size() const { return bytes_.size(); }
    Bytes& Data() { return bytes_; }

private:
    Bytes bytes_;
};

// One track chunk of about `target` bytes. Track 0 holds tempo and text only.
inline Bytes SyntheticTrack(int index, size_t target) {
    SongWriter data;
    data.Meta(0, 0x03, index == 0 ? "Conductor" : "Track " + std::to_string(index));
    if (index == 0) {
        for (uint32_t bar = 0; data.Size() + 16 < target; ++bar) {
            data.Quantity(bar == 0 ? 0 : 1920);
            data.Raw({0xFF, 0x51, 0x03, 0x07, static_cast<uint8_t>(0xA1 + bar % 8), 0x20});
            if (bar % 16 == 0) data.Meta(0, 0x06, "Section " + std::to_string(bar / 16));
        }
    } else {
        const uint8_t channel = static_cast<uint8_t>((index - 1) % 16);
        data.Raw({0x00, static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(index % 128)});
        uint32_t step = 0;
        while (data.Size() + 24 < target) {
            const uint8_t key = static_cast<uint8_t>(48 + (step * 7 + static_cast<uint32_t>(index)) % 36);
            data.Quantity(step % 2 == 0 ? 120 : 60);
            data.Raw({static_cast<uint8_t>(0x90 | channel), key, 90});
            if (index != 1) {  // the voice sings single notes; the others play chords
                data.Raw({0x00, static_cast<uint8_t>(key + 4), 80, 0x00, static_cast<uint8_t>(key + 7), 80});
                if (step % 4 == 0)
                    data.Raw({0x00, static_cast<uint8_t>(0xB0 | channel), 7, static_cast<uint8_t>(step % 128)});
                if (step % 8 == 0)
                    data.Raw(
                        {0x10, static_cast<uint8_t>(0xE0 | channel), 0x00, static_cast<uint8_t>(0x40 + step % 16)});
                data.Raw({0x50, static_cast<uint8_t>(0x90 | channel), key, 0, 0x00, static_cast<uint8_t>(key + 4), 0,
                          0x00, static_cast<uint8_t>(key + 7), 0});
            } else {
                data.Raw({0x50, key, 0});
            }
            ++step;
        }
    }
    data.Raw({0x00, 0xFF, 0x2F, 0x00});
    SongWriter chunk;
    chunk.Raw({'M', 'T', 'r', 'k'});
    chunk.Be32(static_cast<uint32_t>(data.Size()));
    chunk.Data().insert(chunk.Data().end(), data.Data().begin(), data.Data().end());
    return chunk.Data();
}

// A whole file of `tracks` chunks (conductor included) and at least `targetBytes` bytes.
inline Bytes SyntheticSongBytes(int tracks, size_t targetBytes) {
    SongWriter file;
    file.Raw({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, static_cast<uint8_t>(tracks >> 8), static_cast<uint8_t>(tracks),
              0x01, 0xE0});
    const size_t perTrack = targetBytes / static_cast<size_t>(tracks) + 64;
    for (int i = 0; i < tracks; ++i) {
        const Bytes chunk = SyntheticTrack(i, i == 0 ? 4096 : perTrack);
        file.Data().insert(file.Data().end(), chunk.begin(), chunk.end());
    }
    return file.Data();
}

// A private folder under the system's temporary folder, removed with its contents.
class BenchDir {
public:
    BenchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonkora-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~BenchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot create " + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

}  // namespace sonkora::bench
