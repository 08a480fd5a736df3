#include "playback/OggVorbisWriter.h"

#include "common/IoError.h"
#include "playback/PlaybackModule.h"

namespace sonkora {

OggVorbisWriter::OggVorbisWriter() = default;

OggVorbisWriter::~OggVorbisWriter() = default;

bool OggVorbisWriter::Open(const std::string& fileName, int sampleRate, int channels, std::string& error) {
    PlaybackBackend* backend = PlaybackModule::Get(error);
    if (backend == nullptr) return false;
    encoder_ = backend->CreateOggVorbisEncoder();
    if (!encoder_->Start(sampleRate, channels, pending_, error)) return false;
    staged_ = std::make_unique<StagedFile>(fileName);
    try {
        file_ = staged_->Open();
        WritePending();
    } catch (const IoError& failure) {
        error = failure.what();
        return false;
    }
    return true;
}

void OggVorbisWriter::Write(std::span<const int16_t> samples) {
    encoder_->Encode(samples, pending_);
    WritePending();
}

void OggVorbisWriter::Finish() {
    encoder_->Finish(pending_);
    WritePending();
    staged_->Commit();
    file_ = nullptr;
}

void OggVorbisWriter::WritePending() {
    if (pending_.empty()) return;
    if (std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size())
        throw IoError(staged_->Target(), "cannot write");
    pending_.clear();
}

}  // namespace sonkora
