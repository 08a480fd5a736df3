#include "playback/WavWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "common/IoError.h"

namespace sonkora {

namespace {

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

WavWriter::~WavWriter() {
    Discard();
}

void WavWriter::Discard() {
    file_ = nullptr;
    save_.reset();  // removes the temporary file
}

bool WavWriter::Open(const std::string& fileName, int sampleRate, int channels, std::string& error) {
    Discard();
    save_ = std::make_unique<SafeSave>(fileName);
    if (!save_->Create() || (file_ = save_->Stream()) == nullptr) {
        error = save_->Problem().empty() ? std::strerror(errno) : save_->Problem();
        Discard();
        return false;
    }
    fileName_ = fileName;
    sampleRate_ = sampleRate;
    channels_ = channels;
    dataBytes_ = 0;
    WriteHeader();
    return true;
}

void WavWriter::WriteHeader() {
    uint8_t header[44] = {};
    std::memcpy(header, "RIFF", 4);
    PutLe32(header + 4, static_cast<uint32_t>(36 + dataBytes_));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLe32(header + 16, 16);
    PutLe16(header + 20, 1);  // PCM
    PutLe16(header + 22, static_cast<uint16_t>(channels_));
    PutLe32(header + 24, static_cast<uint32_t>(sampleRate_));
    PutLe32(header + 28, static_cast<uint32_t>(sampleRate_ * channels_ * 2));
    PutLe16(header + 32, static_cast<uint16_t>(channels_ * 2));
    PutLe16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    PutLe32(header + 40, static_cast<uint32_t>(dataBytes_));
    if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, file_) != sizeof header)
        throw IoError(fileName_, std::strerror(errno));
}

void WavWriter::Write(std::span<const int16_t> samples) {
    if (file_ == nullptr) throw IoError(fileName_, "not open for writing");
    const uint64_t bytes = samples.size() * 2;
    if (bytes > MaxDataBytes - dataBytes_) throw std::length_error("the sound is too long for a WAV file");
    uint8_t buffer[8192];
    size_t done = 0;
    while (done < samples.size()) {
        const size_t count = std::min(samples.size() - done, sizeof buffer / 2);
        for (size_t i = 0; i < count; ++i) PutLe16(buffer + 2 * i, static_cast<uint16_t>(samples[done + i]));
        if (std::fwrite(buffer, 1, count * 2, file_) != count * 2) throw IoError(fileName_, std::strerror(errno));
        done += count;
    }
    dataBytes_ += bytes;
}

void WavWriter::Finish() {
    if (file_ == nullptr) throw IoError(fileName_, "not open for writing");
    WriteHeader();
    file_ = nullptr;
    const bool committed = save_->Commit();
    const int error = errno;
    save_.reset();
    if (!committed) throw IoError(fileName_, std::strerror(error));
}

}  // namespace sonkora
