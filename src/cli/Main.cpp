// sonkorac: the command-line front end of Sonkora's core.
#include <exception>
#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "common/TerminalText.h"

namespace sonkora::cli {

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"tracks", "[--kar] FILE", RunTracks},
        {"make", "SONG.stf [--track N] [--strict] [--strip-lyrics]", RunMake},
        {"export",
         "SONG.stf|FILE.kar [--format midi|lrc|elrc|vtt|ultrastar] [--output FILE] [--track N] [--strict] "
         "[--strip-lyrics] [--audio [--mute-voice]]",
         RunExport},
        {"check", "SONG.stf", RunCheck},
        {"hyphenate", "(SONG.stf [--output OUT.stf] | --words) [--lang NAME | --patterns FILE.hyp]", RunHyphenate},
        {"languages", "", RunLanguages},
        {"preview", "SONG.stf", RunPreview},
        {"print", "SONG.stf", RunPrint},
        {"import", "FILE.kar --track N [--stf OUT.stf] [--mid OUT.mid] [--yes]", RunImport},
        {"retime", "SONG.stf --taps TAPS.txt [--from N] [--snap MS] [--latency MS] [--output OUT.stf]", RunRetime},
        {"shift", "SONG.stf --by [-]BEATS[:UNITS] [--output OUT.stf]", RunShift},
#ifdef SONKORA_WITH_PLAYBACK
        {"devices", "", RunDevices},
        {"play", "FILE [--device NAME] [--from TIME] [--track N]", RunPlay},
        {"render", "FILE OUT.wav [--from TIME] [--track N] [--max-length MINUTES]", RunRender},
#endif
    };
    return commands;
}

int UsageError(const std::string& problem) {
    if (!problem.empty()) std::cerr << "sonkorac: " << sonkora::TerminalSafe(problem) << "\n";
    std::cerr << "usage:\n";
    for (const Command& command : AllCommands())
        std::cerr << "  sonkorac " << command.name << " " << command.usage << "\n";
    return 2;
}

std::optional<std::string> TakeSongTextArgument(const std::string& arg, std::string& songFile) {
    if (arg.size() > 1 && arg[0] == '-') return "unknown option '" + arg + "'";
    if (!songFile.empty()) return "one song text at a time, not also '" + arg + "'";
    songFile = arg;
    return std::nullopt;
}

std::optional<int> ParseListNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1) return std::nullopt;
    return value;
}

}  // namespace sonkora::cli

int main(int argc, char** argv) {
    using namespace sonkora::cli;
    if (argc < 2) return UsageError();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        UsageError();
        return 0;
    }
    Arguments args(argv + 2, argv + argc);
    for (const Command& command : AllCommands()) {
        if (name != command.name) continue;
        try {
            return command.run(args);
        } catch (const std::exception& error) {
            std::cerr << sonkora::TerminalSafe(error.what()) << "\n";
            return 1;
        }
    }
    return UsageError("unknown command '" + name + "'");
}
