#include "shell/EditorText.h"

#include <algorithm>
#include <array>

#include "common/CodePage.h"

namespace sonkora {

namespace {

const std::array<QChar, 256>& ByteToChar() {
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = QChar(static_cast<char16_t>(Cp1252ToChar(static_cast<unsigned char>(b))));
        return t;
    }();
    return table;
}

// Returns the byte for one UTF-16 unit, or -1 when the code page cannot hold it.
int CharToByte(QChar c) {
    const auto byte = CharToCp1252(c.unicode());
    return byte ? static_cast<int>(*byte) : -1;
}

}  // namespace

QString BytesToPaneChars(std::string_view bytes) {
    const auto& table = ByteToChar();
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes) text.append(table[static_cast<unsigned char>(b)]);
    return text;
}

QString FileBytesToPaneText(std::string_view bytes) {
    const auto& table = ByteToChar();
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char b = bytes[i];
        if (b == '\r') {
            text.append(QLatin1Char('\n'));
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            text.append(table[static_cast<unsigned char>(b)]);
        }
    }
    return text;
}

std::string PaneCharsToBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        const int b = CharToByte(c);
        bytes += b < 0 ? '?' : static_cast<char>(b);
    }
    return bytes;
}

std::optional<QString> KeepUnmappedWords(const QString& paneLine, const std::string& hyphenated, int& skippedWords) {
    // Which characters belong to a word that holds an unmapped character.
    const qsizetype length = paneLine.size();
    std::vector<bool> guarded(static_cast<size_t>(length), false);
    for (qsizetype start = 0; start < length;) {
        const auto isBlank = [&paneLine](qsizetype i) { return paneLine[i] == u' ' || paneLine[i] == u'\t'; };
        if (isBlank(start)) {
            ++start;
            continue;
        }
        qsizetype end = start;
        bool unmapped = false;
        for (; end < length && !isBlank(end); ++end) unmapped = unmapped || CharToByte(paneLine[end]) < 0;
        if (unmapped) {
            ++skippedWords;
            std::fill(guarded.begin() + start, guarded.begin() + end, true);
        }
        start = end;
    }
    QString merged;
    merged.reserve(static_cast<qsizetype>(hyphenated.size()));
    qsizetype i = 0;
    for (const char byte : hyphenated) {
        const int own = i < length ? CharToByte(paneLine[i]) : -2;
        if (i < length && byte == (own < 0 ? '?' : static_cast<char>(own))) {
            merged += paneLine[i++];
        } else if (byte == '-') {
            // A hyphen goes in after the character before it, inside that word.
            if (i == 0 || !guarded[static_cast<size_t>(i - 1)]) merged += QLatin1Char('-');
        } else {
            return std::nullopt;
        }
    }
    if (i != length) return std::nullopt;
    return merged;
}

QStringList PaneLines(const QString& text) {
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) lines.removeLast();
    return lines;
}

std::string PaneTextToFileBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()) + 64);
    for (const QString& line : PaneLines(text)) {
        bytes += PaneCharsToBytes(line);
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<UnmappedCharacter> FindUnmappedCharacters(const QString& text) {
    std::vector<UnmappedCharacter> found;
    int line = 0;
    int column = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n')) {
            ++line;
            column = 0;
            continue;
        }
        if (CharToByte(c) < 0) {
            UnmappedCharacter u;
            u.Position = static_cast<int>(i);
            u.Line = line;
            u.Column = column;
            u.Code = c.unicode();
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                u.Code = QChar::surrogateToUcs4(c, text[i + 1]);
                u.Length = 2;
                ++i;
                ++column;
            }
            found.push_back(u);
        }
        ++column;
    }
    return found;
}

StatusCounts CountStatus(const QStringList& lines) {
    StatusCounts counts;
    counts.Lines = static_cast<int>(lines.size());
    bool titleFound = false;
    bool afterBlank = false;
    for (const QString& line : lines) {
        if (!titleFound && line.startsWith(QLatin1String("@T"))) {
            counts.Title = line.mid(2);
            titleFound = true;
        }
        bool blank = true;
        for (QChar c : line) {
            if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) {
                blank = false;
                break;
            }
        }
        if (blank) {
            afterBlank = true;
        } else if (afterBlank) {
            afterBlank = false;
            ++counts.Paragraphs;
        }
    }
    return counts;
}

QString CountText(int count, const QString& word) {
    return QStringLiteral(" %1 %2%3").arg(count).arg(word, count == 1 ? QString() : QStringLiteral("s"));
}

QString DescribeCharacter(char32_t code) {
    return QString::fromStdString(CharacterName(code));
}

}  // namespace sonkora
