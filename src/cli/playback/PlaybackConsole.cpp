#include "cli/playback/PlaybackConsole.h"

#include <charconv>
#include <iostream>
#include <memory>

#include "cli/CompileConsole.h"
#include "common/FilePaths.h"
#include "common/FoldUpper.h"
#include "common/TerminalText.h"
#include "midi/MidiReader.h"
#include "midi/TimeCode.h"
#include "playback/PlaybackModule.h"

namespace sonkora::cli::playback {

namespace {

std::optional<int> ParseTrack(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value >= MaxTracks) return std::nullopt;
    return value;
}

// The compile console with the program's Play at its end: the karaoke file made is kept
// for the command to play.
class PlayCompileConsole final : public CompileConsole {
public:
    using CompileConsole::CompileConsole;
    void PlaySong(const std::string& karFileName, bool /*fromCursor*/) override { made = karFileName; }
    std::string made;
};

}  // namespace

bool PlaybackModuleLoads() {
    std::string error;
    if (PlaybackModule::Get(error) != nullptr) return true;
    std::cerr << "sonkorac: " << TerminalSafe(error) << "\n";
    return false;
}

bool CompileSongText(PlaybackArguments& args) {
    if (FoldUpper(ExtensionOf(args.file)) != ".STF") return true;
    const std::unique_ptr<ConsoleSongDocument> document = LoadSongText(args.file);
    SongCompiler compiler;
    PlayCompileConsole console(*document, compiler, std::cout, std::cerr);
    // As make does: the lyric count warnings are shown, and the song plays anyway.
    console.SetQueryAnswer(true);
    CompileAndAct(compiler, CompileKind::Play, false, false, *document, console, console);
    if (compiler.MidiError() != 0 || console.made.empty()) return false;
    args.file = console.made;
    // The karaoke file has its information and Words tracks after chunk 0.
    if (args.track) *args.track += 2;
    return true;
}

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
