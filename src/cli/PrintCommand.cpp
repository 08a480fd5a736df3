// sonkorac print SONG.stf: Print Song Text, the lyrics laid out as they are sung, on
// standard output, in UTF-8. The text is checked first, so nothing is printed for a
// broken text.
#include <iostream>
#include <sstream>

#include "cli/CompileConsole.h"
#include "common/CodePage.h"
#include "common/TerminalText.h"

namespace sonkora::cli {

int RunPrint(const Arguments& args) {
    return RunOnSongText(args, [](ConsoleSongDocument& document, SongCompiler& compiler, CompileConsole& console) {
        compiler.CompileSongText(CompileKind::Check, document, console);
        if (compiler.MidiError() != 0) return 1;
        std::ostringstream text;
        compiler.CompileSongText(CompileKind::PrintText, document, console, {}, &text);
        std::cout << TerminalSafe(Cp1252ToUtf8(text.str()), LineBreaks::Keep) << std::flush;
        return compiler.MidiError() == 0 ? 0 : 1;
    });
}

}  // namespace sonkora::cli
