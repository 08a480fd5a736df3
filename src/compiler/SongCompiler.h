#pragma once
// The compile command: CompileSongText reads a song text and, depending on what the
// compilation is for, makes a karaoke file, exports a MIDI file with lyric events,
// fills the lyric preview, prints the plain lyrics, reads the language line, inserts a
// voice track line or only checks the text. CompileAndAct runs it for the Karaoke menu
// and carries out what follows: the success message, playback or the external player.
//
// A SongCompiler belongs to one editor window and keeps what a compilation leaves
// behind: the error code, the lyric records, the preview lines and the file names.
// The hyphenation command checks a text and reads its language like this:
//
//   SongCompiler compiler;
//   compiler.CompileSongText(CompileKind::Check, document, ui);
//   if (compiler.MidiError() != 0) return;           // already reported
//   compiler.CompileSongText(CompileKind::Language, document, ui);
//   use(compiler.Language(), compiler.LyricStartLine());

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/CompileHost.h"
#include "compiler/LyricList.h"
#include "compiler/SongDocument.h"

namespace sonkora {

class UserInterface;

// What a compilation is for.
enum class CompileKind : uint8_t {
    Make,         // the karaoke file
    Play,         // the karaoke file, then playback or the external player
    PrintText,    // the plain lyrics, line by line, to a text sink
    Language,     // only the header and @-lines: the "@L" language
    Export,       // a MIDI file with lyric events
    SelectTrack,  // a "\t" line chosen from the MIDI file's tracks; no file
    Check,        // the syntax check only
    Preview,      // the preview lines and lyric records; no file
    Timing,       // the lyric records bound to notes as Make binds them, Make's errors; no file
};

// A track number as "\t" lines and track changes write it: optional leading blanks, an
// optional sign and decimal digits, nothing else, within 32 bits.
std::optional<int32_t> ParseTrackNumber(std::string_view text);

class SongCompiler {
public:
    // Compiles the song text of `document`. The outcome is the error code (0 success,
    // positive: a MIDI file message still to be shown, -1 reported, -2 declined,
    // -3 output not created), the lyric records, the preview lines and the file names.
    // `printSink` receives the plain lyrics of CompileKind::PrintText.
    // Read and write failures of the files raise IoError after the output file is removed.
    void CompileSongText(CompileKind mode, SongDocument& document, UserInterface& ui,
                         const CompilerSettings& settings = {}, std::ostream* printSink = nullptr);

    int32_t MidiError() const { return midiError_; }
    void SetMidiError(int32_t code) { midiError_ = code; }

    const std::string& MidiFileName() const { return midiFileName_; }
    const std::string& KarFileName() const { return karFileName_; }

    LyricList& Lyrics() { return lyrics_; }
    const LyricList& Lyrics() const { return lyrics_; }
    int LyricCount() const { return lyrics_.LyricCount(); }

    const std::vector<std::string>& PreviewLines() const { return previewLines_; }
    void FreePreviewLines() { previewLines_.clear(); }

    // After CompileKind::Language: the text of the last "@L" line (empty without one) and the first
    // line of the lyric body (the line count when the text has none).
    const std::string& Language() const { return language_; }
    int LyricStartLine() const { return lyricStartLine_; }
    // After a compilation that bound notes: the voice track the lyrics start on.
    int VoiceTrack() const { return voiceTrack_; }

private:
    friend class Compilation;

    int32_t midiError_ = 0;
    std::string midiFileName_;
    std::string karFileName_;
    LyricList lyrics_;
    std::vector<std::string> previewLines_;
    std::string language_;
    int lyricStartLine_ = 0;
    int voiceTrack_ = 0;
};

// Runs CompileSongText for Make, Play or Export and acts on the result. `fromCursor`
// and `external` matter only for CompileKind::Play.
void CompileAndAct(SongCompiler& compiler, CompileKind mode, bool fromCursor, bool external, SongDocument& document,
                   UserInterface& ui, CompileHost& host);

// The external player's parameter string: the template with every "%" replaced by the
// file name, nothing quoted ("/play %" and "a.kar" give "/play a.kar").
std::string PlayerParameters(const std::string& parameterTemplate, const std::string& karFileName);

}  // namespace sonkora
