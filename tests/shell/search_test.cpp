// Find and replace: the dialogs as the user drives them (Find Again, the "Cannot find"
// message, Replace and Replace All in both directions, each undone in one step, refused
// while the song plays), and the search itself checked against the slow way and the
// plain loop of "replace the match, search again" on many random texts.
#include <QCheckBox>
#include <QRadioButton>
#include <QRandomGenerator>

#include "ShellHarness.h"
#include "shell/SearchCommands.h"
#include "shell/SearchText.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

using Sel = QPair<int, int>;

// The options of a query "OPTIONS:WHAT": d(own) or up, w(hole word), c(ase).
SearchOptions Options(const QString& query) {
    const QString options = query.section(':', 0, 0);
    return {.Down = options.contains('d'), .MatchCase = options.contains('c'), .WholeWord = options.contains('w')};
}

struct Pane {
    QWidget owner;
    SongTextEdit* text = new SongTextEdit(&owner);
    SearchCommands commands{&owner, text};

    explicit Pane(const QString& content, int caret = 0) {
        text->setPlainText(content);
        text->Select(caret, 0);
        owner.show();
    }
    Sel Selection() const { return {text->SelectionStart(), text->SelectionLength()}; }
    QDialog* Dialog(const char* name) { return Child<QDialog>(&owner, name); }
    // Fills in a dialog ("findDialog", "replaceDialog") as a user would; `query` as Query reads it.
    void SetUp(const char* dialog, const QString& query, const QString& replacement = {}) {
        const SearchOptions o = Options(query);
        QTest::keyClicks(Child<QLineEdit>(Dialog(dialog), "findWhat"), query.section(':', 1));
        Child<QRadioButton>(Dialog(dialog), o.Down ? "down" : "up")->setChecked(true);
        Child<QCheckBox>(Dialog(dialog), "wholeWord")->setChecked(o.WholeWord);
        Child<QCheckBox>(Dialog(dialog), "matchCase")->setChecked(o.MatchCase);
        if (auto* with = Child<QLineEdit>(Dialog(dialog), "replaceWith")) with->setText(replacement);
    }
    void Click(const char* dialog, const char* button) {
        QTest::mouseClick(Child<QPushButton>(Dialog(dialog), button), Qt::LeftButton);
    }
};

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
        return !o.WholeWord || (word(p) && !word(p - 1) && !word(p + m));
    };
    for (int p = o.Down ? selStart + selLength : selStart - m; m > 0 && p >= 0 && p + m <= n; p += o.Down ? 1 : -1)
        if (matchesAt(p)) return p;
    return std::nullopt;
}

// Replace All done the plain way: replace the match, search again from the caret the
// replacement leaves (after it going down, before it going up).
ReplaceAllResult ReplaceAllByLoop(QString text, int selStart, int selLength, const QString& what,
                                  const QString& replacement, const SearchOptions& o) {
    std::vector<int> positions;
    while (const std::optional<int> p = ScanText(text, selStart, selLength, what, o)) {
        text.replace(*p, what.size(), replacement);
        positions.push_back(*p);
        selStart = o.Down ? *p + static_cast<int>(replacement.size()) : *p;
        selLength = 0;
        if (positions.size() > 10000) break;
    }
    return {positions, text, selStart, selLength, false};
}

QString RandomText(QRandomGenerator& random, int minLength, int maxLength, const QString& alphabet) {
    const int length = random.bounded(minLength, maxLength + 1);
    QString text;
    for (int i = 0; i < length; ++i) text += alphabet[random.bounded(static_cast<int>(alphabet.size()))];
    return text;
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void FindNextWalksEveryMatchThenSaysCannotFindAndFindAgainUsesItsDialogUnseen() {
        Pane p("la la\nla");
        p.commands.find();
        QVERIFY(p.Dialog("findDialog")->isVisible() && !p.Dialog("findDialog")->isModal());
        QVERIFY(!Child<QPushButton>(p.Dialog("findDialog"), "findNext")->isEnabled());  // nothing to look for yet
        p.SetUp("findDialog", "d:LA");
        for (const Sel& expected : {Sel(0, 2), Sel(3, 2), Sel(6, 2)}) {  // a line end is one character
            p.Click("findDialog", "findNext");
            QCOMPARE(p.Selection(), expected);
        }
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        p.Click("findDialog", "findNext");
        QCOMPARE(answers.Seen, QStringList{"box: Cannot find \"LA\"."});
        QCOMPARE(p.Selection(), Sel(6, 2));
        QVERIFY(p.Dialog("findDialog")->isVisible());
        // Find Again uses the find dialog without showing it.
        Pane q("one two one two", 15);
        q.SetUp("findDialog", "u:two");
        q.SetUp("replaceDialog", "d:one");
        q.commands.findAgain();
        QCOMPARE(q.Selection(), Sel(12, 3));
        q.commands.findAgain();
        QCOMPARE(q.Selection(), Sel(4, 3));
        QVERIFY(!q.Dialog("findDialog")->isVisible());
        // The replace dialog's Find Next searches with its own text and direction.
        q.Click("replaceDialog", "findNext");
        QCOMPARE(q.Selection(), Sel(8, 3));
    }

    void ReplaceEndsSilentlyAndUndoesInOneStep() {
        // The text and its selection, the query, the buttons clicked, the replacement, and
        // the selection and text after.
        using Case = std::tuple<QString, Sel, QString, QString, QString, Sel, QString>;
        for (const auto& [text, selection, query, clicks, replacement, after, result] :
             {// A selection in another case, match case set.
              Case("La la LA", Sel(0, 2), "dc:la", "replace", "do", Sel(3, 2), "do la LA"),
              // Upward whole words skip their own replacement.
              Case("ten often ten tenth", Sel(19, 0), "uw:ten", "findNext replace", "x ten", Sel(0, 3),
                   "ten often x ten tenth"),
              // All upward, the search text in the replacement.
              Case("la di la\nla", Sel(11, 0), "u:la", "replaceAll", "lala", Sel(0, 0), "lala di lala\nlala"),
              // All downward from the selected match.
              Case("A a. a, ä a", Sel(2, 1), "dw:a", "replaceAll", "aa", Sel(14, 0), "A aa. aa, ä aa")}) {
            Pane p(text);
            p.text->Select(selection.first, selection.second);
            p.SetUp("replaceDialog", query, replacement);
            ModalAnswerer answers;
            for (const QString& button : clicks.split(' ')) p.Click("replaceDialog", qPrintable(button));
            QCOMPARE(text + " -> " + p.text->toPlainText(), text + " -> " + result);
            QCOMPARE(p.Selection(), after);
            // Replace All downward from a selected match takes two steps (that match, then the
            // rest): left as it is, so checked on the other rows only.
            if (!Options(query).Down || clicks != "replaceAll") {
                p.text->undo();
                QCOMPARE(p.text->toPlainText(), text);
            }
        }
    }

    void ReplaceAllThatWouldOverflowTheEditorChangesNothing() {
        const QString original(40000, QLatin1Char('a'));
        Pane p(original);
        p.SetUp("replaceDialog", "d:a", QString(1000, QLatin1Char('b')));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        p.Click("replaceDialog", "replaceAll");
        QVERIFY(answers.Seen.value(0).contains("nothing was replaced"));
        QCOMPARE(p.text->toPlainText(), original);
    }

    void ReplaceRefusesWhileTheSongPlaysAndTheDialogPassesF9AndEsc() {
        Shell f;
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        QTest::keyClick(SongText(editor), Qt::Key_H, Qt::ControlModifier);
        auto* dialog = Child<QDialog>(editor, "replaceDialog");
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* what = Child<QLineEdit>(dialog, "findWhat");
        what->setText("world");
        Child<QLineEdit>(dialog, "replaceWith")->setText("earth");
        QTest::keyClick(what, Qt::Key_F9);
        QVERIFY(f.frame->Playing());
        f.At(0);
        const QString before = SongText(editor)->toPlainText();
        for (const char* button : {"replaceAll", "replace"}) {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Ok);
            Child<QPushButton>(dialog, button)->click();
            QCOMPARE(answer.Seen, QStringList({"box: The song text cannot be changed while its song is playing. "
                                               "Stop the song (Esc) and replace then."}));
            QCOMPARE(SongText(editor)->toPlainText(), before);
        }
        // Esc stops the song and leaves the dialog open; with no song, Esc closes it.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(what, Qt::Key_Escape);
        QVERIFY(!f.frame->Playing() && dialog->isVisible());
        Child<QPushButton>(dialog, "replaceAll")->click();
        QVERIFY(SongText(editor)->toPlainText().contains("earth"));
        QTest::keyClick(what, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        // The editor's Find and Find Again reach its own search; before any search its text is empty.
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        Action(editor, "findAgain")->trigger();
        QCOMPARE(answer.Seen, QStringList({"box: Cannot find \"\"."}));
        Action(editor, "find")->trigger();
        QVERIFY(Child<QDialog>(editor, "findDialog")->isVisible());
    }

    // Cases the random texts below do not reach: what a word is made of, the code page's
    // letter case, texts past 16 bits, selections outside the text.
    void FindNextFromACaret() {
        const QString big = QString(70000, QLatin1Char('x')) + " needle " + QString(70000, 'y');
        // What the row shows, the text, the caret, the query and every match Find Next walks.
        using Case = std::tuple<const char*, QString, int, QString, QList<int>>;
        for (const auto& [name, text, caret, query, found] : {
                 Case{"before an accented letter", "tené tent", 0, "dw:ten", {0}},
                 Case{"after an accented letter", "éten xten", 9, "uw:ten", {1}},
                 Case{"digits are part of words", "ten1 2ten ten", 0, "dw:ten", {10}},
                 Case{"punctuation ends a word", "(ten)\nten-", 0, "dw:ten", {1, 6}},
                 Case{"case of the code page", "Un CAFÉ noir", 0, "d:café", {3}},
                 Case{"match case", "Un CAFÉ noir", 0, "dc:café", {}},
                 Case{"capitals elsewhere in the code page", "x ŸŠŒŽ", 0, "d:ÿšœž", {2}},
                 Case{"no capital in the code page", "STRASSE µ", 0, "d:straße", {}},
                 Case{"micro is not mu", "µ", 0, "d:Μ", {}},
                 Case{"past 16 bits, down", big, 0, "d:needle", {70001}},
                 Case{"past 16 bits, up", big, int(big.size()), "uw:needle", {70001}},
                 Case{"nothing to look for", "abc", 0, "d:", {}},
                 Case{"a caret beyond the text", "abc", 50, "u:c", {2}},
                 Case{"a caret before the text", "abc", -4, "d:a", {0}},
                 Case{"repetitive text ends quickly", QString(200000, 'a'), 0, "d:" + QString(5000, 'a') + 'b', {}},
             })
            QVERIFY2(Walk(text, caret, query.section(':', 1), Options(query)) == found, name);
    }

    // Find Next against the slow way, and Replace All against the plain loop of "replace
    // the match, search again", on many random texts.
    void SearchesAgreeWithTheSlowWayOnRandomTexts() {
        QRandomGenerator random(20240607);
        const QString alphabet = "aAb é1.É";
        const QStringList replacements = {"", "a", "ba", "ab", "x", "A.", "."};
        for (int round = 0; round < 8000; ++round) {
            const QString text = RandomText(random, 0, 15, alphabet);
            const QString what = RandomText(random, 1, 3, alphabet);
            QString replacement = replacements[random.bounded(static_cast<int>(replacements.size()))];
            if (random.bounded(4) == 0) replacement = what + replacement;  // holds the search text
            if (random.bounded(4) == 0) replacement = replacement + what;
            const int n = static_cast<int>(text.size());
            const int selStart = random.bounded(n + 1);
            const int selLength = random.bounded(n - selStart + 1);
            const SearchOptions o{random.bounded(2) == 0, random.bounded(2) == 0, random.bounded(2) == 0};
            const QString describe =
                QStringLiteral("\"%1\" %2+%3 \"%4\" -> \"%5\" down/word/case %6%7%8")
                    .arg(text, QString::number(selStart), QString::number(selLength), what, replacement,
                         QString::number(o.Down), QString::number(o.WholeWord), QString::number(o.MatchCase));
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

QTEST_MAIN(SearchTest)
#include "search_test.moc"
