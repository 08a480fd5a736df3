// sonkorac check SONG.stf: the syntax check that printing and hyphenation run first.
#include <iostream>

#include "cli/CompileConsole.h"

namespace sonkora::cli {

int RunCheck(const Arguments& args) {
    CompileOptions options;
    if (const std::optional<std::string> problem = ParseCompileOptions(args, false, options))
        return UsageError(*problem);
    const std::unique_ptr<ConsoleSongDocument> document = LoadSongText(options.songFile);
    SongCompiler compiler;
    CompileConsole console(*document, compiler, std::cout, std::cerr);
    compiler.CompileSongText(CompileKind::Check, *document, console);
    return compiler.MidiError() == 0 ? 0 : 1;
}

}  // namespace sonkora::cli
