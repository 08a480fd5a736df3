// Find and replace as the user drives it: the dialogs' buttons, Find Again, the
// "Cannot find" message, Replace of a selection in another letter case, and Replace All
// in both directions ending without a message and undone in one step.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>

#include "shell/FindDialog.h"
#include "shell/ReplaceDialog.h"
#include "shell/SearchCommands.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

struct Pane {
    QWidget owner;
    QPlainTextEdit* text = new QPlainTextEdit(&owner);
    SearchCommands commands{&owner, text};
    FindDialog* findDialog = Child<FindDialog>(&owner, "findDialog");
    ReplaceDialog* replaceDialog = Child<ReplaceDialog>(&owner, "replaceDialog");

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
    QPair<int, int> Selection() const {
        const QTextCursor c = text->textCursor();
        return {c.selectionStart(), c.selectionEnd() - c.selectionStart()};
    }
    void SetUp(FindDialog* dialog, const QString& what, bool down = true, bool wholeWord = false,
               bool matchCase = false) {
        dialog->FindWhat->setText(what);
        (down ? dialog->Down : dialog->Up)->setChecked(true);
        dialog->WholeWord->setChecked(wholeWord);
        dialog->MatchCase->setChecked(matchCase);
    }
};

using Sel = QPair<int, int>;

}  // namespace

class SearchCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void FindNextWalksEveryMatchAndThenSaysCannotFind() {
        Pane p(QStringLiteral("la la\nla"));
        p.commands.find();
        QVERIFY(p.findDialog->isVisible());
        QVERIFY(!p.findDialog->isModal());
        QVERIFY(p.findDialog->Options().Down);
        QVERIFY(!p.findDialog->FindNextButton->isEnabled());  // nothing to look for yet
        p.SetUp(p.findDialog, QStringLiteral("LA"));

        p.findDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(0, 2));
        p.findDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(3, 2));
        p.findDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(6, 2));  // the line end counts as one character
        {
            ModalAnswerer answers;
            answers.Press(QMessageBox::Ok);
            p.findDialog->FindNextButton->click();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"LA\".")});
        }
        QCOMPARE(p.Selection(), Sel(6, 2));
        // The dialog stays open beside the text for the next search.
        QVERIFY(p.findDialog->isVisible());
    }

    void FindAgainUsesTheFindDialogWithoutShowingIt() {
        Pane p(QStringLiteral("one two one two"), 15);
        {
            // Before any search the find dialog's text is empty.
            ModalAnswerer answers;
            answers.Press(QMessageBox::Ok);
            p.commands.findAgain();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"\".")});
        }
        p.SetUp(p.findDialog, QStringLiteral("two"), false);
        p.SetUp(p.replaceDialog, QStringLiteral("one"), true);
        p.commands.findAgain();
        QCOMPARE(p.Selection(), Sel(12, 3));
        p.commands.findAgain();
        QCOMPARE(p.Selection(), Sel(4, 3));
        QVERIFY(!p.findDialog->isVisible());
        // The replace dialog's Find Next searches with its own text and direction.
        p.replaceDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(8, 3));
    }

    void ReplaceTakesASelectionInAnotherCaseEvenWithMatchCase() {
        Pane p(QStringLiteral("La la LA"));
        p.Select(0, 2);
        p.SetUp(p.replaceDialog, QStringLiteral("la"), true, false, true);
        p.replaceDialog->ReplaceWith->setText(QStringLiteral("do"));
        p.replaceDialog->ReplaceButton->click();
        // "La" was replaced, and the next match in this letter case is selected.
        QCOMPARE(p.text->toPlainText(), QStringLiteral("do la LA"));
        QCOMPARE(p.Selection(), Sel(3, 2));
        {
            ModalAnswerer answers;
            answers.Press(QMessageBox::Ok);
            p.replaceDialog->ReplaceButton->click();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"la\".")});
        }
        // "LA" does not match with Match case set, so it stays.
        QCOMPARE(p.text->toPlainText(), QStringLiteral("do do LA"));
    }

    void ReplaceUpwardWithWholeWordsSkipsItsOwnReplacement() {
        // A replacement that ends with the search text is not found again.
        Pane up(QStringLiteral("ten often ten tenth"), 19);
        up.SetUp(up.replaceDialog, QStringLiteral("ten"), false, true);
        up.replaceDialog->ReplaceWith->setText(QStringLiteral("x ten"));
        up.replaceDialog->FindNextButton->click();
        QCOMPARE(up.Selection(), Sel(10, 3));
        up.replaceDialog->ReplaceButton->click();
        QCOMPARE(up.text->toPlainText(), QStringLiteral("ten often x ten tenth"));
        QCOMPARE(up.Selection(), Sel(0, 3));
    }

    void ReplaceAllUpwardWithTheSearchTextInTheReplacementEnds() {
        const QString original = QStringLiteral("la di la\nla");
        Pane p(original, static_cast<int>(original.size()));
        p.SetUp(p.replaceDialog, QStringLiteral("la"), false);
        p.replaceDialog->ReplaceWith->setText(QStringLiteral("lala"));
        ModalAnswerer answers;
        p.replaceDialog->ReplaceAllButton->click();
        QCOMPARE(p.text->toPlainText(), QStringLiteral("lala di lala\nlala"));
        // Replace All ends silently, the caret before the last replacement made.
        QVERIFY(answers.Seen.isEmpty());
        QVERIFY(answers.Unexpected.isEmpty());
        QCOMPARE(p.Selection(), Sel(0, 0));
        // One undo takes it all back.
        p.text->undo();
        QCOMPARE(p.text->toPlainText(), original);
    }

    void ReplaceAllDownwardStartsWithTheSelectedMatch() {
        Pane p(QStringLiteral("A a. a, ä a"));
        p.Select(2, 1);  // the second "a", as Find Next would have left it
        p.SetUp(p.replaceDialog, QStringLiteral("a"), true, true);
        p.replaceDialog->ReplaceWith->setText(QStringLiteral("aa"));
        ModalAnswerer answers;
        p.replaceDialog->ReplaceAllButton->click();
        // Everything from the selection on, "ä" not being the letter a.
        QCOMPARE(p.text->toPlainText(), QStringLiteral("A aa. aa, ä aa"));
        QVERIFY(answers.Seen.isEmpty());
        QCOMPARE(p.Selection(), Sel(14, 0));
    }

    void ReplaceAllThatWouldOverflowTheEditorChangesNothing() {
        const QString original(40000, QLatin1Char('a'));
        Pane p(original);
        p.SetUp(p.replaceDialog, QStringLiteral("a"));
        p.replaceDialog->ReplaceWith->setText(QString(1000, QLatin1Char('b')));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        p.replaceDialog->ReplaceAllButton->click();
        QCOMPARE(answers.Seen.size(), 1);
        QVERIFY(answers.Seen.front().contains(QStringLiteral("nothing was replaced")));
        QCOMPARE(p.text->toPlainText(), original);
    }
};

QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
