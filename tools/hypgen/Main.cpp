// hypgen: compiles Liang hyphenation patterns into a Sonkora pattern file (".hyp").
//
//   hypgen --name ENGLISH --output en.hyp hyphen.tex
//   hypgen --name FRENCH --output fr.hyp hyph-fr.pat.txt --exceptions hyph-fr.hyp.txt
//
// Exit codes: 0 written, 1 the patterns cannot be used (nothing written), 2 wrong usage.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "hypgen/PatternCompiler.h"
#include "hypgen/PatternSource.h"

namespace {

int Usage(const std::string& problem) {
    if (!problem.empty()) std::cerr << "hypgen: " << problem << "\n";
    std::cerr << "usage: hypgen --name LANGUAGE --output FILE.hyp PATTERNS... [--exceptions WORDS]...\n"
                 "  PATTERNS  a TeX pattern file (\\patterns{...} \\hyphenation{...}) or a plain\n"
                 "            UTF-8 list with one pattern per line\n"
                 "  WORDS     a plain UTF-8 list of exception words, one per line (\"ta-ble\")\n";
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

}  // namespace

int main(int argc, char** argv) {
    using namespace sonkora::hypgen;
    std::string language;
    std::string output;
    std::vector<std::string> patternFiles;
    std::vector<std::string> exceptionFiles;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--name" || arg == "--output" || arg == "--exceptions") {
            if (!hasValue) return Usage(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--name")
                language = value;
            else if (arg == "--output")
                output = value;
            else
                exceptionFiles.push_back(value);
        } else if (arg == "--help" || arg == "-h") {
            Usage("");
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            patternFiles.push_back(arg);
        }
    }
    if (language.empty()) return Usage("--name is missing");
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
