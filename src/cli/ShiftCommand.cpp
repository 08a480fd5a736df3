// sonkorac shift: moves every time code of a song text's lyrics by the same amount.
//
//   sonkorac shift song.stf --by [-]BEATS[:UNITS] [--output OUT.stf]
//
// Four beats to the bar, 120 units to the beat: "--by 4" moves every code one bar later,
// "--by -0:60" half a beat earlier. A code that would fall before 1:1:0 stops the
// command with its place, and nothing is written.
#include <iostream>

#include "cli/CompileConsole.h"
#include "cli/SongTextFile.h"
#include "common/TerminalText.h"
#include "compiler/TimeCodeShift.h"

namespace sonkora::cli {

int RunShift(const Arguments& args) {
    std::string songFile;
    std::string output;
    std::optional<int64_t> units;
    std::string amount;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--by" || arg == "--output") {
            // The value may begin with "-": it is taken as it stands.
            if (i + 1 == args.size() || args[i + 1].empty()) return UsageError(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--output") {
                output = value;
            } else {
                amount = value;
                units = ParseShiftAmount(value);
                if (!units) return UsageError("--by needs [-]BEATS[:UNITS] (units 0 to 119), not '" + value + "'");
            }
        } else if (auto problem = TakeSongTextArgument(arg, songFile)) {
            return UsageError(*problem);
        }
    }
    if (songFile.empty()) return UsageError("the song text file is missing");
    if (!units) return UsageError("--by says how far to shift: [-]BEATS[:UNITS]");

    const SongTextFile file(songFile);
    ConsoleSongDocument document(songFile, file.Lines());
    SongCompiler compiler;
    CompileConsole console(document, compiler, std::cout, std::cerr);
    const ShiftOutcome outcome = ShiftTimeCodes(document, console, std::nullopt, *units);
    if (!outcome.done) {
        // The place as the compiler gives it for a time code: the caret after its "$".
        std::cerr << TerminalSafe(songFile + ":" + std::to_string(outcome.line + 1) + ":" +
                                  std::to_string(outcome.column + 1) + ": " + outcome.problem)
                  << "\n";
        return 1;
    }
    const std::string target = output.empty() ? songFile : output;
    WriteFileSafely(target, file.WithLines(document.Lines()));
    std::cout << TerminalSafe(target) << ": " << outcome.shifted
              << (outcome.shifted == 1 ? " time code" : " time codes") << " shifted by " << amount << "\n";
    return 0;
}

}  // namespace sonkora::cli
