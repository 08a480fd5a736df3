// sonkorac check SONG.stf: the syntax check that printing and hyphenation run first.
#include "cli/CompileConsole.h"

namespace sonkora::cli {

int RunCheck(const Arguments& args) {
    return RunOnSongText(args, [](ConsoleSongDocument& document, SongCompiler& compiler, CompileConsole& console) {
        compiler.CompileSongText(CompileKind::Check, document, console);
        return compiler.MidiError() == 0 ? 0 : 1;
    });
}

}  // namespace sonkora::cli
