#include "playback/backend/OggVorbisEncoder.h"

#include <random>

namespace sonkora::backend {

namespace {

constexpr float Quality = 0.5f;

void Append(const ogg_page& page, std::string& bytes) {
    bytes.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    bytes.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

}  // namespace

OggVorbisEncoder::OggVorbisEncoder() {
    vorbis_info_init(&info_);
}

OggVorbisEncoder::~OggVorbisEncoder() {
    if (started_) {
        ogg_stream_clear(&stream_);
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
        vorbis_comment_clear(&comment_);
    }
    vorbis_info_clear(&info_);
}

bool OggVorbisEncoder::Start(int sampleRate, int channels, std::string& bytes, std::string& error) {
    if (started_ || vorbis_encode_init_vbr(&info_, channels, sampleRate, Quality) != 0) {
        error = "the Vorbis encoder does not take " + std::to_string(sampleRate) + " Hz";
        return false;
    }
    channels_ = channels;
    vorbis_comment_init(&comment_);
    vorbis_comment_add_tag(&comment_, "ENCODER", "Sonkora");
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&stream_, static_cast<int>(std::random_device{}() & 0x7FFFFFFF));
    started_ = true;

    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream_, &identification);
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    // The audio starts on a page of its own, as players expect.
    ogg_page page;
    while (ogg_stream_flush(&stream_, &page) != 0) Append(page, bytes);
    return true;
}

void OggVorbisEncoder::Encode(std::span<const int16_t> samples, std::string& bytes) {
    const int frames = static_cast<int>(samples.size() / static_cast<size_t>(channels_));
    if (frames == 0) return;
    float** buffer = vorbis_analysis_buffer(&dsp_, frames);
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels_; ++channel)
            buffer[channel][frame] = samples[static_cast<size_t>(frame * channels_ + channel)] / 32768.0f;
    }
    vorbis_analysis_wrote(&dsp_, frames);
    Drain(false, bytes);
}

void OggVorbisEncoder::Finish(std::string& bytes) {
    vorbis_analysis_wrote(&dsp_, 0);  // the end of the stream
    Drain(true, bytes);
}

void OggVorbisEncoder::Drain(bool flush, std::string& bytes) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        while (vorbis_bitrate_flushpacket(&dsp_, &packet) != 0) {
            ogg_stream_packetin(&stream_, &packet);
            while (ogg_stream_pageout(&stream_, &page) != 0) Append(page, bytes);
        }
    }
    if (flush) {
        while (ogg_stream_flush(&stream_, &page) != 0) Append(page, bytes);
    }
}

}  // namespace sonkora::backend
