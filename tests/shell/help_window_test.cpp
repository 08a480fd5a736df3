// The help window over the topics the project ships: the index, every context the
// commands use (those of the menus in frame_views_test), keyword search, and the contents shown once at the first
// start.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>

#include "ShellHarness.h"
#include "common/UserInterface.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

QUrl Shown(HelpWindow* help) {
    return Child<QTextBrowser>(help, "browser")->source();
}

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void TheIndexMapsContextsAndKeywords() {
        const HelpIndex index =
            ParseHelpIndex(QStringLiteral("# comment\n\n20000\tcontents.html\tcontents\n13001\tmake.html\tF8;Make\n"
                                          "-\tsong.html#time\t$$;time query\nnot a line\n20004\t\n"));
        QCOMPARE(index.Topics.size(), 2);
        QCOMPARE(index.Topics.value(13001), QStringLiteral("make.html"));
        QStringList keywords;
        for (const HelpKeyword& k : index.Keywords) keywords << k.Keyword + QLatin1Char('>') + k.Target;
        QCOMPARE(keywords, QStringList({"$$>song.html#time", "contents>contents.html", "F8>make.html", "Make>make.html",
                                        "time query>song.html#time"}));
    }

    void KeywordSearchFindsTheTopic() {
        HelpWindow help(QStringLiteral(SONKORA_SOURCE_DIR "/help"));
        help.ShowKeywordSearch(QStringLiteral("backu"));
        QCOMPARE(Child<QListWidget>(&help, "keywordList")->currentItem()->text(), QStringLiteral("backup"));
        QTest::keyClick(Child<QLineEdit>(&help, "keywordEdit"), Qt::Key_Return);
        QCOMPARE(Shown(&help).fileName(), QStringLiteral("editor.html"));
        QCOMPARE(Shown(&help).fragment(), QStringLiteral("saving"));
    }

    void AHelpFolderWithoutIndexShowsNothing() {
        TestProgramFolder folder;
        HelpWindow help(folder.Path(QStringLiteral("help")));
        QVERIFY(!help.ShowContext(HelpContext::General));
        QVERIFY(!help.isVisible());
    }

    void TheContentsShowOnceAtTheFirstStart() {
        TestProgramFolder folder;
        folder.Copy(QStringLiteral("help"));
        {
            MainWindow frame(folder.Environment());
            frame.show();
            QTRY_VERIFY(frame.Help()->isVisible());
            QCOMPARE(Shown(frame.Help()).fileName(), QStringLiteral("contents.html"));
            QVERIFY(frame.close());
            QVERIFY(!frame.Help()->isVisible());  // closed with the program
        }
        QVERIFY(folder.ReadFile(QStringLiteral("Sonkora.ini")).contains("View0HelpShown=40"));
        {
            MainWindow again(folder.Environment());
            again.show();
            again.FinishStart();
            QVERIFY(!again.Help()->isVisible());
            QVERIFY(again.close());
        }
        // Any other stored value shows them again.
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=39\n");
        MainWindow older(folder.Environment());
        older.show();
        QTRY_VERIFY(older.Help()->isVisible());
        QVERIFY(older.close());
    }

    void WithoutTopicsHelpShownStaysUnsetForTheNextStart() {
        TestProgramFolder folder;
        {
            MainWindow frame(folder.Environment());
            frame.show();
            frame.FinishStart();
            QVERIFY(frame.close());
        }
        QVERIFY(folder.ReadFile(QStringLiteral("Sonkora.ini")).contains("View0HelpShown=0"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
