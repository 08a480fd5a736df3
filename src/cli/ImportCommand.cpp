// sonkorac import FILE.kar --track N [--stf OUT.stf] [--mid OUT.mid] [--yes]: the
// frame's Import Karaoke, with the track and the output names given on the command line.
//
//   sonkorac import song.kar --track 1     writes song.stf and song.mid beside song.kar,
//                                          the voice track being the first of the list that
//                                          "sonkorac tracks --kar song.kar" shows
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ConsoleUserInterface.h"
#include "common/FilePaths.h"
#include "common/InterruptCleanup.h"
#include "common/RegularFile.h"
#include "common/TerminalText.h"
#include "midi/KaraokeImport.h"

namespace sonkora::cli {

namespace {

struct ImportOptions {
    std::string karaokeFile;
    std::optional<int> track;
    std::string songTextName;
    std::string midiName;
    bool overwrite = false;
};

// A usage problem as its text, or nothing when the command line is complete.
std::optional<std::string> ParseImportOptions(const Arguments& args, ImportOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& target) -> std::optional<std::string> {
            if (i + 1 == args.size()) return arg + " needs a file name";
            if (!target.empty()) return arg + " given twice";
            target = args[++i];
            if (target.empty()) return arg + " needs a file name";
            return std::nullopt;
        };
        if (arg == "--track") {
            if (i + 1 == args.size()) return std::string("--track needs a track number");
            if (options.track) return std::string("--track given twice");
            options.track = ParseListNumber(args[++i]);
            if (!options.track) return "--track needs a track number from 1 on, not '" + args[i] + "'";
        } else if (arg == "--stf") {
            if (auto problem = value(options.songTextName)) return problem;
        } else if (arg == "--mid") {
            if (auto problem = value(options.midiName)) return problem;
        } else if (arg == "--yes") {
            options.overwrite = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (options.karaokeFile.empty()) {
            options.karaokeFile = arg;
        } else {
            return "one karaoke file at a time, not also '" + arg + "'";
        }
    }
    if (options.karaokeFile.empty()) return std::string("the karaoke file is missing");
    return std::nullopt;
}

// The console of an import: errors name the karaoke file, an output that exists is
// replaced only when the command line said so, and the new song text is "opened" by
// printing its name.
class ImportConsole : public ConsoleUserInterface, public ImportHost {
public:
    ImportConsole(const std::string& karaokeFile, bool overwrite)
        : ConsoleUserInterface(std::cout, std::cerr), karaokeFile_(karaokeFile), overwrite_(overwrite) {}

    // The question is whether to overwrite: nobody is there to answer, so without --yes
    // the import stops, saying which file is in the way.
    Answer ConfirmBox(const std::string& message, int /*helpContext*/) override {
        if (overwrite_) return Answer::Yes;
        std::string firstLine = message.substr(0, message.find('\r'));
        while (!firstLine.empty() && firstLine.back() == ' ') firstLine.pop_back();
        Err() << TerminalSafe(firstLine) << "\n" << std::flush;
        return Answer::Cancel;
    }

    void OpenSongText(const std::string& fileName) override { Out() << TerminalSafe(fileName) << "\n" << std::flush; }

    // One warning line per change, as compilers write them.
    void ReportChanges(const std::string& fileName, const std::vector<std::string>& changes) override {
        for (const std::string& change : changes) Err() << fileName << ": warning: " << change << "\n";
        Err() << std::flush;
    }

protected:
    std::string ErrorPlace(const std::string& /*message*/) override { return karaokeFile_ + ": "; }

private:
    std::string karaokeFile_;
    bool overwrite_;
};

}  // namespace

int RunImport(const Arguments& args) {
    ImportOptions options;
    if (const std::optional<std::string> problem = ParseImportOptions(args, options))
        return UsageError("import: " + *problem);
    if (!FileExists(options.karaokeFile)) {
        std::cerr << TerminalSafe(FileNotFoundMessage(options.karaokeFile)) << "\n";
        return 1;
    }
    if (!options.track) {
        // The list to choose from, then how to say the choice.
        RunTracks({"--kar", options.karaokeFile});
        return UsageError("import: choose the voice track with --track N from the list above");
    }

    InstallInterruptCleanup();
    ImportConsole console(options.karaokeFile, options.overwrite);
    console.SetTrackChoice(options.track);
    // The console never offers a save dialog: an output is taken or the import stops.
    console.SetSaveFileName(std::nullopt);
    const ImportResult result =
        ImportKaraoke(console, console, options.karaokeFile, {options.songTextName, options.midiName});
    if (result.outcome == ImportOutcome::Imported) {
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "sonkorac: cannot write the song text's name\n";
            return 1;
        }
        return 0;
    }
    // Every way of stopping has said why on standard error: the file in the way, the
    // track not in the list, or the error box.
    return 1;
}

}  // namespace sonkora::cli
