// sonkorac languages: the hyphenation languages as the Hyphenation dialog lists them,
// one per line: the language name, a tab, the pattern file's name.
#include <iostream>

#include "cli/Commands.h"
#include "cli/ConsoleUserInterface.h"
#include "common/FilePaths.h"
#include "common/TerminalText.h"
#include "hyphenation/LanguageList.h"

namespace sonkora::cli {

int RunLanguages(const Arguments& args) {
    if (!args.empty()) return UsageError("languages takes no arguments");
    ConsoleUserInterface console(std::cout, std::cerr);
    const std::string directory = ProgramDirectory();
    const LanguageList list = BuildLanguageList(directory, "", console);
    if (list.entries.empty()) {
        std::cerr << "sonkorac: no hyphenation pattern files (*.hyp) in " << TerminalSafe(directory) << "\n";
        return 1;
    }
    for (const LanguageEntry& entry : list.entries)
        std::cout << TerminalSafe(entry.name) << '\t' << TerminalSafe(entry.fileName) << '\n';
    return 0;
}

}  // namespace sonkora::cli
