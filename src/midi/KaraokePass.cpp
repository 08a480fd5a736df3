#include "midi/KaraokePass.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "common/FileCopy.h"
#include "common/FilePaths.h"
#include "common/IoError.h"
#include "midi/ByteOrder.h"
#include "midi/EventDecoder.h"

namespace sonkora {

namespace {

constexpr int64_t NoLimit = ChunkReader::NoLimit;
constexpr uint8_t EndOfTrackType = 0x2F;
constexpr uint8_t TextType = 0x01;
constexpr uint8_t LyricType = 0x05;

std::string SystemError() {
    return std::strerror(errno);
}

bool WritesOutput(PassMode mode) {
    return mode == PassMode::Make || mode == PassMode::Convert || mode == PassMode::Export;
}

}  // namespace

// Bytes of the current track for the event decoder. Reading stops at the end of the
// track chunk, which ends the track, and at the end of the file, which is MidiError -1.
struct KaraokePass::Source {
    KaraokePass& pass;
    bool failed = false;
    bool chunkEnded = false;

    bool Next(uint8_t& byte) {
        byte = 0;
        if (failed) return false;
        switch (pass.input_.Next(byte)) {
            case ChunkReader::ByteResult::Ok: return true;
            case ChunkReader::ByteResult::ChunkEnded: chunkEnded = true; break;
            case ChunkReader::ByteResult::FileEnded:
                if (pass.midiError_ == 0) pass.midiError_ = MidiErrorCode::Reported;
                break;
        }
        failed = true;
        return false;
    }
    int64_t Remaining() const { return pass.input_.Remaining(); }
    int32_t Position() const { return pass.input_.BufferPosition(); }
    bool Failed() const { return failed; }
};

KaraokePass::KaraokePass() = default;

KaraokePass::~KaraokePass() {
    CloseFiles(false);
}

void KaraokePass::NotOpen(const char* operation) {
    throw std::logic_error(std::string("KaraokePass::") + operation + " needs an open pass");
}

void KaraokePass::WriteOutput(const uint8_t* data, size_t count) {
    if (output_ == nullptr || count == 0) return;
    if (std::fwrite(data, 1, count, output_) != count)
        throw IoError(outputName_, std::string("cannot write: ") + std::strerror(errno));
}

void KaraokePass::CopyInput(int64_t count) {
    // Tracks passed through whole go from file to file inside the kernel, as cp copies;
    // short pieces are not worth the extra calls.
    if (output_ != nullptr && count > ChunkReader::BufferSize) {
        std::optional<int64_t> copied;
        try {
            copied = input_.CopyToFile(output_, count);
        } catch (const std::system_error& error) {
            throw IoError(outputName_, std::string(error.what()) + " from " + input_.FileName());
        }
        if (copied) return;
    }
    input_.Copy(count, [this](const uint8_t* data, size_t size) { WriteOutput(data, size); });
}

void KaraokePass::ResetState() {
    input_.Reset();
    words_.Reset();
    currentTime_ = 0;
    lastLyricTime_ = -1;
    lastNoteTime_ = -1;
    noteFloor_ = -1;
    runningStatus_ = 0;
    endOfTrack_ = false;
    lineStart_ = true;
    songText_.Reset();
}

void KaraokePass::ResetReadingState() {
    ResetState();
}

void KaraokePass::OpenPass(const std::string& inputName, const std::string& outputName, const std::string& songTextName,
                           PassMode mode, uint16_t voiceTrack, const std::string& midiFileRef,
                           const std::string& karaokeFileRef) {
    CloseFiles(false);  // a pass still open is abandoned
    midiError_ = 0;
    mode_ = mode;
    header_ = MidiHeader{};
    trackTable_.clear();
    indexed_ = false;
    restOffset_ = 0;
    lastChunkLength_ = 0;
    currentTrack_ = 0;
    outputName_ = outputName;

    input_.Open(inputName);

    if (WritesOutput(mode)) {
        if (!SameFile(outputName, inputName)) output_ = std::fopen(outputName.c_str(), "wb");
        if (output_ == nullptr) midiError_ = MidiErrorCode::CannotCreateOutput;
    }
    if (mode == PassMode::Convert && output_ != nullptr) {
        const bool opened = !SameFile(songTextName, inputName) && !SameFile(songTextName, outputName) &&
                            songText_.Open(songTextName, voiceTrack, midiFileRef, karaokeFileRef);
        if (!opened) midiError_ = MidiErrorCode::CannotCreateSongText;
    }
    lyricIndex_ = 0;
    if (mode == PassMode::Collect) noteTimes_.clear();

    words_.Allocate();
    ResetState();
}

void KaraokePass::ReadPassHeader() {
    RequireOpen("ReadPassHeader");
    if (input_.PrepareError() != 0) {
        midiError_ = input_.PrepareError();
        return;
    }
    input_.Seek(0);
    uint8_t bytes[14] = {};
    const size_t got = input_.Read(bytes, sizeof bytes);
    input_.DropBuffer();
    if (got < sizeof bytes || std::memcmp(bytes, "MThd", 4) != 0 || ReadBe32(bytes + 4) != 6) {
        midiError_ = MidiErrorCode::NotMidiFile;
        return;
    }
    header_.Format = static_cast<uint16_t>((bytes[8] << 8) | bytes[9]);
    header_.TrackCount = static_cast<uint16_t>((bytes[10] << 8) | bytes[11]);
    header_.Division = static_cast<uint16_t>((bytes[12] << 8) | bytes[13]);
    int written = header_.TrackCount;
    if (mode_ == PassMode::Make) written += 2;
    if (mode_ == PassMode::Convert) written -= 2;
    if (mode_ == PassMode::Export) written += 1;
    if (header_.Format == 2) {
        midiError_ = MidiErrorCode::PatternFile;
    } else if (header_.Format != 1) {
        midiError_ = MidiErrorCode::NotType1;
    } else if (header_.TrackCount == 0) {
        midiError_ = MidiErrorCode::NotMidiFile;
    } else if (written > MaxTracks) {
        // The karaoke tracks would not fit the header's 16-bit count.
        midiError_ = MidiErrorCode::TooManyTracks;
    } else if (mode_ == PassMode::Convert && header_.TrackCount < 3) {
        // Without its information and Words tracks this is no Soft Karaoke file, and the
        // count written below would go negative.
        midiError_ = MidiErrorCode::Reported;
    }
    // A header that failed its check is not written: the output is discarded anyway.
    if (midiError_ != 0 || !WritesOutput(mode_)) return;
    bytes[10] = static_cast<uint8_t>(written >> 8);
    bytes[11] = static_cast<uint8_t>(written);
    WriteOutput(bytes, sizeof bytes);
}

void KaraokePass::ReadChunkHeader(bool copy) {
    RequireOpen("ReadChunkHeader");
    uint8_t bytes[8] = {};
    const size_t got = input_.Read(bytes, sizeof bytes);
    if (got < sizeof bytes || std::memcmp(bytes, "MTrk", 4) != 0) {
        midiError_ = MidiErrorCode::UnknownCode;
        input_.DropBuffer();
        return;
    }
    lastChunkLength_ = ReadBe32(bytes + 4);
    if (input_.Tell() + lastChunkLength_ > input_.Size()) {
        // Copied as it is, the chunk would claim bytes the written file does not have.
        midiError_ = MidiErrorCode::DamagedFile;
        input_.DropBuffer();
        return;
    }
    if (copy && WritesOutput(mode_)) {
        WriteOutput(bytes, sizeof bytes);
        CopyInput(lastChunkLength_);
    } else {
        input_.Seek(input_.Tell() + lastChunkLength_);
        input_.DropBuffer();
    }
}

void KaraokePass::SelectVoiceTrack(int n) {
    RequireOpen("SelectVoiceTrack");
    if (midiError_ == 0) {
        if (n < 1 || n >= header_.TrackCount)
            throw std::out_of_range("voice track " + std::to_string(n) + " is not a track of " + input_.FileName());
        trackTable_.assign(1, TrackEntry{});
        for (int i = 0; i < header_.TrackCount && midiError_ == 0; ++i) {
            const int64_t chunkStart = input_.Tell();
            ReadChunkHeader(i == 0);
            if (midiError_ != 0) break;
            if (i == 0) restOffset_ = input_.Tell();
            if (i > 0) trackTable_.push_back(TrackEntry{chunkStart + 8, chunkStart + 8 + lastChunkLength_, 0, 0});
            if (mode_ == PassMode::Convert && i + 1 == n) restOffset_ = input_.Tell();
        }
        indexed_ = midiError_ == 0;
        if (indexed_) input_.Seek(trackTable_[static_cast<size_t>(n)].offset);
    }
    ResetState();
    currentTrack_ = n;
    if (indexed_) input_.SetChunkEnd(trackTable_[static_cast<size_t>(n)].end);
}

void KaraokePass::WriteKaraokeTracks() {
    RequireOpen("WriteKaraokeTracks");
    words_.StartTracks(mode_ == PassMode::Export);
}

void KaraokePass::WriteTextEvent(int32_t delta, uint8_t metaType, const std::string& text) {
    RequireOpen("WriteTextEvent");
    words_.TextEvent(delta, metaType, text);
}

void KaraokePass::WriteLyric(const std::string& text, int32_t time) {
    RequireOpen("WriteLyric");
    if (time <= lastLyricTime_) {
        midiError_ = MidiErrorCode::Reported;
        return;
    }
    const int32_t delta = time - std::max(lastLyricTime_, 0);
    if (mode_ != PassMode::Export) {
        WriteTextEvent(delta, TextType, text);
    } else {
        std::string body = text;
        if (!body.empty() && (body[0] == ' ' || body[0] == '/' || body[0] == '\\')) {
            if (!words_.EndsWithReturn()) words_.AddTrailingSpace();
            if (body[0] != ' ') {
                // The first break of the song needs no carriage return: nothing precedes it.
                if (!lineStart_) WriteTextEvent(0, LyricType, "\r");
                lineStart_ = false;
            }
            body.erase(0, 1);
        }
        WriteTextEvent(delta, LyricType, body);
    }
    lastLyricTime_ = time;
}

void KaraokePass::NextNoteLyric(const std::string& text, bool& found) {
    RequireOpen("NextNoteLyric");
    found = false;
    // A track whose end was read has no more notes; reading on would take the bytes of
    // whatever follows it in the file for events.
    if (endOfTrack_) return;
    MidiEvent& event = searched_;
    do {
        if (!ReadPassEvent(event)) break;
        const uint8_t status = event.Status;
        if (status >= 0xF0) {
            if (mode_ == PassMode::Convert && status == 0xFF &&
                (event.MetaType == TextType || event.MetaType == LyricType))
                songText_.Convert(event, noteTimes_, noteCount_, lyricIndex_, header_.Division);
        } else if ((status & 0xF0) == 0x90 && event.Data2 > 0 && mode_ != PassMode::Convert &&
                   event.Time != lastNoteTime_ && event.Time > lastLyricTime_ && event.Time > noteFloor_) {
            found = true;
            if (mode_ == PassMode::Collect) {
                if (noteTimes_.size() < static_cast<size_t>(MaxNoteTimes)) {
                    noteTimes_.push_back(event.Time);
                    lyricIndex_ = static_cast<int>(noteTimes_.size());
                } else {
                    midiError_ = MidiErrorCode::TooManyLyrics;
                }
            } else if ((mode_ == PassMode::Make || mode_ == PassMode::Export || mode_ == PassMode::ReadOnly) &&
                       !text.empty()) {
                // Read only, the lyric goes to the Words buffer that is never written, so
                // that the times of later lyrics are checked against it as in a Make.
                WriteLyric(text, event.Time);
            }
            lastNoteTime_ = event.Time;
        }
    } while (!endOfTrack_ && !found && midiError_ == 0);
}

void KaraokePass::SwitchVoiceTrack(int n) {
    RequireOpen("SwitchVoiceTrack");
    if (!indexed_) throw std::logic_error("KaraokePass::SwitchVoiceTrack before a voice track was selected");
    if (n < 1 || n >= header_.TrackCount)
        throw std::out_of_range("voice track " + std::to_string(n) + " is not a track of " + input_.FileName());
    TrackEntry& left = trackTable_[static_cast<size_t>(currentTrack_)];
    left.offset = input_.Position();
    left.time = currentTime_;
    left.runningStatus = runningStatus_;
    const TrackEntry& next = trackTable_[static_cast<size_t>(n)];
    input_.Seek(next.offset);
    input_.DropBuffer();
    currentTime_ = next.time;
    runningStatus_ = next.runningStatus;
    input_.SetChunkEnd(next.end);
    endOfTrack_ = false;
    currentTrack_ = n;
}

void KaraokePass::FinishWords() {
    RequireOpen("FinishWords");
    if (!words_.Started()) throw std::logic_error("KaraokePass::FinishWords before WriteKaraokeTracks");
    // A pass that failed leaves its output incomplete; it must not look finished.
    if (midiError_ != 0) return;
    if (mode_ == PassMode::Export && !words_.EndsWithReturn()) words_.AddTrailingSpace();
    WriteTextEvent(0, EndOfTrackType, "");
    if (midiError_ != 0) return;
    words_.PatchLength();
    WriteOutput(words_.Data(), words_.Size());
    CopyRest();
}

void KaraokePass::CopyRest() {
    RequireOpen("CopyRest");
    if (output_ == nullptr) return;
    input_.Seek(restOffset_);
    input_.DropBuffer();
    if (mode_ == PassMode::Convert) {
        ReadChunkHeader(false);
        if (midiError_ != 0) return;
    }
    CopyInput(NoLimit);
}

bool KaraokePass::ReadPassEvent(MidiEvent& event) {
    RequireOpen("ReadPassEvent");
    const int32_t timeBefore = currentTime_;
    // A chunk whose data is used up, or ends inside an event, without an end-of-track
    // event ends there: reading on would take the next chunk's bytes for events.
    auto endAtChunkEnd = [&] {
        event = MidiEvent{};
        event.Position = input_.BufferPosition();
        event.Time = currentTime_ = timeBefore;
        event.Status = 0xFF;
        event.MetaType = EndOfTrackType;
        endOfTrack_ = true;
        return midiError_ == 0;
    };
    if (input_.Position() >= input_.ChunkEnd()) return endAtChunkEnd();
    input_.RefillIfEmpty();  // so Position points into the buffer in use
    Source source{*this};
    const DecodeOptions options;  // all text kept, system-exclusive bytes dropped
    switch (DecodeEvent(source, runningStatus_, currentTime_, event, options)) {
        case DecodeResult::Ok:
            if (event.Status == 0xFF && event.MetaType == EndOfTrackType) endOfTrack_ = true;
            break;
        case DecodeResult::UnknownCode:
            if (midiError_ == 0) midiError_ = MidiErrorCode::UnknownCode;
            break;
        case DecodeResult::SourceFailed:
            if (source.chunkEnded) return endAtChunkEnd();
            break;  // the file ended: the source has set -1
    }
    return midiError_ == 0;
}

int64_t KaraokePass::EnterChunk() {
    RequireOpen("EnterChunk");
    ResetState();
    const int64_t chunkStart = input_.Position();
    uint8_t chunkHeader[8] = {};
    Source source{*this};
    for (size_t i = 0; i < sizeof chunkHeader && source.Next(chunkHeader[i]); ++i) {
    }
    if (source.Failed() || std::memcmp(chunkHeader, "MTrk", 4) != 0) {
        midiError_ = MidiErrorCode::UnknownCode;
        return -1;
    }
    const int64_t nextChunk = chunkStart + 8 + ReadBe32(chunkHeader + 4);
    if (nextChunk > input_.Size()) {
        midiError_ = MidiErrorCode::DamagedFile;
        return -1;
    }
    input_.SetChunkEnd(nextChunk);
    return nextChunk;
}

int KaraokePass::ListedTrackCount() const {
    const int split = input_.SplitNoteTracks();
    return split < 0 ? header_.TrackCount : split + 1;
}

void KaraokePass::MoveToChunk(int64_t offset) {
    RequireOpen("MoveToChunk");
    input_.Seek(offset);
    input_.DropBuffer();
}

void KaraokePass::ClosePass() {
    CloseFiles(true);
}

void KaraokePass::CloseFiles(bool reportErrors) {
    const bool wasOpen = input_.IsOpen();
    words_.Release();
    std::string failedFile;
    std::string reason;
    auto note = [&](const std::string& file, const std::string& why) {
        if (failedFile.empty()) {
            failedFile = file;
            reason = why;
        }
    };
    std::string songTextError;
    if (!songText_.Close(songTextError)) note(songText_.FileName(), songTextError);
    if (output_ != nullptr) {
        if (std::fclose(output_) != 0) note(outputName_, SystemError());
        output_ = nullptr;
    }
    if (wasOpen && mode_ == PassMode::Collect) noteCount_ = lyricIndex_;
    input_.Close();
    if (reportErrors && !failedFile.empty()) throw IoError(failedFile, "cannot write: " + reason);
}

}  // namespace sonkora
