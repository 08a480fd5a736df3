#pragma once
// Writes Ogg Vorbis files with the encoder of the playback module (PlaybackModule), so
// that only a program that renders loads libvorbisenc. Like WavWriter it writes beside
// the target and renames into place in Finish; destroyed before Finish, it leaves nothing.

#include <memory>

#include "common/SafeSave.h"
#include "playback/PlaybackBackend.h"
#include "playback/SampleWriter.h"

namespace sonkora {

class OggVorbisWriter final : public SampleWriter {
public:
    OggVorbisWriter();
    ~OggVorbisWriter() override;
    OggVorbisWriter(const OggVorbisWriter&) = delete;
    OggVorbisWriter& operator=(const OggVorbisWriter&) = delete;

    bool Open(const std::string& fileName, int sampleRate, int channels, std::string& error) override;
    void Write(std::span<const int16_t> samples) override;
    void Finish() override;

private:
    // Writes out and empties pending_.
    void WritePending();

    std::unique_ptr<AudioEncoder> encoder_;
    std::unique_ptr<StagedFile> staged_;
    std::FILE* file_ = nullptr;
    std::string pending_;
};

}  // namespace sonkora
