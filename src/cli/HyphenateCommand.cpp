// sonkorac hyphenate: the Hyphenation command on a song text, or on single words.
//
//   sonkorac hyphenate song.stf                       the language of the text's @L line
//   sonkorac hyphenate song.stf --lang FRENCH --output out.stf
//   sonkorac hyphenate song.stf --patterns my.hyp
//   sonkorac hyphenate --words --lang ENGL < words.txt
//
// A language is matched on its first four letters, as the @L line preselects it. The
// song text goes to standard output or, only when the command succeeded, to --output;
// its line ends are kept as the file had them. Words are read one per line, in
// Windows-1252 like song texts, or in UTF-8 when a line is valid UTF-8 with letters
// beyond ASCII (and written back the same way).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "cli/CompileConsole.h"
#include "cli/SongTextFile.h"
#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/InterruptCleanup.h"
#include "common/IoError.h"
#include "common/SafeSave.h"
#include "common/TerminalText.h"
#include "compiler/HyphenationCommand.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/LanguageList.h"

namespace sonkora::cli {

namespace {

struct HyphenateOptions {
    bool words = false;
    std::string songFile;
    std::optional<std::string> language;
    std::string patterns;
    std::string output;
};

std::optional<std::string> ParseOptions(const Arguments& args, HyphenateOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--words") {
            options.words = true;
        } else if (arg == "--lang" || arg == "--patterns" || arg == "--output") {
            if (i + 1 == args.size()) return arg + " needs a value";
            const std::string& value = args[++i];
            if (value.empty()) return arg + " needs a value";
            if (arg == "--lang")
                options.language = value;
            else if (arg == "--patterns")
                options.patterns = value;
            else
                options.output = value;
        } else if (auto problem = TakeSongTextArgument(arg, options.songFile)) {
            return problem;
        }
    }
    if (options.language && !options.patterns.empty()) return std::string("--lang and --patterns exclude each other");
    if (options.words && !options.songFile.empty())
        return "--words reads standard input, not '" + options.songFile + "'";
    if (options.words && !options.output.empty()) return std::string("--words writes to standard output only");
    if (!options.words && options.songFile.empty()) return std::string("the song text file is missing");
    return std::nullopt;
}

// The hyphenated text is data: redirected, it keeps every byte (a tab, a carriage
// return); only a terminal gets control characters shown as "?".
std::string ForStandardOutput(const std::string& bytes) {
    static const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    return terminal ? TerminalSafe(bytes, LineBreaks::Keep) : bytes;
}

std::string NoPatternFiles(const std::string& directory) {
    return "sonkorac: no hyphenation pattern files (*.hyp) in " + TerminalSafe(directory) + "\n";
}

std::string NoLanguage(const std::string& language) {
    return "sonkorac: no hyphenation patterns for the language '" + TerminalSafe(language) +
           "' (see sonkorac languages)\n";
}

// The index of the language for --lang among the listed names, if one matches.
std::optional<int> MatchName(const std::vector<std::string>& names, const std::string& language) {
    std::optional<int> found;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (LanguageMatches(names[i], language)) found = static_cast<int>(i);
    }
    return found;
}

// The console for the command on a song text: the language dialog is answered by
// --lang, or by the preselection of the text's @L line.
class HyphenateConsole : public CompileConsole {
public:
    HyphenateConsole(ConsoleSongDocument& document, const SongCompiler& compiler, std::optional<std::string> language)
        : CompileConsole(document, compiler, std::cout, std::cerr),
          songCompiler_(compiler),
          language_(std::move(language)) {}

    std::optional<int> ChooseLanguage(const std::vector<std::string>& names, int selected) override {
        if (names.empty()) {
            Err() << NoPatternFiles(ProgramDirectory()) << std::flush;
            return std::nullopt;
        }
        if (language_) {
            const std::optional<int> found = MatchName(names, *language_);
            if (!found) Err() << NoLanguage(*language_) << std::flush;
            return found;
        }
        if (!LanguageMatches(names[static_cast<std::size_t>(selected)], songCompiler_.Language())) {
            Err() << "sonkorac: note: no hyphenation patterns for the song's language '"
                  << TerminalSafe(songCompiler_.Language()) << "'; using "
                  << TerminalSafe(names[static_cast<std::size_t>(selected)]) << "\n"
                  << std::flush;
        }
        return selected;
    }

protected:
    // The command's own messages name their file themselves; the compiler's get their
    // place in the song text.
    std::string ErrorPlace(const std::string& message) override {
        if (message.rfind("Hyphenation pattern file ", 0) == 0 || message.rfind("Not enough memory", 0) == 0)
            return "sonkorac: ";
        return CompileConsole::ErrorPlace(message);
    }

private:
    const SongCompiler& songCompiler_;
    std::optional<std::string> language_;
};

// How the song text file ended its lines, so that the result keeps it.
struct LineEnds {
    std::string ending = "\r\n";
    bool afterLastLine = true;
};

LineEnds ReadLineEnds(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    LineEnds ends;
    const std::size_t first = text.find_first_of("\r\n");
    if (first != std::string::npos) {
        if (text[first] == '\n')
            ends.ending = "\n";
        else
            ends.ending = first + 1 < text.size() && text[first + 1] == '\n' ? "\r\n" : "\r";
    }
    ends.afterLastLine = !text.empty() && (text.back() == '\n' || text.back() == '\r');
    return ends;
}

std::string JoinLines(const MemorySongDocument& document, const LineEnds& ends) {
    std::string bytes;
    const std::vector<std::string>& lines = document.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i];
        if (i + 1 < lines.size() || ends.afterLastLine) bytes += ends.ending;
    }
    return bytes;
}

int HyphenateSong(const HyphenateOptions& options) {
    if (!options.output.empty()) {
        if (SameFile(options.output, options.songFile))
            return UsageError("--output names the song text itself; choose another file");
    }
    const std::unique_ptr<ConsoleSongDocument> document = LoadSongText(options.songFile);
    InstallInterruptCleanup();
    const LineEnds ends = ReadLineEnds(options.songFile);
    SongCompiler compiler;
    HyphenateConsole console(*document, compiler, options.language);

    std::optional<int> written;
    if (!options.patterns.empty()) {
        const std::optional<SongLanguage> song = ReadSongLanguage(*document, compiler, console);
        if (song) written = HyphenateWithPatterns(*document, song->lyricStartLine, options.patterns, console);
    } else {
        written = Hyphenation(*document, compiler, console, ProgramDirectory());
    }
    if (!written) return 1;

    const std::string bytes = JoinLines(*document, ends);
    if (options.output.empty()) {
        std::cout << ForStandardOutput(bytes) << std::flush;
        if (!std::cout) throw IoError("standard output", "cannot be written");
    } else {
        WriteFileSafely(options.output, bytes);
    }
    return 0;
}

// A line in UTF-8, split into characters: each a Windows-1252 byte, or nothing for a
// character the code page cannot hold. Nothing when the line is not UTF-8 or is plain
// ASCII (then it is read as Windows-1252, which is the same for ASCII).
struct Utf8Character {
    std::string_view bytes;
    std::optional<unsigned char> cp1252;
};

std::optional<std::vector<Utf8Character>> SplitUtf8(std::string_view line) {
    std::vector<Utf8Character> characters;
    bool beyondAscii = false;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        std::size_t length = 1;
        char32_t c = lead;
        if (lead >= 0x80) {
            beyondAscii = true;
            if (lead >= 0xC2 && lead <= 0xDF)
                length = 2, c = lead & 0x1F;
            else if (lead >= 0xE0 && lead <= 0xEF)
                length = 3, c = lead & 0x0F;
            else if (lead >= 0xF0 && lead <= 0xF4)
                length = 4, c = lead & 0x07;
            else
                return std::nullopt;
            if (i + length > line.size()) return std::nullopt;
            for (std::size_t k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(line[i + k]);
                if ((next & 0xC0) != 0x80) return std::nullopt;
                c = (c << 6) | (next & 0x3F);
            }
            if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
                (c >= 0xD800 && c <= 0xDFFF))
                return std::nullopt;
        }
        characters.push_back({line.substr(i, length), CharToCp1252(c)});
        i += length;
    }
    if (!beyondAscii) return std::nullopt;
    return characters;
}

// Hyphenates one word read from a line, in the line's own encoding.
std::string HyphenateWord(const HyphenationEngine& engine, std::string_view line) {
    const std::optional<std::vector<Utf8Character>> characters = SplitUtf8(line);
    if (!characters) return engine.Hyphenate(line);

    // Characters the code page cannot hold stand in the word as a control character
    // that belongs to no word, and are put back afterwards.
    unsigned char stand = 1;
    while (stand < 32 &&
           (engine.WordChars().Contains(stand) || line.find(static_cast<char>(stand)) != std::string_view::npos))
        ++stand;
    if (stand == 32) return std::string(line);
    std::string word;
    std::vector<std::string_view> heldBack;
    for (const Utf8Character& c : *characters) {
        if (c.cp1252) {
            word += static_cast<char>(*c.cp1252);
        } else {
            word += static_cast<char>(stand);
            heldBack.push_back(c.bytes);
        }
    }
    const std::string hyphenated = engine.Hyphenate(word);
    std::string out;
    std::size_t next = 0;
    for (const char b : hyphenated) {
        if (static_cast<unsigned char>(b) == stand)
            out += heldBack[next++];
        else
            out += Cp1252ToUtf8(std::string_view(&b, 1));
    }
    return out;
}

int HyphenateWords(const HyphenateOptions& options) {
    ConsoleUserInterface console(std::cout, std::cerr);
    std::string patternFile = options.patterns;
    if (patternFile.empty()) {
        const std::string directory = ProgramDirectory();
        const LanguageList list = BuildLanguageList(directory, options.language.value_or(""), console);
        std::vector<std::string> names;
        for (const LanguageEntry& entry : list.entries) names.push_back(entry.name);
        if (names.empty()) {
            std::cerr << NoPatternFiles(directory);
            return 1;
        }
        std::optional<int> chosen = list.defaultEntry;
        if (options.language) {
            chosen = MatchName(names, *options.language);
        } else {
            std::cerr << "sonkorac: note: no language given; using "
                      << TerminalSafe(names[static_cast<std::size_t>(*chosen)]) << "\n";
        }
        if (!chosen) {
            std::cerr << NoLanguage(*options.language);
            return 1;
        }
        patternFile = directory + list.entries[static_cast<std::size_t>(*chosen)].fileName;
    }
    HyphenationEngine engine;
    if (!engine.LoadPatterns(patternFile)) {
        std::cerr << "sonkorac: Not enough memory to complete operation\n";
        return 1;
    }
    std::string line;
    std::string out;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += HyphenateWord(engine, line);
        out += '\n';
        if (out.size() >= 1 << 16) {
            std::cout << ForStandardOutput(out);
            out.clear();
        }
    }
    std::cout << ForStandardOutput(out) << std::flush;
    if (!std::cout) throw IoError("standard output", "cannot be written");
    if (std::cin.bad()) throw IoError("standard input", "cannot be read");
    return 0;
}

}  // namespace

int RunHyphenate(const Arguments& args) {
    HyphenateOptions options;
    if (const std::optional<std::string> problem = ParseOptions(args, options)) return UsageError(*problem);
    return options.words ? HyphenateWords(options) : HyphenateSong(options);
}

}  // namespace sonkora::cli
