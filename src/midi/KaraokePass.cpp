#include "midi/KaraokePass.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <stdexcept>

#include "common/IoError.h"
#include "midi/EventDecoder.h"
#include "midi/TimeCode.h"
#include "midi/TrackListing.h"

namespace sonkora {

namespace {

constexpr int64_t NoLimit = std::numeric_limits<int64_t>::max();
// The largest value a MIDI variable-length quantity of four bytes holds.
constexpr uint32_t MaxQuantity = 0x0FFFFFFF;
constexpr uint8_t EndOfTrackType = 0x2F;
constexpr uint8_t TextType = 0x01;
constexpr uint8_t TrackNameType = 0x03;
constexpr uint8_t LyricType = 0x05;

std::string SystemError() {
    return std::strerror(errno);
}

uint32_t ReadBe32(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

// True only when both names exist and are the same file: creating one must not wipe
// out the other before it was read.
bool SameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
}

bool WritesOutput(PassMode mode) {
    return mode == PassMode::Make || mode == PassMode::Convert || mode == PassMode::Export;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The longest syllable a song text may hold.
constexpr size_t MaxSyllableLength = 120;

// A syllable as song text: every character the lyric body gives a meaning (word gaps,
// syllable marks, escapes, time codes, digits) and every control character is escaped,
// so the compiler reads back exactly these bytes.
std::string EscapeSyllable(const std::string& syllable) {
    std::string escaped;
    escaped.reserve(syllable.size() * 2);
    for (const char c : syllable) {
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ' || c == '-' || c == '_' || c == '\\' || c == '$' ||
            IsDigit(c))
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// Of two breaks before a syllable the one that separates more: a paragraph ("\"), a
// line ("/"), a word (" "), or none (0).
char StrongerBreak(char a, char b) {
    const auto rank = [](char c) { return c == '\\' ? 3 : c == '/' ? 2 : c == ' ' ? 1 : 0; };
    return rank(b) > rank(a) ? b : a;
}

struct CodedTime {
    std::string code;  // bar:beat:unit
    int32_t ticks = 0;
};

// The time code of `ticks`. Where the division cannot name that tick exactly (units are
// 1/120 of a beat), the nearest time before it that is still later than `after`, else
// the nearest one after it. Nothing without a division.
std::optional<CodedTime> TimeCodeNear(int32_t ticks, int32_t after, uint16_t division) {
    constexpr int64_t UnitsPerBeat = 120;
    if (division == 0 || ticks < 0) return std::nullopt;
    const int64_t d = division;
    const int64_t beat = ticks / d;
    const int64_t rest = ticks % d;
    const auto unitTicks = [&](int64_t unit) { return d * unit / UnitsPerBeat; };
    const auto coded = [&](int64_t beatIndex, int64_t unit) {
        const int64_t time = beatIndex * d + unitTicks(unit);
        return CodedTime{
            std::to_string(beatIndex / 4 + 1) + ":" + std::to_string(beatIndex % 4 + 1) + ":" + std::to_string(unit),
            static_cast<int32_t>(std::min<int64_t>(time, std::numeric_limits<int32_t>::max()))};
    };
    const int64_t below = rest * UnitsPerBeat / d;  // names rest or the nearest tick before it
    int64_t above = below;
    while (above < UnitsPerBeat && unitTicks(above) < rest) ++above;
    CodedTime time;
    if (above < UnitsPerBeat && unitTicks(above) == rest) {
        time = coded(beat, above);
    } else if (beat * d + unitTicks(below) > after) {
        time = coded(beat, below);
    } else {
        time = above < UnitsPerBeat ? coded(beat, above) : coded(beat + 1, 0);
    }
    // Only a code the compiler reads back as this very tick is of use.
    if (time.ticks <= after || StrToMidiTime(time.code, division) != time.ticks) return std::nullopt;
    return time;
}

}  // namespace

struct KaraokePass::Files {
    std::FILE* input = nullptr;
    std::FILE* output = nullptr;
    std::FILE* songText = nullptr;
    std::string inputName;
    std::string outputName;
    std::string songTextName;
};

// Bytes of the current track for the event decoder. Reading stops at the end of the
// track chunk, which ends the track, and at the end of the file, which is MidiError -1.
struct KaraokePass::Source {
    KaraokePass& pass;
    bool failed = false;
    bool chunkEnded = false;

    bool Next(uint8_t& byte) {
        byte = 0;
        if (failed) return false;
        if (pass.inputStart_ + pass.inputPos_ >= pass.chunkEnd_) {
            chunkEnded = true;
            failed = true;
            return false;
        }
        if (pass.inputPos_ >= pass.inputFill_) {
            pass.RefillInput();
            if (pass.inputFill_ == 0) {
                if (pass.midiError_ == 0) pass.midiError_ = MidiErrorCode::Reported;
                failed = true;
                return false;
            }
        }
        byte = pass.input_[static_cast<size_t>(pass.inputPos_++)];
        return true;
    }
    int64_t Remaining() const {
        const int64_t position = pass.inputStart_ + pass.inputPos_;
        return std::max<int64_t>(0, std::min(pass.chunkEnd_, pass.fileSize_) - position);
    }
    int32_t Position() const { return pass.inputPos_; }
    bool Failed() const { return failed; }
};

KaraokePass::KaraokePass() : files_(std::make_unique<Files>()) {}

KaraokePass::~KaraokePass() {
    CloseFiles(false);
}

void KaraokePass::RequireOpen(const char* operation) const {
    if (files_->input == nullptr)
        throw std::logic_error(std::string("KaraokePass::") + operation + " needs an open pass");
}

int64_t KaraokePass::Tell() const {
    const off_t position = ftello(files_->input);
    if (position < 0) throw IoError(files_->inputName, "cannot tell the read position: " + SystemError());
    return position;
}

void KaraokePass::Seek(int64_t offset) {
    // Seeking past the end is allowed: the next read simply finds nothing there.
    if (fseeko(files_->input, static_cast<off_t>(offset), SEEK_SET) != 0)
        throw IoError(files_->inputName, "cannot seek: " + SystemError());
}

size_t KaraokePass::ReadInput(uint8_t* target, size_t count) {
    const size_t got = std::fread(target, 1, count, files_->input);
    if (got < count && std::ferror(files_->input) != 0)
        throw IoError(files_->inputName, "cannot read: " + SystemError());
    return got;
}

void KaraokePass::WriteOutput(const uint8_t* data, size_t count) {
    if (files_->output == nullptr || count == 0) return;
    if (std::fwrite(data, 1, count, files_->output) != count)
        throw IoError(files_->outputName, "cannot write: " + SystemError());
}

void KaraokePass::DropInputBuffer() {
    inputFill_ = 0;
    inputPos_ = 0;
    inputStart_ = files_->input != nullptr ? Tell() : 0;
}

void KaraokePass::RefillInput() {
    inputStart_ += inputFill_;
    inputPos_ = 0;
    inputFill_ = 0;
    inputFill_ = static_cast<int>(ReadInput(input_.data(), input_.size()));
}

// Copies up to `count` bytes from the input to the output; a file that ends sooner is
// copied as far as it goes.
void KaraokePass::CopyInput(int64_t count) {
    while (count > 0) {
        const size_t block = static_cast<size_t>(std::min<int64_t>(count, BufferSize));
        const size_t got = ReadInput(input_.data(), block);
        if (got == 0) break;
        WriteOutput(input_.data(), got);
        count -= static_cast<int64_t>(got);
    }
    DropInputBuffer();
}

void KaraokePass::ResetState() {
    if (files_->input != nullptr && !input_.empty()) {
        DropInputBuffer();
    } else {
        inputFill_ = inputPos_ = 0;
        inputStart_ = 0;
    }
    chunkEnd_ = NoLimit;
    wordsPos_ = 0;
    wordsDataStart_ = -1;
    lastLengthPos_ = -1;
    lastTextType_ = 0;
    currentTime_ = 0;
    lastLyricTime_ = -1;
    lastNoteTime_ = -1;
    runningStatus_ = 0;
    endOfTrack_ = false;
    lineStart_ = true;
    conversion_ = WordsConversion{};
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
    trackTable_.fill(TrackEntry{});
    indexed_ = false;
    restOffset_ = 0;
    lastChunkLength_ = 0;
    currentTrack_ = 0;
    *files_ = Files{};
    files_->inputName = inputName;
    files_->outputName = outputName;
    files_->songTextName = songTextName;

    // A pipe or a device would block the open or feed us endless bytes; the pass needs a
    // file it can seek in anyway, so anything but a plain file is refused before opening.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(inputName, statusError);
    if (!statusError && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw IoError(inputName, "cannot read: not a regular file");
    files_->input = std::fopen(inputName.c_str(), "rb");
    if (files_->input == nullptr) throw IoError(inputName, "cannot open: " + SystemError());
    if (fseeko(files_->input, 0, SEEK_END) != 0 || (fileSize_ = ftello(files_->input)) < 0 ||
        fseeko(files_->input, 0, SEEK_SET) != 0) {
        const std::string reason = SystemError();
        CloseFiles(false);
        throw IoError(inputName, "cannot read: not a seekable file (" + reason + ")");
    }

    if (WritesOutput(mode)) {
        if (!SameFile(outputName, inputName)) files_->output = std::fopen(outputName.c_str(), "wb");
        if (files_->output == nullptr) midiError_ = MidiErrorCode::CannotCreateOutput;
    }
    if (mode == PassMode::Convert && files_->output != nullptr) {
        if (!SameFile(songTextName, inputName) && !SameFile(songTextName, outputName))
            files_->songText = std::fopen(songTextName.c_str(), "wb");
        if (files_->songText == nullptr) {
            midiError_ = MidiErrorCode::CannotCreateSongText;
        } else {
            WriteSongText("\\t " + std::to_string(voiceTrack));
            EndSongTextLine();
            if (!midiFileRef.empty()) {
                WriteSongText("\\m " + midiFileRef);
                EndSongTextLine();
            }
            if (!karaokeFileRef.empty()) {
                WriteSongText("\\k " + karaokeFileRef);
                EndSongTextLine();
            }
        }
    }
    lyricIndex_ = 0;
    if (mode == PassMode::Collect) noteTimes_.clear();

    input_.assign(BufferSize, 0);
    words_.assign(BufferSize, 0);
    ResetState();
}

void KaraokePass::ReadPassHeader() {
    RequireOpen("ReadPassHeader");
    Seek(0);
    uint8_t bytes[14] = {};
    const size_t got = ReadInput(bytes, sizeof bytes);
    DropInputBuffer();
    if (got < sizeof bytes || std::memcmp(bytes, "MThd", 4) != 0 || ReadBe32(bytes + 4) != 6) {
        midiError_ = MidiErrorCode::NotMidiFile;
        return;
    }
    header_.Format = static_cast<uint16_t>((bytes[8] << 8) | bytes[9]);
    header_.TrackCount = static_cast<uint16_t>((bytes[10] << 8) | bytes[11]);
    header_.Division = static_cast<uint16_t>((bytes[12] << 8) | bytes[13]);
    if (header_.Format != 1) {
        midiError_ = MidiErrorCode::NotType1;
    } else if (header_.TrackCount == 0) {
        midiError_ = MidiErrorCode::NotMidiFile;
    } else if (header_.TrackCount > MaxTracks) {
        midiError_ = MidiErrorCode::TooManyTracks;
    } else if (mode_ == PassMode::Convert && header_.TrackCount < 3) {
        // Without its information and Words tracks this is no Soft Karaoke file, and the
        // count written below would go negative.
        midiError_ = MidiErrorCode::Reported;
    }
    // A header that failed its check is not written: the output is discarded anyway.
    if (midiError_ != 0 || !WritesOutput(mode_)) return;
    int written = header_.TrackCount;
    if (mode_ == PassMode::Make) written += 2;
    if (mode_ == PassMode::Convert) written -= 2;
    if (mode_ == PassMode::Export) written += 1;
    bytes[10] = static_cast<uint8_t>(written >> 8);
    bytes[11] = static_cast<uint8_t>(written);
    WriteOutput(bytes, sizeof bytes);
}

void KaraokePass::ReadChunkHeader(bool copy) {
    RequireOpen("ReadChunkHeader");
    uint8_t bytes[8] = {};
    const size_t got = ReadInput(bytes, sizeof bytes);
    if (got < sizeof bytes || std::memcmp(bytes, "MTrk", 4) != 0) {
        midiError_ = MidiErrorCode::UnknownCode;
        DropInputBuffer();
        return;
    }
    lastChunkLength_ = ReadBe32(bytes + 4);
    if (copy && WritesOutput(mode_)) {
        WriteOutput(bytes, sizeof bytes);
        CopyInput(lastChunkLength_);
    } else {
        Seek(Tell() + lastChunkLength_);
        DropInputBuffer();
    }
}

void KaraokePass::SelectVoiceTrack(int n) {
    RequireOpen("SelectVoiceTrack");
    if (midiError_ == 0) {
        if (n < 1 || n >= header_.TrackCount)
            throw std::out_of_range("voice track " + std::to_string(n) + " is not a track of " + files_->inputName);
        for (int i = 0; i < header_.TrackCount && midiError_ == 0; ++i) {
            const int64_t chunkStart = Tell();
            ReadChunkHeader(i == 0);
            if (midiError_ != 0) break;
            if (i == 0) restOffset_ = Tell();
            if (i > 0) {
                TrackEntry& entry = trackTable_[static_cast<size_t>(i)];
                entry = TrackEntry{chunkStart + 8, chunkStart + 8 + lastChunkLength_, 0, 0};
            }
            if (mode_ == PassMode::Convert && i + 1 == n) restOffset_ = Tell();
        }
        indexed_ = midiError_ == 0;
        if (indexed_) Seek(trackTable_[static_cast<size_t>(n)].offset);
    }
    ResetState();
    currentTrack_ = n;
    if (indexed_) chunkEnd_ = trackTable_[static_cast<size_t>(n)].end;
}

void KaraokePass::StoreByte(uint8_t byte) {
    if (wordsPos_ >= BufferSize) {
        if (midiError_ == 0) midiError_ = MidiErrorCode::VoiceTrackTooLong;
        return;
    }
    words_[static_cast<size_t>(wordsPos_++)] = byte;
    if (wordsPos_ == BufferSize && midiError_ == 0) midiError_ = MidiErrorCode::VoiceTrackTooLong;
}

void KaraokePass::StoreQuantity(uint32_t value) {
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 4);
    while (count > 0) {
        --count;
        StoreByte(static_cast<uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
    }
}

void KaraokePass::WriteKaraokeTracks() {
    RequireOpen("WriteKaraokeTracks");
    if (mode_ != PassMode::Export) {
        for (uint8_t byte : {'M', 'T', 'r', 'k', '\0', '\0', '\0', '\x2B'}) StoreByte(byte);
        WriteTextEvent(0, TrackNameType, "Soft karaoke");
        WriteTextEvent(0, TextType, "@KMIDI KARAOKE FILE");
        WriteTextEvent(0, EndOfTrackType, "");
    }
    for (uint8_t byte : {'M', 'T', 'r', 'k', '\0', '\0', '\0', '\0'}) StoreByte(byte);
    wordsDataStart_ = wordsPos_;
    WriteTextEvent(0, TrackNameType, "Words");
}

void KaraokePass::WriteTextEvent(int32_t delta, uint8_t metaType, const std::string& text) {
    RequireOpen("WriteTextEvent");
    if (delta < 0) throw std::invalid_argument("a text event cannot go back in time");
    if (static_cast<uint32_t>(delta) > MaxQuantity || text.size() >= static_cast<size_t>(BufferSize)) {
        // A gap no MIDI file can express, or a text the buffer cannot hold.
        if (midiError_ == 0) midiError_ = MidiErrorCode::VoiceTrackTooLong;
        return;
    }
    StoreQuantity(static_cast<uint32_t>(delta));
    StoreByte(0xFF);
    StoreByte(metaType);
    lastLengthPos_ = wordsPos_;
    lastTextType_ = metaType;
    StoreQuantity(static_cast<uint32_t>(text.size()));
    for (char c : text) StoreByte(static_cast<uint8_t>(c));
}

bool KaraokePass::LastWordsByteIsReturn() const {
    return wordsPos_ > 0 && words_[static_cast<size_t>(wordsPos_ - 1)] == '\r';
}

// The word boundary of an exported lyric: one space at the end of the last lyric event,
// which is always the last thing in the buffer. The track name is left alone.
void KaraokePass::AddTrailingSpace() {
    if (lastLengthPos_ < 0 || lastTextType_ != LyricType) return;
    uint32_t length = 0;
    int position = lastLengthPos_;
    while (position < wordsPos_) {
        const uint8_t byte = words_[static_cast<size_t>(position++)];
        length = (length << 7) | (byte & 0x7Fu);
        if ((byte & 0x80) == 0) break;
    }
    if (static_cast<int64_t>(position) + length != wordsPos_) return;  // cut off by a full buffer
    const std::string text(words_.begin() + position, words_.begin() + wordsPos_);
    // Rewritten rather than patched, so a length that needs one more byte stays valid.
    wordsPos_ = lastLengthPos_;
    StoreQuantity(length + 1);
    for (char c : text) StoreByte(static_cast<uint8_t>(c));
    StoreByte(' ');
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
            if (!LastWordsByteIsReturn()) AddTrailingSpace();
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
    MidiEvent event;
    do {
        if (!ReadPassEvent(event)) break;
        const uint8_t status = event.Status;
        if (status >= 0xF0) {
            if (mode_ == PassMode::Convert && status == 0xFF &&
                (event.MetaType == TextType || event.MetaType == LyricType))
                ConvertWordsText(event);
        } else if ((status & 0xF0) == 0x90 && event.Data2 > 0 && mode_ != PassMode::Convert &&
                   event.Time != lastNoteTime_ && event.Time > lastLyricTime_) {
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

void KaraokePass::WriteSongText(const std::string& text) {
    if (files_->songText == nullptr || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), files_->songText) != text.size())
        throw IoError(files_->songTextName, "cannot write: " + SystemError());
}

void KaraokePass::EndSongTextLine() {
    WriteSongText("\n");
}

// One text or lyric event of a Words track, turned back into song text: the syllable
// prefixes become line and word breaks, notes without a text of their own get a lone
// "-", and the characters the song text format gives a meaning are escaped.
//
// The song text must compile back to the same lyrics at the same ticks, so several
// places differ from a plain transcription:
//  - header lines take no note and write no placeholders, and once the lyrics have
//    begun they are left out: among the lyrics they would be read as syllables;
//  - the lyrics start after an empty line, and nothing stands before the first
//    syllable but its placeholders: a separator there would be read back as an empty
//    syllable of its own and put every later syllable one note late;
//  - besides blanks, "-", "_" and digits, also "\", "$" and control characters inside
//    a text are escaped, which would otherwise be read as escapes, time codes or gaps;
//  - a text takes the voice note at its tick; a text on no note (a title before the
//    music, the words of a voice track with fewer notes, a lyric of a time code) gets a
//    time code instead of taking the next note and pushing every later text on, and
//    only where no code names its tick exactly does a note a 32nd note away take it;
//  - two lyrics cannot share a tick, so a text at the tick of the one before joins it,
//    and a text and a lyric event with the same words at the same tick are one lyric;
//  - carriage returns and line feeds that begin or end a text, and the blank that ends
//    a lyric event, are the line and word breaks of lyric events: they become breaks;
//  - a syllable holds at most 120 characters; the rest of a longer text is left out.
void KaraokePass::ConvertWordsText(const MidiEvent& event) {
    const std::string& text = event.Text;
    WordsConversion& state = conversion_;
    if (!text.empty() && text[0] == '@') {
        if (lineStart_) {
            std::string line = text;
            std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
            WriteSongText(line);
            EndSongTextLine();
        }
        return;
    }

    // The break before the text: its own prefix, a line end in front of it, or what a
    // text before it left owing; the strongest of them.
    const char owedBefore = state.pendingBreak;
    char mark = state.pendingBreak;
    state.pendingBreak = 0;
    std::string syllable = text;
    if (!syllable.empty() && (syllable[0] == ' ' || syllable[0] == '/' || syllable[0] == '\\')) {
        mark = StrongerBreak(mark, syllable[0]);
        syllable.erase(0, 1);
    }
    const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    const size_t first = std::find_if_not(syllable.begin(), syllable.end(), isLineEnd) - syllable.begin();
    if (first > 0) mark = StrongerBreak(mark, '/');
    size_t last = syllable.size();
    while (last > first &&
           (isLineEnd(syllable[last - 1]) || (event.MetaType == LyricType && syllable[last - 1] == ' '))) {
        state.pendingBreak = StrongerBreak(state.pendingBreak, isLineEnd(syllable[last - 1]) ? '/' : ' ');
        --last;
    }
    syllable = syllable.substr(first, last - first);
    // Read back, a carriage return is nothing, and it would split the song text's line.
    std::erase(syllable, '\r');
    if (syllable.empty()) {
        state.pendingBreak = StrongerBreak(state.pendingBreak, mark);
        return;
    }

    const bool repeat = state.lastType != 0 && state.lastType != event.MetaType && state.lastTextTime == event.Time &&
                        state.lastSyllable == syllable;
    state.lastType = event.MetaType;
    state.lastTextTime = event.Time;
    state.lastSyllable = syllable;
    if (repeat) {
        state.pendingBreak = owedBefore;  // a repeat leaves no trace, not even its breaks
        return;
    }

    if (!lineStart_ && event.Time <= state.lastTime) {
        // Joined to the syllable before, a break becoming a blank inside it.
        if (mark != 0) syllable.insert(0, " ");
        syllable.resize(
            std::min(syllable.size(), MaxSyllableLength - std::min(MaxSyllableLength, state.syllableLength)));
        state.syllableLength += syllable.size();
        WriteSongText(EscapeSyllable(syllable));
        return;
    }
    if (syllable.size() > MaxSyllableLength) syllable.resize(MaxSyllableLength);

    // The notes the compiler passes over after a time code, then those before the text.
    const int noteCount = std::min(noteCount_, static_cast<int>(noteTimes_.size()));
    const auto noteAt = [&](int i) { return noteTimes_[static_cast<size_t>(i)]; };
    while (lyricIndex_ < noteCount && noteAt(lyricIndex_) <= state.lastTime) ++lyricIndex_;
    int next = lyricIndex_;
    while (next < noteCount && noteAt(next) < event.Time) ++next;
    // The note the text goes with: the one at its tick. Otherwise the tick is written out
    // when a time code can name it exactly; when none can, a note within a 32nd note
    // takes the text (the nearer of two), and only then does an approximate code.
    int note = -1;
    std::optional<CodedTime> coded;
    if (next < noteCount && noteAt(next) == event.Time) {
        note = next;
    } else {
        coded = TimeCodeNear(event.Time, state.lastTime, header_.Division);
        if (!coded || coded->ticks != event.Time) {
            const int64_t reach = header_.Division / 8;
            const auto distance = [&](int i) { return std::llabs(static_cast<int64_t>(noteAt(i)) - event.Time); };
            const bool before = next > lyricIndex_ && distance(next - 1) <= reach;
            const bool after = next < noteCount && distance(next) <= reach;
            if (before && (!after || distance(next - 1) <= distance(next)))
                note = next - 1;
            else if (after)
                note = next;
        }
        if (note < 0 && !coded && next < noteCount) note = next;  // without a division no time can be written
    }

    int placeholders = 0;
    std::string timeCode;
    if (note < 0 && coded) {
        timeCode = "$" + coded->code + "$";
        state.lastTime = coded->ticks;
    }
    if (note >= 0) {
        placeholders = note - lyricIndex_;
        lyricIndex_ = note + 1;
        state.lastTime = noteAt(note);
    }

    // Each placeholder closes the syllable before it and opens an empty one, which the
    // text's own break then closes. At the start of the lyric body there is no syllable
    // to close: after the empty line that ends the header, the placeholders stand for
    // the silent notes and the first syllable is joined to them.
    std::string separator;
    if (lineStart_) {
        EndSongTextLine();
    } else if (mark == ' ') {
        separator = " ";
    } else if (mark == '/') {
        separator = "\n";
    } else if (mark == '\\') {
        separator = "\n\n";
    } else {
        separator = "-";
    }
    WriteSongText(std::string(static_cast<size_t>(placeholders), '-') + separator + timeCode +
                  EscapeSyllable(syllable));
    state.syllableLength = syllable.size();
    lineStart_ = false;
}

void KaraokePass::SwitchVoiceTrack(int n) {
    RequireOpen("SwitchVoiceTrack");
    if (!indexed_) throw std::logic_error("KaraokePass::SwitchVoiceTrack before a voice track was selected");
    if (n < 1 || n >= header_.TrackCount)
        throw std::out_of_range("voice track " + std::to_string(n) + " is not a track of " + files_->inputName);
    TrackEntry& left = trackTable_[static_cast<size_t>(currentTrack_)];
    left.offset = inputStart_ + inputPos_;
    left.time = currentTime_;
    left.runningStatus = runningStatus_;
    const TrackEntry& next = trackTable_[static_cast<size_t>(n)];
    Seek(next.offset);
    DropInputBuffer();
    currentTime_ = next.time;
    runningStatus_ = next.runningStatus;
    chunkEnd_ = next.end;
    endOfTrack_ = false;
    currentTrack_ = n;
}

void KaraokePass::FinishWords() {
    RequireOpen("FinishWords");
    if (wordsDataStart_ < 4) throw std::logic_error("KaraokePass::FinishWords before WriteKaraokeTracks");
    // A pass that failed leaves its output incomplete; it must not look finished.
    if (midiError_ != 0) return;
    if (mode_ == PassMode::Export && !LastWordsByteIsReturn()) AddTrailingSpace();
    WriteTextEvent(0, EndOfTrackType, "");
    if (midiError_ != 0) return;
    const uint32_t length = static_cast<uint32_t>(wordsPos_ - wordsDataStart_);
    for (int i = 0; i < 4; ++i)
        words_[static_cast<size_t>(wordsDataStart_ - 4 + i)] = static_cast<uint8_t>(length >> (24 - 8 * i));
    WriteOutput(words_.data(), static_cast<size_t>(wordsPos_));
    CopyRest();
}

void KaraokePass::CopyRest() {
    RequireOpen("CopyRest");
    if (files_->output == nullptr) return;
    Seek(restOffset_);
    DropInputBuffer();
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
        event.Position = inputPos_;
        event.Time = currentTime_ = timeBefore;
        event.Status = 0xFF;
        event.MetaType = EndOfTrackType;
        endOfTrack_ = true;
        return midiError_ == 0;
    };
    if (inputStart_ + inputPos_ >= chunkEnd_) return endAtChunkEnd();
    if (inputPos_ >= inputFill_) RefillInput();  // so Position points into the buffer in use
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

void KaraokePass::ListTrack(std::string& name, std::string& line) {
    RequireOpen("ListTrack");
    ResetState();
    const int64_t chunkStart = inputStart_;
    uint8_t chunkHeader[8] = {};
    Source source{*this};
    for (uint8_t& byte : chunkHeader) source.Next(byte);
    if (source.Failed() || std::memcmp(chunkHeader, "MTrk", 4) != 0) {
        midiError_ = MidiErrorCode::UnknownCode;
        return;
    }
    const int64_t nextChunk = chunkStart + 8 + ReadBe32(chunkHeader + 4);
    chunkEnd_ = nextChunk;

    std::string trackName;
    int program = -1;
    int channel = 0;
    MidiEvent event;
    while (!endOfTrack_ && ReadPassEvent(event)) {
        const uint8_t kind = event.Status & 0xF0;
        if (event.Status == 0xFF && event.MetaType == TrackNameType && trackName.empty())
            trackName = event.Text;
        else if (kind == 0xC0 && program == -1)
            program = event.Data1;
        else if (kind == 0x90 && channel == 0)
            channel = (event.Status & 0x0F) + 1;
        if (!trackName.empty() && program != -1 && channel != 0) break;
    }
    Seek(nextChunk);
    DropInputBuffer();
    if (channel == 10) program = 128;
    name = trackName;
    line = TrackListingLine(channel, program, trackName);
    midiError_ = 0;  // a damaged track still gets its line; the listing goes on
}

void KaraokePass::ClosePass() {
    CloseFiles(true);
}

void KaraokePass::CloseFiles(bool reportErrors) {
    const bool wasOpen = files_->input != nullptr;
    input_ = std::vector<uint8_t>();
    words_ = std::vector<uint8_t>();
    inputFill_ = inputPos_ = 0;
    std::string failedFile;
    std::string reason;
    auto note = [&](const std::string& file) {
        if (failedFile.empty()) {
            failedFile = file;
            reason = SystemError();
        }
    };
    if (files_->songText != nullptr) {
        if (std::fputc('\n', files_->songText) == EOF) note(files_->songTextName);
        if (std::fclose(files_->songText) != 0) note(files_->songTextName);
        files_->songText = nullptr;
    }
    if (files_->output != nullptr) {
        if (std::fclose(files_->output) != 0) note(files_->outputName);
        files_->output = nullptr;
    }
    if (wasOpen && mode_ == PassMode::Collect) noteCount_ = lyricIndex_;
    if (files_->input != nullptr) {
        std::fclose(files_->input);
        files_->input = nullptr;
    }
    if (reportErrors && !failedFile.empty()) throw IoError(failedFile, "cannot write: " + reason);
}

}  // namespace sonkora
