#include "cli/CompileConsole.h"

#include <iostream>

#include "common/CodePage.h"
#include "common/InterruptCleanup.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "common/TerminalText.h"
#include "midi/MidiTypes.h"

namespace sonkora::cli {

std::string ReadSongTextBytes(const std::string& path) {
    // The editor's limit; a FIFO or a device is refused before it is opened.
    return ReadWholeFile(path, MaxEditableFileSize);
}

Cp1252Conversion ReadSongTextInCodePage(const std::string& path, std::ostream& err) {
    std::string bytes = ReadSongTextBytes(path);
    if (!IsUtf8BeyondAscii(bytes)) return {std::move(bytes), {}, {}};
    Cp1252Conversion converted = Utf8TextToCp1252(bytes);
    err << TerminalSafe(path) << ": read as UTF-8 and converted to Windows-1252, the character set of song texts\n";
    // Lines end as the editor splits them: CR LF, LF or CR.
    const std::string& text = converted.text;
    size_t line = 1, lineStart = 0, p = 0;
    for (size_t i = 0; i < converted.unmapped.size(); ++i) {
        for (const size_t at = converted.unmappedAt[i]; p < at; ++p) {
            if (text[p] == '\n' || (text[p] == '\r' && (p + 1 == text.size() || text[p + 1] != '\n'))) {
                ++line;
                lineStart = p + 1;
            }
        }
        err << TerminalSafe(path) << ":" << line << ":" << p - lineStart + 1 << ": "
            << CharacterName(converted.unmapped[i]) << " is not in Windows-1252 and reads as \"?\"\n";
    }
    err << std::flush;
    return converted;
}

std::unique_ptr<ConsoleSongDocument> LoadSongText(const std::string& path) {
    return std::make_unique<ConsoleSongDocument>(path, SplitSongLines(ReadSongTextInCodePage(path, std::cerr).text));
}

void CompileConsole::InformationBox(const std::string& message, int /*helpContext*/) {
    (compiler_.MidiError() == 0 ? Out() : Err()) << ConsoleText(message) << std::flush;
}

Answer CompileConsole::ConfirmBox(const std::string& message, int /*helpContext*/) {
    const std::string warning = message.substr(0, message.find('\r'));
    Err() << ErrorPlace(message) << "warning: " << warning << '\n';
    if (stripLyrics_) {
        Err() << "They are left out (--strip-lyrics).\n" << std::flush;
        return Answer::Yes;
    }
    if (strict_) {
        Err() << "Leave them out with --strip-lyrics.\n" << std::flush;
        return Answer::Cancel;
    }
    Err() << "They are copied as they are; --strip-lyrics leaves them out.\n" << std::flush;
    return Answer::No;
}

void CompileConsole::PlaySong(const std::string& karFileName, bool /*fromCursor*/) {
    Err() << TerminalSafe(karFileName) << ": sonkorac does not play songs; open the song text in Sonkora to play it\n"
          << std::flush;
}

std::string CompileConsole::ErrorPlace(const std::string& /*message*/) {
    if (document_.TakeCaretPlaced()) {
        return document_.FileName() + ":" + std::to_string(document_.CaretLine() + 1) + ":" +
               std::to_string(document_.CaretColumn() + 1) + ": ";
    }
    if (compiler_.MidiError() == MidiErrorCode::CannotCreateOutput) return compiler_.KarFileName() + ": ";
    return compiler_.MidiFileName() + ": ";
}

int RunOnSongText(const Arguments& args, const SongTextCommand& command) {
    CompileOptions options;
    if (const std::optional<std::string> problem = ParseCompileOptions(args, false, options))
        return UsageError(*problem);
    const std::unique_ptr<ConsoleSongDocument> document = LoadSongText(options.songFile);
    SongCompiler compiler;
    CompileConsole console(*document, compiler, std::cout, std::cerr);
    return command(*document, compiler, console);
}

std::optional<std::string> ParseCompileOptions(const Arguments& args, bool allowChoices, CompileOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (allowChoices && arg == "--strict") {
            options.strict = true;
        } else if (allowChoices && arg == "--strip-lyrics") {
            options.stripLyrics = true;
        } else if (allowChoices && arg == "--track") {
            if (i + 1 == args.size()) return "--track needs a track number";
            options.track = ParseListNumber(args[++i]);
            if (!options.track) return "--track needs a track number from 1 on, not '" + args[i] + "'";
        } else if (auto problem = TakeSongTextArgument(arg, options.songFile)) {
            return problem;
        }
    }
    if (options.songFile.empty()) return std::string("the song text file is missing");
    return std::nullopt;
}

int RunCompileAndAct(const Arguments& args, CompileKind kind) {
    CompileOptions options;
    if (const std::optional<std::string> problem = ParseCompileOptions(args, true, options))
        return UsageError(*problem);
    const std::unique_ptr<ConsoleSongDocument> document = LoadSongText(options.songFile);
    // Ctrl+C during the make removes the file being written; the earlier one stays.
    InstallInterruptCleanup();
    SongCompiler compiler;
    CompileConsole console(*document, compiler, std::cout, std::cerr);
    console.SetTrackChoice(options.track);
    // As in a batch run the questions are answered Yes, unless the caller wants the
    // file only when lyrics and notes agree.
    console.SetQueryAnswer(!options.strict);
    console.SetSourceLyricsChoice(options.stripLyrics, options.strict);
    CompileAndAct(compiler, kind, false, false, *document, console, console);
    return compiler.MidiError() == 0 ? 0 : 1;
}

}  // namespace sonkora::cli
