#pragma once
// What sonkorac's play, render and devices commands share: their arguments, the console
// as the engine's user interface, and the --from time code read against the song.

#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/ConsoleUserInterface.h"

namespace sonkora::cli::playback {

struct PlaybackArguments {
    std::string file;
    std::string output;                 // render only
    std::optional<std::string> device;  // play only
    std::optional<std::string> from;    // a time code bar:beat:unit
    std::optional<int> track;           // 1 to 65534
};

struct ArgumentRules {
    const char* command;
    bool output = false;  // a second file name is required
    bool device = false;  // --device NAME is allowed
};

// The parsed arguments, or the usage problem.
std::optional<PlaybackArguments> ParsePlaybackArguments(const Arguments& args, const ArgumentRules& rules,
                                                        std::string& problem);

// A song text (a .stf file) is played as the Play command of the program plays it: the
// song text is compiled into its karaoke file, which is then played. On success `args`
// names the karaoke file, and a --track number N (a voice track of the song text's MIDI
// file, as in its "\t" line) names the same track there, chunk N + 2. False when the
// compilation failed; its messages are on standard error.
bool CompileSongText(PlaybackArguments& args);

// The start tick of --from in this song, 0 without --from. A time code that is not
// bar:beat:unit is a usage problem; a song whose header cannot be read gives 0 here and
// is reported by the engine when it loads the song.
std::optional<int32_t> StartTick(const PlaybackArguments& args, std::string& problem);

// True when the playback module loads; otherwise says why on standard error.
bool PlaybackModuleLoads();

// The console user interface, counting the errors it shows.
class PlaybackConsoleUi final : public ConsoleUserInterface {
public:
    using ConsoleUserInterface::ConsoleUserInterface;
    void ErrorBox(const std::string& message, int helpContext) override {
        ++errors_;
        ConsoleUserInterface::ErrorBox(message, helpContext);
    }
    int Errors() const { return errors_; }

private:
    int errors_ = 0;
};

}  // namespace sonkora::cli::playback
