// The help window over the topics the project ships: the index, topics by context
// number, keyword search, and the contents shown once at the first start.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>

#include "common/UserInterface.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

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

    void EveryContextTheProgramUsesOpensAPage() {
        HelpWindow help(QStringLiteral(SONKORA_SOURCE_DIR "/help"));
        const int contexts[] = {HelpContext::General,
                                HelpContext::GettingStarted,
                                HelpContext::AboutAndBatch,
                                HelpContext::SongTextFormat,
                                HelpContext::ErrorMessages,
                                HelpContext::Import,
                                HelpContext::SpecialLetters,
                                HelpContext::Hyphenation,
                                HelpContext::VoiceTrackSelection,
                                HelpContext::Make,
                                HelpContext::Play,
                                HelpContext::PlayFromCursor,
                                HelpContext::Stop,
                                HelpContext::PlayInKaraokePlayer,
                                HelpContext::Export,
                                HelpContext::KaraokePlayer,
                                HelpContext::Warnings};
        for (int context : contexts) {
            QVERIFY2(help.Index().Topics.contains(context), qPrintable(QString::number(context)));
            QVERIFY(help.ShowContext(context));
            QVERIFY2(!help.Browser->toPlainText().isEmpty(), qPrintable(QString::number(context)));
        }
        QVERIFY(help.ShowContext(HelpContext::Make));
        QVERIFY(help.Browser->source().fileName() == QStringLiteral("make.html"));
        QVERIFY(help.isVisible());
    }

    void KeywordSearchFindsTheTopic() {
        HelpWindow help(QStringLiteral(SONKORA_SOURCE_DIR "/help"));
        help.ShowKeywordSearch(QStringLiteral("backu"));
        QVERIFY(help.KeywordList->count() >= 1);
        QCOMPARE(help.KeywordList->currentItem()->text(), QStringLiteral("backup"));
        QMetaObject::invokeMethod(help.KeywordEdit, "returnPressed");
        QCOMPARE(help.Browser->source().fileName(), QStringLiteral("editor.html"));
        QCOMPARE(help.Browser->source().fragment(), QStringLiteral("saving"));
    }

    void AHelpFolderWithoutIndexShowsNothing() {
        TestProgramFolder folder;
        HelpWindow help(folder.Path(QStringLiteral("help")));
        QVERIFY(!help.ShowContext(HelpContext::General));
        QVERIFY(!help.isVisible());
    }

    void TheContentsShowOnceAtTheFirstStart() {
        TestProgramFolder folder;
        folder.CopyHelp();
        {
            MainWindow frame(folder.Environment());
            frame.show();
            QTRY_VERIFY(frame.Help()->isVisible());
            QCOMPARE(frame.Help()->Browser->source().fileName(), QStringLiteral("contents.html"));
            QCOMPARE(frame.Settings().HelpShown, 40);
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
        QCOMPARE(older.Settings().HelpShown, 40);
        QVERIFY(older.close());
    }

    void WithoutTopicsHelpShownStaysUnsetForTheNextStart() {
        TestProgramFolder folder;
        {
            MainWindow frame(folder.Environment());
            frame.show();
            frame.FinishStart();
            QCOMPARE(frame.Settings().HelpShown, 0);
            QVERIFY(frame.close());
        }
        QVERIFY(folder.ReadFile(QStringLiteral("Sonkora.ini")).contains("View0HelpShown=0"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
