#include "midi/KaraokeImport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/SafeSave.h"
#include "common/UserInterface.h"
#include "midi/KaraokePass.h"
#include "midi/MidiTypes.h"
#include "midi/TrackListing.h"

namespace sonkora {

namespace fs = std::filesystem;

namespace {

// The first chunk of a Soft Karaoke file that holds music: chunk 0 is the common
// track, 1 the information track and 2 the Words track.
constexpr int FirstMusicChunk = 3;
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

// Creates the temporary file of an output. Only a regular file the user may write is
// replaced; a directory, a device or a pipe under that name is an error, as a read-only
// file is.
bool Prepare(SafeSave& output) {
    struct stat existing {};
    if (::stat(output.Target().c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode) || ::access(output.Target().c_str(), W_OK) != 0) return false;
    } else if (errno != ENOENT) {
        return false;
    }
    return output.Create();
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
        ui.ErrorBox("File " + karaokeFile + " not found.", HelpContext::ErrorMessages);
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
    const bool chosen = ChooseTrack(ui, karaokeFile, ListKindSoftKaraoke, index, listError);
    result.midiError = listError;
    if (!chosen || listError != 0) {
        // ChooseTrack has shown the message of a failed listing already.
        result.outcome = listError != 0 ? ImportOutcome::Failed : ImportOutcome::Cancelled;
        return result;
    }

    KaraokePass pass;
    CollectVoiceNotes(pass, karaokeFile, index + FirstMusicChunk);
    result.noteCount = pass.NoteCount();
    result.midiError = pass.MidiError();
    if (result.midiError != 0) {
        ReportCode(ui, result.midiError, karaokeFile);
        result.outcome = ImportOutcome::Failed;
        return result;
    }

    result.karaokeReference = KaraokeReferenceName(DirectoryOf(Reference(karaokeFile)), baseName);

    // The outputs must not be the input, nor one another: creating one would wipe out
    // the other before it was read or written.
    auto failWrite = [&](int32_t code, const std::string& fileName) {
        result.midiError = code;
        ui.ErrorBox(WriteErrorMessage(fileName), HelpContext::ErrorMessages);
        result.outcome = ImportOutcome::Failed;
        return result;
    };
    SafeSave midiOutput(result.midiName);
    SafeSave songTextOutput(result.songTextName);
    if (SameTarget(result.midiName, karaokeFile) || !Prepare(midiOutput))
        return failWrite(MidiErrorCode::CannotCreateOutput, result.midiName);
    if (SameTarget(result.songTextName, karaokeFile) || SameTarget(result.songTextName, result.midiName) ||
        !Prepare(songTextOutput))
        return failWrite(MidiErrorCode::CannotCreateSongText, result.songTextName);

    pass.OpenPass(karaokeFile, midiOutput.TempName(), songTextOutput.TempName(), PassMode::Convert,
                  static_cast<uint16_t>(index + 1), FileNameForSongText(Reference(result.midiName)),
                  FileNameForSongText(result.karaokeReference));
    if (pass.MidiError() == MidiErrorCode::CannotCreateOutput ||
        pass.MidiError() == MidiErrorCode::CannotCreateSongText) {
        const int32_t code = pass.MidiError();
        pass.ClosePass();
        return failWrite(code, code == MidiErrorCode::CannotCreateOutput ? result.midiName : result.songTextName);
    }
    pass.ReadPassHeader();
    if (pass.MidiError() == 0) pass.SelectVoiceTrack(WordsChunk);
    bool found = true;
    // One call converts the whole Words track; the loop only guards against a pass that
    // stops early.
    while (pass.MidiError() == 0 && found) pass.NextNoteLyric("", found);
    if (pass.MidiError() == 0) pass.CopyRest();
    pass.ClosePass();
    result.midiError = pass.MidiError();
    if (result.midiError != 0) {
        ReportCode(ui, result.midiError, karaokeFile);
        result.outcome = ImportOutcome::Failed;
        return result;
    }

    if (!midiOutput.Commit()) return failWrite(MidiErrorCode::CannotCreateOutput, result.midiName);
    if (!songTextOutput.Commit()) {
        midiOutput.Withdraw();
        return failWrite(MidiErrorCode::CannotCreateSongText, result.songTextName);
    }
    result.outcome = ImportOutcome::Imported;
    host.OpenSongText(result.songTextName);
    return result;
}

}  // namespace sonkora
