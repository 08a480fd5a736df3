#include "hypgen/PatternSource.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/CodePage.h"

namespace sonkora::hypgen {

namespace {

// Longest pattern or exception word worth keeping: the engine hyphenates words of at
// most 63 letters, and a pattern may add the two word edges.
constexpr std::size_t MaxPatternLetters = 65;
constexpr std::size_t MaxExceptionLetters = 63;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Origin(const std::string& fileName, int line) {
    return fileName + ":" + std::to_string(line);
}

// Converts one token to Windows-1252. Characters the code page cannot hold are noted
// in the set and make the token unusable (nothing is returned then).
bool ToCp1252(PatternSet& set, std::string_view token, const std::string& origin, std::string& out) {
    Cp1252Conversion converted = Utf8ToCp1252(token);
    if (converted.unmapped.empty()) {
        out = std::move(converted.text);
        return true;
    }
    for (char32_t c : converted.unmapped) {
        const bool known =
            std::any_of(set.unmapped.begin(), set.unmapped.end(), [c](const auto& seen) { return seen.first == c; });
        if (!known) set.unmapped.emplace_back(c, origin);
    }
    return false;
}

struct Token {
    std::string text;
    int line;
};

// Removes "%" comments, keeping the line structure so that lines can be counted.
std::string StripComments(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool comment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            comment = false;
            out += c;
        } else if (!comment && c == '%' && (i == 0 || text[i - 1] != '\\')) {
            comment = true;
        } else if (!comment) {
            out += c;
        }
    }
    return out;
}

std::vector<Token> Words(std::string_view text) {
    std::vector<Token> words;
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsSpace(text[i])) {
            if (text[i] == '\n') ++line;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsSpace(text[end])) ++end;
        words.push_back({std::string(text.substr(i, end - i)), line});
        i = end;
    }
    return words;
}

void AddPattern(PatternSet& set, std::string_view token, const std::string& origin) {
    if (token.find('-') != std::string_view::npos) {
        set.withHyphen.push_back(origin);
        return;
    }
    std::string converted;
    if (ToCp1252(set, token, origin, converted)) set.patterns.push_back(ParsePattern(converted, origin));
}

void AddException(PatternSet& set, std::string_view token, const std::string& origin) {
    std::string converted;
    if (ToCp1252(set, token, origin, converted)) set.exceptions.push_back(ParseException(converted, origin));
}

// TeX files: only the two groups that carry patterns are understood. Anything else
// could change how TeX reads the patterns (\lccode, \catcode, ^^ notation), so it is
// refused rather than guessed at.
void AddTexSource(PatternSet& set, std::string_view text, const std::string& fileName) {
    const std::string clean = StripComments(text);
    enum class Group { None, Patterns, Exceptions };
    Group group = Group::None;
    bool expectBrace = false;
    int line = 1;
    std::size_t i = 0;
    while (i < clean.size()) {
        const char c = clean[i];
        if (IsSpace(c)) {
            if (c == '\n') ++line;
            ++i;
            continue;
        }
        const std::string origin = Origin(fileName, line);
        if (group == Group::None) {
            if (c == '\\') {
                std::size_t end = i + 1;
                while (end < clean.size() &&
                       ((clean[end] >= 'a' && clean[end] <= 'z') || (clean[end] >= 'A' && clean[end] <= 'Z')))
                    ++end;
                const std::string command = clean.substr(i, end - i);
                if (command == "\\patterns") {
                    group = Group::Patterns;
                } else if (command == "\\hyphenation") {
                    group = Group::Exceptions;
                } else {
                    throw SourceError(origin + ": unsupported TeX command " + command +
                                      " (only \\patterns and \\hyphenation are read)");
                }
                expectBrace = true;
                i = end;
                continue;
            }
            throw SourceError(origin + ": unexpected text outside \\patterns and \\hyphenation");
        }
        if (expectBrace) {
            if (c != '{')
                throw SourceError(origin + ": \"{\" expected after \\" +
                                  (group == Group::Patterns ? "patterns" : "hyphenation"));
            expectBrace = false;
            ++i;
            continue;
        }
        if (c == '}') {
            group = Group::None;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < clean.size() && !IsSpace(clean[end]) && clean[end] != '}') ++end;
        const std::string_view token = std::string_view(clean).substr(i, end - i);
        if (token.find('\\') != std::string_view::npos || token.find('{') != std::string_view::npos ||
            token.find("^^") != std::string_view::npos)
            throw SourceError(origin + ": unsupported TeX notation in \"" + std::string(token) + "\"");
        if (group == Group::Patterns) {
            AddPattern(set, token, origin);
        } else {
            AddException(set, token, origin);
        }
        i = end;
    }
    if (group != Group::None) {
        throw SourceError(fileName + ": \\" + std::string(group == Group::Patterns ? "patterns" : "hyphenation") +
                          " group is not closed");
    }
}

bool LooksLikeTex(std::string_view clean) {
    const auto first = std::find_if(clean.begin(), clean.end(), [](char c) { return !IsSpace(c); });
    return first != clean.end() && *first == '\\';
}

}  // namespace

Pattern ParsePattern(std::string_view token, const std::string& origin) {
    Pattern pattern;
    pattern.origin = origin;
    pattern.values.push_back(0);
    bool digitHere = false;
    for (const char c : token) {
        if (IsDigit(c)) {
            if (digitHere)
                throw SourceError(origin + ": two digits in a row in pattern \"" + std::string(token) + "\"");
            pattern.values.back() = static_cast<std::uint8_t>(c - '0');
            digitHere = true;
            continue;
        }
        if (c == '-' || c == '{' || c == '}' || c == '\\' || static_cast<unsigned char>(c) < 32)
            throw SourceError(origin + ": character not allowed in pattern \"" + std::string(token) + "\"");
        pattern.letters += c;
        pattern.values.push_back(0);
        digitHere = false;
    }
    const std::string& letters = pattern.letters;
    const std::size_t firstInner = letters.find_first_not_of('.');
    if (firstInner == std::string::npos)
        throw SourceError(origin + ": pattern \"" + std::string(token) + "\" has no letters");
    const std::size_t dot = letters.find('.', 1);
    if (dot != std::string::npos && dot != letters.size() - 1)
        throw SourceError(origin + ": \".\" inside pattern \"" + std::string(token) + "\"");
    if (letters.size() > MaxPatternLetters)
        throw SourceError(origin + ": pattern \"" + std::string(token) + "\" is longer than " +
                          std::to_string(MaxPatternLetters) + " letters");
    return pattern;
}

ExceptionWord ParseException(std::string_view token, const std::string& origin) {
    ExceptionWord word;
    word.origin = origin;
    bool hyphenHere = true;  // a leading hyphen is as wrong as a doubled one
    for (const char c : token) {
        if (c == '-') {
            if (hyphenHere) throw SourceError(origin + ": misplaced \"-\" in exception \"" + std::string(token) + "\"");
            word.breaks.back() = true;
            hyphenHere = true;
            continue;
        }
        if (IsDigit(c) || c == '.' || c == '{' || c == '}' || c == '\\' || static_cast<unsigned char>(c) < 32)
            throw SourceError(origin + ": character not allowed in exception \"" + std::string(token) + "\"");
        word.letters += c;
        word.breaks.push_back(false);
        hyphenHere = false;
    }
    if (word.letters.empty() || hyphenHere)
        throw SourceError(origin + ": misplaced \"-\" in exception \"" + std::string(token) + "\"");
    if (word.letters.size() > MaxExceptionLetters)
        throw SourceError(origin + ": exception \"" + std::string(token) + "\" is longer than " +
                          std::to_string(MaxExceptionLetters) + " letters");
    word.breaks.pop_back();  // the entry after the last letter
    return word;
}

void AddSource(PatternSet& set, std::string_view text, const std::string& fileName, bool exceptionList) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::string clean = StripComments(text);
    if (LooksLikeTex(clean)) {
        AddTexSource(set, text, fileName);
        return;
    }
    for (const Token& word : Words(clean)) {
        const std::string origin = Origin(fileName, word.line);
        if (exceptionList) {
            AddException(set, word.text, origin);
        } else {
            AddPattern(set, word.text, origin);
        }
    }
}

void AddSourceFile(PatternSet& set, const std::string& fileName, bool exceptionList) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw SourceError(fileName + ": cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw SourceError(fileName + ": cannot be read");
    AddSource(set, text.str(), fileName, exceptionList);
}

}  // namespace sonkora::hypgen
