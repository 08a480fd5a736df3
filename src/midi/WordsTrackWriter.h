#pragma once
// The karaoke tracks the pass composes in memory while it reads the voice track: the
// information track ("Soft karaoke", "@KMIDI KARAOKE FILE") and the Words track with one
// text or lyric event per syllable. The Words track's length is known only at its end,
// so it is written out as a whole once the lyrics are done.
//
// A buffer that fills up, a gap no MIDI file can express or a text longer than the
// buffer set the pass's error code to VoiceTrackTooLong (unless one is already set).

#include <cstdint>
#include <memory>
#include <string>

namespace sonkora {

class WordsTrackWriter {
public:
    static constexpr int BufferSize = 65536;

    explicit WordsTrackWriter(int32_t& error) : error_(error) {}

    // Not cleared: only what is written is read, and untouched pages cost nothing.
    void Allocate() { words_ = std::make_unique_for_overwrite<uint8_t[]>(BufferSize); }
    void Release() { words_.reset(); }
    void Reset();  // an empty buffer, no chunk started

    // The information track (unless `wordsOnly`) and the start of the Words track.
    void StartTracks(bool wordsOnly);
    bool Started() const { return dataStart_ >= 4; }
    void TextEvent(int32_t delta, uint8_t metaType, const std::string& text);
    bool EndsWithReturn() const;
    // The word boundary of an exported lyric: one space at the end of the last lyric
    // event, which is always the last thing in the buffer. The track name is left alone.
    void AddTrailingSpace();
    // Writes the Words track's length into its chunk header.
    void PatchLength();

    const uint8_t* Data() const { return words_.get(); }
    size_t Size() const { return static_cast<size_t>(pos_); }

private:
    void StoreByte(uint8_t byte);
    void StoreQuantity(uint32_t value);

    int32_t& error_;
    std::unique_ptr<uint8_t[]> words_;
    int pos_ = 0;
    int dataStart_ = -1;  // -1 until the Words chunk is started
    int lastLengthPos_ = -1;
    uint8_t lastTextType_ = 0;
};

}  // namespace sonkora
