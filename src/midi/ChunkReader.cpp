#include "midi/ChunkReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/FileCopy.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "midi/MidiFileImage.h"
#include "midi/MidiTypes.h"

namespace sonkora {

namespace {

std::string SystemError() {
    return std::strerror(errno);
}

}  // namespace

void ChunkReader::Open(const std::string& fileName) {
    Close();
    fileName_ = fileName;
    // A pipe or a device would block the open or feed us endless bytes; the pass needs a
    // file it can seek in anyway, so anything but a plain file is refused before opening.
    RequireRegularFile(fileName);
    file_ = std::fopen(fileName.c_str(), "rb");
    if (file_ == nullptr) throw IoError(fileName, "cannot open: " + SystemError());
    if (fseeko(file_, 0, SEEK_END) != 0 || (fileSize_ = ftello(file_)) < 0 || fseeko(file_, 0, SEEK_SET) != 0) {
        const std::string reason = SystemError();
        Close();
        throw IoError(fileName, "cannot read: not a seekable file (" + reason + ")");
    }
    Prepare();
    // Not cleared: a short file touches only the pages it fills.
    buffer_ = std::make_unique_for_overwrite<uint8_t[]>(BufferSize);
}

void ChunkReader::Prepare() {
    base_ = 0;
    limited_ = inMemory_ = false;
    image_ = std::vector<uint8_t>();
    imagePosition_ = 0;
    prepareError_ = 0;
    splitNoteTracks_ = -1;
    const ReadAt readAt = [this](int64_t offset, uint8_t* target, size_t count) {
        Seek(offset);
        return Read(target, count);
    };
    MidiPlace place;
    if (!LocateMidi(readAt, fileSize_, place)) {
        prepareError_ = MidiErrorCode::NotMidiFile;  // a RIFF file without MIDI data
        Seek(0);
        return;
    }
    if (IsType0(readAt, place)) {
        // The split needs the whole track; a type 0 file is held in memory, as the
        // in-memory reader holds every file.
        std::vector<uint8_t> bytes(static_cast<size_t>(place.size));
        Seek(place.offset);
        bytes.resize(Read(bytes.data(), bytes.size()));
        SplitResult split = SplitType0(bytes.data(), bytes.size());
        prepareError_ = split.midiError;
        if (prepareError_ == 0) {
            image_ = std::move(split.image);
            inMemory_ = true;
            fileSize_ = static_cast<int64_t>(image_.size());
            splitNoteTracks_ = split.noteTracks;
        }
    } else if (place.riff) {
        base_ = place.offset;
        fileSize_ = place.size;
        limited_ = true;
    }
    Seek(0);
}

void ChunkReader::Close() {
    buffer_.reset();
    image_ = std::vector<uint8_t>();
    inMemory_ = false;
    fill_ = pos_ = 0;
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

int64_t ChunkReader::Tell() const {
    if (inMemory_) return imagePosition_;
    const off_t position = ftello(file_);
    if (position < 0) throw IoError(fileName_, "cannot tell the read position: " + SystemError());
    return position - base_;
}

void ChunkReader::Seek(int64_t offset) {
    if (inMemory_) {
        imagePosition_ = std::max<int64_t>(offset, 0);
        return;
    }
    if (fseeko(file_, static_cast<off_t>(base_ + offset), SEEK_SET) != 0)
        throw IoError(fileName_, "cannot seek: " + SystemError());
}

size_t ChunkReader::Read(uint8_t* target, size_t count) {
    if (inMemory_ || limited_)
        count = static_cast<size_t>(std::clamp<int64_t>(fileSize_ - Tell(), 0, static_cast<int64_t>(count)));
    if (inMemory_) {
        if (count > 0) std::memcpy(target, image_.data() + imagePosition_, count);
        imagePosition_ += static_cast<int64_t>(count);
        return count;
    }
    const size_t got = std::fread(target, 1, count, file_);
    if (got < count && std::ferror(file_) != 0) throw IoError(fileName_, "cannot read: " + SystemError());
    return got;
}

void ChunkReader::Copy(int64_t count, const std::function<void(const uint8_t*, size_t)>& sink) {
    while (count > 0) {
        const size_t block = static_cast<size_t>(std::min<int64_t>(count, BufferSize));
        const size_t got = Read(buffer_.get(), block);
        if (got == 0) break;
        sink(buffer_.get(), got);
        count -= static_cast<int64_t>(got);
    }
    DropBuffer();
}

std::optional<int64_t> ChunkReader::CopyToFile(std::FILE* target, int64_t count) {
    // A split type 0 file is read from its image in memory, and a RIFF-wrapped one only up
    // to the end of the MIDI file inside it: both are copied through the buffer instead.
    if (inMemory_ || limited_) return std::nullopt;
    const std::optional<int64_t> copied = CopyBetweenFiles(file_, target, count);
    if (copied) DropBuffer();
    return copied;
}

void ChunkReader::DropBuffer() {
    fill_ = 0;
    pos_ = 0;
    start_ = file_ != nullptr ? Tell() : 0;
}

void ChunkReader::Reset() {
    if (file_ != nullptr && buffer_ != nullptr) {
        DropBuffer();
    } else {
        fill_ = pos_ = 0;
        start_ = 0;
    }
    chunkEnd_ = NoLimit;
}

void ChunkReader::Refill() {
    start_ += fill_;
    pos_ = 0;
    fill_ = 0;
    fill_ = static_cast<int>(Read(buffer_.get(), BufferSize));
}

ChunkReader::ByteResult ChunkReader::NextSlow(uint8_t& byte) {
    byte = 0;
    if (Position() >= chunkEnd_) return ByteResult::ChunkEnded;
    if (pos_ >= fill_) {
        Refill();
        if (fill_ == 0) return ByteResult::FileEnded;
    }
    byte = buffer_[static_cast<size_t>(pos_++)];
    return ByteResult::Ok;
}

int64_t ChunkReader::Remaining() const {
    return std::max<int64_t>(0, std::min(chunkEnd_, fileSize_) - Position());
}

}  // namespace sonkora
