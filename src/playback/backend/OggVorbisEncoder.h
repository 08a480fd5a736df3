#pragma once
// Ogg Vorbis through libvorbisenc, quality 0.5 (about 160 kbit/s for stereo): the audio
// singing games and web players read.

#include <vorbis/vorbisenc.h>

#include "playback/PlaybackBackend.h"

namespace sonkora::backend {

class OggVorbisEncoder final : public AudioEncoder {
public:
    OggVorbisEncoder();
    ~OggVorbisEncoder() override;
    OggVorbisEncoder(const OggVorbisEncoder&) = delete;
    OggVorbisEncoder& operator=(const OggVorbisEncoder&) = delete;

    bool Start(int sampleRate, int channels, std::string& bytes, std::string& error) override;
    void Encode(std::span<const int16_t> samples, std::string& bytes) override;
    void Finish(std::string& bytes) override;

private:
    // Hands over whatever the encoder has ready; `flush` forces out a final page.
    void Drain(bool flush, std::string& bytes);

    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_stream_state stream_{};
    bool started_ = false;
    int channels_ = 0;
};

}  // namespace sonkora::backend
