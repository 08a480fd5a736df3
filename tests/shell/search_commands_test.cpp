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

#include "shell/Search.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

struct Pane {
    QWidget owner;
    QPlainTextEdit* text = new QPlainTextEdit(&owner);
    QAction* findAgain = new QAction(QStringLiteral("Find &Again"), &owner);
    TSearchCommands commands{&owner, text, findAgain};

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
    void SetUp(TFindDialog* dialog, const QString& what, bool down = true, bool wholeWord = false,
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
        p.findAgain->setEnabled(false);
        p.commands.Find1Click();
        QVERIFY(p.commands.FindDialog->isVisible());
        QVERIFY(!p.commands.FindDialog->isModal());
        QVERIFY(p.findAgain->isEnabled());
        QVERIFY(p.commands.FindDialog->Options().Down);
        QVERIFY(!p.commands.FindDialog->FindNextButton->isEnabled());  // nothing to look for yet
        p.SetUp(p.commands.FindDialog, QStringLiteral("LA"));

        p.commands.FindDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(0, 2));
        p.commands.FindDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(3, 2));
        p.commands.FindDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(6, 2));  // the line end counts as one character
        {
            ModalAnswerer answers;
            answers.Press(QMessageBox::Ok);
            p.commands.FindDialog->FindNextButton->click();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"LA\".")});
        }
        QCOMPARE(p.Selection(), Sel(6, 2));
        // The dialog stays open beside the text for the next search.
        QVERIFY(p.commands.FindDialog->isVisible());
    }

    void FindAgainUsesTheFindDialogWithoutShowingIt() {
        Pane p(QStringLiteral("one two one two"), 15);
        {
            // Before any search the find dialog's text is empty.
            ModalAnswerer answers;
            answers.Press(QMessageBox::Ok);
            p.commands.FindAgain1Click();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"\".")});
        }
        p.SetUp(p.commands.FindDialog, QStringLiteral("two"), false);
        p.SetUp(p.commands.ReplaceDialog, QStringLiteral("one"), true);
        p.commands.FindAgain1Click();
        QCOMPARE(p.Selection(), Sel(12, 3));
        p.commands.FindAgain1Click();
        QCOMPARE(p.Selection(), Sel(4, 3));
        QVERIFY(!p.commands.FindDialog->isVisible());
        // The replace dialog's Find Next searches with its own text and direction.
        p.commands.ReplaceDialog->FindNextButton->click();
        QCOMPARE(p.Selection(), Sel(8, 3));
    }

    void ReplaceTakesASelectionInAnotherCaseEvenWithMatchCase() {
        Pane p(QStringLiteral("La la LA"));
        p.Select(0, 2);
        p.SetUp(p.commands.ReplaceDialog, QStringLiteral("la"), true, false, true);
        p.commands.ReplaceDialog->ReplaceWith->setText(QStringLiteral("do"));
        p.commands.ReplaceDialog->ReplaceButton->click();
        // "La" was replaced, and the next match in this letter case is selected.
        QCOMPARE(p.text->toPlainText(), QStringLiteral("do la LA"));
        QCOMPARE(p.Selection(), Sel(3, 2));
        {
            ModalAnswerer answers;
            answers.Press(QMessageBox::Ok);
            p.commands.ReplaceDialog->ReplaceButton->click();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Cannot find \"la\".")});
        }
        // "LA" does not match with Match case set, so it stays.
        QCOMPARE(p.text->toPlainText(), QStringLiteral("do do LA"));
    }

    void ReplaceUpwardWithWholeWordsSkipsItsOwnReplacement() {
        // A replacement that ends with the search text is not found again.
        Pane up(QStringLiteral("ten often ten tenth"), 19);
        up.SetUp(up.commands.ReplaceDialog, QStringLiteral("ten"), false, true);
        up.commands.ReplaceDialog->ReplaceWith->setText(QStringLiteral("x ten"));
        up.commands.ReplaceDialog->FindNextButton->click();
        QCOMPARE(up.Selection(), Sel(10, 3));
        up.commands.ReplaceDialog->ReplaceButton->click();
        QCOMPARE(up.text->toPlainText(), QStringLiteral("ten often x ten tenth"));
        QCOMPARE(up.Selection(), Sel(0, 3));
    }

    void ReplaceAllUpwardWithTheSearchTextInTheReplacementEnds() {
        const QString original = QStringLiteral("la di la\nla");
        Pane p(original, static_cast<int>(original.size()));
        p.SetUp(p.commands.ReplaceDialog, QStringLiteral("la"), false);
        p.commands.ReplaceDialog->ReplaceWith->setText(QStringLiteral("lala"));
        ModalAnswerer answers;
        p.commands.ReplaceDialog->ReplaceAllButton->click();
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
        p.SetUp(p.commands.ReplaceDialog, QStringLiteral("a"), true, true);
        p.commands.ReplaceDialog->ReplaceWith->setText(QStringLiteral("aa"));
        ModalAnswerer answers;
        p.commands.ReplaceDialog->ReplaceAllButton->click();
        // Everything from the selection on, "ä" not being the letter a.
        QCOMPARE(p.text->toPlainText(), QStringLiteral("A aa. aa, ä aa"));
        QVERIFY(answers.Seen.isEmpty());
        QCOMPARE(p.Selection(), Sel(14, 0));
    }

    void ReplaceAllThatWouldOverflowTheEditorChangesNothing() {
        const QString original(40000, QLatin1Char('a'));
        Pane p(original);
        p.SetUp(p.commands.ReplaceDialog, QStringLiteral("a"));
        p.commands.ReplaceDialog->ReplaceWith->setText(QString(1000, QLatin1Char('b')));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        p.commands.ReplaceDialog->ReplaceAllButton->click();
        QCOMPARE(answers.Seen.size(), 1);
        QVERIFY(answers.Seen.front().contains(QStringLiteral("nothing was replaced")));
        QCOMPARE(p.text->toPlainText(), original);
    }
};

QTEST_MAIN(SearchCommandsTest)
#include "search_commands_test.moc"
