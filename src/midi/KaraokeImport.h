#pragma once
// The karaoke import: turns a karaoke file back into the two inputs of the compiler, a
// song text with the lyrics syllable by syllable and a MIDI file with the music.
//
// Both forms of karaoke file are taken (see midi/KaraokeTexts.h for how they are told
// apart). A Soft Karaoke file: two karaoke passes, one collecting the note-on times of
// the voice track, the other converting the Words track into the song text and copying
// the music tracks without the two karaoke tracks. A file with lyric events: the voice
// notes are collected the same way, the lyric events of all tracks in time order become
// the song text, and the MIDI file is the input without its words (tracks that held
// nothing but words left out), so track k of the list is track k of the MIDI file in
// both forms.
//
// Every "@" text (late ones and the information track's too) goes to the header lines;
// UTF-8 texts are converted to Windows-1252; what had to change is reported at the end
// through UserInterface::ReportChanges.
//
// Importing /songs/song.kar with the voice track at list item 0 (the fourth chunk) and
// song_1.kar already present writes /songs/song.stf beginning
//   \t 1
//   \m /songs/song.mid
//   \k /songs/song_2.kar
// followed by the header lines and the lyrics of the Words track.
//
// The outputs are written under temporary names beside their final ones and put in
// place only when the whole import succeeded: a failure leaves no half-written file
// and any file the user agreed to overwrite as it was. The karaoke file is only read.

#include <cstdint>
#include <string>

namespace sonkora {

class UserInterface;

// What the import asks of whoever started it beyond the message boxes and dialogs.
class ImportHost {
public:
    virtual ~ImportHost() = default;
    // Opens the new song text in an editor window (sonkorac reports its path).
    virtual void OpenSongText(const std::string& fileName) = 0;
    // Asked once the song text's name is chosen, before anything is written: false
    // cancels the import (an open window holds unsaved edits of that file).
    virtual bool MayReplaceSongText(const std::string& /*fileName*/) { return true; }
};

// Names to propose instead of the ones beside the karaoke file; empty keeps the default.
struct ImportProposals {
    std::string songTextName;
    std::string midiName;
};

enum class ImportOutcome {
    Imported,   // both files written, the song text opened
    NotFound,   // the karaoke file does not exist (reported)
    Cancelled,  // a name prompt or the track dialog was cancelled; nothing written
    Failed      // an error was reported; nothing written
};

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Cancelled;
    int32_t midiError = 0;     // the code the passes left (-1: not a Soft Karaoke file or damaged)
    std::string songTextName;  // as chosen, once chosen
    std::string midiName;
    std::string karaokeReference;  // the "\k" name written into the song text
    int noteCount = 0;             // voice notes collected
};

// Confirms or replaces a proposed output name. While the proposal names an existing
// file the user is asked whether to overwrite it; "No" offers the save dialog. Returns
// the name to write, or empty when the user cancelled.
std::string AskSaveName(UserInterface& ui, const std::string& proposedName, const std::string& filter,
                        const std::string& defaultExtension);

// The smallest free "DIR/BASE_n.kar" (n from 1): the name the song text gives the
// compiler's output, so compiling the import never replaces the original file.
std::string KaraokeReferenceName(const std::string& directory, const std::string& baseName);

// The whole import of `karaokeFile`, with its dialogs and messages. Read and write
// failures of the files raise IoError after the temporary outputs were removed.
ImportResult ImportKaraoke(UserInterface& ui, ImportHost& host, const std::string& karaokeFile,
                           const ImportProposals& proposals = {});

}  // namespace sonkora
