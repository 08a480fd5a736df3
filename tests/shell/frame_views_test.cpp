// The main window: its start and end (the ini file written, the editors reopening in
// their order and place, the example song meeting a new user), the menus merging with
// an editor, every command's key and help topic, and the help window: its index, keyword
// search, the contents shown once at the first start, and help beside a modal dialog.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QWindow>

#include "ShellHarness.h"
#include "common/UserInterface.h"
#include "shell/HelpWindow.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

// The ini file's lines without their values.
QStringList Keys(QStringList lines) {
    return lines.replaceInStrings(QRegularExpression("=.*"), "");
}

QStringList MenuTitles(MainWindow& frame) {
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions()) titles << action->text();
    return titles;
}

QUrl Shown(HelpWindow* help) {
    return Child<QTextBrowser>(help, "browser")->source();
}

}  // namespace

class FrameViewsTest : public QObject {
    Q_OBJECT

private slots:
    void FirstStartOpensTheExampleAndTheContentsAndEndsWithTheFrameKeys() {
        Shell f({.ini = {}, .shipped = {"examples", "help"}});
        QCOMPARE(f.frame->ActiveEditor()->FileName(), f.folder.Path("examples/jingle_bells.stf"));
        QVERIFY(SongText(f.frame->ActiveEditor())->toPlainText().startsWith("\\t 1\n"));
        QTRY_VERIFY(f.frame->Help()->isVisible());
        QCOMPARE(Shown(f.frame->Help()).fileName(), "contents.html");
        QVERIFY(f.frame->close());
        QVERIFY(!f.frame->Help()->isVisible());  // closed with the program
        const QStringList ini = IniLines(f.folder.ReadFile("Sonkora.ini"));
        QCOMPARE(Keys(ini).join(' '),
                 QStringLiteral("[Views] View0 View1 [ViewSettings] View0State View0NormalGeometry View0MaxGeometry "
                                "View0MinGeometry View0KaraokePlayer View0Parameters View0CompilerMoreLyrics "
                                "View0CompilerLessLyrics View0MidiOutDevice View0FontName View0FontPitch View0FontSize "
                                "View0FontStyle View0HelpShown View1State View1NormalGeometry View1MaxGeometry "
                                "View1MinGeometry View1FileName [TimingByEar] SnapWindow Latency PreRoll"));
        // The first device is kept.
        for (const char* line :
             {"View1=Edit", "View0State=3", "View0Parameters=%", "View0CompilerMoreLyrics=1", "View0HelpShown=40",
              "View0MidiOutDevice=Test Synth", "View1MinGeometry=-?\\d+,-?\\d+"})
            QVERIFY2(ini.indexOf(QRegularExpression(line)) >= 0, line);
    }

    void EditorsAreSavedActiveFirstAndReopenInThatOrderAndPlace() {
        Shell f;
        QVERIFY(f.frame->Editors().isEmpty());  // the ini exists: no example
        f.Open("odd\nname.stf", "x\n");         // a name the settings cannot hold: named, left out
        f.Open("a.stf", "\\t 1\r\n@TFirst\r\n");
        f.Open("b.stf", "\\t 2\r\n@TSecond\r\n")->Window()->showNormal();
        f.frame->ActiveEditor()->Window()->setGeometry(20, 30, 300, 200);
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        QVERIFY(f.frame->close());
        QVERIFY(answer.Seen.size() == 1 && answer.Seen[0].contains("odd\nname.stf"));
        const QStringList ini = IniLines(f.folder.ReadFile("Sonkora.ini"));
        QCOMPARE(Keys(ini).mid(0, 5), QStringList({"[Views]", "View0", "View1", "View2", "[ViewSettings]"}));
        QVERIFY(ini.contains("View1FileName=" + f.folder.Path("b.stf")) &&
                ini.contains("View1NormalGeometry=20,30,320,230"));
        QVERIFY(ini.contains("View2FileName=" + f.folder.Path("a.stf")));

        MainWindow again(f.folder.Environment());
        again.show();
        // The editor saved first is created last: it is the active one again, in its place.
        const QList<QMdiSubWindow*> created =
            Child<QMdiArea>(&again, "mdiArea")->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(created.size(), qsizetype(2));
        QCOMPARE(created[0]->widget()->windowTitle(), "a.stf");
        QCOMPARE(SongText(again.ActiveEditor())->toPlainText(), "\\t 2\n@TSecond\n");
        QCOMPARE(again.ActiveEditor()->Window()->geometry(), QRect(20, 30, 300, 200));
        QVERIFY(again.close());
    }

    void SavedEditorsComeBackOnTheAreaAndAGoneFileEmpty() {
        Shell f({.ini = "[Views]\nView0=Main\nView1=Edit\nView7=Other\n[ViewSettings]\nView0HelpShown=40\n"
                        "View1State=1\nView1FileName=/nowhere/gone.stf\nView1NormalGeometry=9000,9000,9300,9200\n"});
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
        EditorWindow* editor = f.frame->Editors().first();
        QCOMPARE(editor->FileName(), "/nowhere/gone.stf");
        QCOMPARE(editor->windowTitle(), "untitled.stf");
        QVERIFY(SongText(editor)->toPlainText().isEmpty());
        // Saved far off any screen: brought back inside the area, its size kept.
        QVERIFY(Child<QMdiArea>(f.frame.get(), "mdiArea")->viewport()->rect().contains(editor->Window()->geometry()));
        QCOMPARE(editor->Window()->size(), QSize(300, 200));
    }

    void MenusMergeWithTheActiveEditorAndFollowItsPageAndDocument() {
        Shell f;
        MainWindow& frame = *f.frame;
        QCOMPARE(MenuTitles(frame), QStringList({"&File", "&Options", "&Window", "&Help"}));
        QVERIFY(!Action(&frame, "saveButton")->isEnabled() && !Action(&frame, "tileWindows")->isEnabled());
        // Hints land in the status line, the long part of a tool button's.
        Action(&frame, "playButton")->showStatusText(frame.findChild<QToolBar*>());
        QCOMPARE(Child<QLabel>(&frame, "statusLine")->text(),
                 "Make and play the karaoke file in the active editor window");
        QCOMPARE(Action(&frame, "playButton")->toolTip(), "Play");
        EditorWindow* editor = frame.CreateEditor();
        QCOMPARE(MenuTitles(frame),
                 QStringList({"&File", "&Edit", "&Search", "&Karaoke", "&Options", "&Window", "&Help"}));
        // The editor's File menu, Export Karaoke File As and Open Recent included.
        QCOMPARE(frame.menuBar()->actions().first()->menu()->actions().size(), 16);
        QVERIFY(Action(&frame, "saveButton")->isEnabled() && Action(&frame, "tileWindows")->isEnabled());
        editor->Window()->close();
        QCoreApplication::processEvents();
        QCOMPARE(MenuTitles(frame), QStringList({"&File", "&Options", "&Window", "&Help"}));
        QVERIFY(!Action(&frame, "saveButton")->isEnabled());
        // Alt+P and Alt+T switch the pages, and the frame follows the editor's page and document.
        editor = f.Open("song.stf", "\\t 1\n\nla\n");
        SongText(editor)->setFocus();
        const QStringList editing = {"specialLettersButton", "hyphenationButton", "insertSpecialLetter", "hyphenate"};
        for (int page : {1, 0}) {
            QTest::keyClick(page == 0 ? Preview(editor) : SongText(editor), page == 0 ? Qt::Key_T : Qt::Key_P,
                            Qt::AltModifier);
            QCOMPARE(Pages(editor)->currentIndex(), page);
            Refresh(f.frame.get());
            for (const QString& name : editing)
                QVERIFY2(Action(f.frame.get(), qPrintable(name))->isEnabled() == (page == 0), qPrintable(name));
        }
        // The frame's title names the document once, with the modified mark.
        QCOMPARE(f.frame->windowHandle()->title(), "Sonkora - [song.stf]");
        QTest::keyClicks(SongText(editor), "x");
        QCOMPARE(f.frame->windowHandle()->title(), "Sonkora - [song.stf*]");
        QVERIFY(editor->Save());
        QCOMPARE(f.frame->windowHandle()->title(), "Sonkora - [song.stf]");
        QCOMPARE(editor->windowTitle(), "song.stf");  // the Window menu lists the bare name
    }

    void EveryCommandHasItsKeyAndHelpTopic() {
        Shell f({.shipped = {"help"}});
        f.Open("song.stf", SixSyllables);
        // command:key:topic, the topic (the page F1 on the highlighted menu item shows) "contents" when left
        // out; Stop and Play In Karaoke Player are disabled here (nothing plays, no player is set), so F1
        // shows their menu's topic.
        const QString rows =
            "newDocument:Ctrl+N openDocument:Ctrl+O closeWindow:Ctrl+F4 saveDocument:Ctrl+S importKaraoke::import "
            "printStf:Ctrl+P exitProgram:Alt+X undo:Ctrl+Z cut:Ctrl+X copy:Ctrl+C paste:Ctrl+V selectAll:Ctrl+A "
            "insertSpecialLetter:F4:special-letters hyphenate:F5:hyphenation selectVoiceTrack:F6:voice-track "
            "find:Ctrl+F replace:Ctrl+H findAgain:F3 makeKaraoke:F8:make play:F9:play stop:Esc "
            "playFromCursor:F7:play-from-cursor playInKaraokePlayer exportMidi::export warningsSetup::warnings "
            "karaokePlayerSetup::karaoke-player-setup about::about";
        for (const QString& row : rows.split(' ')) {
            const QStringList fields = row.split(':');
            QAction* action = Action(f.frame.get(), qPrintable(fields[0]));
            QMenu* menu = nullptr;
            for (QObject* owner : action->associatedObjects())
                if (auto* m = qobject_cast<QMenu*>(owner); m && !menu) menu = m;
            menu->popup(QPoint(0, 0));
            menu->setActiveAction(action);
            f.frame->Help()->close();  // so that a page shown before cannot pass for this one's
            QTest::keyClick(menu, Qt::Key_F1);
            menu->close();
            const QString shown = f.frame->Help()->isVisible() ? Shown(f.frame->Help()).fileName() : "nothing";
            QCOMPARE(row + " -> " + action->shortcut().toString() + ':' + shown,
                     row + " -> " + fields.value(1) + ':' + fields.value(2, "contents") + ".html");
        }
    }

    void TheIndexMapsContextsAndKeywords() {
        const HelpIndex index =
            ParseHelpIndex(QStringLiteral("# comment\n\n20000\tcontents.html\tcontents\n13001\tmake.html\tF8;Make\n"
                                          "-\tsong.html#time\t$$;time query\nnot a line\n20004\t\n"));
        QCOMPARE(index.Topics.size(), 2);
        QCOMPARE(index.Topics.value(13001), "make.html");
        QStringList keywords;
        for (const HelpKeyword& k : index.Keywords) keywords << k.Keyword + QLatin1Char('>') + k.Target;
        QCOMPARE(keywords, QStringList({"$$>song.html#time", "contents>contents.html", "F8>make.html", "Make>make.html",
                                        "time query>song.html#time"}));
    }

    void TheContentsShowAgainOnlyAfterAnotherVersion() {
        // Any stored value but this version's shows them again.
        Shell older({.ini = "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=39\n", .shipped = {"help"}});
        QTRY_VERIFY(older.frame->Help()->isVisible());
        // Without topics nothing shows, and the next start tries again.
        Shell without({.ini = {}});
        QVERIFY(!without.frame->Help()->ShowContext(HelpContext::General) && !without.frame->Help()->isVisible());
        QVERIFY(without.frame->close());
        QVERIFY(without.folder.ReadFile("Sonkora.ini").contains("View0HelpShown=0"));
    }

    // Keys go through the window system, where a window a modal dialog blocks never sees them.
    void HelpFromAModalDialogOrItsBoxIsUsableWhileTheyStayOpenAndUsable() {
        Shell f({.shipped = {"help"}});
        HelpWindow* help = f.frame->Help();
        auto search = [help](const char* text) {
            auto* edit = Child<QLineEdit>(help, "keywordEdit");
            for (QAction* action : help->findChildren<QAction*>())
                if (action->text() == "&Index" && !edit->isVisible()) action->trigger();
            edit->clear();
            edit->setFocus();
            for (const char* c = text; *c; ++c) QTest::keyClick(help->windowHandle(), *c);
            return edit->text();
        };
        ModalAnswerer answer;
        answer.Act([&](QDialog& dialog) {
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
            QCOMPARE(Shown(help).fileName(), "midi-setup.html");
            QCOMPARE(search("backu"), "backu");  // the keyword search takes a prefix
            QTest::keyClick(help->windowHandle(), Qt::Key_Return);
            QCOMPARE(Shown(help).fileName() + '#' + Shown(help).fragment(), "editor.html#saving");
            auto* devices = Child<QListWidget>(&dialog, "devices");
            devices->setFocus();
            QTest::keyClick(dialog.windowHandle(), Qt::Key_Down);
            QCOMPARE(devices->currentRow(), 1);
            help->close();
            QTest::keyClick(dialog.windowHandle(), Qt::Key_Return);
        });
        Action(f.frame.get(), "midiSetup")->trigger();
        QCOMPARE(f.frame->Settings().MidiOutDevice, std::string("Port B"));  // accepted with Return
        // The help window outlives the dialog as the program's own again.
        QVERIFY(help->parentWidget() == nullptr);
        Action(f.frame.get(), "helpContents")->trigger();
        QVERIFY(help->isVisible() && QApplication::activeModalWidget() == nullptr);

        // A box's Help brings the help window up in front of the box once it is back; Esc
        // closes a box beside its Help button.
        QString typed;
        answer
            .Act([&](QDialog& dialog) {
                f.frame->WarningBox("Something to read.", HelpContext::General);
                QVERIFY(dialog.isVisible());
                dialog.reject();
            })
            .Act([](QDialog& box) { dynamic_cast<QMessageBox&>(box).button(QMessageBox::Help)->click(); })
            .Act([&](QDialog& box) {
                typed = search("midi");
                help->close();
                QTest::keyClick(box.windowHandle(), Qt::Key_Escape);
            });
        Action(f.frame.get(), "midiSetup")->trigger();
        QCOMPARE(typed, "midi");
        QCOMPARE(answer.Seen.mid(1),
                 QStringList({"dialog: Midi Setup", "box: Something to read.", "box: Something to read."}));
    }
};

QTEST_MAIN(FrameViewsTest)
#include "frame_views_test.moc"
