// hypgen: compiles Liang hyphenation patterns into a Sonkora pattern file (".hyp"), or
// fits a pattern set that is too large for one into its limits.
//
//   hypgen --name ENGLISH --output en.hyp hyphen.tex
//   hypgen --name FRENCH --output fr.hyp hyph-fr.pat.txt --exceptions hyph-fr.hyp.txt
//   hypgen --fit --output hyph-nl.fit.tex hyph-nl.pat.txt --exceptions hyph-nl.hyp.txt --words dutch
//
// Exit codes: 0 written, 1 the patterns cannot be used (nothing written), 2 wrong usage.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "hypgen/PatternCompiler.h"
#include "hypgen/PatternFit.h"
#include "hypgen/PatternSource.h"

namespace {

int Usage(const std::string& problem) {
    if (!problem.empty()) std::cerr << "hypgen: " << problem << "\n";
    std::cerr << "usage: hypgen --name LANGUAGE --output FILE.hyp PATTERNS... [--exceptions WORDS]...\n"
                 "       hypgen --fit --output FILE.tex PATTERNS... [--exceptions WORDS]... --words LIST...\n"
                 "              [--common-words LIST]... [--exceptions-first] [--held-out N]\n"
                 "  PATTERNS  a TeX pattern file (\\patterns{...} \\hyphenation{...}) or a plain\n"
                 "            UTF-8 list with one pattern per line\n"
                 "  WORDS     a plain UTF-8 list of exception words, one per line (\"ta-ble\")\n"
                 "  --fit     write the part of the patterns that fits a pattern file (8001 trie\n"
                 "            entries, 255 operations) and keeps the most words of the LISTs\n"
                 "            (UTF-8, one word per line) hyphenated as the full set does them,\n"
                 "            with the engine's first- and last-syllable rules. The result is a\n"
                 "            TeX pattern file for hypgen whose comment header records the word\n"
                 "            lists, the settings and the agreement. One word in N (default 10),\n"
                 "            chosen by a hash of its letters, is held out of the fit; the\n"
                 "            agreement on those is printed. Words of a --common-words\n"
                 "            LIST count twice. Exception words get what room is left at\n"
                 "            the end, or with --exceptions-first before removed patterns\n"
                 "            come back. Same inputs, same output.\n";
    return 2;
}

// Writes beside the target and renames, so that a failed run never leaves a partial
// pattern file where the program would find it.
void WriteFile(const std::string& fileName, const std::string& bytes) {
    const std::string temporary = fileName + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error(temporary + ": cannot be created");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error(fileName + ": cannot be written");
    }
}

struct WordList {
    std::string name;
    std::vector<std::string> words;
    std::uint32_t hash = 2166136261U;  // FNV-1a of the bytes, to name the exact list
};

WordList ReadWordList(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw std::runtime_error(fileName + ": cannot be opened");
    WordList list{fileName, {}};
    std::string line;
    while (std::getline(in, line)) {
        for (const char c : line) list.hash = (list.hash ^ static_cast<unsigned char>(c)) * 16777619U;
        list.hash = (list.hash ^ '\n') * 16777619U;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) list.words.push_back(line);
    }
    if (in.bad()) throw std::runtime_error(fileName + ": cannot be read");
    return list;
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Fit(const sonkora::hypgen::PatternSet& set, const std::vector<std::string>& sources,
        const std::vector<std::pair<std::string, bool>>& wordFiles, unsigned heldOutShare, bool exceptionsFirst,
        const std::string& output) {
    using namespace sonkora::hypgen;
    std::vector<FitWordList> lists;
    std::vector<std::string> header = {
        "Fitted by hypgen --fit to the limits of a pattern file: trie entries 0 to 8000,", "255 operations. Sources: "};
    for (std::size_t i = 0; i < sources.size(); ++i) header[1] += (i == 0 ? "" : ", ") + BaseName(sources[i]);
    header[1] += ".";
    header.push_back("Word lists (lines, FNV-1a of the bytes):");
    for (const auto& [file, common] : wordFiles) {
        WordList list = ReadWordList(file);
        header.push_back("  " + list.name + " (" + std::to_string(list.words.size()) + ", " + Hex(list.hash) + ")" +
                         (common ? ", common words: they count twice" : ""));
        lists.push_back({std::move(list.words), common});
    }
    FitOptions options;
    options.heldOutShare = heldOutShare;
    options.exceptionsFirst = exceptionsFirst;
    options.progress = &std::cerr;
    const FitResult result = FitPatterns(set, lists, options);
    const CompileStatistics& s = result.statistics;
    const std::string heldOut = std::to_string(result.heldOutAgreeing) + " of " + std::to_string(result.heldOutWords) +
                                " held-out words (" + Fixed(Percent(result.heldOutAgreeing, result.heldOutWords)) +
                                " %)";
    const std::string fitted = std::to_string(result.fitAgreeing) + " of " + std::to_string(result.fitWords) +
                               " fit words (" + Fixed(Percent(result.fitAgreeing, result.fitWords)) + " %)";
    header.push_back("Settings: one word in " + std::to_string(heldOutShare) +
                     " held out by the FNV-1a hash of its letters' codes; runs of 3 to 63 letters,");
    header.push_back(std::string("each counted once, twice when a list of common words holds it. Exception words ") +
                     (exceptionsFirst ? "took the room left before removed patterns came back."
                                      : "took what room was left after removed patterns came back."));
    header.push_back("Kept " + std::to_string(result.set.patterns.size()) + " of " +
                     std::to_string(result.sourcePatterns) + " patterns after " + std::to_string(result.rounds) +
                     " rounds (" + std::to_string(result.restored) + " restored at the end) and " +
                     std::to_string(result.set.exceptions.size()) + " of " + std::to_string(set.exceptions.size()) +
                     " exception words: " + std::to_string(s.entries) + " trie entries up to entry " +
                     std::to_string(s.highestEntry) + ", " + std::to_string(s.operations) + " operations.");
    header.push_back("Hyphenated as the full set does: " + heldOut + ",");
    header.push_back("  " + fitted + ".");
    WriteFile(output, FittedSource(result, header));
    std::cout << output << ": " << heldOut << ", " << fitted << " hyphenated as the full set does; " << s.highestEntry
              << " of 8000 trie entries, " << s.operations << " of 255 operations\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace sonkora::hypgen;
    std::string language;
    std::string output;
    std::vector<std::string> patternFiles;
    std::vector<std::string> exceptionFiles;
    std::vector<std::pair<std::string, bool>> wordFiles;  // and whether it lists common words
    bool fit = false;
    unsigned heldOutShare = 10;
    bool exceptionsFirst = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--name" || arg == "--output" || arg == "--exceptions" || arg == "--words" ||
            arg == "--common-words" || arg == "--held-out") {
            if (!hasValue) return Usage(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--name") {
                language = value;
            } else if (arg == "--output") {
                output = value;
            } else if (arg == "--exceptions") {
                exceptionFiles.push_back(value);
            } else if (arg == "--words" || arg == "--common-words") {
                wordFiles.emplace_back(value, arg == "--common-words");
            } else {
                char* end = nullptr;
                const unsigned long share = std::strtoul(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0' || share < 2 || share > 1000)
                    return Usage("--held-out needs a number from 2 to 1000");
                heldOutShare = static_cast<unsigned>(share);
            }
        } else if (arg == "--fit") {
            fit = true;
        } else if (arg == "--exceptions-first") {
            exceptionsFirst = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage("");
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            patternFiles.push_back(arg);
        }
    }
    if (fit && wordFiles.empty()) return Usage("--fit needs at least one --words list");
    if (!fit && !wordFiles.empty()) return Usage("--words belongs to --fit");
    if (!fit && language.empty()) return Usage("--name is missing");
    if (output.empty()) return Usage("--output is missing");
    if (patternFiles.empty()) return Usage("no pattern file given");

    try {
        PatternSet set;
        for (const std::string& file : patternFiles) AddSourceFile(set, file, false);
        for (const std::string& file : exceptionFiles) AddSourceFile(set, file, true);
        if (!set.withHyphen.empty())
            std::cerr << "hypgen: note: " << set.withHyphen.size()
                      << " patterns holding \"-\" left out, since a word never holds one (first at "
                      << set.withHyphen.front() << ")\n";
        if (fit) {
            std::vector<std::string> sources = patternFiles;
            sources.insert(sources.end(), exceptionFiles.begin(), exceptionFiles.end());
            return Fit(set, sources, wordFiles, heldOutShare, exceptionsFirst, output);
        }
        const CompiledPatterns compiled = CompilePatterns(set, language);
        WriteFile(output, compiled.image);
        const CompileStatistics& s = compiled.statistics;
        std::cout << output << ": " << language << ", " << s.patterns << " patterns (" << s.exceptions
                  << " from exception words), " << s.entries << " trie entries up to " << s.highestEntry << " of 8000, "
                  << s.operations << " of 255 operations\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "hypgen: " << output << ": " << error.what() << "\n";
        return 1;
    }
}
