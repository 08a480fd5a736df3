// sonkorac preview SONG.stf: the lyric preview, one line per line; an error in the lyric
// body is its last line, as the Preview page shows it. The song text's Windows-1252
// letters are written in UTF-8, as the terminal expects them.
#include <iostream>

#include "cli/CompileConsole.h"
#include "common/CodePage.h"
#include "common/TerminalText.h"

namespace sonkora::cli {

int RunPreview(const Arguments& args) {
    return RunOnSongText(args, [](ConsoleSongDocument& document, SongCompiler& compiler, CompileConsole& console) {
        CompilerSettings settings = CompileConsole::ConsoleSettings();
        settings.KeepPreviewLines = true;
        compiler.CompileSongText(CompileKind::Preview, document, console, settings);
        for (const std::string& line : compiler.PreviewLines()) std::cout << TerminalSafe(Cp1252ToUtf8(line)) << '\n';
        std::cout << std::flush;
        return compiler.MidiError() == 0 ? 0 : 1;
    });
}

}  // namespace sonkora::cli
