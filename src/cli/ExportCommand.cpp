// sonkorac export SONG.stf [--track N] [--strict] [--strip-lyrics]: Export As MIDI File With Lyrics.
#include "cli/CompileConsole.h"

namespace sonkora::cli {

int RunExport(const Arguments& args) {
    return RunCompileAndAct(args, CompileKind::Export);
}

}  // namespace sonkora::cli
