#include "shell/SearchText.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/CodePage.h"

namespace sonkora {

namespace {

// The upper-case form of every character for a search that ignores case: the
// Windows-1252 letters take their upper-case letter when the code page has it ("é"
// becomes "É", "ÿ" becomes "Ÿ", while "ß" and "µ" stay); characters outside the code page
// stay as they are.
const std::array<char16_t, 65536>& UpperTable() {
    static const std::array<char16_t, 65536> table = [] {
        std::array<char16_t, 65536> t{};
        for (size_t u = 0; u < t.size(); ++u) t[u] = static_cast<char16_t>(u);
        for (int byte = 0; byte < 256; ++byte) {
            const auto c = static_cast<char16_t>(Cp1252ToChar(static_cast<unsigned char>(byte)));
            const char16_t upper = QChar(c).toUpper().unicode();
            if (CharToCp1252(upper)) t[c] = upper;
        }
        return t;
    }();
    return table;
}

std::u16string Fold(QStringView text, bool matchCase) {
    std::u16string folded(static_cast<size_t>(text.size()), u'\0');
    const auto& upper = UpperTable();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        folded[static_cast<size_t>(i)] = matchCase ? c : upper[c];
    }
    return folded;
}

// found[i] tells whether `needle` occurs at hay[i]. The table is built in one pass
// (Knuth-Morris-Pratt), so a long search text over a long, repetitive text costs no
// more than a short one.
std::vector<char> Occurrences(std::u16string_view hay, std::u16string_view needle) {
    const size_t m = needle.size();
    std::vector<char> found(hay.size() >= m ? hay.size() - m + 1 : 0, 0);
    if (m == 0 || hay.size() < m) return found;
    std::vector<size_t> border(m, 0);
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && needle[i] != needle[k]) k = border[k - 1];
        if (needle[i] == needle[k]) ++k;
        border[i] = k;
    }
    for (size_t i = 0, k = 0; i < hay.size(); ++i) {
        while (k > 0 && hay[i] != needle[k]) k = border[k - 1];
        if (hay[i] == needle[k]) ++k;
        if (k == m) {
            found[i + 1 - m] = 1;
            k = border[k - 1];
        }
    }
    return found;
}

bool WordAt(QStringView text, int index) {
    return index >= 0 && index < text.size() && IsWordChar(text[index]);
}

// A whole-word match: it begins a word, the character before it (if any) is not a word
// character, nor is the one after it.
bool IsWholeWord(QChar first, std::optional<QChar> before, std::optional<QChar> after) {
    return IsWordChar(first) && !(before && IsWordChar(*before)) && !(after && IsWordChar(*after));
}

}  // namespace

bool IsWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool SkipToWordStart(QStringView text, int& position, int& count, bool down) {
    if (down) {
        // Inside a word, its rest is no word start; then over what separates words.
        if (WordAt(text, position - 1))
            while (count > 0 && WordAt(text, position)) {
                ++position;
                --count;
            }
        while (count > 0 && !WordAt(text, position)) {
            ++position;
            --count;
        }
        return count > 0;
    }
    while (count > 0 && !WordAt(text, position)) {
        --position;
        --count;
    }
    if (count == 0) return false;
    // Back to the first letter of the word; the first character of the text is as good
    // a word start as any.
    while (count > 1 && WordAt(text, position - 1)) {
        --position;
        --count;
    }
    return true;
}

std::optional<int> ScanText(QStringView text, int selStart, int selLength, QStringView searchText,
                            const SearchOptions& options) {
    const int length = static_cast<int>(text.size());
    const int m = static_cast<int>(searchText.size());
    if (length <= 0 || m <= 0) return std::nullopt;
    selStart = std::clamp(selStart, 0, length);
    selLength = std::clamp(selLength, 0, length - selStart);

    int start = 0;
    int count = 0;
    if (options.Down) {
        start = selStart + selLength;
        count = length - start - m + 1;
        if (count < 1) return std::nullopt;
    } else {
        start = selStart - m;
        count = start + 1;
    }
    if (start < 0 || start > length) return std::nullopt;

    // Every candidate lies in [low, high]; only that part of the text is compared.
    const int low = options.Down ? start : 0;
    const int high = options.Down ? start + count - 1 : start;
    const std::vector<char> found =
        Occurrences(Fold(text.mid(low, high - low + m), options.MatchCase), Fold(searchText, options.MatchCase));
    const int step = options.Down ? 1 : -1;
    int position = start;
    while (count > 0) {
        if (options.WholeWord && !SkipToWordStart(text, position, count, options.Down)) return std::nullopt;
        if (found[static_cast<size_t>(position - low)] && (!options.WholeWord || !WordAt(text, position + m)))
            return position;
        position += step;
        --count;
    }
    return std::nullopt;
}

ReplaceAllResult ReplaceAllText(QStringView text, int selStart, int selLength, QStringView searchText,
                                QStringView replacement, const SearchOptions& options) {
    const int n = static_cast<int>(text.size());
    const int m = static_cast<int>(searchText.size());
    const int r = static_cast<int>(replacement.size());
    ReplaceAllResult result;
    selStart = std::clamp(selStart, 0, n);
    selLength = std::clamp(selLength, 0, n - selStart);
    result.SelStart = selStart;
    result.SelLength = selLength;
    if (n == 0 || m == 0 || m > n) {
        result.Text = text.toString();
        return result;
    }
    const std::vector<char> found = Occurrences(Fold(text, options.MatchCase), Fold(searchText, options.MatchCase));

    // The search after a replacement sees the replacement beside the untouched rest of
    // the text: going down, its last character stands before the next candidate; going
    // up, its first character after the next candidate. An empty replacement shows what
    // stood beyond it.
    if (options.Down) {
        int from = selStart + selLength;
        std::optional<QChar> before = from > 0 ? std::optional<QChar>(text[from - 1]) : std::nullopt;
        for (int p = from; p <= n - m; ++p) {
            if (!found[static_cast<size_t>(p)]) continue;
            if (options.WholeWord) {
                std::optional<QChar> prev = before;
                if (p != from) prev.emplace(text[p - 1]);
                std::optional<QChar> next;
                if (p + m < n) next.emplace(text[p + m]);
                if (!IsWholeWord(text[p], prev, next)) continue;
            }
            result.Positions.push_back(p);
            if (r > 0)
                before = replacement[r - 1];
            else if (p > from)
                before = text[p - 1];
            from = p + m;
            p = from - 1;
        }
    } else {
        int limit = selStart;  // matches end at or before this
        std::optional<QChar> after = limit < n ? std::optional<QChar>(text[limit]) : std::nullopt;
        for (int p = limit - m; p >= 0; --p) {
            if (!found[static_cast<size_t>(p)]) continue;
            if (options.WholeWord) {
                std::optional<QChar> prev;
                if (p > 0) prev.emplace(text[p - 1]);
                std::optional<QChar> next = after;
                if (p + m < limit) next.emplace(text[p + m]);
                if (!IsWholeWord(text[p], prev, next)) continue;
            }
            result.Positions.push_back(p);
            if (r > 0)
                after = replacement[0];
            else if (p + m < limit)
                after = text[p + m];
            limit = p;
            p = limit - m + 1;
        }
        std::reverse(result.Positions.begin(), result.Positions.end());
    }

    const qint64 newLength = n + static_cast<qint64>(result.Positions.size()) * (r - m);
    if (newLength > MaxReplacedTextLength) {
        result.Positions.clear();
        result.TooLong = true;
        result.Text = text.toString();
        return result;
    }
    result.Text.reserve(static_cast<qsizetype>(newLength));
    int from = 0;
    for (const int p : result.Positions) {
        result.Text += text.mid(from, p - from);
        result.Text += replacement;
        from = p + m;
    }
    result.Text += text.mid(from);

    if (!result.Positions.empty()) {
        const int k = static_cast<int>(result.Positions.size());
        result.SelStart = options.Down ? result.Positions.back() + (k - 1) * (r - m) + r : result.Positions.front();
        result.SelLength = 0;
    }
    return result;
}

QString CannotFindMessage(const QString& searchText) {
    return QStringLiteral("Cannot find \"%1\".").arg(searchText);
}

}  // namespace sonkora
