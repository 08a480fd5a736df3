#pragma once
// What the compile command needs beyond the message boxes of UserInterface: the
// compiler's settings and the editor window and frame it acts on after a compilation.
// The editor window implements it; sonkorac and the tests have their own.

#include <string>
#include <vector>

namespace sonkora {

// Settings of the "ViewSettings" section that a compilation reads.
struct CompilerSettings {
    bool CompilerMoreLyrics = true;  // ask when lyrics are left without a note
    bool CompilerLessLyrics = true;  // ask when notes are left without a lyric
    std::string KaraokePlayer;       // path of the external karaoke player; empty: none
    std::string Parameters = "%";    // its parameter template, "%" standing for the file
    // The lyric records and the preview lines, which an editor window maps with, cost
    // several times the song text; a run that shows neither (sonkorac) leaves them out.
    bool KeepLyricRecords = true;
    bool KeepPreviewLines = true;
    // Not empty: Make and Export write this file instead of the song's karaoke file (the
    // lyric exports compile into a scratch file and keep the song's own .kar untouched).
    std::string OutputFileName;
};

class CompileHost {
public:
    virtual ~CompileHost() = default;

    virtual CompilerSettings Settings() const = 0;

    // The preview of a Make, Play or Export compilation. The editor shows it unless its
    // Preview page is the one showing.
    virtual void TakePreviewLines(const std::vector<std::string>& lines) = 0;

    // Stops any playback and releases the output device, so an external player can have it.
    virtual void StopPlayback() = 0;
    // Plays the compiled file for this editor window, from the start or from the lyric of
    // the line that holds the song text caret.
    virtual void PlaySong(const std::string& karFileName, bool fromCursor) = 0;
    // Starts another program with a parameter string in a working directory, its window
    // shown and active. False when it could not be started.
    virtual bool StartProgram(const std::string& program, const std::string& parameters,
                              const std::string& workingDirectory) = 0;
};

}  // namespace sonkora
