// The main window: its start and end (the ini file written, the editors reopening in
// their order and place, the example song meeting a new user, an exit the user
// cancels), the menus merging with an editor, and every command's key and help topic.
#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>
#include <QToolBar>

#include "ShellHarness.h"
#include "shell/EditorWindow.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

// The ini file's lines without their values.
QStringList Keys(const TestProgramFolder& folder) {
    QStringList keys = IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini")));
    for (QString& key : keys) key = key.section(QLatin1Char('='), 0, 0);
    return keys;
}

QString Value(const TestProgramFolder& folder, const QString& key) {
    for (const QString& line : IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini"))))
        if (line.startsWith(key + QLatin1Char('='))) return line.mid(key.size() + 1);
    return QStringLiteral("<missing>");
}

QStringList MenuTitles(MainWindow& frame) {
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions()) titles << action->text();
    return titles;
}

}  // namespace

class FrameViewsTest : public QObject {
    Q_OBJECT

private slots:
    void FirstStartOpensTheExampleAndEndsWithTheFrameKeys() {
        TestProgramFolder folder;
        folder.Copy(QStringLiteral("examples"));
        {
            MainWindow frame(folder.Environment());
            frame.show();
            QCOMPARE(frame.Editors().size(), qsizetype(1));
            QCOMPARE(frame.Editors().first()->FileName(), folder.Path(QStringLiteral("examples/jingle_bells.stf")));
            QVERIFY(SongText(frame.Editors().first())->toPlainText().startsWith(QStringLiteral("\\t 1\n")));
            QVERIFY(frame.close());
        }
        QCOMPARE(Value(folder, QStringLiteral("View1")), QStringLiteral("Edit"));
        QCOMPARE(Keys(folder).join(' '),
                 QStringLiteral("[Views] View0 View1 [ViewSettings] View0State View0NormalGeometry View0MaxGeometry "
                                "View0MinGeometry View0KaraokePlayer View0Parameters View0CompilerMoreLyrics "
                                "View0CompilerLessLyrics View0MidiOutDevice View0FontName View0FontPitch View0FontSize "
                                "View0FontStyle View0HelpShown View1State View1NormalGeometry View1MaxGeometry "
                                "View1MinGeometry View1FileName"));
        QCOMPARE(Value(folder, QStringLiteral("View0State")), QStringLiteral("3"));
        QCOMPARE(Value(folder, QStringLiteral("View0Parameters")), QStringLiteral("%"));
        QCOMPARE(Value(folder, QStringLiteral("View0CompilerMoreLyrics")), QStringLiteral("1"));
        QCOMPARE(Value(folder, QStringLiteral("View0NormalGeometry")).count(QLatin1Char(',')), 3);
        QCOMPARE(Value(folder, QStringLiteral("View1MinGeometry")).count(QLatin1Char(',')), 1);
    }

    void EditorsAreSavedActiveFirstAndReopenInThatOrderAndPlace() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), QuietIni);
        folder.WriteFile(QStringLiteral("a.stf"), "\\t 1\r\n@TFirst\r\n");
        folder.WriteFile(QStringLiteral("b.stf"), "\\t 2\r\n@TSecond\r\n");
        {
            MainWindow frame(folder.Environment());
            frame.show();
            QVERIFY(frame.Editors().isEmpty());  // the ini exists: no example
            frame.CreateEditor()->LoadFile(folder.Path(QStringLiteral("a.stf")));
            frame.CreateEditor()->LoadFile(folder.Path(QStringLiteral("b.stf")));
            frame.ActiveEditor()->Window()->showNormal();
            frame.ActiveEditor()->Window()->setGeometry(20, 30, 300, 200);
            QVERIFY(frame.close());
        }
        QCOMPARE(Keys(folder).mid(0, 4), QStringList({"[Views]", "View0", "View1", "View2"}));
        QCOMPARE(Value(folder, QStringLiteral("View1FileName")), folder.Path(QStringLiteral("b.stf")));
        QCOMPARE(Value(folder, QStringLiteral("View2FileName")), folder.Path(QStringLiteral("a.stf")));
        QCOMPARE(Value(folder, QStringLiteral("View1NormalGeometry")), QStringLiteral("20,30,320,230"));
        QCOMPARE(Value(folder, QStringLiteral("View0HelpShown")), QStringLiteral("40"));

        MainWindow again(folder.Environment());
        again.show();
        // The editor saved first is created last: it is the active one again, in its place.
        const QList<QMdiSubWindow*> created =
            Child<QMdiArea>(&again, "mdiArea")->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(created.size(), qsizetype(2));
        QCOMPARE(created[0]->widget()->windowTitle(), QStringLiteral("a.stf"));
        QCOMPARE(again.ActiveEditor()->windowTitle(), QStringLiteral("b.stf"));
        QCOMPARE(SongText(again.ActiveEditor())->toPlainText(), QStringLiteral("\\t 2\n@TSecond\n"));
        QCOMPARE(again.ActiveEditor()->Window()->geometry(), QRect(20, 30, 300, 200));
        QVERIFY(again.close());
    }

    void SavedEditorsComeBackOnTheAreaAndAGoneFileEmpty() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         "[Views]\nView0=Main\nView1=Edit\nView7=Other\n[ViewSettings]\nView0HelpShown=40\n"
                         "View1State=1\nView1FileName=/nowhere/gone.stf\nView1NormalGeometry=9000,9000,9300,9200\n");
        MainWindow frame(folder.Environment());
        frame.show();
        QCOMPARE(frame.Editors().size(), qsizetype(1));
        EditorWindow* editor = frame.Editors().first();
        QCOMPARE(editor->FileName(), QStringLiteral("/nowhere/gone.stf"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("untitled.stf"));
        QVERIFY(SongText(editor)->toPlainText().isEmpty());
        // Saved far off any screen: brought back inside the area, its size kept.
        const QRect area = Child<QMdiArea>(&frame, "mdiArea")->viewport()->rect();
        QVERIFY(area.contains(editor->Window()->geometry()));
        QCOMPARE(editor->Window()->size(), QSize(300, 200));
        QVERIFY(frame.close());
    }

    void AFileNameTheSettingsCannotHoldIsNamedAndLeftOut() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), QuietIni);
        folder.WriteFile(QStringLiteral("odd\nname.stf"), "x\n");
        folder.WriteFile(QStringLiteral("plain.stf"), "y\n");
        {
            MainWindow frame(folder.Environment());
            frame.show();
            frame.CreateEditor()->LoadFile(folder.Path(QStringLiteral("plain.stf")));
            frame.CreateEditor()->LoadFile(folder.Path(QStringLiteral("odd\nname.stf")));
            ModalAnswerer answer;
            answer.Press(QMessageBox::Ok);
            QVERIFY(frame.close());
            QVERIFY(answer.Seen.size() == 1 && answer.Seen[0].contains(QStringLiteral("odd\nname.stf")));
        }
        QCOMPARE(Keys(folder).mid(0, 4), QStringList({"[Views]", "View0", "View1", "[ViewSettings]"}));
        QCOMPARE(Value(folder, QStringLiteral("View1FileName")), folder.Path(QStringLiteral("plain.stf")));
    }

    void SettingsAreReadFromTheFrameKeys() {
        Shell f({.ini = QuietIni + "View0FontSize=13\nView0FontStyle=2\nView0KaraokePlayer=/usr/bin/true\n"
                                   "View0Parameters=-x %\n"});
        QVERIFY(Action(f.frame.get(), "playInPlayerButton")->isEnabled());
        EditorWindow* editor = f.frame->CreateEditor();
        QCOMPARE(SongText(editor)->font().pointSize(), 13);
        QVERIFY(Preview(editor)->font().italic());
        QVERIFY(f.frame->close());
        QVERIFY(IniLines(f.folder.ReadFile(QStringLiteral("Sonkora.ini")))
                    .contains(QStringLiteral("View0Parameters=-x %")));
    }

    void ExitCancelledByTheCloseQuestionKeepsEverything() {
        Shell f;
        SongText(f.frame->CreateEditor())->insertPlainText(QStringLiteral("words"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Cancel);
        QVERIFY(!f.frame->close());
        QCOMPARE(answer.Seen, QStringList({"box: Save changes to 'untitled.stf'?"}));
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("Sonkora.ini")), QuietIni);  // nothing written
        answer.Press(QMessageBox::No);
        QVERIFY(f.frame->close());
    }

    void MenusMergeWithTheActiveEditor() {
        Shell f;
        MainWindow& frame = *f.frame;
        QCOMPARE(MenuTitles(frame), QStringList({"&File", "&Options", "&Window", "&Help"}));
        QVERIFY(!Action(&frame, "saveButton")->isEnabled() && !Action(&frame, "tileWindows")->isEnabled());
        // Hints land in the status line, the long part of a tool button's.
        Action(&frame, "playButton")->showStatusText(frame.findChild<QToolBar*>());
        QCOMPARE(Child<QLabel>(&frame, "statusLine")->text(),
                 QStringLiteral("Make and play the karaoke file in the active editor window"));
        QCOMPARE(Action(&frame, "playButton")->toolTip(), QStringLiteral("Play"));
        EditorWindow* editor = frame.CreateEditor();
        QCOMPARE(MenuTitles(frame),
                 QStringList({"&File", "&Edit", "&Search", "&Karaoke", "&Options", "&Window", "&Help"}));
        QCOMPARE(frame.menuBar()->actions().first()->menu()->actions().size(), 14);  // the editor's File menu
        QVERIFY(Action(&frame, "saveButton")->isEnabled() && Action(&frame, "tileWindows")->isEnabled());
        editor->Window()->close();
        QCoreApplication::processEvents();
        QCOMPARE(MenuTitles(frame), QStringList({"&File", "&Options", "&Window", "&Help"}));
        QVERIFY(!Action(&frame, "saveButton")->isEnabled());
    }

    void EveryCommandHasItsKeyAndHelpTopic_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("topic");  // the page F1 on the highlighted menu item shows
        // command:key:topic; Stop and Play In Karaoke Player are disabled here (nothing plays, no
        // player is set), so F1 shows their menu's topic.
        const QString rows = QStringLiteral(
            "newDocument:Ctrl+N:contents openDocument:Ctrl+O:contents closeWindow:Ctrl+F4:contents "
            "saveDocument:Ctrl+S:contents importKaraoke::import printStf:Ctrl+P:contents exitProgram:Alt+X:contents "
            "undo:Ctrl+Z:contents cut:Ctrl+X:contents copy:Ctrl+C:contents paste:Ctrl+V:contents "
            "selectAll:Ctrl+A:contents insertSpecialLetter:F4:special-letters hyphenate:F5:hyphenation "
            "selectVoiceTrack:F6:voice-track find:Ctrl+F:contents replace:Ctrl+H:contents findAgain:F3:contents "
            "makeKaraoke:F8:make play:F9:play playFromCursor:F7:play-from-cursor stop:Esc:contents "
            "playInKaraokePlayer::contents exportMidi::export karaokePlayerSetup::karaoke-player-setup "
            "warningsSetup::warnings about::about");
        for (const QString& row : rows.split(QLatin1Char(' '))) {
            const QStringList fields = row.split(QLatin1Char(':'));
            QTest::newRow(qPrintable(fields[0])) << fields[1] << fields[2] + QStringLiteral(".html");
        }
    }
    void EveryCommandHasItsKeyAndHelpTopic() {
        Shell f;
        f.folder.Copy(QStringLiteral("help"));
        f.Open(QStringLiteral("song.stf"), SixSyllables);
        QAction* action = Action(f.frame.get(), QTest::currentDataTag());
        QCOMPARE(action->shortcut().toString(), Fetch<QString>("key"));
        QMenu* menu = nullptr;
        for (QObject* owner : action->associatedObjects())
            if (auto* m = qobject_cast<QMenu*>(owner); m && !menu) menu = m;
        menu->popup(QPoint(0, 0));
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_F1);
        QCOMPARE(Child<QTextBrowser>(f.frame->Help(), "browser")->source().fileName(), Fetch<QString>("topic"));
    }
};

QTEST_MAIN(FrameViewsTest)
#include "frame_views_test.moc"
