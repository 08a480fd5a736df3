#pragma once
// Writes Ogg Vorbis files (libvorbisenc, quality 0.5, about 160 kbit/s for stereo), the
// audio singing games and web players read. Like WavWriter it writes beside the target
// and renames into place in Finish; destroyed before Finish, it leaves nothing.

#include <memory>

#include "common/SafeSave.h"
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
    struct Encoder;
    // Hands whatever the encoder has ready to the file; `flush` forces out a final page.
    void Drain(bool flush);
    void WritePage(const void* header, long headerLength, const void* body, long bodyLength);

    std::unique_ptr<Encoder> encoder_;
    std::unique_ptr<StagedFile> staged_;
    std::FILE* file_ = nullptr;
    int channels_ = 0;
};

}  // namespace sonkora
