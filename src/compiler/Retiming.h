#pragma once
// Timing by ear: taps made while the song plays become time codes before the syllables
// of a song text, one tap for each syllable from a first one on.
//
// A tap at 12.34 s (less the latency) becomes the tick that sounds then, by the song's
// tempo map, rounded to the nearest time-code unit. Within the snap window of a note of
// the syllable's voice track it takes that note's tick instead; and when that note is
// the one the syllable takes anyway, no code is written and an old one goes. A tap not
// later than the syllable before takes that time plus one unit.
//
// The program records tap by tap, the clock being playback's: Tap() and TakeBack() change
// the recorder's text at once and say what changed, for the editor to show. At the end
// the editor's text goes back to what it was, and Settle() puts the result into the
// document in one go (one undo step) after checking it with the compiler. sonkorac has it
// all done by RetimeSong().
//
//   std::optional<SongTiming> timing = ReadSongTiming(compiler, document, ui);
//   TimingRecorder recorder(*timing, timing->SyllableAt(caret), settings);
//   play from recorder.FirstSyllableSeconds() less the pre-roll;
//   recorder.Tap(12.34, &edit);   // "$5:2:60$" before the syllable, or its code removed
//   recorder.TakeBack();          // the text as it was before that tap
//   recorder.Settle(compiler, document, ui);

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/LyricList.h"
#include "compiler/SongTiming.h"

namespace sonkora {

class SongCompiler;
class SongDocument;
class UserInterface;

struct RetimeSettings {
    double snapWindowMs = 80;  // 0 turns snapping off
    double latencyMs = 0;      // subtracted from every tap
};

struct RetimeCounts {
    int written = 0;  // codes written or rewritten
    int removed = 0;  // codes taken out: the syllable takes that note anyway
    int moved = 0;    // taps moved to one unit after the syllable before
    int ignored = 0;  // taps after the last syllable
};

// `length` characters at `start` replaced by `text`.
struct TextEdit {
    int32_t start = 0;
    int32_t length = 0;
    std::string text;
};

enum class TapResult {
    Timed,           // the syllable has its time (the text may be unchanged)
    NoSyllableLeft,  // every syllable is timed; the tap is counted as ignored
    Negative,        // a time before the song's start: refused
    BeyondEnd,       // later than the song's last event: refused
};

class TimingRecorder {
public:
    // Times the syllables from `firstSyllable` (0-based) on.
    TimingRecorder(const SongTiming& song, int firstSyllable, RetimeSettings settings);

    // One tap, in seconds from the song's start as playback counts them. `edit` gets what
    // changed in the text, if anything.
    TapResult Tap(double seconds, std::optional<TextEdit>* edit = nullptr);
    // Takes the last tap back, restoring the text around its syllable; what changed, or
    // nothing when there was no tap.
    std::optional<TextEdit> TakeBack();

    int NextSyllable() const { return first_ + static_cast<int>(decisions_.size()); }
    int SyllableCount() const { return static_cast<int>(song_.Syllables.size()); }
    // Where the syllable the next tap times stands in the text as it is now.
    SourceRange NextSyllableSource() const;
    // When the first syllable to time sounds before any tap, for the pre-roll.
    double FirstSyllableSeconds() const;

    const std::vector<std::string>& Lines() const { return lines_; }
    const RetimeCounts& Counts() const { return counts_; }
    // Every range of the text as it is now that the taps changed, in text order.
    std::vector<SourceRange> ChangedRanges() const;

    // Puts the text into `document` (whose lines must still be those the timing was read
    // from) and compiles it. Where a syllable does not take the time it was given, it gets
    // its code after all, and the compiler checks again. When the text does not compile
    // (a later code now falls before a tapped time), the compiler's error has been shown
    // and the document is as it was: false.
    bool Settle(SongCompiler& compiler, SongDocument& document, UserInterface& ui);

private:
    struct Decision {
        int syllable = 0;
        int32_t tick = 0;
        bool natural = false;  // no code: the syllable takes its own note
        bool moved = false;
        int32_t begin = 0;  // the original text replaced, as text indexes of the song
        int32_t end = 0;
        std::string replacement;
        int line = 0;
        bool changes = false;     // the replacement differs from the original text
        int32_t shiftBefore = 0;  // how far the decisions before move the text
    };

    int32_t TickBefore(int syllable) const;
    std::optional<int32_t> OwnNote(int syllable) const;
    std::optional<int32_t> SnappedNote(int syllable, double seconds, int32_t after) const;
    int64_t UnitsAfter(int32_t tick) const;
    void Decide(Decision& decision, std::optional<int64_t> units) const;
    TextEdit Apply(const Decision& decision, bool undo);
    int32_t DeltaBefore(size_t count) const;
    int32_t ColumnDelta(size_t index, int line) const;
    void Push(Decision decision);
    void Count(const Decision& decision, int step);

    const SongTiming& song_;
    int first_;
    RetimeSettings settings_;
    std::vector<std::string> lines_;
    std::vector<int32_t> lineStarts_;  // of the original text
    std::vector<Decision> decisions_;
    RetimeCounts counts_;
    int32_t shift_ = 0;       // how far all decisions move the text
    int32_t floorTick_ = -1;  // the latest time before the first syllable to time
};

struct RetimeOutcome {
    bool done = false;
    RetimeCounts counts;
    std::vector<SourceRange> changed;
    // A tap that was refused: its index in the list and why. Nothing changed then.
    std::optional<int> badTap;
    std::string tapProblem;
    // Any other reason the song was left as it was (the errors of the song text itself
    // have gone through the user interface).
    std::string problem;
};

// Times the syllables of `document` from `firstSyllable` on with `taps`, and leaves the
// result in the document. Errors of the song go through `ui` as in a Make (`compiler`
// keeps the file names they concern); a refused tap is named in the outcome. The
// document is unchanged unless `done`.
RetimeOutcome RetimeSong(SongCompiler& compiler, SongDocument& document, UserInterface& ui, int firstSyllable,
                         const std::vector<double>& taps, const RetimeSettings& settings);

}  // namespace sonkora
