#include "playback/OggVorbisWriter.h"

#include <vorbis/vorbisenc.h>

#include <random>

#include "common/IoError.h"

namespace sonkora {

namespace {

constexpr float Quality = 0.5f;

}  // namespace

struct OggVorbisWriter::Encoder {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool started = false;

    ~Encoder() {
        if (started) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
            vorbis_comment_clear(&comment);
        }
        vorbis_info_clear(&info);
    }
};

OggVorbisWriter::OggVorbisWriter() = default;

OggVorbisWriter::~OggVorbisWriter() = default;

bool OggVorbisWriter::Open(const std::string& fileName, int sampleRate, int channels, std::string& error) {
    encoder_ = std::make_unique<Encoder>();
    staged_ = std::make_unique<StagedFile>(fileName);
    channels_ = channels;
    vorbis_info_init(&encoder_->info);
    if (vorbis_encode_init_vbr(&encoder_->info, channels, sampleRate, Quality) != 0) {
        error = "the Vorbis encoder does not take " + std::to_string(sampleRate) + " Hz";
        return false;
    }
    try {
        file_ = staged_->Open();
    } catch (const IoError& failure) {
        error = failure.what();
        return false;
    }
    vorbis_comment_init(&encoder_->comment);
    vorbis_comment_add_tag(&encoder_->comment, "ENCODER", "Sonkora");
    vorbis_analysis_init(&encoder_->dsp, &encoder_->info);
    vorbis_block_init(&encoder_->dsp, &encoder_->block);
    ogg_stream_init(&encoder_->stream, static_cast<int>(std::random_device{}() & 0x7FFFFFFF));
    encoder_->started = true;

    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&encoder_->dsp, &encoder_->comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&encoder_->stream, &identification);
    ogg_stream_packetin(&encoder_->stream, &comments);
    ogg_stream_packetin(&encoder_->stream, &codebooks);
    // The audio starts on a page of its own, as players expect.
    ogg_page page;
    while (ogg_stream_flush(&encoder_->stream, &page) != 0)
        WritePage(page.header, page.header_len, page.body, page.body_len);
    return true;
}

void OggVorbisWriter::Write(std::span<const int16_t> samples) {
    const int frames = static_cast<int>(samples.size() / static_cast<size_t>(channels_));
    if (frames == 0) return;
    float** buffer = vorbis_analysis_buffer(&encoder_->dsp, frames);
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels_; ++channel)
            buffer[channel][frame] = samples[static_cast<size_t>(frame * channels_ + channel)] / 32768.0f;
    }
    vorbis_analysis_wrote(&encoder_->dsp, frames);
    Drain(false);
}

void OggVorbisWriter::Finish() {
    vorbis_analysis_wrote(&encoder_->dsp, 0);  // the end of the stream
    Drain(true);
    staged_->Commit();
    file_ = nullptr;
}

void OggVorbisWriter::Drain(bool flush) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&encoder_->dsp, &encoder_->block) == 1) {
        vorbis_analysis(&encoder_->block, nullptr);
        vorbis_bitrate_addblock(&encoder_->block);
        while (vorbis_bitrate_flushpacket(&encoder_->dsp, &packet) != 0) {
            ogg_stream_packetin(&encoder_->stream, &packet);
            while (ogg_stream_pageout(&encoder_->stream, &page) != 0)
                WritePage(page.header, page.header_len, page.body, page.body_len);
        }
    }
    if (flush) {
        while (ogg_stream_flush(&encoder_->stream, &page) != 0)
            WritePage(page.header, page.header_len, page.body, page.body_len);
    }
}

void OggVorbisWriter::WritePage(const void* header, long headerLength, const void* body, long bodyLength) {
    if (std::fwrite(header, 1, static_cast<size_t>(headerLength), file_) != static_cast<size_t>(headerLength) ||
        std::fwrite(body, 1, static_cast<size_t>(bodyLength), file_) != static_cast<size_t>(bodyLength))
        throw IoError(staged_->Target(), "cannot write");
}

}  // namespace sonkora
