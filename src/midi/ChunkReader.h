#pragma once
// The input side of the karaoke pass: a seekable MIDI file read through a 64 KiB buffer,
// byte by byte within the current track chunk. Reading stops at the chunk's end, which
// may be claimed beyond the end of the file.
//
// Offsets are those of the standard MIDI file: a RIFF MIDI file is read from its "data"
// chunk on, and a type 0 file is read as the type 1 image it splits into (MidiFileImage),
// held in memory.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sonkora {

class ChunkReader {
public:
    static constexpr int BufferSize = 65536;
    static constexpr int64_t NoLimit = std::numeric_limits<int64_t>::max();

    enum class ByteResult { Ok, ChunkEnded, FileEnded };

    ChunkReader() = default;
    ~ChunkReader() { Close(); }
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    // Opens a plain, seekable file and allocates the buffer. Throws IoError otherwise.
    // A file that cannot be unwrapped or split leaves its code in PrepareError().
    void Open(const std::string& fileName);
    int32_t PrepareError() const { return prepareError_; }
    // The channel tracks that play notes when a type 0 file was split, else -1.
    int SplitNoteTracks() const { return splitNoteTracks_; }
    // The size of the MIDI file read.
    int64_t Size() const { return fileSize_; }
    void Close();  // closes the file and frees the buffer
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& FileName() const { return fileName_; }

    int64_t Tell() const;
    // Seeking past the end is allowed: the next read simply finds nothing there.
    void Seek(int64_t offset);
    // Reads past the buffer, straight from the file position.
    size_t Read(uint8_t* target, size_t count);
    // Copies up to `count` bytes from the file position to `sink`; a file that ends
    // sooner is copied as far as it goes.
    void Copy(int64_t count, const std::function<void(const uint8_t*, size_t)>& sink);
    // The same straight into an open file inside the kernel; nothing when the kernel cannot
    // copy between these files (the caller then copies through Copy). Throws
    // std::system_error when the copy fails part of the way.
    std::optional<int64_t> CopyToFile(std::FILE* target, int64_t count);

    // Forgets the buffered bytes: the next byte comes from the file position.
    void DropBuffer();
    // Drops the buffer and lifts the chunk limit (a reader that is not open just resets).
    void Reset();
    void RefillIfEmpty() {
        if (pos_ >= fill_) Refill();
    }
    // Inline: the pass reads every byte of the voice track through here.
    ByteResult Next(uint8_t& byte) {
        if (pos_ < fill_ && start_ + pos_ < chunkEnd_) {
            byte = buffer_[static_cast<size_t>(pos_++)];
            return ByteResult::Ok;
        }
        return NextSlow(byte);
    }

    int64_t Position() const { return start_ + pos_; }  // of the next buffered byte
    int32_t BufferPosition() const { return pos_; }
    int64_t ChunkEnd() const { return chunkEnd_; }
    void SetChunkEnd(int64_t end) { chunkEnd_ = end; }
    // The bytes left in the chunk that the file really holds.
    int64_t Remaining() const;

private:
    // Next at the end of the buffer or of the chunk.
    ByteResult NextSlow(uint8_t& byte);
    void Refill();
    void Prepare();

    std::FILE* file_ = nullptr;
    std::string fileName_;
    std::unique_ptr<uint8_t[]> buffer_;
    int fill_ = 0;
    int pos_ = 0;
    int64_t start_ = 0;  // file offset of buffer_[0]
    int64_t fileSize_ = 0;
    int64_t chunkEnd_ = NoLimit;
    int64_t base_ = 0;      // where the MIDI file starts in the file (RIFF)
    bool limited_ = false;  // reads stop at fileSize_ (a RIFF file goes on after the MIDI data)
    bool inMemory_ = false;
    std::vector<uint8_t> image_;  // a split type 0 file
    int64_t imagePosition_ = 0;
    int32_t prepareError_ = 0;
    int splitNoteTracks_ = -1;
};

}  // namespace sonkora
