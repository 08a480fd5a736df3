// sonkorac render FILE OUT.wav [--from TIME] [--track N] [--max-length MINUTES]: the song
// through the playback engine into the built-in synthesizer, offline, as a 16-bit stereo
// 44.1 kHz WAV file. Songs longer than two hours are refused unless --max-length allows
// them; Ctrl+C or a termination request leaves no temporary file behind.
#include <iostream>

#include "cli/Commands.h"
#include "cli/playback/PlaybackConsole.h"
#include "common/InterruptCleanup.h"
#include "common/TerminalText.h"
#include "playback/OfflineRender.h"

namespace sonkora::cli {

namespace {

// Takes "--max-length MINUTES" out of the arguments. A usage problem is returned as text.
std::optional<std::string> TakeMaxLength(Arguments& args, std::optional<int>& minutes) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--max-length") continue;
        if (minutes) return std::string("render: --max-length given twice");
        if (i + 1 == args.size()) return std::string("render: --max-length needs a number of minutes");
        minutes = ParseListNumber(args[i + 1]);
        if (!minutes) return "render: --max-length wants a number of minutes from 1 on, not '" + args[i + 1] + "'";
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return std::nullopt;
}

}  // namespace

int RunRender(const Arguments& given) {
    Arguments args = given;
    std::optional<int> maxMinutes;
    if (const std::optional<std::string> problem = TakeMaxLength(args, maxMinutes)) return UsageError(*problem);
    std::string problem;
    auto parsed = playback::ParsePlaybackArguments(args, {"render", true, false}, problem);
    if (!parsed) return UsageError(problem);
    if (!playback::CompileSongText(*parsed)) return 1;
    const std::optional<int32_t> start = playback::StartTick(*parsed, problem);
    if (!start) return UsageError("render: " + problem);
    if (!playback::PlaybackModuleLoads()) return 1;

    playback::PlaybackConsoleUi ui(std::cout, std::cerr);
    RenderOptions options;
    options.midiFile = parsed->file;
    options.wavFile = parsed->output;
    options.startTime = *start;
    options.track = parsed->track.value_or(0);
    if (maxMinutes) options.maxLengthMicros = int64_t{*maxMinutes} * 60 * 1'000'000;
    InstallInterruptCleanup();
    RenderSummary summary;
    if (!RenderSong(options, ui, &summary)) return 1;
    std::cout << TerminalSafe(options.wavFile) << ": " << summary.frames / options.sampleRate << "."
              << (summary.frames % options.sampleRate) * 10 / options.sampleRate << " s\n";
    return 0;
}

}  // namespace sonkora::cli
