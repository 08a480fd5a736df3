#include "compiler/Retiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "midi/TimeCode.h"

namespace sonkora {

namespace {

constexpr int64_t UnitsPerBeat = 120;

std::string Code(int64_t units) {
    return "$" + UnitsToTimeCode(units) + "$";
}

// Puts `lines` into `document` where they differ.
void PutLines(SongDocument& document, const std::vector<std::string>& lines) {
    for (int i = 0; i < static_cast<int>(lines.size()) && i < document.LineCount(); ++i) {
        if (document.Line(i) != lines[static_cast<size_t>(i)]) document.ReplaceLine(i, lines[static_cast<size_t>(i)]);
    }
}

// "12.5 s", for messages.
std::string Seconds(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    std::string result = text;
    while (result.size() > 1 && result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
    return result + " s";
}

}  // namespace

TimingRecorder::TimingRecorder(const SongTiming& song, int firstSyllable, RetimeSettings settings)
    : song_(song),
      first_(std::clamp(firstSyllable, 0, static_cast<int>(song.Syllables.size()))),
      settings_(settings),
      lines_(song.Lines) {
    int32_t start = 0;
    for (const std::string& line : lines_) {
        lineStarts_.push_back(start);
        start += static_cast<int32_t>(line.size()) + 1;
    }
    // Every syllable before the first keeps its time; an empty one with a code may even
    // stand later than the one after it, so the latest of them all counts.
    for (int i = 0; i < first_; ++i) floorTick_ = std::max(floorTick_, song_.Syllables[static_cast<size_t>(i)].Time);
}

int32_t TimingRecorder::TickBefore(int syllable) const {
    if (syllable <= first_) return floorTick_;
    return decisions_[static_cast<size_t>(syllable - 1 - first_)].tick;
}

// The note the syllable takes when it has no code, as far as it can be told without
// compiling: the first note of its track after the syllable before, provided that one left
// the compiler reading that same track at its own time. Settle() checks it either way.
std::optional<int32_t> TimingRecorder::OwnNote(int syllable) const {
    const SyllableSlot& slot = song_.Syllables[static_cast<size_t>(syllable)];
    const std::vector<int32_t>& notes = song_.Notes(slot.Track);
    int32_t after = -1;
    if (syllable > 0) {
        const SyllableSlot& before = song_.Syllables[static_cast<size_t>(syllable - 1)];
        if (before.Track != slot.Track) return std::nullopt;
        bool hasCode = before.CodeBegin >= 0;
        after = before.Time;
        if (syllable - 1 >= first_) {
            const Decision& decision = decisions_[static_cast<size_t>(syllable - 1 - first_)];
            hasCode = !decision.replacement.empty() || (!decision.natural && before.CodeBegin >= 0);
            after = decision.tick;
        }
        // An empty syllable with a code moves neither the reading nor the last lyric time.
        if (before.Empty && hasCode) return std::nullopt;
    }
    const auto next = std::upper_bound(notes.begin(), notes.end(), after);
    if (next == notes.end()) return std::nullopt;
    return *next;
}

// The nearest note of the syllable's track within the snap window of the tap that lies
// after `after`, provided a code can name it exactly or it is the syllable's own note.
std::optional<int32_t> TimingRecorder::SnappedNote(int syllable, double seconds, int32_t after) const {
    if (settings_.snapWindowMs <= 0) return std::nullopt;
    const double window = settings_.snapWindowMs / 1000;
    const std::vector<int32_t>& notes = song_.Notes(song_.Syllables[static_cast<size_t>(syllable)].Track);
    const std::optional<int32_t> own = OwnNote(syllable);
    const uint16_t division = song_.Division();
    const auto nameable = [&](int32_t tick) {
        const int64_t units = int64_t{tick} * UnitsPerBeat / division;
        return UnitsToTicks(units, division) == tick || UnitsToTicks(units + 1, division) == tick;
    };
    const double tapTick = song_.Tempo().TickAt(seconds * 1e6);
    auto at = std::lower_bound(notes.begin(), notes.end(), static_cast<int32_t>(std::min<double>(tapTick, INT32_MAX)));
    std::optional<int32_t> best;
    double bestDistance = 0;
    const auto consider = [&](int32_t tick) {
        const double distance = std::fabs(song_.Tempo().SecondsAt(tick) - seconds);
        if (distance > window) return false;
        if (tick > after && (nameable(tick) || tick == own) && (!best || distance < bestDistance)) {
            best = tick;
            bestDistance = distance;
        }
        return true;
    };
    for (auto it = at; it != notes.end() && consider(*it); ++it) {
    }
    for (auto it = at; it != notes.begin() && consider(*(it - 1)); --it) {
    }
    return best;
}

// The first count of units whose tick lies after `tick`.
int64_t TimingRecorder::UnitsAfter(int32_t tick) const {
    const uint16_t division = song_.Division();
    int64_t units = std::max<int64_t>(0, int64_t{tick} * UnitsPerBeat / division);
    while (UnitsToTicks(units, division) <= tick) ++units;
    return units;
}

// What the decision writes: nothing new for a syllable on its own note, else a code for
// `units`, in place of the syllable's codes or before it.
void TimingRecorder::Decide(Decision& decision, std::optional<int64_t> units) const {
    const SyllableSlot& slot = song_.Syllables[static_cast<size_t>(decision.syllable)];
    if (slot.CodeBegin < 0) {
        decision.begin = decision.end = slot.Start;
        decision.replacement = units ? Code(*units) : "";
    } else if (slot.CodeReplaceable) {
        decision.begin = slot.CodeBegin;
        decision.end = slot.CodeEnd;
        decision.replacement = units ? Code(*units) : "";
    } else {
        // Only the digits of the code that counts change: an open code keeps the line end
        // that closes it, and codes on other lines stay where they are.
        decision.begin = slot.LastCode + 1;
        decision.end = slot.CodeOpen ? slot.CodeEnd : slot.CodeEnd - 1;
        if (!units) units = UnitsAfter(decision.tick - 1);
        decision.replacement = UnitsToTimeCode(*units);
        decision.line = slot.LastCodeLine;
        return;
    }
    decision.line = slot.Line;
}

TapResult TimingRecorder::Tap(double seconds, std::optional<TextEdit>* edit) {
    if (edit != nullptr) edit->reset();
    if (!(seconds >= 0)) return TapResult::Negative;
    seconds = std::max(0.0, seconds - settings_.latencyMs / 1000);
    if (seconds > song_.EndSeconds() + 1e-9) return TapResult::BeyondEnd;
    if (NextSyllable() >= SyllableCount()) {
        ++counts_.ignored;
        return TapResult::NoSyllableLeft;
    }

    Decision decision;
    decision.syllable = NextSyllable();
    const int32_t after = TickBefore(decision.syllable);
    const uint16_t division = song_.Division();
    std::optional<int64_t> units;
    if (const std::optional<int32_t> note = SnappedNote(decision.syllable, seconds, after)) {
        decision.tick = *note;
        units = int64_t{*note} * UnitsPerBeat / division;
        if (UnitsToTicks(*units, division) != *note) ++*units;
    } else {
        const double tick = song_.Tempo().TickAt(seconds * 1e6);
        units = std::llround(std::min<double>(tick, INT32_MAX) * UnitsPerBeat / division);
        if (UnitsToTicks(*units, division) <= after) {
            units = UnitsAfter(after);
            decision.moved = true;
        }
        decision.tick = static_cast<int32_t>(std::min<int64_t>(UnitsToTicks(*units, division), INT32_MAX));
    }
    decision.natural = decision.tick == OwnNote(decision.syllable);
    Decide(decision, decision.natural ? std::nullopt : units);

    Push(decision);
    const TextEdit change = Apply(decisions_.back(), false);
    if (edit != nullptr && (change.length != 0 || !change.text.empty())) *edit = change;
    return TapResult::Timed;
}

std::optional<TextEdit> TimingRecorder::TakeBack() {
    if (decisions_.empty()) return std::nullopt;
    const TextEdit change = Apply(decisions_.back(), true);
    Count(decisions_.back(), -1);
    shift_ = decisions_.back().shiftBefore;
    decisions_.pop_back();
    return change;
}

void TimingRecorder::Push(Decision decision) {
    const std::string& line = song_.Lines[static_cast<size_t>(decision.line)];
    decision.changes =
        line.compare(static_cast<size_t>(decision.begin - lineStarts_[static_cast<size_t>(decision.line)]),
                     static_cast<size_t>(decision.end - decision.begin), decision.replacement) != 0;
    decision.shiftBefore = shift_;
    shift_ += static_cast<int32_t>(decision.replacement.size()) - (decision.end - decision.begin);
    decisions_.push_back(std::move(decision));
    Count(decisions_.back(), 1);
}

void TimingRecorder::Count(const Decision& decision, int step) {
    if (decision.moved) counts_.moved += step;
    if (!decision.changes) return;
    (decision.replacement.empty() ? counts_.removed : counts_.written) += step;
}

int32_t TimingRecorder::DeltaBefore(size_t count) const {
    return count < decisions_.size() ? decisions_[count].shiftBefore : shift_;
}

int32_t TimingRecorder::ColumnDelta(size_t index, int line) const {
    int32_t delta = 0;
    for (size_t i = index; i > 0 && decisions_[i - 1].line == line; --i)
        delta += static_cast<int32_t>(decisions_[i - 1].replacement.size()) -
                 (decisions_[i - 1].end - decisions_[i - 1].begin);
    return delta;
}

// Writes a decision into the lines (or, undoing, the original text back) and says what
// changed, as indexes of the text before the change.
TextEdit TimingRecorder::Apply(const Decision& decision, bool undo) {
    const size_t index = static_cast<size_t>(decision.syllable - first_);
    const std::string original = song_.Lines[static_cast<size_t>(decision.line)].substr(
        static_cast<size_t>(decision.begin - lineStarts_[static_cast<size_t>(decision.line)]),
        static_cast<size_t>(decision.end - decision.begin));
    const int32_t column =
        decision.begin - lineStarts_[static_cast<size_t>(decision.line)] + ColumnDelta(index, decision.line);
    TextEdit change;
    change.start = decision.begin + DeltaBefore(index);
    change.length = static_cast<int32_t>(undo ? decision.replacement.size() : original.size());
    change.text = undo ? original : decision.replacement;
    lines_[static_cast<size_t>(decision.line)].replace(static_cast<size_t>(column), static_cast<size_t>(change.length),
                                                       change.text);
    return change;
}

SourceRange TimingRecorder::NextSyllableSource() const {
    const int next = NextSyllable();
    if (next >= SyllableCount()) return {};
    const SyllableSlot& slot = song_.Syllables[static_cast<size_t>(next)];
    const int32_t delta = DeltaBefore(decisions_.size());
    return {slot.Start + delta, std::max(0, slot.End - slot.Start)};
}

double TimingRecorder::FirstSyllableSeconds() const {
    if (first_ >= SyllableCount()) return song_.EndSeconds();
    return song_.Tempo().SecondsAt(song_.Syllables[static_cast<size_t>(first_)].Time);
}

std::vector<SourceRange> TimingRecorder::ChangedRanges() const {
    std::vector<SourceRange> ranges;
    for (const Decision& decision : decisions_) {
        if (decision.changes)
            ranges.push_back({decision.begin + decision.shiftBefore, static_cast<int>(decision.replacement.size())});
    }
    return ranges;
}

bool TimingRecorder::Settle(SongCompiler& compiler, SongDocument& document, UserInterface& ui) {
    // Each round gives at least one more syllable its code; with every tapped syllable
    // coded the times are exact, so this ends.
    for (size_t round = 0; round <= decisions_.size(); ++round) {
        PutLines(document, lines_);
        compiler.CompileSongText(CompileKind::Timing, document, ui);
        if (compiler.MidiError() != 0 || compiler.LyricCount() != SyllableCount()) {
            PutLines(document, song_.Lines);
            return false;
        }
        bool pinned = false;
        for (Decision& decision : decisions_) {
            if (!decision.natural || compiler.Lyrics()[decision.syllable].Time == decision.tick) continue;
            decision.natural = false;
            Decide(decision, UnitsAfter(decision.tick - 1));
            pinned = true;
        }
        if (!pinned) return true;
        // The text again from the start, with every decision as it now stands.
        std::vector<Decision> decisions;
        decisions.swap(decisions_);
        lines_ = song_.Lines;
        shift_ = 0;
        const int ignored = counts_.ignored;
        counts_ = RetimeCounts{};
        counts_.ignored = ignored;
        for (Decision& decision : decisions) {
            Push(std::move(decision));
            Apply(decisions_.back(), false);
        }
    }
    return true;
}

RetimeOutcome RetimeSong(SongCompiler& compiler, SongDocument& document, UserInterface& ui, int firstSyllable,
                         const std::vector<double>& taps, const RetimeSettings& settings) {
    RetimeOutcome outcome;
    const std::optional<SongTiming> timing = ReadSongTiming(compiler, document, ui);
    if (!timing) return outcome;
    const int count = static_cast<int>(timing->Syllables.size());
    if (firstSyllable < 0 || firstSyllable >= count) {
        outcome.problem = "there is no syllable " + std::to_string(firstSyllable + 1) + " to time (the song has " +
                          std::to_string(count) + ")";
        return outcome;
    }
    TimingRecorder recorder(*timing, firstSyllable, settings);
    for (size_t i = 0; i < taps.size(); ++i) {
        const TapResult result = recorder.Tap(taps[i]);
        if (result == TapResult::Negative || result == TapResult::BeyondEnd) {
            outcome.badTap = static_cast<int>(i);
            outcome.tapProblem =
                result == TapResult::Negative
                    ? Seconds(taps[i]) + " lies before the start of the song"
                    : Seconds(taps[i]) + " lies beyond the end of the song (" + Seconds(timing->EndSeconds()) + ")";
            return outcome;
        }
    }
    if (!recorder.Settle(compiler, document, ui)) return outcome;
    outcome.done = true;
    outcome.counts = recorder.Counts();
    outcome.changed = recorder.ChangedRanges();
    return outcome;
}

}  // namespace sonkora
