// sonkorac preview SONG.stf: the lyric preview, one line per line; an error in the lyric
// body is its last line, as the Preview page shows it.
#include <iostream>

#include "cli/CompileConsole.h"
#include "common/TerminalText.h"

namespace sonkora::cli {

int RunPreview(const Arguments& args) {
    CompileOptions options;
    if (const std::optional<std::string> problem = ParseCompileOptions(args, false, options))
        return UsageError(*problem);
    const std::unique_ptr<ConsoleSongDocument> document = LoadSongText(options.songFile);
    SongCompiler compiler;
    CompileConsole console(*document, compiler, std::cout, std::cerr);
    CompilerSettings settings = CompileConsole::ConsoleSettings();
    settings.KeepPreviewLines = true;
    compiler.CompileSongText(CompileKind::Preview, *document, console, settings);
    for (const std::string& line : compiler.PreviewLines()) std::cout << TerminalSafe(line) << '\n';
    std::cout << std::flush;
    return compiler.MidiError() == 0 ? 0 : 1;
}

}  // namespace sonkora::cli
