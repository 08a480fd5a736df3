// sonkorac retime: timing by ear from a list of tap times.
//
//   sonkorac retime song.stf --taps taps.txt [--from N] [--snap MS] [--latency MS] [--output OUT.stf]
//
// taps.txt holds one time a line, in seconds from the song's start as it plays (blank
// lines and lines starting with "#" are left out). The taps time the syllables from the
// N-th (1-based) on. The song text is rewritten in place unless --output names another
// file, and only when everything went well.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "cli/CompileConsole.h"
#include "cli/SongTextFile.h"
#include "common/IoError.h"
#include "common/RegularFile.h"
#include "common/TerminalText.h"
#include "compiler/Retiming.h"

namespace sonkora::cli {

namespace {

struct RetimeOptions {
    std::string songFile;
    std::string tapsFile;
    std::string output;
    int from = 1;
    RetimeSettings settings;
};

// A count of milliseconds from 0 to 10 s.
std::optional<double> ParseMilliseconds(const std::string& text) {
    if (text == "0") return 0.0;
    const std::optional<int> value = ParseListNumber(text);
    if (!value || *value > 10000) return std::nullopt;
    return static_cast<double>(*value);
}

std::optional<std::string> ParseOptions(const Arguments& args, RetimeOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--taps" || arg == "--from" || arg == "--snap" || arg == "--latency" || arg == "--output") {
            if (i + 1 == args.size() || args[i + 1].empty()) return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "--taps") {
                options.tapsFile = value;
            } else if (arg == "--output") {
                options.output = value;
            } else if (arg == "--from") {
                const std::optional<int> number = ParseListNumber(value);
                if (!number) return "--from needs a syllable number from 1 on, not '" + value + "'";
                options.from = *number;
            } else {
                const std::optional<double> ms = ParseMilliseconds(value);
                if (!ms) return arg + " needs milliseconds from 0 to 10000, not '" + value + "'";
                (arg == "--snap" ? options.settings.snapWindowMs : options.settings.latencyMs) = *ms;
            }
        } else if (auto problem = TakeSongTextArgument(arg, options.songFile)) {
            return problem;
        }
    }
    if (options.songFile.empty()) return std::string("the song text file is missing");
    if (options.tapsFile.empty()) return std::string("--taps names the file of tap times");
    return std::nullopt;
}

// A line quoted in a message: printable ASCII only, and not too much of it.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text.substr(0, 40)) shown += c >= ' ' && c <= '~' ? c : '?';
    return text.size() > 40 ? shown + "..." : shown;
}

// The taps of the file and the line each stands on. A line that is no time in seconds
// is reported as "TAPS:LINE: message"; nothing then.
std::optional<std::vector<double>> ReadTaps(const std::string& path, std::vector<int>& lineNumbers) {
    // A FIFO, a device or a huge file is refused before it is read.
    std::istringstream file(ReadWholeFile(path, MaxEditableFileSize));
    std::vector<double> taps;
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        const std::string text = line.substr(first);
        const auto bad = [&](const std::string& message) {
            std::cerr << TerminalSafe(path + ":" + std::to_string(number) + ": " + message) << "\n";
            return std::nullopt;
        };
        const char* begin = text.c_str();
        char* end = nullptr;
        errno = 0;
        const double seconds = std::strtod(begin, &end);
        // Only a plain decimal number: no hexadecimal, no "inf" or "nan".
        const bool plain = text.find_first_not_of("0123456789.+-eE") == std::string::npos;
        if (!plain || end == begin || *end != '\0' || !std::isfinite(seconds) || errno == ERANGE)
            return bad("'" + Printable(text) + "' is not a time in seconds");
        if (seconds < 0) return bad("'" + Printable(text) + "' lies before the start of the song");
        taps.push_back(seconds);
        lineNumbers.push_back(number);
    }
    return taps;
}

std::string Count(int count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

int RunRetime(const Arguments& args) {
    RetimeOptions options;
    if (const std::optional<std::string> problem = ParseOptions(args, options)) return UsageError(*problem);
    std::error_code error;
    if (!options.output.empty() && std::filesystem::equivalent(options.output, options.tapsFile, error))
        return UsageError("--output names the file of taps; choose another file");

    const SongTextFile file(options.songFile);
    std::vector<int> tapLines;
    const std::optional<std::vector<double>> taps = ReadTaps(options.tapsFile, tapLines);
    if (!taps) return 1;

    ConsoleSongDocument document(options.songFile, file.Lines());
    SongCompiler compiler;
    CompileConsole console(document, compiler, std::cout, std::cerr);
    const RetimeOutcome outcome = RetimeSong(compiler, document, console, options.from - 1, *taps, options.settings);
    if (outcome.badTap) {
        std::cerr << TerminalSafe(options.tapsFile + ":" +
                                  std::to_string(tapLines[static_cast<size_t>(*outcome.badTap)]) + ": " +
                                  outcome.tapProblem)
                  << "\n";
        return 1;
    }
    if (!outcome.problem.empty()) {
        std::cerr << TerminalSafe(options.songFile + ": " + outcome.problem) << "\n";
        return 1;
    }
    if (!outcome.done) return 1;

    WriteFileSafely(options.output.empty() ? options.songFile : options.output, file.WithLines(document.Lines()));
    const RetimeCounts& counts = outcome.counts;
    std::cout << TerminalSafe(options.output.empty() ? options.songFile : options.output) << ": "
              << Count(counts.written, "time code", "time codes") << " written, " << counts.removed << " removed, "
              << Count(counts.moved, "tap", "taps") << " moved after the syllable before, "
              << Count(counts.ignored, "tap", "taps") << " ignored (no syllable left)\n";
    return 0;
}

}  // namespace sonkora::cli
