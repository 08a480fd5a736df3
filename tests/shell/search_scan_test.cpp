// The search over a song text without any dialog: both directions from a selection,
// whole words at the edges of the text and beside accented letters, the code page's
// letter case, texts longer than 65,535 characters, and Replace All, checked against the
// plain loop of "replace the match, search again" on many random texts.
#include <QtTest>

#include <QRandomGenerator>

#include "shell/SearchCommands.h"
#include "shell/SearchText.h"

using namespace sonkora;

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

QString Describe(const QString& text, int selStart, int selLength, const QString& what, const SearchOptions& o) {
    return QStringLiteral("\"%1\" selection %2+%3 \"%4\" down %5 word %6 case %7")
        .arg(text)
        .arg(selStart)
        .arg(selLength)
        .arg(what)
        .arg(o.Down)
        .arg(o.WholeWord)
        .arg(o.MatchCase);
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
    void WholeWordsInBothDirections_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QList<int>>("found");
        const QString text = QStringLiteral("often ten tenth ten, ten");
        QTest::newRow("down skips the word inside others") << text << 0 << true << QList<int>{6, 16, 21};
        QTest::newRow("up skips the word inside others") << text << 24 << false << QList<int>{21, 16, 6};
        QTest::newRow("down from inside a word goes to the next word") << text << 7 << true << QList<int>{16, 21};
        QTest::newRow("up from inside a word goes back to its start") << text << 10 << false << QList<int>{6};
        QTest::newRow("down: a word at the very start") << QStringLiteral("ten often") << 0 << true << QList<int>{0};
        QTest::newRow("up: a word at the very start") << QStringLiteral("ten often") << 9 << false << QList<int>{0};
        QTest::newRow("before an accented letter") << QStringLiteral("tené tent") << 0 << true << QList<int>{0};
        QTest::newRow("after an accented letter") << QStringLiteral("éten xten") << 9 << false << QList<int>{1};
        QTest::newRow("digits are part of words") << QStringLiteral("ten1 2ten ten") << 0 << true << QList<int>{10};
        QTest::newRow("punctuation ends a word") << QStringLiteral("(ten)\nten-") << 0 << true << QList<int>{1, 6};
        QTest::newRow("up over punctuation") << QStringLiteral("(ten)\nten-") << 10 << false << QList<int>{6, 1};
    }
    void WholeWordsInBothDirections() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(bool, down);
        QFETCH(QList<int>, found);
        QCOMPARE(Walk(text, caret, QStringLiteral("ten"), Opts(down, true)), found);
    }

    void CaseFollowsTheCodePageLetters() {
        QCOMPARE(ScanText(u"Un CAFÉ noir", 0, 0, u"café", Opts(true)), std::optional<int>(3));
        QCOMPARE(ScanText(u"Un CAFÉ noir", 0, 0, u"café", Opts(true, false, true)), std::nullopt);
        QCOMPARE(ScanText(u"Un CAFÉ noir", 0, 0, u"CAFÉ", Opts(true, false, true)), std::optional<int>(3));
        // Letters whose capital sits elsewhere in the code page.
        QCOMPARE(ScanText(u"x ŸŠŒŽ", 0, 0, u"ÿšœž", Opts(true)), std::optional<int>(2));
        // Letters without a capital in the code page match only themselves.
        QCOMPARE(ScanText(u"STRASSE", 0, 0, u"straße", Opts(true)), std::nullopt);
        QCOMPARE(ScanText(u"µ", 0, 0, u"Μ", Opts(true)), std::nullopt);
    }

    void TextsBeyondSixteenBitsAreSearchedWhole() {
        const QString text =
            QString(70000, QLatin1Char('x')) + QStringLiteral(" needle ") + QString(70000, QLatin1Char('y'));
        QCOMPARE(ScanText(text, 0, 0, u"needle", Opts(true)), std::optional<int>(70001));
        QCOMPARE(ScanText(text, static_cast<int>(text.size()), 0, u"needle", Opts(false, true)),
                 std::optional<int>(70001));
        QCOMPARE(ScanText(text, 70002, 0, u"needle", Opts(true)), std::nullopt);
    }

    void NothingToFind() {
        // Texts and selections inside them are checked on random texts below.
        QCOMPARE(ScanText(u"abc", 0, 0, u"", Opts(true)), std::nullopt);
        // A selection that lies beyond the text is taken as its end.
        QCOMPARE(ScanText(u"abc", 50, 9, u"c", Opts(false)), std::optional<int>(2));
        QCOMPARE(ScanText(u"abc", -4, 0, u"a", Opts(true)), std::optional<int>(0));
        // A long, repetitive search text over a long, repetitive text ends quickly.
        const QString many(200000, QLatin1Char('a'));
        QCOMPARE(ScanText(many, 0, 0, QString(5000, QLatin1Char('a')) + QLatin1Char('b'), Opts(true)), std::nullopt);
    }

    void SearchesAgreeWithTheSlowWayOnRandomTexts() {
        QRandomGenerator random(20240607);
        const QString alphabet = QStringLiteral("aAb é1.É");
        for (int round = 0; round < 6000; ++round) {
            const QString text = RandomText(random, 14, alphabet);
            QString what = RandomText(random, 3, alphabet);
            if (what.isEmpty()) what = QStringLiteral("a");
            const int n = static_cast<int>(text.size());
            const int selStart = random.bounded(n + 1);
            const int selLength = random.bounded(n - selStart + 1);
            const SearchOptions o = Opts(random.bounded(2) == 0, random.bounded(2) == 0, random.bounded(2) == 0);
            const auto expected = Reference(text, selStart, selLength, what, o);
            const auto got = ScanText(text, selStart, selLength, what, o);
            QVERIFY2(got == expected, qPrintable(Describe(text, selStart, selLength, what, o) +
                                                 QStringLiteral(": got %1").arg(got.value_or(-1))));
        }
    }

    void ReplaceAllUpwardEndsWhenTheReplacementHoldsTheSearchText() {
        // "la" becomes "lala" going up: each new "la" ends the replacement, where the
        // next upward search would begin if it started after it.
        const ReplaceAllResult up = ReplaceAllText(u"la di la", 8, 0, u"la", u"lala", Opts(false));
        QCOMPARE(up.Text, QStringLiteral("lala di lala"));
        QCOMPARE(up.Positions, std::vector<int>({0, 6}));
        QCOMPARE(up.SelStart, 0);
        QCOMPARE(up.SelLength, 0);
        // Going down the caret ends after the last replacement.
        const ReplaceAllResult down = ReplaceAllText(u"la di la", 0, 0, u"la", u"xlax", Opts(true));
        QCOMPARE(down.Text, QStringLiteral("xlax di xlax"));
        QCOMPARE(down.SelStart, 12);
        // Whole words upward, the replacement a longer word starting with the search text.
        const ReplaceAllResult words = ReplaceAllText(u"ten often ten", 13, 0, u"ten", u"tenth ten", Opts(false, true));
        QCOMPARE(words.Text, QStringLiteral("tenth ten often tenth ten"));
    }

    void ReplaceAllAgreesWithThePlainLoopOnRandomTexts() {
        QRandomGenerator random(7);
        const QString alphabet = QStringLiteral("aAb .é");
        const QStringList replacements = {
            QString(),           QStringLiteral("a"),  QStringLiteral("ba"), QStringLiteral("ab"),
            QStringLiteral("x"), QStringLiteral("A."), QStringLiteral(".")};
        for (int round = 0; round < 4000; ++round) {
            const QString text = RandomText(random, 16, alphabet);
            QString what = RandomText(random, 2, alphabet);
            if (what.isEmpty()) what = QStringLiteral("a");
            QString replacement = replacements[random.bounded(static_cast<int>(replacements.size()))];
            if (random.bounded(4) == 0) replacement = what + replacement;  // holds the search text
            if (random.bounded(4) == 0) replacement = replacement + what;
            const int n = static_cast<int>(text.size());
            const int selStart = random.bounded(n + 1);
            const int selLength = random.bounded(n - selStart + 1);
            const SearchOptions o = Opts(random.bounded(2) == 0, random.bounded(2) == 0, random.bounded(2) == 0);
            const ReplaceAllResult expected = ReplaceAllByLoop(text, selStart, selLength, what, replacement, o);
            const ReplaceAllResult got = ReplaceAllText(text, selStart, selLength, what, replacement, o);
            const bool same = got.Text == expected.Text && got.Positions.size() == expected.Positions.size() &&
                              got.SelStart == expected.SelStart && got.SelLength == expected.SelLength;
            QVERIFY2(same, qPrintable(Describe(text, selStart, selLength, what, o) +
                                      QStringLiteral(" -> \"%1\": got \"%2\"").arg(replacement, got.Text)));
        }
    }
};

QTEST_MAIN(SearchScanTest)
#include "search_scan_test.moc"
