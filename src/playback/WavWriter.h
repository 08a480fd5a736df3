#pragma once
// Writes 16-bit PCM WAV files without ever leaving half a file behind: the samples go to
// a temporary file beside the target, which replaces the target only when Finish has
// written the sizes into the header. A writer destroyed before Finish removes its
// temporary file.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "common/SafeSave.h"
#include "playback/SampleWriter.h"

namespace sonkora {

class WavWriter final : public SampleWriter {
public:
    // The most sample bytes a WAV file can describe: its sizes are 32-bit.
    static constexpr uint64_t MaxDataBytes = 0xFFFFFFFFull - 36;

    WavWriter() = default;
    ~WavWriter() override;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // False, with `error` saying why, when the temporary file cannot be created.
    bool Open(const std::string& fileName, int sampleRate, int channels, std::string& error) override;
    // Throws IoError when the disk refuses, and std::length_error past MaxDataBytes.
    void Write(std::span<const int16_t> samples) override;
    // Completes the header and puts the file in place. Throws IoError on failure (the
    // target is then untouched).
    void Finish() override;

    uint64_t DataBytes() const { return dataBytes_; }

private:
    void WriteHeader();
    void Discard();

    std::string fileName_;
    std::unique_ptr<SafeSave> save_;
    std::FILE* file_ = nullptr;  // the stream of save_
    int sampleRate_ = 0;
    int channels_ = 0;
    uint64_t dataBytes_ = 0;
};

}  // namespace sonkora
