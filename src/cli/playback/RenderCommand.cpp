// sonkorac render FILE OUT.wav [--from TIME] [--track N]: the song through the playback
// engine into the built-in synthesizer, offline, as a 16-bit stereo 44.1 kHz WAV file.
#include <iostream>

#include "cli/Commands.h"
#include "cli/playback/PlaybackConsole.h"
#include "playback/OfflineRender.h"

namespace sonkora::cli {

int RunRender(const Arguments& args) {
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
    RenderSummary summary;
    if (!RenderSong(options, ui, &summary)) return 1;
    std::cout << options.wavFile << ": " << summary.frames / options.sampleRate << "."
              << (summary.frames % options.sampleRate) * 10 / options.sampleRate << " s\n";
    return 0;
}

}  // namespace sonkora::cli
