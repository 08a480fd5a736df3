#include "formats/KaraokeSongBuilder.h"

#include <algorithm>
#include <deque>

#include "midi/MidiReader.h"

namespace sonkora {

namespace {

SyllableBreak Stronger(SyllableBreak a, SyllableBreak b) {
    return static_cast<uint8_t>(a) >= static_cast<uint8_t>(b) ? a : b;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Visits every event of a track; the reader's own limit is the track's length, so a
// damaged track cannot keep us here.
template <typename Visit>
void ForEachEvent(MidiReader& reader, int track, Visit visit) {
    if (track < 0 || track >= reader.Header().TrackCount || track >= MaxTracks) return;
    reader.RewindTracks();
    const int64_t limit = int64_t{reader.Track(track).Length} + 1;
    MidiEvent event;
    for (int64_t read = 0; read < limit; ++read) {
        const bool more = reader.ReadEvent(static_cast<uint16_t>(track), event);
        if (reader.MidiError() != 0) break;
        visit(event);
        if (!more) break;
    }
    reader.RewindTracks();
}

void AssignNote(SungSyllable& syllable, const std::vector<VoiceNote>& notes) {
    const auto first = std::lower_bound(notes.begin(), notes.end(), syllable.tick,
                                        [](const VoiceNote& note, int64_t tick) { return note.on < tick; });
    if (first != notes.end() && first->on == syllable.tick) {
        syllable.key = first->key;
        syllable.noteTicks = first->off - first->on;
        return;
    }
    // A time code between note-ons: the latest note still sounding there.
    for (auto it = first; it != notes.begin();) {
        --it;
        if (it->off > syllable.tick) {
            syllable.key = it->key;
            syllable.noteTicks = it->off - syllable.tick;
            return;
        }
    }
}

}  // namespace

std::vector<VoiceNote> ReadVoiceNotes(MidiReader& reader, int track) {
    std::vector<VoiceNote> notes;
    std::map<int, std::deque<size_t>> open;  // channel * 128 + key -> notes not yet ended
    int64_t last = 0;
    ForEachEvent(reader, track, [&](const MidiEvent& event) {
        last = std::max<int64_t>(last, event.Time);
        const int kind = event.Status & 0xF0;
        if (kind != 0x80 && kind != 0x90) return;
        const int channel = event.Status & 0x0F;
        const int id = channel * 128 + (event.Data1 & 0x7F);
        if (kind == 0x90 && event.Data2 > 0) {
            open[id].push_back(notes.size());
            notes.push_back({event.Time, -1, event.Data1 & 0x7F, channel});
        } else if (auto found = open.find(id); found != open.end() && !found->second.empty()) {
            notes[found->second.front()].off = event.Time;
            found->second.pop_front();
        }
    });
    for (VoiceNote& note : notes) {
        if (note.off < 0) note.off = std::max(last, note.on);
    }
    std::stable_sort(notes.begin(), notes.end(), [](const VoiceNote& a, const VoiceNote& b) { return a.on < b.on; });
    return notes;
}

std::vector<std::string> ReadHeaderTexts(MidiReader& reader, int track) {
    std::vector<std::string> lines;
    ForEachEvent(reader, track, [&](const MidiEvent& event) {
        if (event.Status != 0xFF || event.MetaType != 0x01 || event.Text.empty() || event.Text[0] != '@') return;
        std::string line = event.Text;
        std::erase_if(line, IsLineEnd);
        lines.push_back(line);
    });
    return lines;
}

KaraokeSong BuildKaraokeSong(const std::vector<TimedLyric>& lyrics, const std::map<int, std::vector<VoiceNote>>& notes,
                             const std::vector<std::string>& headerLines, const TempoMap& tempo) {
    KaraokeSong song;
    song.tempo = tempo;
    int titles = 0;
    for (const std::string& line : headerLines) {
        if (line.size() < 2) continue;
        if (line[1] == 'T' && titles < 2) (titles++ == 0 ? song.title : song.artist) = line.substr(2);
        if (line[1] == 'L' && song.language.empty()) song.language = line.substr(2);
    }

    SyllableBreak owed = SyllableBreak::None;  // a break left for the next syllable
    for (const TimedLyric& lyric : lyrics) {
        std::string text = lyric.text;
        SyllableBreak mark = owed;
        owed = SyllableBreak::None;
        if (!text.empty() && (text[0] == '\\' || text[0] == '/' || text[0] == ' ')) {
            mark = Stronger(mark, text[0] == '\\'  ? SyllableBreak::Paragraph
                                  : text[0] == '/' ? SyllableBreak::Line
                                                   : SyllableBreak::Word);
            text.erase(0, 1);
        }
        size_t first = 0;
        while (first < text.size() && IsLineEnd(text[first])) ++first;
        if (first > 0) mark = Stronger(mark, SyllableBreak::Line);
        size_t last = text.size();
        while (last > first && (IsLineEnd(text[last - 1]) || (lyric.lyricEvent && text[last - 1] == ' '))) {
            owed = Stronger(owed, IsLineEnd(text[last - 1]) ? SyllableBreak::Line : SyllableBreak::Word);
            --last;
        }
        text = text.substr(first, last - first);
        std::erase_if(text, IsLineEnd);

        if (!song.syllables.empty() && lyric.tick <= song.syllables.back().tick) {
            // Two texts at one tick are one syllable to every player.
            SungSyllable& before = song.syllables.back();
            if (!text.empty() && !before.text.empty() && mark != SyllableBreak::None) before.text += ' ';
            if (before.text.empty() && !text.empty()) before.breakBefore = Stronger(before.breakBefore, mark);
            before.text += text;
            continue;
        }
        SungSyllable syllable;
        syllable.tick = lyric.tick;
        syllable.text = text;
        if (text.empty()) {
            owed = Stronger(owed, mark);
        } else {
            syllable.breakBefore = mark;
        }
        if (const auto found = notes.find(lyric.voiceTrack); found != notes.end()) AssignNote(syllable, found->second);
        song.syllables.push_back(std::move(syllable));
    }
    return song;
}

}  // namespace sonkora
