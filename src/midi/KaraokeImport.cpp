#include "midi/KaraokeImport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "common/SafeSave.h"
#include "common/UserInterface.h"
#include "midi/KaraokePass.h"
#include "midi/KaraokeTexts.h"
#include "midi/MidiFileImage.h"
#include "midi/MidiTypes.h"
#include "midi/SongTextConverter.h"
#include "midi/TimeCode.h"
#include "midi/TrackListing.h"

namespace sonkora {

namespace fs = std::filesystem;

namespace {

// The Words track of a Soft Karaoke file: chunk 0 is the common track, 1 the
// information track, and the music follows the Words track.
constexpr int WordsChunk = 2;

std::string WriteErrorMessage(const std::string& fileName) {
    return "Error writing file " + fileName + ".";
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool PathExists(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    // Anything but a clean "not there" counts as taken: a name we cannot look at must not
    // be handed out as free.
    return status.type() != fs::file_type::not_found;
}

// True when both names lead to the same file, or would once created.
bool SameTarget(const std::string& first, const std::string& second) {
    std::error_code error;
    if (fs::equivalent(first, second, error)) return true;
    const fs::path a = fs::absolute(first, error).lexically_normal();
    if (error) return false;
    const fs::path b = fs::absolute(second, error).lexically_normal();
    return !error && a == b;
}

// The name written into the song text for a file: a song text resolves a name without
// a directory against its own folder, so a name given relative to the working
// directory would point elsewhere once written there.
std::string Reference(const std::string& fileName) {
    std::error_code error;
    const fs::path absolute = fs::absolute(fileName, error);
    return error ? fileName : absolute.string();
}

void ReportCode(UserInterface& ui, int32_t code, const std::string& karaokeFile) {
    if (code > 0) {
        ui.ErrorBox(MidiErrorMessage(code), HelpContext::ErrorMessages);
    } else if (code == MidiErrorCode::Reported) {
        // The passes leave -1 when a track ends inside an event: the file is cut short
        // or a chunk length is wrong. Silence would look like nothing happened.
        ui.ErrorBox("File " + karaokeFile + " is damaged: a track ends inside an event.", HelpContext::ErrorMessages);
    }
}

// The collecting pass: the note-on times of the voice track, kept in the pass for the
// converting pass that follows.
void CollectVoiceNotes(KaraokePass& pass, const std::string& karaokeFile, int voiceChunk) {
    pass.OpenPass(karaokeFile, "", "", PassMode::Collect, 0, "", "");
    pass.ReadPassHeader();
    if (pass.MidiError() == 0 && voiceChunk >= pass.Header().TrackCount) {
        // The file changed since it was listed.
        pass.SetMidiError(MidiErrorCode::UnknownCode);
    }
    if (pass.MidiError() == 0) pass.SelectVoiceTrack(voiceChunk);
    bool found = true;
    while (pass.MidiError() == 0 && found) pass.NextNoteLyric("", found);
    pass.ClosePass();
}

// What the import takes from the file's texts before it converts the lyrics: every "@"
// line for the header, whether the texts are UTF-8, and the moves worth telling.
struct TextPlan {
    std::vector<std::string> headerLines;
    bool utf8 = false;
    std::vector<std::string> changes;
};

TextPlan PlanTexts(const std::vector<uint8_t>& bytes, const KaraokeSurvey& survey) {
    TextPlan plan;
    const bool softKaraoke = survey.form == KaraokeForm::SoftKaraoke;
    std::vector<std::string> informationLines;
    bool anyNonAscii = false;
    bool allUtf8 = true;
    // A lyric-event file's "@" lines may lie in any track, the conductor track included
    // (where a split type 0 file has all its texts).
    for (size_t i = softKaraoke ? 1 : 0; i < survey.chunks.size(); ++i) {
        // A Soft Karaoke file's words are its information and Words tracks; the texts of
        // its music tracks stay in the MIDI file written, as every other byte there.
        if (softKaraoke && i > WordsChunk) break;
        const bool words = softKaraoke ? i == WordsChunk : true;
        int32_t firstLyric = -1;
        for (const MidiEvent& event : ChunkEvents(bytes, survey.chunks[i])) {
            const bool karaokeText = IsKaraokeText(event, softKaraoke && words);
            if (!karaokeText) continue;
            const bool atLine = !event.Text.empty() && event.Text[0] == '@';
            if (IsUtf8BeyondAscii(event.Text))
                anyNonAscii = true;
            else if (!IsUtf8BeyondAscii(event.Text + "\xC3\xA9"))  // "é" added: the text's validity alone
                allUtf8 = false;
            if (!atLine) {
                if (firstLyric < 0) firstLyric = event.Time;
                continue;
            }
            // The marker is written by every Make anyway.
            if (event.Text.rfind(SoftKaraokeMarker, 0) == 0) continue;
            (words ? plan.headerLines : informationLines).push_back(event.Text);
            if (firstLyric >= 0 && event.Time > firstLyric) {
                std::string shown = event.Text;
                std::erase_if(shown, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
                plan.changes.push_back("The text \"" + shown + "\" at " +
                                       MidiTimeToStr(event.Time, survey.header.Division) +
                                       " is written with the header lines: among the lyrics it would be a syllable.");
            }
        }
    }
    // The Words track's header comes first, as it always did; the information track's
    // lines follow unless the Words track has them already.
    for (const std::string& line : informationLines)
        if (std::find(plan.headerLines.begin(), plan.headerLines.end(), line) == plan.headerLines.end())
            plan.headerLines.push_back(line);
    plan.utf8 = anyNonAscii && allUtf8;
    if (!plan.utf8)
        for (std::string& change : plan.changes) change = Cp1252ToUtf8(change);
    return plan;
}

// The karaoke texts of a lyric-event file in time order, for the song text.
std::vector<MidiEvent> LyricEventsInOrder(const std::vector<uint8_t>& bytes, const KaraokeSurvey& survey) {
    std::vector<MidiEvent> events;
    for (const ChunkSurvey& chunk : survey.chunks) {
        if (chunk.karaokeTexts == 0) continue;
        for (MidiEvent& event : ChunkEvents(bytes, chunk))
            if (IsKaraokeText(event, false)) events.push_back(std::move(event));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.Time < b.Time; });
    return events;
}

// Export writes each title line of a song text as a lyric event at tick 0 followed by a
// carriage return event. Before any voice note such lines are titles, not sung words:
// they go back to the header as "@T" lines. Returns how many events they were.
size_t TakeExportedTitles(const std::vector<MidiEvent>& events, const std::vector<int32_t>& noteTimes,
                          std::vector<std::string>& headerLines) {
    constexpr uint8_t LyricType = 0x05;
    if (!noteTimes.empty() && noteTimes.front() == 0) return 0;
    size_t taken = 0;
    while (taken + 1 < events.size()) {
        const MidiEvent& title = events[taken];
        const MidiEvent& end = events[taken + 1];
        if (title.Time != 0 || end.Time != 0 || title.MetaType != LyricType || end.MetaType != LyricType ||
            end.Text != "\r" || title.Text.empty() || title.Text == "\r" || title.Text[0] == '@')
            break;
        std::string line = title.Text;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        headerLines.push_back("@T" + line);
        taken += 2;
    }
    return taken;
}

// A file name as the song text writes it; empty when the code page cannot hold it.
std::string SongTextFileName(const std::string& fileName) {
    const Cp1252Conversion converted = Utf8ToCp1252(fileName);
    return converted.unmapped.empty() ? converted.text : std::string();
}

}  // namespace

std::string AskSaveName(UserInterface& ui, const std::string& proposedName, const std::string& filter,
                        const std::string& defaultExtension) {
    std::string name = proposedName;
    while (FileExists(name)) {
        switch (ui.ConfirmBox("File " + name + " already exists. \rOverwrite?", HelpContext::ErrorMessages)) {
            case Answer::Yes: return name;
            case Answer::Cancel: return {};
            case Answer::No: {
                SaveDialogRequest request;
                request.title = "Save file as";
                request.filter = filter;
                request.defaultExtension = defaultExtension;
                request.proposedName = name;
                request.helpContext = HelpContext::General;
                const std::optional<std::string> chosen = ui.AskSaveFileName(request);
                if (!chosen || chosen->empty()) return {};
                name = *chosen;
                break;
            }
        }
    }
    return name;
}

std::string KaraokeReferenceName(const std::string& directory, const std::string& baseName) {
    for (unsigned long n = 1;; ++n) {
        std::string candidate = directory + baseName + "_" + std::to_string(n) + ".kar";
        if (!PathExists(candidate)) return candidate;
    }
}

ImportResult ImportKaraoke(UserInterface& ui, ImportHost& host, const std::string& karaokeFile,
                           const ImportProposals& proposals) {
    ImportResult result;
    if (!FileExists(karaokeFile)) {
        ui.ErrorBox(FileNotFoundMessage(karaokeFile), HelpContext::ErrorMessages);
        result.outcome = ImportOutcome::NotFound;
        return result;
    }
    if (!IsRegularFile(karaokeFile)) {
        // A pipe or a device would block the read or never end.
        ui.ErrorBox("File " + karaokeFile + " is not a regular file.", HelpContext::ErrorMessages);
        result.outcome = ImportOutcome::Failed;
        return result;
    }

    const std::string directory = DirectoryOf(karaokeFile);
    const std::string baseName = BaseNameOf(karaokeFile);

    result.songTextName =
        AskSaveName(ui, proposals.songTextName.empty() ? directory + baseName + ".stf" : proposals.songTextName,
                    "STF files (*.stf)|*.stf", "stf");
    if (result.songTextName.empty() || !host.MayReplaceSongText(result.songTextName)) return result;
    result.midiName = AskSaveName(ui, proposals.midiName.empty() ? directory + baseName + ".mid" : proposals.midiName,
                                  "MIDI files (*.mid)|*.mid", "mid");
    if (result.midiName.empty()) return result;

    int32_t index = 0;
    int32_t listError = 0;
    int voiceChunk = 0;
    const bool chosen = ChooseTrack(ui, karaokeFile, ListKindSoftKaraoke, index, listError, &voiceChunk);
    result.midiError = listError;
    if (!chosen || listError != 0) {
        // ChooseTrack has shown the message of a failed listing already.
        result.outcome = listError != 0 ? ImportOutcome::Failed : ImportOutcome::Cancelled;
        return result;
    }

    // Read as the pass reads it: a RIFF file unwrapped, a type 0 file split (its texts
    // then lie in the conductor track, chunk 0).
    std::vector<uint8_t> bytes = ReadMidiFileBytes(karaokeFile);
    const int32_t imageError = ToMidiImage(bytes);
    const KaraokeSurvey survey = SurveyKaraokeTexts(imageError == 0 ? bytes : std::vector<uint8_t>());
    KaraokePass pass;
    CollectVoiceNotes(pass, karaokeFile, voiceChunk);
    result.noteCount = pass.NoteCount();
    result.midiError = pass.MidiError();
    if (result.midiError == 0) result.midiError = imageError;
    if (result.midiError == 0 && survey.form == KaraokeForm::None) result.midiError = MidiErrorCode::UnknownCode;
    if (result.midiError != 0) {
        ReportCode(ui, result.midiError, karaokeFile);
        result.outcome = ImportOutcome::Failed;
        return result;
    }

    result.karaokeReference = KaraokeReferenceName(DirectoryOf(Reference(karaokeFile)), baseName);

    auto failWrite = [&](int32_t code, const std::string& fileName) {
        result.midiError = code;
        ui.ErrorBox(WriteErrorMessage(fileName), HelpContext::ErrorMessages);
        result.outcome = ImportOutcome::Failed;
        return result;
    };
    // The song text names both files in its code page: a name it cannot hold would be
    // written as "?" and never found again.
    const std::string midiReference = SongTextFileName(Reference(result.midiName));
    const std::string karaokeReference = SongTextFileName(result.karaokeReference);
    for (const auto& [reference, name] :
         {std::pair{&midiReference, &result.midiName}, std::pair{&karaokeReference, &result.karaokeReference}}) {
        if (!reference->empty()) continue;
        ui.ErrorBox("The file name " + *name +
                        " holds characters that a song text (Windows-1252) cannot hold; choose another name.",
                    HelpContext::ErrorMessages);
        result.midiError = MidiErrorCode::Reported;
        result.outcome = ImportOutcome::Failed;
        return result;
    }

    // The outputs must not be the input, nor one another: creating one would wipe out
    // the other before it was read or written.
    SafeSave midiOutput(result.midiName);
    SafeSave songTextOutput(result.songTextName);
    if (SameTarget(result.midiName, karaokeFile) || !midiOutput.Create())
        return failWrite(MidiErrorCode::CannotCreateOutput, result.midiName);
    if (SameTarget(result.songTextName, karaokeFile) || SameTarget(result.songTextName, result.midiName) ||
        !songTextOutput.Create())
        return failWrite(MidiErrorCode::CannotCreateSongText, result.songTextName);

    const TextPlan plan = PlanTexts(bytes, survey);
    std::vector<std::string> changes = plan.changes;
    const auto voiceTrack = static_cast<uint16_t>(index + 1);
    if (survey.form == KaraokeForm::SoftKaraoke) {
        pass.OpenPass(karaokeFile, midiOutput.TempName(), songTextOutput.TempName(), PassMode::Convert, voiceTrack,
                      midiReference, karaokeReference);
        if (pass.MidiError() == MidiErrorCode::CannotCreateOutput ||
            pass.MidiError() == MidiErrorCode::CannotCreateSongText) {
            const int32_t code = pass.MidiError();
            pass.ClosePass();
            return failWrite(code, code == MidiErrorCode::CannotCreateOutput ? result.midiName : result.songTextName);
        }
        pass.SongText().SetUtf8(plan.utf8);
        pass.SongText().WriteHeaderLines(plan.headerLines);
        pass.ReadPassHeader();
        if (pass.MidiError() == 0) pass.SelectVoiceTrack(WordsChunk);
        bool found = true;
        // One call converts the whole Words track; the loop only guards against a pass that
        // stops early.
        while (pass.MidiError() == 0 && found) pass.NextNoteLyric("", found);
        if (pass.MidiError() == 0) pass.CopyRest();
        const std::vector<std::string> converted = pass.SongText().Changes();
        changes.insert(changes.end(), converted.begin(), converted.end());
        pass.ClosePass();
        result.midiError = pass.MidiError();
        if (result.midiError != 0) {
            ReportCode(ui, result.midiError, karaokeFile);
            result.outcome = ImportOutcome::Failed;
            return result;
        }
    } else {
        // Lyric events: the music is the file without its words (tracks that held only
        // words left out), the song text is made from the lyric events in time order.
        const std::vector<uint8_t> music = WithoutKaraokeTexts(bytes, survey, true);
        if (!midiOutput.WriteAll(std::string_view(reinterpret_cast<const char*>(music.data()), music.size())))
            return failWrite(MidiErrorCode::CannotCreateOutput, result.midiName);
        SongTextConverter songText;
        if (!songText.Open(songTextOutput.TempName(), voiceTrack, midiReference, karaokeReference))
            return failWrite(MidiErrorCode::CannotCreateSongText, result.songTextName);
        const std::vector<MidiEvent> events = LyricEventsInOrder(bytes, survey);
        std::vector<std::string> headerLines = plan.headerLines;
        const size_t titles = TakeExportedTitles(events, pass.NoteTimes(), headerLines);
        songText.SetUtf8(plan.utf8);
        songText.WriteHeaderLines(headerLines);
        int lyricIndex = 0;
        for (size_t i = titles; i < events.size(); ++i)
            songText.Convert(events[i], pass.NoteTimes(), pass.NoteCount(), lyricIndex, survey.header.Division);
        changes.insert(changes.end(), songText.Changes().begin(), songText.Changes().end());
        std::string reason;
        if (!songText.Close(reason)) throw IoError(result.songTextName, "cannot write: " + reason);
    }

    if (!midiOutput.Commit()) return failWrite(MidiErrorCode::CannotCreateOutput, result.midiName);
    if (!songTextOutput.Commit()) {
        midiOutput.Withdraw();
        return failWrite(MidiErrorCode::CannotCreateSongText, result.songTextName);
    }
    result.outcome = ImportOutcome::Imported;
    if (!changes.empty()) ui.ReportChanges(karaokeFile, changes);
    host.OpenSongText(result.songTextName);
    return result;
}

}  // namespace sonkora
