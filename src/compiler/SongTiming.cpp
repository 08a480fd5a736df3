#include "compiler/SongTiming.h"

#include <algorithm>

#include "common/UserInterface.h"
#include "compiler/LyricLexer.h"
#include "compiler/SongCompiler.h"
#include "midi/MidiReader.h"
#include "midi/MidiTypes.h"

namespace sonkora {

namespace {

// Walks the lyric body with the compiler's own lexer and notes, for each syllable, the
// codes that time it and where a new one would go.
class SlotReader : public LexerHandler {
public:
    SlotReader(const std::vector<std::string>& lines, int track)
        : lines_(lines), lineStarts_(LineStarts(lines)), track_(track) {}

    void Read(int firstLine) {
        LyricLexer lexer(lines_, firstLine);
        lexer_ = &lexer;
        if (lexer.Run(*this)) lexer.FlushSyllable(*this);
        lexer_ = nullptr;
    }

    bool Syllable(const std::string& syllable, LyricPrefix, int32_t end) override {
        SyllableSlot slot = pending_;
        slot.End = end;
        slot.Empty = syllable.empty();
        slot.Track = track_;
        slot.Start = slot.CodeBegin >= 0 ? slot.CodeEnd : lexer_->SyllableStart();
        slot.Line = LineOf(slot.CodeBegin >= 0 ? slot.CodeBegin : slot.Start);
        slots.push_back(slot);
        pending_ = SyllableSlot{};
        return true;
    }

    bool TimeCode(const std::string&, SourcePlace dollar) override {
        const CodePlace place = LocateCode(lines_, lineStarts_, dollar.Line, dollar.Column, lexer_->Position());
        const int32_t begin = place.Begin;
        const int32_t end = place.End;
        const bool open = place.Open;
        if (pending_.CodeBegin < 0) {
            pending_.CodeBegin = begin;
            pending_.CodeReplaceable = true;
        } else if (LineOf(pending_.CodeBegin) != dollar.Line) {
            pending_.CodeReplaceable = false;
        }
        pending_.LastCode = begin;
        pending_.LastCodeLine = dollar.Line;
        pending_.CodeEnd = end;
        pending_.CodeOpen = open;
        if (open) pending_.CodeReplaceable = false;
        return true;
    }

    bool TrackChange(const std::string& code, SourcePlace) override {
        // Codes before a track change no longer count, as in the compiler.
        pending_ = SyllableSlot{};
        const std::optional<int32_t> track = ParseTrackNumber(code.size() > 2 ? std::string_view(code).substr(2) : "");
        if (track) track_ = *track;
        return true;
    }

    void SyllableTooLong(SourcePlace) override {}

    std::vector<SyllableSlot> slots;

private:
    int LineOf(int64_t index) const {
        const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), index);
        return static_cast<int>(std::max<std::ptrdiff_t>(after - lineStarts_.begin() - 1, 0));
    }

    const std::vector<std::string>& lines_;
    std::vector<int32_t> lineStarts_;
    LyricLexer* lexer_ = nullptr;
    int track_;
    SyllableSlot pending_;
};

}  // namespace

std::vector<int32_t> LineStarts(const std::vector<std::string>& lines) {
    std::vector<int32_t> starts;
    int64_t start = 0;
    for (const std::string& line : lines) {
        starts.push_back(static_cast<int32_t>(start));
        start += static_cast<int64_t>(line.size()) + 1;
    }
    starts.push_back(static_cast<int32_t>(start));
    return starts;
}

CodePlace LocateCode(const std::vector<std::string>& lines, const std::vector<int32_t>& lineStarts, int dollarLine,
                     int dollarColumn, int32_t position) {
    const size_t line = static_cast<size_t>(dollarLine);
    CodePlace place;
    place.Line = dollarLine;
    place.Begin = lineStarts[line] + dollarColumn - 1;
    const int32_t lineEnd = lineStarts[line] + static_cast<int32_t>(lines[line].size());
    // The lexer stands after the character that closed the code: a "$" on the same line,
    // or the line end (for the last line the reader stops at the text's end).
    const int32_t closing = position - 1;
    place.Open = closing >= lineEnd || closing == place.Begin ||
                 lines[line][static_cast<size_t>(closing - lineStarts[line])] != '$';
    place.End = place.Open ? lineEnd : position;
    return place;
}

int SongTiming::SyllableAt(int32_t index) const {
    const auto holding = std::find_if(Syllables.begin(), Syllables.end(),
                                      [index](const SyllableSlot& slot) { return slot.End > index; });
    return static_cast<int>(holding - Syllables.begin());
}

const std::vector<int32_t>& SongTiming::Notes(int track) const {
    static const std::vector<int32_t> none;
    if (track < 0 || static_cast<size_t>(track) >= notes_.size()) return none;
    return notes_[static_cast<size_t>(track)];
}

std::vector<SyllableSlot> ReadSyllableSlots(const std::vector<std::string>& lines, int firstLine, int track) {
    SlotReader reader(lines, track);
    reader.Read(firstLine);
    return std::move(reader.slots);
}

std::optional<SongTiming> ReadSongTiming(SongCompiler& compiler, SongDocument& document, UserInterface& ui) {
    compiler.CompileSongText(CompileKind::Timing, document, ui);
    if (compiler.MidiError() > 0) ui.ErrorBox(MidiErrorMessage(compiler.MidiError()), HelpContext::ErrorMessages);
    if (compiler.MidiError() != 0) return std::nullopt;

    MidiReader reader;
    if (!reader.OpenMidi(compiler.MidiFileName()) || !reader.ReadMidiHeader() || !reader.LoadTracks()) {
        const int32_t code = reader.MidiError();
        ui.ErrorBox(code > 0 ? MidiErrorMessage(code) : "File " + compiler.MidiFileName() + " cannot be read.",
                    HelpContext::ErrorMessages);
        return std::nullopt;
    }
    // Without ticks per quarter note there is no time to name; the header is broken.
    if (reader.Header().Division == 0) {
        ui.ErrorBox(MidiErrorMessage(MidiErrorCode::NotMidiFile), HelpContext::ErrorMessages);
        return std::nullopt;
    }

    std::vector<std::vector<int32_t>> notes(reader.Header().TrackCount);
    int32_t endTick = 0;
    for (int track = 0; track < reader.Header().TrackCount && track < MaxTracks; ++track) {
        std::vector<int32_t>& times = notes[static_cast<size_t>(track)];
        MidiEvent event;
        bool more = true;
        while (more) {
            more = reader.ReadEvent(static_cast<uint16_t>(track), event);
            endTick = std::max(endTick, event.Time);
            if (more && (event.Status & 0xF0) == 0x90 && event.Data2 > 0) times.push_back(event.Time);
        }
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
    }
    if (reader.MidiError() != 0) {
        ui.ErrorBox(MidiErrorMessage(reader.MidiError()), HelpContext::ErrorMessages);
        return std::nullopt;
    }
    SongTiming timing(TempoMap::FromSong(reader), std::move(notes), endTick);

    for (int i = 0; i < document.LineCount(); ++i) timing.Lines.push_back(document.Line(i));
    timing.LyricStartLine = compiler.LyricStartLine();
    timing.Syllables = ReadSyllableSlots(timing.Lines, timing.LyricStartLine, compiler.VoiceTrack());
    const LyricList& lyrics = compiler.Lyrics();
    if (static_cast<int>(timing.Syllables.size()) != lyrics.LyricCount()) {
        // Both walks use the same lexer over the same lines; a difference is a fault here.
        ui.ErrorBox("The syllables of the song text could not be matched to its lyrics.", HelpContext::ErrorMessages);
        return std::nullopt;
    }
    for (size_t i = 0; i < timing.Syllables.size(); ++i) timing.Syllables[i].Time = lyrics[static_cast<int>(i)].Time;
    return timing;
}

}  // namespace sonkora
