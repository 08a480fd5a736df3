#include "compiler/SongCompiler.h"

#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/RegularFile.h"
#include "common/SafeSave.h"
#include "common/UserInterface.h"
#include "compiler/LyricLexer.h"
#include "compiler/SourceLyrics.h"
#include "midi/KaraokePass.h"
#include "midi/MidiTypes.h"
#include "midi/TimeCode.h"
#include "midi/TrackListing.h"

namespace sonkora {

namespace {

constexpr int ErrorContext = HelpContext::ErrorMessages;
constexpr int32_t NoExplicitTime = -1;
constexpr int32_t TimeQuery = -2;
// A directive's value is read from at most this many characters.
constexpr size_t MaxValueLength = 255;

bool WritesFile(CompileKind mode) {
    return mode == CompileKind::Make || mode == CompileKind::Play || mode == CompileKind::Export;
}

// Whether the syllables are bound to the notes of the voice track, as Make binds them.
bool BindsNotes(CompileKind mode) {
    return WritesFile(mode) || mode == CompileKind::Timing;
}

bool ReadsDirectives(CompileKind mode) {
    return BindsNotes(mode) || mode == CompileKind::SelectTrack;
}

// A name from a "\m" or "\k" line. Relative names are taken from the song text's own
// directory, whatever directory the program happens to run in.
std::string ResolveName(const std::string& songDirectory, const std::string& textName) {
    const std::string name = FileNameFromSongText(textName);
    if (!name.empty() && name[0] == PathSeparator) return name;
    return JoinPath(songDirectory, name);
}

std::string TooManyTracksMessage(int32_t track, int trackCount) {
    return "Track number \\t " + std::to_string(track) + " greater than number of tracks (" + "MIDI file contains " +
           std::to_string(trackCount - 1) + " tracks).";
}

}  // namespace

// A sign is read so that "-3" is refused as a number below 1 rather than as something
// unreadable.
std::optional<int32_t> ParseTrackNumber(std::string_view text) {
    text = text.substr(0, MaxValueLength);
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// One run of CompileSongText: the reading state of the song text, the karaoke pass and
// the counters of the lyric timing. The lexer reports to it what it finds.
class Compilation : public LexerHandler {
public:
    Compilation(SongCompiler& compiler, CompileKind mode, SongDocument& document, UserInterface& ui,
                const CompilerSettings& settings, std::ostream* printSink)
        : c_(compiler), mode_(mode), document_(document), ui_(ui), settings_(settings), sink_(printSink) {}

    void Run();

    bool Syllable(const std::string& syllable, LyricPrefix prefix, int32_t end) override;
    bool TimeCode(const std::string& code, SourcePlace dollar) override;
    bool TrackChange(const std::string& code, SourcePlace end) override;
    void SyllableTooLong(SourcePlace place) override { ShowError("Syllable too long.", place); }

private:
    void Compile();
    bool ReadHeader();
    bool CheckFiles();
    bool OpenOutput();
    bool ReadAtLines();
    void ReadLyrics();
    void CountLyrics();
    bool Bind(const std::string& text, const std::string& syllable, int32_t& time);
    void SelectTrackLine();
    void Close(bool failing);

    // Reports an error in the song text: the caret goes to the place and the message is
    // shown, or in the preview the message becomes its last line. Silent in a batch run.
    void ShowError(const std::string& message, SourcePlace place);
    // Takes over the pass's error code; true when there is one.
    bool Failed();
    int32_t TextIndexOfLine(int line) const;
    void Print(const std::string& text) {
        if (sink_ != nullptr) *sink_ << text;
    }

    SongCompiler& c_;
    const CompileKind mode_;
    SongDocument& document_;
    UserInterface& ui_;
    const CompilerSettings& settings_;
    std::ostream* sink_;

    std::vector<std::string> lines_;
    KaraokePass pass_;
    SourceLyrics source_;  // the MIDI file the pass reads, without its old words if so chosen
    bool passOpened_ = false;
    // Written beside the target, put in place only on success: a failed, declined or
    // killed Make leaves the earlier file as it was.
    std::unique_ptr<SafeSave> output_;

    int headerStop_ = 0;  // the line at which the header block stopped
    std::optional<int32_t> track_;
    bool karaokeNamed_ = false;
    int lyricStart_ = 0;

    int32_t explicitTime_ = NoExplicitTime;
    std::string timeCode_;
    SourcePlace timePlace_;
    SourcePlace queryPlace_;
    bool found_ = true;
    int counted_ = 0;
    int syllables_ = 0;  // bound so far, whether or not records are kept
};

void Compilation::Run() {
    c_.previewLines_.clear();
    c_.midiError_ = 0;
    c_.language_.clear();
    const int count = document_.LineCount();
    lines_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) lines_.push_back(document_.Line(i));

    try {
        Compile();
    } catch (...) {
        // A file failed under us: nothing half-written may stay behind.
        if (c_.midiError_ == 0) c_.midiError_ = -1;
        Close(true);
        throw;
    }
    Close(false);
}

void Compilation::Close(bool failing) {
    if (!passOpened_) return;
    passOpened_ = false;
    try {
        pass_.ClosePass();
    } catch (...) {
        if (c_.midiError_ == 0) c_.midiError_ = -1;
        output_.reset();
        if (!failing) throw;
        return;
    }
    if (c_.midiError_ == 0 && output_ && !output_->Commit()) {
        c_.midiError_ = MidiErrorCode::CannotCreateOutput;
        ui_.ErrorBox("Error writing file " + c_.karFileName_ + ".", ErrorContext);
    }
    output_.reset();
}

void Compilation::ShowError(const std::string& message, SourcePlace place) {
    c_.midiError_ = -1;
    if (ui_.Batch()) return;
    if (mode_ == CompileKind::Preview) {
        c_.previewLines_.push_back(message);
        return;
    }
    document_.PlaceCaret(place.Line, place.Column);
    ui_.ErrorBox(message, ErrorContext);
}

bool Compilation::Failed() {
    if (pass_.MidiError() == 0) return false;
    c_.midiError_ = pass_.MidiError();
    if (c_.midiError_ == MidiErrorCode::Reported) {
        // The file ended inside a track. The code has no message of its own, but a Make
        // that just stops without a word would leave the user guessing.
        ui_.ErrorBox("Unexpected end of MIDI file.", ErrorContext);
    }
    return true;
}

int32_t Compilation::TextIndexOfLine(int line) const {
    int64_t index = 0;
    int64_t length = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (static_cast<int>(i) == line) index = length;
        length += static_cast<int64_t>(lines_[i].size()) + (i + 1 < lines_.size() ? 1 : 0);
    }
    if (line >= static_cast<int>(lines_.size())) index = length;
    return static_cast<int32_t>(std::min<int64_t>(index, std::numeric_limits<int32_t>::max()));
}

void Compilation::Compile() {
    const std::string fileName = document_.FileName();
    const std::string directory = DirectoryOf(fileName);
    c_.midiFileName_ = directory + BaseNameOf(fileName) + ".mid";
    c_.karFileName_ = directory + BaseNameOf(fileName) + ".kar";

    if (!ReadHeader()) return;
    if (!settings_.OutputFileName.empty()) c_.karFileName_ = settings_.OutputFileName;
    if (ReadsDirectives(mode_)) {
        if (!CheckFiles()) return;
        if (mode_ == CompileKind::SelectTrack) {
            SelectTrackLine();
            return;
        }
    }
    if (BindsNotes(mode_)) {
        if (!OpenOutput()) return;
    } else {
        pass_.ResetReadingState();
    }
    if (!ReadAtLines()) return;
    if (mode_ == CompileKind::Language) return;
    ReadLyrics();
}

bool Compilation::ReadHeader() {
    const int count = static_cast<int>(lines_.size());
    const std::string directory = DirectoryOf(document_.FileName());
    int line = 0;
    while (line < count && TrimLine(lines_[static_cast<size_t>(line)]).empty()) ++line;
    while (line < count) {
        const std::string text = TrimLine(lines_[static_cast<size_t>(line)]);
        if (text.empty() || text[0] == '@') break;
        ++line;
        if (!ReadsDirectives(mode_)) continue;
        if (text.starts_with("\\t")) {
            const std::optional<int32_t> number = ParseTrackNumber(std::string_view(text).substr(2));
            if (!number) {
                ShowError("Invalid Track number " + text, {line, 1});
                return false;
            }
            track_ = number;
        } else if (text.starts_with("\\m") || text.starts_with("\\k")) {
            // The whole name or none: a name cut to fit may lead to another file.
            const std::string name = ResolveName(directory, TrimLine(std::string_view(text).substr(2)));
            if (!NameFitsSystem(name)) {
                ShowError("File name too long: " + text.substr(0, 2) + " names a file the system cannot hold.",
                          {line - 1, 2});
                return false;
            }
            (text[1] == 'm' ? c_.midiFileName_ : c_.karFileName_) = name;
            if (text[1] == 'k') karaokeNamed_ = true;
        }
    }
    headerStop_ = line;
    if (ReadsDirectives(mode_) && track_ && *track_ < 1) {
        ShowError("Track number \\t must be greater than 0.", {headerStop_, 1});
        return false;
    }
    return true;
}

bool Compilation::CheckFiles() {
    const SourcePlace stop{headerStop_, 1};
    if (mode_ == CompileKind::Export && !karaokeNamed_) {
        ShowError("Karaoke file not specified.", stop);
        return false;
    }
    if (!FileExists(c_.midiFileName_)) {
        ShowError(FileNotFoundMessage(c_.midiFileName_), stop);
        return false;
    }
    if (WritesFile(mode_)) {
        // Creating the output truncates it: it must be neither of the files we read.
        if (SameFile(c_.karFileName_, c_.midiFileName_)) {
            ShowError("Output file " + c_.karFileName_ + " would overwrite the MIDI file.", stop);
            return false;
        }
        if (SameFile(c_.karFileName_, document_.FileName())) {
            ShowError("Output file " + c_.karFileName_ + " would overwrite the song text.", stop);
            return false;
        }
    }
    if (mode_ == CompileKind::SelectTrack || track_) return true;
    if (mode_ == CompileKind::Timing) {
        // Timing leaves the text as it is; choosing a track is Make's business.
        ShowError("Track number \\t missing.", stop);
        return false;
    }

    int32_t index = 0;
    int32_t listError = 0;
    if (!ChooseTrack(ui_, c_.midiFileName_, ListKindPlainMidi, index, listError) || index < 0) {
        ShowError("Track number \\t missing.", stop);
        return false;
    }
    track_ = index + 1;
    const std::string trackLine = "\\t " + std::to_string(*track_);
    document_.InsertLine(0, trackLine);
    lines_.insert(lines_.begin(), trackLine);
    ++headerStop_;
    return true;
}

void Compilation::SelectTrackLine() {
    int32_t index = 0;
    int32_t listError = 0;
    if (!ChooseTrack(ui_, c_.midiFileName_, ListKindPlainMidi, index, listError) || index < 0) {
        // A cancel is quiet; a listing that failed has shown its message already.
        if (listError != 0) c_.midiError_ = -1;
        return;
    }
    SetHeaderLine(document_, "\\t", "\\t " + std::to_string(index + 1));
}

bool Compilation::OpenOutput() {
    PassMode passMode = mode_ == CompileKind::Export ? PassMode::Export : PassMode::Make;
    if (mode_ == CompileKind::Timing) passMode = PassMode::ReadOnly;
    source_ = CheckSourceLyrics(ui_, c_.midiFileName_, c_.karFileName_,
                                mode_ == CompileKind::Make || mode_ == CompileKind::Export);
    if (source_.declined) c_.midiError_ = MidiErrorCode::Declined;
    if (source_.declined) return false;
    std::string writeTo;
    if (WritesFile(mode_)) {
        output_ = std::make_unique<SafeSave>(c_.karFileName_, SafeSave::Flush::ToSystem);
        if (output_->Create()) writeTo = output_->TempName();
    }
    if (!WritesFile(mode_) || !writeTo.empty()) {
        pass_.OpenPass(source_.passInput, writeTo, "", passMode, 0, "", "");
        passOpened_ = true;
    }
    if (!passOpened_ || pass_.MidiError() == MidiErrorCode::CannotCreateOutput) {
        c_.midiError_ = MidiErrorCode::CannotCreateOutput;
        output_.reset();
        // Shown even in a batch run: the user must know the file is not there.
        ui_.ErrorBox("Error writing file " + c_.karFileName_ + ".", ErrorContext);
        return false;
    }
    if (Failed()) return false;

    pass_.ReadPassHeader();
    if (Failed()) return false;
    const int trackCount = pass_.Header().TrackCount;
    if (*track_ >= trackCount) {
        ShowError(TooManyTracksMessage(*track_, trackCount), {headerStop_, 1});
        return false;
    }
    pass_.SelectVoiceTrack(*track_);
    c_.voiceTrack_ = *track_;
    if (Failed()) return false;
    pass_.WriteKaraokeTracks();
    return !Failed();
}

bool Compilation::ReadAtLines() {
    const int count = static_cast<int>(lines_.size());
    int line = headerStop_;
    while (line < count) {
        const std::string text = TrimLine(lines_[static_cast<size_t>(line)]);
        if (text.empty()) break;
        ++line;
        if (text[0] != '@') continue;
        const char kind = text.size() > 1 ? text[1] : '\0';
        const bool title = kind == 'T' || kind == 'W';
        switch (mode_) {
            case CompileKind::Make:
            case CompileKind::Play: pass_.WriteTextEvent(0, 0x01, text); break;
            case CompileKind::Export:
                if (title) {
                    pass_.WriteTextEvent(0, 0x05, text.substr(2) + " ");
                    pass_.WriteTextEvent(0, 0x05, "\r");
                }
                break;
            case CompileKind::PrintText:
                if (title) Print(text.substr(2) + "\n");
                break;
            case CompileKind::Language:
                if (kind == 'L') c_.language_ = text.substr(2);
                break;
            default: break;
        }
        if (Failed()) return false;
    }
    while (line < count && TrimLine(lines_[static_cast<size_t>(line)]).empty()) ++line;
    lyricStart_ = line;
    c_.lyricStartLine_ = line;
    c_.lyrics_.ClearLyrics(true);
    c_.lyrics_.Open().Pos = TextIndexOfLine(line);
    return true;
}

void Compilation::ReadLyrics() {
    LyricLexer lexer(lines_, lyricStart_);
    // Thousands of records moved again at every doubling, into fresh memory each time:
    // in a large song that costs more than binding the lyrics.
    if (mode_ != CompileKind::Check && mode_ != CompileKind::PrintText) c_.lyrics_.Reserve(lexer.MaxSyllables());
    const bool complete = lexer.Run(*this);
    const bool clean = complete && c_.midiError_ == 0;
    switch (mode_) {
        case CompileKind::Check: return;
        case CompileKind::Preview:
            if (clean) lexer.FlushSyllable(*this);
            return;
        case CompileKind::PrintText:
            if (clean) lexer.FlushSyllable(*this);
            Print("\n");
            return;
        default: break;
    }
    if (!clean || !lexer.FlushSyllable(*this) || c_.midiError_ != 0) return;
    if (mode_ == CompileKind::Timing) return;
    if (!ui_.Batch()) CountLyrics();
    if (c_.midiError_ != 0) return;
    pass_.FinishWords();
    Failed();
}

void Compilation::CountLyrics() {
    if (!found_) {
        if (!settings_.CompilerMoreLyrics) return;
        const std::string question = "More lyrics than vocal notes.\r(" + std::to_string(syllables_) +
                                     " lyric(s) and " + std::to_string(counted_) +
                                     " note(s)/time-code(s) counted)\rContinue?";
        if (!ui_.QueryBox(question, ErrorContext)) c_.midiError_ = MidiErrorCode::Declined;
        return;
    }
    // Every search that finds a note is one note without a lyric; the last finds none.
    int searches = 0;
    bool found = true;
    while (found && !pass_.EndOfTrack()) {
        pass_.NextNoteLyric("", found);
        ++searches;
        if (Failed()) return;
    }
    if (searches > 1 && settings_.CompilerLessLyrics) {
        const std::string question = std::to_string(searches - 1) + " lyric(s) missing.\rContinue?";
        if (!ui_.QueryBox(question, ErrorContext)) c_.midiError_ = MidiErrorCode::Declined;
    }
}

bool Compilation::Syllable(const std::string& syllable, LyricPrefix prefix, int32_t end) {
    if (mode_ == CompileKind::Check) return true;
    if (mode_ == CompileKind::PrintText) {
        if (syllable.empty()) return true;
        if (prefix == LyricPrefix::Paragraph) Print("\n\n");
        if (prefix == LyricPrefix::Line) Print("\n");
        if (prefix == LyricPrefix::Blank) Print(" ");
        Print(syllable);
        return true;
    }

    // The preview shows the syllables joined into words, one song text line per line
    // and an empty line between paragraphs.
    std::vector<std::string>& preview = c_.previewLines_;
    const bool blank = prefix == LyricPrefix::Blank;
    const auto displayLength = static_cast<int32_t>(syllable.size() + (blank ? 1 : 0));
    int32_t row = 0;
    int32_t column = 0;
    if (settings_.KeepPreviewLines) {
        if (!syllable.empty() && (prefix == LyricPrefix::Line || prefix == LyricPrefix::Paragraph)) {
            preview.emplace_back();
            if (prefix == LyricPrefix::Paragraph) preview.emplace_back();
        }
        if (!preview.empty()) {
            if (blank) preview.back() += ' ';
            preview.back() += syllable;
            row = static_cast<int32_t>(preview.size() - 1);
            column = static_cast<int32_t>(preview.back().size()) - displayLength;
        }
    }
    if (settings_.KeepLyricRecords) {
        LyricRecord& record = c_.lyrics_.Open();
        record.DisplayLength = displayLength;
        record.Row = row;
        record.Col = column;
    }

    const std::string text = LyricText(prefix, syllable);
    int32_t time = 0;
    if (!Bind(text, syllable, time)) return false;
    if (settings_.KeepLyricRecords) {
        LyricRecord& bound = c_.lyrics_.Open();
        bound.Time = time;
        bound.Track = pass_.CurrentTrack();
        bound.Text = text;
        c_.lyrics_.AppendOpen(end);
    }
    ++syllables_;
    return true;
}

bool Compilation::Bind(const std::string& text, const std::string& syllable, int32_t& time) {
    if (explicitTime_ >= 0) {
        const int32_t explicitTime = explicitTime_;
        explicitTime_ = NoExplicitTime;
        if (!text.empty() && BindsNotes(mode_) && !pass_.EndOfTrack()) {
            pass_.WriteLyric(text, explicitTime);
            if (pass_.MidiError() == MidiErrorCode::Reported) {
                ShowError("MIDI time " + timeCode_ + " falls before time of previous lyric (" +
                              MidiTimeToStr(pass_.LastLyricTime(), pass_.Header().Division) + ")",
                          timePlace_);
                return false;
            }
            if (Failed()) return false;
        }
        // Also when nothing was written (an empty syllable): the next syllable's note is after this time.
        if (WritesFile(mode_)) pass_.PassNotesThrough(explicitTime);
        time = explicitTime;
        ++counted_;
        return true;
    }

    if (explicitTime_ == TimeQuery) {
        explicitTime_ = NoExplicitTime;
        if (mode_ == CompileKind::Preview) {
            time = pass_.CurrentTime();
            return true;
        }
        bool found = false;
        if (!pass_.EndOfTrack()) pass_.NextNoteLyric(text, found);
        if (Failed()) return false;
        // A search past the last note reaches only the end of the track: no note's time.
        const std::string answer = found ? "is " + MidiTimeToStr(pass_.CurrentTime(), pass_.Header().Division) + "."
                                         : "is unknown (no note event found).";
        ShowError("MIDI time of '" + syllable + "' " + answer, queryPlace_);
        return false;
    }

    if (mode_ != CompileKind::Preview && !pass_.EndOfTrack()) {
        pass_.NextNoteLyric(text, found_);
        if (Failed()) return false;
        if (found_) ++counted_;
    }
    time = pass_.CurrentTime();
    return true;
}

bool Compilation::TimeCode(const std::string& code, SourcePlace dollar) {
    if (mode_ == CompileKind::PrintText || mode_ == CompileKind::Language || mode_ == CompileKind::Check) return true;
    if (code.empty()) {
        explicitTime_ = TimeQuery;
        queryPlace_ = dollar;
        return true;
    }
    // Invalid codes, bars below 1 among them, come back as -1.
    const int32_t time = StrToMidiTime(code, pass_.Header().Division);
    if (time < 0) {
        ShowError("Invalid MIDI time $" + code + "$.", dollar);
        return false;
    }
    explicitTime_ = time;
    timeCode_ = code;
    timePlace_ = dollar;
    return true;
}

bool Compilation::TrackChange(const std::string& code, SourcePlace end) {
    explicitTime_ = NoExplicitTime;
    if (!BindsNotes(mode_)) return true;
    const std::optional<int32_t> track = ParseTrackNumber(code.size() > 2 ? std::string_view(code).substr(2) : "");
    if (!track) {
        ShowError("Invalid Track number " + code, end);
        return false;
    }
    if (*track < 1) {
        ShowError("Track number \\t must be greater than 0.", end);
        return false;
    }
    const int trackCount = pass_.Header().TrackCount;
    if (*track >= trackCount) {
        ShowError(TooManyTracksMessage(*track, trackCount), end);
        return false;
    }
    pass_.SwitchVoiceTrack(*track);
    return !Failed();
}

void SongCompiler::CompileSongText(CompileKind mode, SongDocument& document, UserInterface& ui,
                                   const CompilerSettings& settings, std::ostream* printSink) {
    Compilation compilation(*this, mode, document, ui, settings, printSink);
    compilation.Run();
}

}  // namespace sonkora
