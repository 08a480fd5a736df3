// sonkorac make SONG.stf [--track N] [--strict] [--strip-lyrics]: the Karaoke menu's Make.
#include "cli/CompileConsole.h"

namespace sonkora::cli {

int RunMake(const Arguments& args) {
    return RunCompileAndAct(args, CompileKind::Make);
}

}  // namespace sonkora::cli
