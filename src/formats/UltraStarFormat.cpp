// UltraStar songs, as singing games (Performous, UltraStar Deluxe) read them.
#include <algorithm>
#include <climits>
#include <cmath>

#include "common/FoldUpper.h"
#include "formats/FormatWriters.h"
#include "formats/LyricLines.h"

namespace sonkora {

namespace {

constexpr int MiddleC = 60;  // UltraStar pitch 0
constexpr int LongestFreestyleBeats = 16;

// The song text names its language with a Soft Karaoke code ("@LENGL"); the games
// want the language's name.
std::string LanguageName(const std::string& code) {
    struct Known {
        const char* code;
        const char* name;
    };
    static constexpr Known known[] = {
        {"ENGL", "English"}, {"DEUT", "German"},     {"GERM", "German"},  {"FRAN", "French"},
        {"ESPA", "Spanish"}, {"SPAN", "Spanish"},    {"ITAL", "Italian"}, {"NEDE", "Dutch"},
        {"DUTC", "Dutch"},   {"PORT", "Portuguese"}, {"SVEN", "Swedish"}, {"SWED", "Swedish"},
    };
    const std::string upper = FoldUpper(code);
    for (const Known& k : known) {
        if (upper.starts_with(k.code)) return k.name;
    }
    return code;
}

// One UltraStar beat: #BPM counts quarter beats. The BPM is chosen so a beat is a 32nd
// note at the song's fastest tempo, fine enough that no two syllables share a beat.
int ChooseBpm(const TempoMap& tempo) {
    uint32_t fastest = TempoMap::DefaultTempo;
    for (const TempoChange& change : tempo.Changes()) fastest = std::min(fastest, change.microsPerQuarter);
    return std::max(1, static_cast<int>(std::ceil(2 * 60e6 / fastest)));
}

}  // namespace

std::string WriteUltraStar(const KaraokeSong& song, const std::string& audioFile) {
    const int bpm = ChooseBpm(song.tempo);
    const double beatMicros = 60e6 / (bpm * 4.0);
    const std::vector<SungSyllable>& syllables = song.syllables;
    const int64_t gapMillis = syllables.empty() ? 0 : (song.tempo.MicrosAt(syllables.front().tick) + 500) / 1000;
    const auto beatOf = [&](int64_t tick) {
        return std::llround((static_cast<double>(song.tempo.MicrosAt(tick)) - gapMillis * 1000.0) / beatMicros);
    };

    std::string out;
    out += "#TITLE:" + TextForOutput(song.title) + "\n";
    out += "#ARTIST:" + (song.artist.empty() ? std::string("Unknown") : TextForOutput(song.artist)) + "\n";
    if (!song.language.empty()) out += "#LANGUAGE:" + TextForOutput(LanguageName(song.language)) + "\n";
    out += "#MP3:" + audioFile + "\n";
    out += "#AUDIO:" + audioFile + "\n";
    out += "#BPM:" + std::to_string(bpm) + "\n";
    out += "#GAP:" + std::to_string(gapMillis) + "\n";

    int64_t lastStart = -1;
    int64_t lastEnd = 0;
    bool lineOpen = false;
    for (size_t i = 0; i < syllables.size(); ++i) {
        const SungSyllable& syllable = syllables[i];
        int64_t start = std::max<int64_t>(beatOf(syllable.tick), lastStart + 1);
        const int64_t next = i + 1 < syllables.size() ? static_cast<int64_t>(beatOf(syllables[i + 1].tick)) : INT64_MAX;
        int64_t length = 0;
        if (syllable.key >= 0) {
            length = static_cast<int64_t>(beatOf(syllable.tick + syllable.noteTicks)) - start;
        } else {
            length = std::min<int64_t>(next - start, LongestFreestyleBeats);
        }
        // A note ends where the next begins at the latest: the games score one note at a time.
        if (next > start) length = std::min(length, next - start);
        length = std::max<int64_t>(length, 1);

        const bool newLine =
            syllable.breakBefore == SyllableBreak::Line || syllable.breakBefore == SyllableBreak::Paragraph;
        if (newLine && lineOpen) out += "- " + std::to_string(std::min(lastEnd, start)) + "\n";
        std::string text = syllable.text.empty() ? "~" : TextForOutput(syllable.text);
        if (syllable.breakBefore == SyllableBreak::Word && lineOpen) text.insert(0, " ");
        out += syllable.key >= 0 ? ": " : "F ";
        out += std::to_string(start) + " " + std::to_string(length) + " " +
               std::to_string(syllable.key >= 0 ? syllable.key - MiddleC : 0) + " " + text + "\n";
        lineOpen = true;
        lastStart = start;
        lastEnd = start + length;
    }
    out += "E\n";
    return out;
}

}  // namespace sonkora
