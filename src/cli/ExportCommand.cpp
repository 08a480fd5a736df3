// sonkorac export SONG.stf|FILE.kar [--format midi|lrc|elrc|vtt|ultrastar] [--output FILE]
//   [--track N] [--strict] [--strip-lyrics] [--audio [--mute-voice]]
// --format midi (the default) is Export As MIDI File With Lyrics; the other formats are
// the lyric exports, from a song text or straight from a Soft Karaoke file.
#include <iostream>
#include <memory>

#include "cli/CompileConsole.h"
#include "common/FilePaths.h"
#include "common/FoldUpper.h"
#include "common/TerminalText.h"
#include "formats/KaraokeExport.h"
#ifdef SONKORA_WITH_PLAYBACK
#include "playback/OfflineAudioRenderer.h"
#endif

namespace sonkora::cli {

namespace {

// Errors of a song text name their place, as the compile commands' do.
class ExportConsole final : public ConsoleUserInterface {
public:
    ExportConsole(ConsoleSongDocument* document) : ConsoleUserInterface(std::cout, std::cerr), document_(document) {}

protected:
    std::string ErrorPlace(const std::string&) override {
        if (document_ == nullptr || !document_->TakeCaretPlaced()) return {};
        return document_->FileName() + ":" + std::to_string(document_->CaretLine() + 1) + ":" +
               std::to_string(document_->CaretColumn() + 1) + ": ";
    }

private:
    ConsoleSongDocument* document_;
};

struct ExportOptions {
    std::string format = "midi";
    std::string outputFile;
    bool audio = false;
    bool muteVoice = false;
    Arguments compileArgs;  // what the MIDI export reads: the song, --track, --strict, --strip-lyrics
};

std::optional<std::string> ParseExportOptions(const Arguments& args, ExportOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--format" || arg == "--output") {
            if (i + 1 == args.size()) return arg + " needs a value";
            (arg == "--format" ? options.format : options.outputFile) = args[++i];
        } else if (arg == "--audio") {
            options.audio = true;
        } else if (arg == "--mute-voice") {
            options.muteVoice = true;
        } else {
            options.compileArgs.push_back(arg);
        }
    }
    if (options.format != "midi" && !ExportFormatNamed(options.format))
        return "unknown format '" + options.format + "': midi, lrc, elrc, vtt or ultrastar";
    if (options.format == "midi" && (!options.outputFile.empty() || options.audio || options.muteVoice))
        return "--output, --audio and --mute-voice are for the lyric formats; a MIDI export goes where \\k says";
    if ((options.audio || options.muteVoice) && options.format != "ultrastar")
        return "--audio and --mute-voice are for --format ultrastar";
    if (options.muteVoice && !options.audio) return "--mute-voice needs --audio";
    if (options.format != "midi") {
        for (const std::string& arg : options.compileArgs) {
            if (arg == "--strip-lyrics") return "--strip-lyrics is for the MIDI export; the lyric formats copy no MIDI";
        }
    }
    return std::nullopt;
}

}  // namespace

int RunExport(const Arguments& args) {
    ExportOptions options;
    if (const std::optional<std::string> problem = ParseExportOptions(args, options)) return UsageError(*problem);
    if (options.format == "midi") {
        for (const std::string& arg : options.compileArgs) {
            if (FoldUpper(ExtensionOf(arg)) == ".KAR")
                return UsageError(
                    "a .kar exports with --format lrc, elrc, vtt or ultrastar; it has its lyrics already");
        }
        return RunCompileAndAct(options.compileArgs, CompileKind::Export);
    }

    CompileOptions compile;
    if (const std::optional<std::string> problem = ParseCompileOptions(options.compileArgs, true, compile))
        return UsageError(*problem);
    ExportRequest request;
    request.format = *ExportFormatNamed(options.format);
    request.inputFile = compile.songFile;
    request.outputFile = options.outputFile;
    request.muteVoice = options.muteVoice;
    const bool karaokeInput = FoldUpper(ExtensionOf(compile.songFile)) == ".KAR";
    if (karaokeInput && request.format == ExportFormat::UltraStar && !compile.track) {
        std::cerr << TerminalSafe(compile.songFile)
                  << ": UltraStar needs the melody: name the voice track with --track N (see sonkorac tracks --kar "
                  << TerminalSafe(compile.songFile) << ")\n";
        return 1;
    }
    request.withVoice = karaokeInput && compile.track.has_value();

    std::unique_ptr<ConsoleSongDocument> document;
    if (!karaokeInput) {
        document = LoadSongText(compile.songFile);
        request.songText = document.get();
    }
#ifdef SONKORA_WITH_PLAYBACK
    OfflineAudioRenderer renderer;
    if (options.audio) request.audio = &renderer;
#else
    if (options.audio) {
        std::cerr << "sonkorac: this build has no playback layer, so it cannot render audio\n";
        return 1;
    }
#endif
    ExportConsole console(document.get());
    console.SetTrackChoice(compile.track);
    console.SetQueryAnswer(!compile.strict);
    return ExportKaraoke(request, console).written ? 0 : 1;
}

}  // namespace sonkora::cli
