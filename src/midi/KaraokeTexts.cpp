#include "midi/KaraokeTexts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "common/FoldUpper.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "midi/ByteOrder.h"
#include "midi/EventDecoder.h"
#include "midi/MidiWriter.h"

namespace sonkora {

namespace {

constexpr uint8_t TextType = 0x01;
constexpr uint8_t TrackNameType = 0x03;
constexpr uint8_t LyricType = 0x05;
constexpr uint8_t EndOfTrackType = 0x2F;
constexpr size_t WordsChunk = 2;

// The bytes of one chunk for the event decoder. Bytes past the data read as nothing;
// the callers stop at the end of the data.
struct MemorySource {
    const uint8_t* data;
    size_t pos;
    size_t end;
    bool dry = false;  // a byte was wanted past the end
    bool Next(uint8_t& byte) {
        byte = 0;
        if (pos >= end) {
            dry = true;
            return false;
        }
        byte = data[pos++];
        return true;
    }
    int64_t Remaining() const { return static_cast<int64_t>(end - pos); }
    int32_t Position() const { return static_cast<int32_t>(pos); }
    bool Failed() const { return false; }
};

// Walks the events of a chunk: `visit(event, start, end)` with the byte range of each
// whole event. Returns false when the chunk's data ended inside an event or an event
// could not be decoded (the events before it were visited).
template <typename Visit>
bool WalkChunk(const std::vector<uint8_t>& file, const ChunkSurvey& chunk, Visit visit) {
    const size_t dataStart = static_cast<size_t>(chunk.offset) + 8;
    MemorySource source{file.data(), dataStart, dataStart + static_cast<size_t>(chunk.dataLength)};
    uint8_t runningStatus = 0;
    int32_t time = 0;
    MidiEvent event;
    const DecodeOptions options;
    while (source.pos < source.end) {
        const size_t start = source.pos;
        if (DecodeEvent(source, runningStatus, time, event, options) != DecodeResult::Ok) return false;
        // A source that ran dry has fed zeros into the event: it is not a whole event.
        if (source.dry) return false;
        if (!visit(event, start, source.pos)) return true;
        if (event.Status == 0xFF && event.MetaType == EndOfTrackType) return true;
    }
    return true;
}

// The length of the delta time at `start` (1 to 4 bytes).
size_t QuantityLength(const std::vector<uint8_t>& file, size_t start) {
    size_t length = 1;
    while (length < 4 && start + length <= file.size() && (file[start + length - 1] & 0x80) != 0) ++length;
    return length;
}

// The chunk without its karaoke texts, with its chunk header; empty when it cannot be
// rewritten exactly (an undecodable event after a removed one, or a delta too large).
MidiBytes StripChunk(const std::vector<uint8_t>& file, const ChunkSurvey& chunk, bool wordsTrack) {
    MidiBytes data;
    uint64_t carry = 0;
    bool exact = true;
    bool ended = false;
    size_t copied = static_cast<size_t>(chunk.offset) + 8;
    const bool whole = WalkChunk(file, chunk, [&](const MidiEvent& event, size_t start, size_t end) {
        copied = end;
        if (event.Status == 0xFF && event.MetaType == EndOfTrackType) ended = true;
        if (IsKaraokeText(event, wordsTrack)) {
            carry += static_cast<uint32_t>(event.Delta);
            return true;
        }
        if (carry == 0) {
            data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(start),
                        file.begin() + static_cast<std::ptrdiff_t>(end));
            return true;
        }
        const uint64_t delta = carry + static_cast<uint32_t>(event.Delta);
        if (delta > MaxQuantity) {
            exact = false;
            return false;
        }
        AppendQuantity(data, static_cast<uint32_t>(delta));
        data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(start + QuantityLength(file, start)),
                    file.begin() + static_cast<std::ptrdiff_t>(end));
        carry = 0;
        return true;
    });
    if (!exact || (!whole && carry > 0)) return {};
    // What follows the end of track, or an event cut by the chunk's end, stays as it was.
    const size_t dataEnd = static_cast<size_t>(chunk.offset + 8 + chunk.dataLength);
    data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(copied),
                file.begin() + static_cast<std::ptrdiff_t>(dataEnd));
    // Removed texts at the very end of a track without an end of track: their time
    // stays the track's length.
    if (!ended && whole && carry > 0) {
        if (carry > MaxQuantity) return {};
        AppendEndOfTrack(data, static_cast<uint32_t>(carry));
    }
    return TrackChunk(data);
}

}  // namespace

bool IsKaraokeText(const MidiEvent& event, bool wordsTrack) {
    if (event.Status != 0xFF) return false;
    if (event.MetaType == LyricType) return true;
    if (event.MetaType != TextType) return false;
    return wordsTrack || (!event.Text.empty() && event.Text[0] == '@');
}

int KaraokeSurvey::KaraokeTextCount() const {
    int count = 0;
    for (const ChunkSurvey& chunk : chunks) count += chunk.karaokeTexts;
    return count;
}

bool KaraokeSurvey::LyricsOnly(size_t chunk) const {
    return chunk > 0 && chunk < chunks.size() && chunks[chunk].lyricEvents > 0 && !chunks[chunk].channelEvents;
}

KaraokeSurvey SurveyKaraokeTexts(const std::vector<uint8_t>& file) {
    KaraokeSurvey survey;
    if (file.size() < 14 || std::memcmp(file.data(), "MThd", 4) != 0 || ReadBe32(file.data() + 4) != 6) {
        survey.midiError = MidiErrorCode::NotMidiFile;
        return survey;
    }
    survey.header.Format = static_cast<uint16_t>((file[8] << 8) | file[9]);
    survey.header.TrackCount = static_cast<uint16_t>((file[10] << 8) | file[11]);
    survey.header.Division = static_cast<uint16_t>((file[12] << 8) | file[13]);

    // Per chunk, the plain text events too: they are words only in a Words track.
    std::vector<int> plainTexts;
    size_t offset = 14;
    for (int i = 0; i < survey.header.TrackCount; ++i) {
        if (file.size() - offset < 8 || std::memcmp(file.data() + offset, "MTrk", 4) != 0) {
            survey.midiError = MidiErrorCode::UnknownCode;
            break;
        }
        ChunkSurvey chunk;
        chunk.offset = static_cast<int64_t>(offset);
        const int64_t claimed = ReadBe32(file.data() + offset + 4);
        chunk.dataLength = std::min<int64_t>(claimed, static_cast<int64_t>(file.size() - offset - 8));
        chunk.cut = chunk.dataLength < claimed;
        int plain = 0;
        WalkChunk(file, chunk, [&](const MidiEvent& event, size_t, size_t) {
            if (event.Status < 0xF0) {
                chunk.channelEvents = true;
                if ((event.Status & 0xF0) == 0x90) chunk.notes = true;
            } else if (event.Status == 0xFF) {
                if (event.MetaType == TrackNameType && chunk.name.empty()) chunk.name = event.Text;
                if (event.MetaType == LyricType) ++chunk.lyricEvents;
                if (event.MetaType == TextType) {
                    if (event.Text.rfind(SoftKaraokeMarker, 0) == 0) chunk.marker = true;
                    if (!event.Text.empty() && event.Text[0] == '@')
                        ++chunk.karaokeTexts;
                    else
                        ++plain;
                }
            }
            return true;
        });
        chunk.karaokeTexts += chunk.lyricEvents;
        plainTexts.push_back(plain);
        offset += 8 + static_cast<size_t>(chunk.dataLength);
        survey.chunks.push_back(std::move(chunk));
    }
    survey.trailingOffset = static_cast<int64_t>(offset);

    const auto& chunks = survey.chunks;
    const bool named = chunks.size() > WordsChunk && FoldUpper(chunks[1].name) == "SOFT KARAOKE" &&
                       FoldUpper(chunks[WordsChunk].name) == "WORDS";
    const bool marked = chunks.size() > WordsChunk && (chunks[1].marker || chunks[WordsChunk].marker);
    if (named || marked) {
        survey.form = KaraokeForm::SoftKaraoke;
        survey.chunks[WordsChunk].karaokeTexts += plainTexts[WordsChunk];
    } else {
        for (const ChunkSurvey& chunk : chunks)
            if (chunk.lyricEvents > 0) survey.form = KaraokeForm::LyricEvents;
    }
    return survey;
}

bool MayHoldKaraokeTexts(const std::string& fileName) {
    const int descriptor = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return true;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return true;  // the full read says what is wrong with it
    }
    const auto isTextType = [](unsigned char type) { return type == LyricType || type == TextType; };
    std::array<unsigned char, 65536> block;
    bool afterMarker = false;  // the previous block ended on 0xFF
    bool found = false;
    while (!found) {
        const ssize_t count = ::read(descriptor, block.data(), block.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            found = count < 0;
            break;
        }
        const unsigned char* at = block.data();
        const unsigned char* const end = at + count;
        if (afterMarker && isTextType(*at)) found = true;
        afterMarker = false;
        while (!found && (at = static_cast<const unsigned char*>(std::memchr(at, 0xFF, end - at))) != nullptr) {
            if (++at == end) {
                afterMarker = true;
                break;
            }
            found = isTextType(*at);
        }
    }
    ::close(descriptor);
    return found;
}

std::vector<uint8_t> ReadMidiFileBytes(const std::string& fileName) {
    // A FIFO or device must be refused before the open, which would block on it.
    RequireRegularFile(fileName);
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw IoError(fileName, std::string("cannot open: ") + std::strerror(errno));
    std::vector<uint8_t> bytes;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0) bytes.insert(bytes.end(), block, block + in.gcount());
    if (in.bad()) throw IoError(fileName, std::string("cannot read: ") + std::strerror(errno));
    return bytes;
}

std::vector<uint8_t> WithoutKaraokeTexts(const std::vector<uint8_t>& file, const KaraokeSurvey& survey,
                                         bool dropLyricsOnly) {
    // Without a header there are no tracks to rewrite.
    if (file.size() < 14 || survey.midiError == MidiErrorCode::NotMidiFile) return file;
    std::vector<uint8_t> out(file.begin(), file.begin() + 14);
    int dropped = 0;
    for (size_t i = 0; i < survey.chunks.size(); ++i) {
        const ChunkSurvey& chunk = survey.chunks[i];
        if (dropLyricsOnly && survey.LyricsOnly(i)) {
            ++dropped;
            continue;
        }
        MidiBytes stripped;
        if (chunk.karaokeTexts > 0)
            stripped = StripChunk(file, chunk, survey.form == KaraokeForm::SoftKaraoke && i == WordsChunk);
        if (!stripped.empty()) {
            out.insert(out.end(), stripped.begin(), stripped.end());
        } else {
            const auto begin = file.begin() + static_cast<std::ptrdiff_t>(chunk.offset);
            out.insert(out.end(), begin, begin + 8 + static_cast<std::ptrdiff_t>(chunk.dataLength));
        }
    }
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(survey.trailingOffset), file.end());
    const int count = survey.header.TrackCount - dropped;
    out[10] = static_cast<uint8_t>(count >> 8);
    out[11] = static_cast<uint8_t>(count);
    return out;
}

std::vector<MidiEvent> ChunkEvents(const std::vector<uint8_t>& file, const ChunkSurvey& chunk) {
    std::vector<MidiEvent> events;
    WalkChunk(file, chunk, [&](const MidiEvent& event, size_t, size_t) {
        events.push_back(event);
        return true;
    });
    return events;
}

}  // namespace sonkora
