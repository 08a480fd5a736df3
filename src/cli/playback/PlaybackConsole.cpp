#include "cli/playback/PlaybackConsole.h"

#include <charconv>

#include "midi/MidiReader.h"
#include "midi/TimeCode.h"

namespace sonkora::cli::playback {

namespace {

std::optional<int> ParseTrack(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value >= MaxTracks) return std::nullopt;
    return value;
}

}  // namespace

std::optional<PlaybackArguments> ParsePlaybackArguments(const Arguments& args, const ArgumentRules& rules,
                                                        std::string& problem) {
    const std::string command = rules.command;
    PlaybackArguments parsed;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--from" || arg == "--track" || (rules.device && arg == "--device");
        if (takesValue) {
            if (i + 1 >= args.size()) {
                problem = command + ": " + arg + " needs a value";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (arg == "--from") {
                if (parsed.from) {
                    problem = command + ": --from given twice";
                    return std::nullopt;
                }
                parsed.from = value;
            } else if (arg == "--track") {
                if (parsed.track) {
                    problem = command + ": --track given twice";
                    return std::nullopt;
                }
                parsed.track = ParseTrack(value);
                if (!parsed.track) {
                    problem = command + ": --track wants a track number from 1 to 65534, not '" + value + "'";
                    return std::nullopt;
                }
            } else {
                if (parsed.device) {
                    problem = command + ": --device given twice";
                    return std::nullopt;
                }
                parsed.device = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = command + ": unknown option '" + arg + "'";
            return std::nullopt;
        } else {
            files.push_back(arg);
        }
    }
    const size_t wanted = rules.output ? 2 : 1;
    if (files.size() != wanted) {
        problem = command + (rules.output ? ": a song and a WAV file name are needed" : ": one song file is needed");
        return std::nullopt;
    }
    if (parsed.from && parsed.track) {
        problem = command + ": an audition starts at its first note; --from and --track do not go together";
        return std::nullopt;
    }
    // Any division tells whether the text is a time code at all.
    if (parsed.from && StrToMidiTime(*parsed.from, 96) < 0) {
        problem = command + ": --from wants a time bar:beat:unit such as 5:1:0, not '" + *parsed.from + "'";
        return std::nullopt;
    }
    parsed.file = files[0];
    if (rules.output) parsed.output = files[1];
    return parsed;
}

std::optional<int32_t> StartTick(const PlaybackArguments& args, std::string& problem) {
    if (!args.from) return 0;
    MidiReader reader;
    if (!reader.OpenMidi(args.file) || !reader.ReadMidiHeader() || reader.Header().Division == 0) return 0;
    const int32_t ticks = StrToMidiTime(*args.from, reader.Header().Division);
    if (ticks < 0) {
        problem = "--from " + *args.from + " is not a time in this song";
        return std::nullopt;
    }
    return ticks;
}

}  // namespace sonkora::cli::playback
