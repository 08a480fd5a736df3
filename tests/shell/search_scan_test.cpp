// The search over a song text without any dialog: both directions from a selection,
// whole words at the edges of the text and beside accented letters, the code page's
// letter case, texts longer than 65,535 characters, and Replace All, checked against the
// plain loop of "replace the match, search again" on many random texts.
#include <QtTest>

#include <QRandomGenerator>

#include "ShellHarness.h"
#include "shell/SearchCommands.h"
#include "shell/SearchText.h"

using namespace sonkora;
using sonkora::test::Fetch;

namespace {

SearchOptions Opts(bool down, bool wholeWord = false, bool matchCase = false) {
    SearchOptions o;
    o.Down = down;
    o.WholeWord = wholeWord;
    o.MatchCase = matchCase;
    return o;
}

// Every match in turn, as repeated Find Next would select them: each search starts
// from the match before, selected whole.
QList<int> Walk(const QString& text, int caret, const QString& what, const SearchOptions& o) {
    QList<int> found;
    int selStart = caret;
    int selLength = 0;
    while (const std::optional<int> p = ScanText(text, selStart, selLength, what, o)) {
        found << *p;
        selStart = *p;
        selLength = static_cast<int>(what.size());
        if (found.size() > text.size()) break;  // a search that never ends
    }
    return found;
}

// What a search must find, worked out the slow way: every start position in order,
// compared letter by letter after upper-casing both sides.
std::optional<int> Reference(const QString& text, int selStart, int selLength, const QString& what,
                             const SearchOptions& o) {
    const int n = static_cast<int>(text.size());
    const int m = static_cast<int>(what.size());
    auto fold = [&o](QChar c) { return o.MatchCase ? c : c.toUpper(); };
    auto word = [&text, n](int i) { return i >= 0 && i < n && IsWordChar(text[i]); };
    auto matchesAt = [&](int p) {
        for (int k = 0; k < m; ++k)
            if (fold(text[p + k]) != fold(what[k])) return false;
        if (!o.WholeWord) return true;
        return word(p) && !word(p - 1) && !word(p + m);
    };
    if (n == 0 || m == 0) return std::nullopt;
    if (o.Down) {
        for (int p = selStart + selLength; p + m <= n; ++p)
            if (matchesAt(p)) return p;
    } else {
        for (int p = selStart - m; p >= 0; --p)
            if (matchesAt(p)) return p;
    }
    return std::nullopt;
}

// Replace All done the plain way: replace the match, search again from the caret the
// replacement leaves (after it going down, before it going up).
ReplaceAllResult ReplaceAllByLoop(QString text, int selStart, int selLength, const QString& what,
                                  const QString& replacement, const SearchOptions& o) {
    ReplaceAllResult result;
    result.SelStart = selStart;
    result.SelLength = selLength;
    int rounds = 0;
    while (const std::optional<int> p = ScanText(text, result.SelStart, result.SelLength, what, o)) {
        text.replace(*p, what.size(), replacement);
        result.Positions.push_back(*p);
        result.SelStart = o.Down ? *p + static_cast<int>(replacement.size()) : *p;
        result.SelLength = 0;
        if (++rounds > 10000) break;
    }
    result.Text = text;
    return result;
}

QString RandomText(QRandomGenerator& random, int maxLength, const QString& alphabet) {
    const int length = random.bounded(maxLength + 1);
    QString text;
    for (int i = 0; i < length; ++i) text += alphabet[random.bounded(static_cast<int>(alphabet.size()))];
    return text;
}

}  // namespace

class SearchScanTest : public QObject {
    Q_OBJECT

private slots:
    // Cases the random texts below do not reach: the code page's letter case, texts past
    // 16 bits, selections outside the text, and repeated Find Next over whole words.
    void FindNextFromACaret_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("query");  // options (d(own) or u(p), w(hole word), c(ase)), ":", what
        QTest::addColumn<QList<int>>("found");
        const QString ten = QStringLiteral("often ten tenth ten, ten");
        const QString big = QString(70000, QLatin1Char('x')) + QStringLiteral(" needle ") + QString(70000, 'y');
        QTest::newRow("down skips the word inside others") << ten << 0 << "dw:ten" << QList<int>{6, 16, 21};
        QTest::newRow("up skips the word inside others") << ten << 24 << "uw:ten" << QList<int>{21, 16, 6};
        QTest::newRow("up from inside a word to its start") << ten << 10 << "uw:ten" << QList<int>{6};
        QTest::newRow("a word at the very start, up") << "ten often" << 9 << "uw:ten" << QList<int>{0};
        QTest::newRow("before an accented letter") << "tené tent" << 0 << "dw:ten" << QList<int>{0};
        QTest::newRow("after an accented letter") << "éten xten" << 9 << "uw:ten" << QList<int>{1};
        QTest::newRow("digits are part of words") << "ten1 2ten ten" << 0 << "dw:ten" << QList<int>{10};
        QTest::newRow("punctuation ends a word") << "(ten)\nten-" << 0 << "dw:ten" << QList<int>{1, 6};
        QTest::newRow("case of the code page") << "Un CAFÉ noir" << 0 << "d:café" << QList<int>{3};
        QTest::newRow("match case") << "Un CAFÉ noir" << 0 << "dc:café" << QList<int>{};
        QTest::newRow("capitals elsewhere in the code page") << "x ŸŠŒŽ" << 0 << "d:ÿšœž" << QList<int>{2};
        QTest::newRow("no capital in the code page") << "STRASSE µ" << 0 << "d:straße" << QList<int>{};
        QTest::newRow("micro is not mu") << "µ" << 0 << "d:Μ" << QList<int>{};
        QTest::newRow("past 16 bits, down") << big << 0 << "d:needle" << QList<int>{70001};
        QTest::newRow("past 16 bits, up") << big << int(big.size()) << "uw:needle" << QList<int>{70001};
        QTest::newRow("past 16 bits, after it") << big << 70002 << "d:needle" << QList<int>{};
        QTest::newRow("nothing to look for") << "abc" << 0 << "d:" << QList<int>{};
        QTest::newRow("a caret beyond the text") << "abc" << 50 << "u:c" << QList<int>{2};
        QTest::newRow("a caret before the text") << "abc" << -4 << "d:a" << QList<int>{0};
        QTest::newRow("long repetitive text ends quickly")
            << QString(200000, 'a') << 0 << QStringLiteral("d:") + QString(5000, 'a') + 'b' << QList<int>{};
    }
    void FindNextFromACaret() {
        QFETCH(QString, query);
        const QString options = query.section(':', 0, 0);
        const SearchOptions o = Opts(options.contains('d'), options.contains('w'), options.contains('c'));
        QCOMPARE(Walk(Fetch<QString>("text"), Fetch<int>("caret"), query.section(':', 1), o),
                 Fetch<QList<int>>("found"));
    }

    // Find Next against the slow way, and Replace All against the plain loop of "replace
    // the match, search again", on many random texts.
    void SearchesAgreeWithTheSlowWayOnRandomTexts() {
        QRandomGenerator random(20240607);
        const QString alphabet = QStringLiteral("aAb é1.É");
        const QStringList replacements = {"", "a", "ba", "ab", "x", "A.", "."};
        for (int round = 0; round < 8000; ++round) {
            const QString text = RandomText(random, 15, alphabet);
            QString what = RandomText(random, 3, alphabet);
            if (what.isEmpty()) what = QStringLiteral("a");
            QString replacement = replacements[random.bounded(static_cast<int>(replacements.size()))];
            if (random.bounded(4) == 0) replacement = what + replacement;  // holds the search text
            if (random.bounded(4) == 0) replacement = replacement + what;
            const int n = static_cast<int>(text.size());
            const int selStart = random.bounded(n + 1);
            const int selLength = random.bounded(n - selStart + 1);
            const SearchOptions o = Opts(random.bounded(2) == 0, random.bounded(2) == 0, random.bounded(2) == 0);
            const QString describe = QStringLiteral("\"%1\" %2+%3 \"%4\" -> \"%5\" down/word/case %6")
                                         .arg(text)
                                         .arg(selStart)
                                         .arg(selLength)
                                         .arg(what, replacement)
                                         .arg(o.Down * 100 + o.WholeWord * 10 + o.MatchCase);
            QVERIFY2(ScanText(text, selStart, selLength, what, o) == Reference(text, selStart, selLength, what, o),
                     qPrintable(describe));
            const ReplaceAllResult expected = ReplaceAllByLoop(text, selStart, selLength, what, replacement, o);
            const ReplaceAllResult got = ReplaceAllText(text, selStart, selLength, what, replacement, o);
            QVERIFY2(got.Text == expected.Text && got.Positions.size() == expected.Positions.size() &&
                         got.SelStart == expected.SelStart && got.SelLength == expected.SelLength,
                     qPrintable(describe + QStringLiteral(": got \"%1\"").arg(got.Text)));
        }
    }
};

QTEST_MAIN(SearchScanTest)
#include "search_scan_test.moc"
