#include "compiler/HyphenationCommand.h"

#include <vector>

#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/LanguageList.h"

namespace sonkora {

std::optional<SongLanguage> ReadSongLanguage(SongDocument& document, SongCompiler& compiler, UserInterface& ui) {
    compiler.CompileSongText(CompileKind::Check, document, ui);
    if (compiler.MidiError() != 0) return std::nullopt;
    compiler.SetMidiError(0);
    // The header and @-line phases only walk through the lines in this mode.
    compiler.CompileSongText(CompileKind::Language, document, ui);
    if (compiler.MidiError() != 0) return std::nullopt;
    return SongLanguage{compiler.Language(), compiler.LyricStartLine()};
}

std::string HyphenateLine(const std::string& line, const HyphenationEngine& engine) {
    const ByteSet& wordChars = engine.WordChars();
    const auto isWordChar = [&wordChars](char c) { return wordChars.Contains(static_cast<unsigned char>(c)); };
    std::string out;
    out.reserve(line.size() + line.size() / 2);
    std::size_t p = 0;
    while (p < line.size()) {
        std::size_t q = p;
        while (q < line.size() && isWordChar(line[q])) ++q;
        engine.HyphenateInto(std::string_view(line).substr(p, q - p), out);
        p = q;
        while (q < line.size() && !isWordChar(line[q])) ++q;
        out.append(line, p, q - p);
        p = q;
    }
    return out;
}

int HyphenateLines(SongDocument& document, int firstLine, const HyphenationEngine& engine) {
    int written = 0;
    for (int line = firstLine; line < document.LineCount(); ++line) {
        document.ReplaceLine(line, HyphenateLine(document.Line(line), engine));
        ++written;
    }
    return written;
}

std::optional<int> HyphenateWithPatterns(SongDocument& document, int firstLine, const std::string& patternFile,
                                         UserInterface& ui) {
    HyphenationEngine engine;
    if (!engine.LoadPatterns(patternFile)) {
        ui.ErrorBox("Not enough memory to complete operation", HelpContext::ErrorMessages);
        return std::nullopt;
    }
    const int written = HyphenateLines(document, firstLine, engine);
    engine.FreePatterns();
    return written;
}

std::optional<int> Hyphenation(SongDocument& document, SongCompiler& compiler, UserInterface& ui,
                               const std::string& programDirectory) {
    const std::optional<SongLanguage> song = ReadSongLanguage(document, compiler, ui);
    if (!song) return std::nullopt;

    const LanguageList list = BuildLanguageList(programDirectory, song->language, ui);
    std::vector<std::string> names;
    for (const LanguageEntry& entry : list.entries) names.push_back(entry.name);
    const std::optional<int> chosen = ui.ChooseLanguage(names, list.defaultEntry);
    if (!chosen || *chosen < 0 || static_cast<std::size_t>(*chosen) >= list.entries.size()) return std::nullopt;

    return HyphenateWithPatterns(document, song->lyricStartLine,
                                 programDirectory + list.entries[static_cast<std::size_t>(*chosen)].fileName, ui);
}

}  // namespace sonkora
