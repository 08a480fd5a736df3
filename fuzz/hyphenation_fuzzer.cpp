// Arbitrary pattern files and words through the hyphenation engine and the line
// rewriting of the hyphenation command.
//
// Input: one byte n, then n bytes of text (a word, or a line with several words), then
// the pattern file's bytes. Whatever the file says, the engine must stay inside its
// buffers and only ever insert single hyphens between letters of the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/HyphenationCommand.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/PatternFileCheck.h"

namespace {

// `after` must be `before` with "-" inserted, never first, last or next to another "-"
// that was there or was inserted.
bool OnlyHyphensInserted(std::string_view before, std::string_view after) {
    std::size_t i = 0;
    for (std::size_t j = 0; j < after.size(); ++j) {
        if (i < before.size() && after[j] == before[i]) {
            ++i;
            continue;
        }
        if (after[j] != '-' || j == 0 || j + 1 == after.size()) return false;
        if (after[j - 1] == '-' || after[j + 1] == '-') return false;
    }
    return i == before.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t textLength = std::min<std::size_t>(data[0], size - 1);
    const std::string text(reinterpret_cast<const char*>(data + 1), textLength);
    const std::string_view file(reinterpret_cast<const char*>(data + 1 + textLength), size - 1 - textLength);

    // The check must stand any bytes; the engine must stand whatever it lets through,
    // and the rest too, since a caller may load an image without it.
    const std::optional<sonkora::PatternFileProblem> problem = sonkora::CheckPatternImage(file);
    if (problem && problem->text.empty()) __builtin_trap();
    sonkora::HyphenationEngine engine;
    if (!engine.LoadPatternImage(file)) return 0;

    const std::string word = engine.Hyphenate(text);
    if (!OnlyHyphensInserted(text, word)) __builtin_trap();
    if (text.size() < 3 || text.size() > sonkora::HyphenationEngine::MaxWordLength) {
        if (word != text) __builtin_trap();
    }

    const std::string line = sonkora::HyphenateLine(text, engine);
    if (line.size() < text.size()) __builtin_trap();
    return 0;
}
