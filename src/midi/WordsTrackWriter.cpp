#include "midi/WordsTrackWriter.h"

#include <stdexcept>

#include "midi/MidiTypes.h"
#include "midi/MidiWriter.h"

namespace sonkora {

namespace {

constexpr uint8_t EndOfTrackType = 0x2F;
constexpr uint8_t TextType = 0x01;
constexpr uint8_t TrackNameType = 0x03;
constexpr uint8_t LyricType = 0x05;

}  // namespace

void WordsTrackWriter::Reset() {
    pos_ = 0;
    dataStart_ = -1;
    lastLengthPos_ = -1;
    lastTextType_ = 0;
}

void WordsTrackWriter::StoreByte(uint8_t byte) {
    if (pos_ >= BufferSize) {
        if (error_ == 0) error_ = MidiErrorCode::VoiceTrackTooLong;
        return;
    }
    words_[static_cast<size_t>(pos_++)] = byte;
    if (pos_ == BufferSize && error_ == 0) error_ = MidiErrorCode::VoiceTrackTooLong;
}

void WordsTrackWriter::StoreQuantity(uint32_t value) {
    for (const uint8_t byte : EncodeQuantity(value)) StoreByte(byte);
}

void WordsTrackWriter::StartTracks(bool wordsOnly) {
    if (!wordsOnly) {
        for (uint8_t byte : {'M', 'T', 'r', 'k', '\0', '\0', '\0', '\x2B'}) StoreByte(byte);
        TextEvent(0, TrackNameType, "Soft karaoke");
        TextEvent(0, TextType, "@KMIDI KARAOKE FILE");
        TextEvent(0, EndOfTrackType, "");
    }
    for (uint8_t byte : {'M', 'T', 'r', 'k', '\0', '\0', '\0', '\0'}) StoreByte(byte);
    dataStart_ = pos_;
    TextEvent(0, TrackNameType, "Words");
}

void WordsTrackWriter::TextEvent(int32_t delta, uint8_t metaType, const std::string& text) {
    if (delta < 0) throw std::invalid_argument("a text event cannot go back in time");
    if (static_cast<uint32_t>(delta) > MaxQuantity || text.size() >= static_cast<size_t>(BufferSize)) {
        // A gap no MIDI file can express, or a text the buffer cannot hold.
        if (error_ == 0) error_ = MidiErrorCode::VoiceTrackTooLong;
        return;
    }
    StoreQuantity(static_cast<uint32_t>(delta));
    StoreByte(0xFF);
    StoreByte(metaType);
    lastLengthPos_ = pos_;
    lastTextType_ = metaType;
    StoreQuantity(static_cast<uint32_t>(text.size()));
    for (char c : text) StoreByte(static_cast<uint8_t>(c));
}

bool WordsTrackWriter::EndsWithReturn() const {
    return pos_ > 0 && words_[static_cast<size_t>(pos_ - 1)] == '\r';
}

void WordsTrackWriter::AddTrailingSpace() {
    if (lastLengthPos_ < 0 || lastTextType_ != LyricType) return;
    uint32_t length = 0;
    int position = lastLengthPos_;
    while (position < pos_) {
        const uint8_t byte = words_[static_cast<size_t>(position++)];
        length = (length << 7) | (byte & 0x7Fu);
        if ((byte & 0x80) == 0) break;
    }
    if (static_cast<int64_t>(position) + length != pos_) return;  // cut off by a full buffer
    const std::string text(words_.get() + position, words_.get() + pos_);
    // Rewritten rather than patched, so a length that needs one more byte stays valid.
    pos_ = lastLengthPos_;
    StoreQuantity(length + 1);
    for (char c : text) StoreByte(static_cast<uint8_t>(c));
    StoreByte(' ');
}

void WordsTrackWriter::PatchLength() {
    const uint32_t length = static_cast<uint32_t>(pos_ - dataStart_);
    for (int i = 0; i < 4; ++i)
        words_[static_cast<size_t>(dataStart_ - 4 + i)] = static_cast<uint8_t>(length >> (24 - 8 * i));
}

}  // namespace sonkora
