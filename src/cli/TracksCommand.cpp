// sonkorac tracks [--kar] FILE: the track list of a MIDI file, or of a Soft Karaoke file
// with --kar, one item per line exactly as the voice track dialog shows it.
#include <iostream>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/RegularFile.h"
#include "common/TerminalText.h"
#include "midi/TrackListing.h"

namespace sonkora::cli {

int RunTracks(const Arguments& args) {
    bool softKaraoke = false;
    std::optional<std::string> file;
    for (const std::string& arg : args) {
        if (arg == "--kar" && !softKaraoke) {
            softKaraoke = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("tracks: unknown option '" + arg + "'");
        } else if (file) {
            return UsageError("tracks: one file only");
        } else {
            file = arg;
        }
    }
    if (!file) return UsageError("tracks: no file given");
    if (!FileExists(*file)) {
        std::cerr << TerminalSafe(FileNotFoundMessage(*file)) << "\n";
        return 1;
    }
    const TrackList list = ListTracks(*file, softKaraoke ? ListKindSoftKaraoke : ListKindPlainMidi);
    if (list.midiError != 0) {
        const std::string message =
            list.message.empty() ? "cannot be listed (error " + std::to_string(list.midiError) + ")" : list.message;
        std::cerr << TerminalSafe(*file + ": " + message) << "\n";
        return 1;
    }
    for (const std::string& item : list.items) std::cout << TerminalSafe(Cp1252ToUtf8(item)) << '\n';
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "sonkorac: cannot write the list\n";
        return 1;
    }
    return 0;
}

}  // namespace sonkora::cli
