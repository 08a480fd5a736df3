#pragma once
// What the compile commands of sonkorac (make, export, check, preview, print) share:
// the song text loaded from its file, the console standing in for the editor window,
// and the reading of their command lines.
//
// Errors name their place as a compiler's would:
//   song.stf:9:14: Invalid MIDI time $3:5:0$.     (a song text error: caret line, column)
//   song.mid: Not a MIDI file.                    (a MIDI file error)
//   song.kar: Error writing file song.kar.        (the output cannot be created)

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/ConsoleUserInterface.h"
#include "common/CodePage.h"
#include "compiler/CompileHost.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"

namespace sonkora::cli {

// A song text file held in memory. It remembers when the compiler placed the caret, so
// the next error message can name that place.
class ConsoleSongDocument : public MemorySongDocument {
public:
    using MemorySongDocument::MemorySongDocument;
    void SetCaretIndex(int index) override {
        MemorySongDocument::SetCaretIndex(index);
        caretPlaced_ = true;
    }
    bool TakeCaretPlaced() {
        const bool placed = caretPlaced_;
        caretPlaced_ = false;
        return placed;
    }

private:
    bool caretPlaced_ = false;
};

// Reads a song text file; IoError when it cannot be read or is too large to edit.
std::unique_ptr<ConsoleSongDocument> LoadSongText(const std::string& path);
// The same file's bytes as they are.
std::string ReadSongTextBytes(const std::string& path);
// The file's bytes in Windows-1252: a UTF-8 song text is converted, which `err` is told,
// with the place of every character the code page cannot hold (each became '?').
Cp1252Conversion ReadSongTextInCodePage(const std::string& path, std::ostream& err);

class CompileConsole : public ConsoleUserInterface, public CompileHost {
public:
    CompileConsole(ConsoleSongDocument& document, const SongCompiler& compiler, std::ostream& out, std::ostream& err)
        : ConsoleUserInterface(out, err), document_(document), compiler_(compiler) {}

    // A compilation that failed says so on standard error, success on standard output.
    void InformationBox(const std::string& message, int helpContext) override;

    // Both lyric count warnings on, as in a fresh installation; no lyric records or
    // preview lines, which only a window shows.
    CompilerSettings Settings() const override { return ConsoleSettings(); }
    static CompilerSettings ConsoleSettings() {
        CompilerSettings settings;
        settings.KeepLyricRecords = settings.KeepPreviewLines = false;
        return settings;
    }
    // There is no preview pane to fill.
    void TakePreviewLines(const std::vector<std::string>&) override {}
    // Nothing ever plays in sonkorac, so there is nothing to stop.
    void StopPlayback() override {}
    // The only Yes/No/Cancel question of a compilation: old words in the MIDI file. They
    // are left out with --strip-lyrics; otherwise --strict refuses the file, and without
    // it they are kept with a warning.
    Answer ConfirmBox(const std::string& message, int helpContext) override;
    void SetSourceLyricsChoice(bool strip, bool strict) {
        stripLyrics_ = strip;
        strict_ = strict;
    }
    // Playing and handing over to a player need the Sonkora window.
    void PlaySong(const std::string& karFileName, bool fromCursor) override;
    bool StartProgram(const std::string&, const std::string&, const std::string&) override { return false; }

protected:
    std::string ErrorPlace(const std::string& message) override;

private:
    ConsoleSongDocument& document_;
    const SongCompiler& compiler_;
    bool stripLyrics_ = false;
    bool strict_ = false;
};

// The command line of make and export: SONG [--track N] [--strict] [--strip-lyrics].
struct CompileOptions {
    std::string songFile;
    std::optional<int> track;
    bool strict = false;
    bool stripLyrics = false;
};
// Reads the options; a usage problem is returned as its text.
std::optional<std::string> ParseCompileOptions(const Arguments& args, bool allowChoices, CompileOptions& options);

// Make and Export: compile the song text and report as the Karaoke menu does.
int RunCompileAndAct(const Arguments& args, CompileKind kind);

// The commands that only read a song text (check, preview, print): SONG and no option.
// Loads it and runs `command` with a compiler and a console bound to it; a usage problem
// is reported as every command reports one.
using SongTextCommand = std::function<int(ConsoleSongDocument&, SongCompiler&, CompileConsole&)>;
int RunOnSongText(const Arguments& args, const SongTextCommand& command);

}  // namespace sonkora::cli
