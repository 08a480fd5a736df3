#include "midi/SongTextConverter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "common/CodePage.h"
#include "common/IoError.h"
#include "midi/TimeCode.h"

namespace sonkora {

namespace {

constexpr uint8_t LyricType = 0x05;

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

SongTextConverter::~SongTextConverter() {
    if (file_ != nullptr) std::fclose(file_);
}

bool SongTextConverter::Open(const std::string& fileName, uint16_t voiceTrack, const std::string& midiFileRef,
                             const std::string& karaokeFileRef) {
    fileName_ = fileName;
    state_ = State{};
    headerGiven_ = false;
    changes_.clear();
    file_ = std::fopen(fileName.c_str(), "wb");
    if (file_ == nullptr) return false;
    Write("\\t " + std::to_string(voiceTrack));
    EndLine();
    if (!midiFileRef.empty()) {
        Write("\\m " + midiFileRef);
        EndLine();
    }
    if (!karaokeFileRef.empty()) {
        Write("\\k " + karaokeFileRef);
        EndLine();
    }
    return true;
}

bool SongTextConverter::Close(std::string& reason) {
    if (file_ == nullptr) return true;
    bool ok = true;
    if (std::fputs("\r\n", file_) == EOF) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    file_ = nullptr;
    return ok;
}

void SongTextConverter::Write(const std::string& text) {
    if (file_ == nullptr || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        throw IoError(fileName_, std::string("cannot write: ") + std::strerror(errno));
}

void SongTextConverter::WriteHeaderLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::string text = utf8_ ? CodePageText(line, 0, 0) : line;
        std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
        Write(text);
        EndLine();
    }
    headerGiven_ = true;
}

void SongTextConverter::NoteChange(const std::string& text, int32_t time, uint16_t division, const std::string& what) {
    // Messages are UTF-8: a UTF-8 text is shown as it was, cut only between characters.
    size_t length = std::min<size_t>(text.size(), 40);
    while (utf8_ && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    std::string shown = text.substr(0, length) + (length < text.size() ? "..." : "");
    std::erase_if(shown, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    const std::string where = division == 0 ? std::string() : " at " + MidiTimeToStr(time, division);
    changes_.push_back("The text \"" + (utf8_ ? shown : Cp1252ToUtf8(shown)) + "\"" + where + ": " + what);
}

std::string SongTextConverter::CodePageText(const std::string& text, int32_t time, uint16_t division) {
    Cp1252Conversion converted = Utf8ToCp1252(text);
    if (!converted.unmapped.empty()) {
        std::string list;
        for (const char32_t c : converted.unmapped) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            list += (list.empty() ? "" : ", ") + std::string(code);
        }
        NoteChange(text, time, division, "characters Windows-1252 cannot hold (" + list + ") were written as \"?\".");
    }
    return std::move(converted.text);
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
// The last two, and characters the code page cannot hold, are noted as changes.
void SongTextConverter::Convert(const MidiEvent& event, const std::vector<int32_t>& noteTimes, int noteCount,
                                int& lyricIndex, uint16_t division) {
    const std::string text = utf8_ ? CodePageText(event.Text, event.Time, division) : event.Text;
    State& state = state_;
    if (!text.empty() && text[0] == '@') {
        if (state.lineStart && !headerGiven_) {
            std::string line = text;
            std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
            Write(line);
            EndLine();
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

    if (!state.lineStart && event.Time <= state.lastTime) {
        // Joined to the syllable before, a break becoming a blank inside it.
        if (mark == '/' || mark == '\\')
            NoteChange(event.Text, event.Time, division,
                       "a line break before it became a blank, as it shares its tick with the text before.");
        if (mark != 0) syllable.insert(0, " ");
        const size_t room = MaxSyllableLength - std::min(MaxSyllableLength, state.syllableLength);
        if (syllable.size() > room)
            NoteChange(event.Text, event.Time, division,
                       "cut to the 120 characters a syllable may hold, as it joins the text before at its tick.");
        syllable.resize(std::min(syllable.size(), room));
        state.syllableLength += syllable.size();
        Write(EscapeSyllable(syllable));
        return;
    }
    if (syllable.size() > MaxSyllableLength) {
        NoteChange(event.Text, event.Time, division, "cut to the 120 characters a syllable may hold.");
        syllable.resize(MaxSyllableLength);
    }

    // The notes the compiler passes over after a time code, then those before the text.
    noteCount = std::min(noteCount, static_cast<int>(noteTimes.size()));
    const auto noteAt = [&](int i) { return noteTimes[static_cast<size_t>(i)]; };
    while (lyricIndex < noteCount && noteAt(lyricIndex) <= state.lastTime) ++lyricIndex;
    int next = lyricIndex;
    while (next < noteCount && noteAt(next) < event.Time) ++next;
    // The note the text goes with: the one at its tick. Otherwise the tick is written out
    // when a time code can name it exactly; when none can, a note within a 32nd note
    // takes the text (the nearer of two), and only then does an approximate code.
    int note = -1;
    std::optional<CodedTime> coded;
    if (next < noteCount && noteAt(next) == event.Time) {
        note = next;
    } else {
        coded = TimeCodeNear(event.Time, state.lastTime, division);
        if (!coded || coded->ticks != event.Time) {
            const int64_t reach = division / 8;
            const auto distance = [&](int i) { return std::llabs(static_cast<int64_t>(noteAt(i)) - event.Time); };
            const bool before = next > lyricIndex && distance(next - 1) <= reach;
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
        placeholders = note - lyricIndex;
        lyricIndex = note + 1;
        state.lastTime = noteAt(note);
    }

    // Each placeholder closes the syllable before it and opens an empty one, which the
    // text's own break then closes. At the start of the lyric body there is no syllable
    // to close: after the empty line that ends the header, the placeholders stand for
    // the silent notes and the first syllable is joined to them.
    std::string separator;
    if (state.lineStart) {
        EndLine();
    } else if (mark == ' ') {
        separator = " ";
    } else if (mark == '/') {
        separator = "\r\n";
    } else if (mark == '\\') {
        separator = "\r\n\r\n";
    } else {
        separator = "-";
    }
    Write(std::string(static_cast<size_t>(placeholders), '-') + separator + timeCode + EscapeSyllable(syllable));
    state.syllableLength = syllable.size();
    state.lineStart = false;
}

}  // namespace sonkora
