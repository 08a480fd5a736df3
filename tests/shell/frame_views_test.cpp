// Start and end of the program: the ini file written after a first start and after
// ending with two editors, the editors reopening in their order, the example song
// meeting a new user, and an exit the user cancels.
#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QToolBar>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

QString PaneText(EditorWindow* editor) {
    return SongText(editor)->toPlainText();
}

// The keys of one section, in file order.
QStringList SectionKeys(const QStringList& lines, const QString& section) {
    QStringList keys;
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inside = line == QLatin1Char('[') + section + QLatin1Char(']');
            continue;
        }
        if (inside && line.contains(QLatin1Char('='))) keys << line.left(line.indexOf(QLatin1Char('=')));
    }
    return keys;
}

QString Value(const QStringList& lines, const QString& key) {
    for (const QString& line : lines)
        if (line.startsWith(key + QLatin1Char('='))) return line.mid(key.size() + 1);
    return QStringLiteral("<missing>");
}

const QStringList FrameKeys = {
    "View0State",      "View0NormalGeometry",     "View0MaxGeometry",        "View0MinGeometry",   "View0KaraokePlayer",
    "View0Parameters", "View0CompilerMoreLyrics", "View0CompilerLessLyrics", "View0MidiOutDevice", "View0FontName",
    "View0FontPitch",  "View0FontSize",           "View0FontStyle",          "View0HelpShown"};

}  // namespace

class FrameViewsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void FirstStartOpensTheExampleAndEndsWithTheFrameKeys() {
        TestProgramFolder folder;
        folder.CopyExamples();
        {
            MainWindow frame(folder.Environment());
            frame.show();
            QCOMPARE(frame.Editors().size(), qsizetype(1));
            EditorWindow* example = frame.Editors().first();
            QCOMPARE(example->FileName(), folder.Path(QStringLiteral("examples/jingle_bells.stf")));
            QVERIFY(PaneText(example).startsWith(QStringLiteral("\\t 1\n")));
            QCOMPARE(example->windowTitle(), QStringLiteral("jingle_bells.stf"));
            QVERIFY(frame.close());
        }
        const QStringList ini = IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini")));
        QCOMPARE(SectionKeys(ini, QStringLiteral("Views")), QStringList({"View0", "View1"}));
        QCOMPARE(Value(ini, QStringLiteral("View0")), QStringLiteral("Main"));
        QCOMPARE(Value(ini, QStringLiteral("View1")), QStringLiteral("Edit"));
        const QStringList settings = SectionKeys(ini, QStringLiteral("ViewSettings"));
        QCOMPARE(settings.mid(0, FrameKeys.size()), FrameKeys);
        QCOMPARE(settings.mid(FrameKeys.size()), QStringList({"View1State", "View1NormalGeometry", "View1MaxGeometry",
                                                              "View1MinGeometry", "View1FileName"}));
        QCOMPARE(Value(ini, QStringLiteral("View0State")), QStringLiteral("3"));
        QCOMPARE(Value(ini, QStringLiteral("View0Parameters")), QStringLiteral("%"));
        QCOMPARE(Value(ini, QStringLiteral("View0CompilerMoreLyrics")), QStringLiteral("1"));
        QCOMPARE(Value(ini, QStringLiteral("View1FileName")), folder.Path(QStringLiteral("examples/jingle_bells.stf")));
        // Geometry is four numbers, positions two.
        QCOMPARE(Value(ini, QStringLiteral("View0NormalGeometry")).split(QLatin1Char(',')).size(), qsizetype(4));
        QCOMPARE(Value(ini, QStringLiteral("View1MinGeometry")).split(QLatin1Char(',')).size(), qsizetype(2));
    }

    void TwoEditorsAreSavedActiveFirstAndReopenInThatOrder() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        folder.WriteFile(QStringLiteral("a.stf"), "\\t 1\r\n@TFirst\r\n");
        folder.WriteFile(QStringLiteral("b.stf"), "\\t 2\r\n@TSecond\r\n");
        {
            MainWindow frame(folder.Environment());
            frame.show();
            QVERIFY(frame.Editors().isEmpty());  // the ini exists: no example
            frame.CreateEditor()->LoadFile(folder.Path(QStringLiteral("a.stf")));
            frame.CreateEditor()->LoadFile(folder.Path(QStringLiteral("b.stf")));
            QCOMPARE(frame.ActiveEditor()->windowTitle(), QStringLiteral("b.stf"));
            QVERIFY(frame.close());
        }
        const QStringList ini = IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini")));
        QCOMPARE(SectionKeys(ini, QStringLiteral("Views")), QStringList({"View0", "View1", "View2"}));
        QCOMPARE(Value(ini, QStringLiteral("View2")), QStringLiteral("Edit"));
        QCOMPARE(Value(ini, QStringLiteral("View1FileName")), folder.Path(QStringLiteral("b.stf")));
        QCOMPARE(Value(ini, QStringLiteral("View2FileName")), folder.Path(QStringLiteral("a.stf")));
        QCOMPARE(Value(ini, QStringLiteral("View0HelpShown")), QStringLiteral("40"));

        MainWindow again(folder.Environment());
        again.show();
        QCOMPARE(again.Editors().size(), qsizetype(2));
        // The editor saved first is created last: it is the active one again.
        QCOMPARE(again.ActiveEditor()->windowTitle(), QStringLiteral("b.stf"));
        const QList<QMdiSubWindow*> created =
            Child<QMdiArea>(&again, "mdiArea")->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(created.size(), qsizetype(2));
        QCOMPARE(created[0]->widget()->windowTitle(), QStringLiteral("a.stf"));
        QCOMPARE(created[1]->widget()->windowTitle(), QStringLiteral("b.stf"));
        QCOMPARE(PaneText(again.ActiveEditor()), QStringLiteral("\\t 2\n@TSecond\n"));
        QVERIFY(again.close());
    }

    void EditorsComeBackInTheirStateAndPlaceOnTheArea() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("a.stf"), "a\n");
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         "[Views]\nView0=Main\nView1=Edit\nView2=Edit\n[ViewSettings]\nView0HelpShown=40\n"
                         "View1State=1\nView1NormalGeometry=20,30,320,230\nView1FileName=" +
                             folder.Path(QStringLiteral("a.stf")).toUtf8() +
                             "\nView2State=1\nView2NormalGeometry=9000,9000,9300,9200\n");
        MainWindow frame(folder.Environment());
        frame.show();
        QCOMPARE(frame.Editors().size(), qsizetype(2));
        EditorWindow* first = frame.ActiveEditor();
        EditorWindow* second = frame.Editors().last();
        QCOMPARE(first->windowTitle(), QStringLiteral("a.stf"));
        QVERIFY(!first->Window()->isMaximized());
        QCOMPARE(first->Window()->geometry(), QRect(20, 30, 300, 200));
        // Saved far off any screen: brought back inside the area, its size kept.
        const QRect area = Child<QMdiArea>(&frame, "mdiArea")->viewport()->rect();
        QVERIFY2(area.contains(second->Window()->geometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(second->Window()->x()).arg(second->Window()->y())));
        QCOMPARE(second->Window()->size(), QSize(300, 200));
        QVERIFY(frame.close());
        const QStringList ini = IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini")));
        QCOMPARE(Value(ini, QStringLiteral("View1NormalGeometry")), QStringLiteral("20,30,320,230"));
        QCOMPARE(Value(ini, QStringLiteral("View1State")), QStringLiteral("1"));
    }

    void AFileNameTheSettingsCannotHoldIsNamedAndLeftOut() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
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
            QCOMPARE(answer.Seen.size(), qsizetype(1));
            QVERIFY(answer.Seen[0].contains(QStringLiteral("odd\nname.stf")));
        }
        const QStringList ini = IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini")));
        QCOMPARE(SectionKeys(ini, QStringLiteral("Views")), QStringList({"View0", "View1"}));
        QCOMPARE(Value(ini, QStringLiteral("View1FileName")), folder.Path(QStringLiteral("plain.stf")));
    }

    void AnEditorWhoseFileIsGoneComesBackEmpty() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         "[Views]\nView0=Main\nView1=Edit\nView7=Other\n[ViewSettings]\nView0HelpShown=40\n"
                         "View1FileName=/nowhere/gone.stf\nView1NormalGeometry=5,6\n");
        MainWindow frame(folder.Environment());
        frame.show();
        QCOMPARE(frame.Editors().size(), qsizetype(1));
        EditorWindow* editor = frame.Editors().first();
        QCOMPARE(editor->FileName(), QStringLiteral("/nowhere/gone.stf"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("untitled.stf"));
        QVERIFY(PaneText(editor).isEmpty());
        QVERIFY(frame.close());
    }

    void SettingsAreReadFromTheFrameKeys() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\nView0FontSize=13\n"
                         "View0FontStyle=2\nView0KaraokePlayer=/usr/bin/true\nView0Parameters=-x %\n");
        MainWindow frame(folder.Environment());
        frame.show();
        QCOMPARE(frame.Settings().FontSize, 13);
        QCOMPARE(frame.Settings().KaraokePlayer, std::string("/usr/bin/true"));
        QVERIFY(frame.EditorFont().italic());
        QVERIFY(Action(&frame, "playInPlayerButton")->isEnabled());
        EditorWindow* editor = frame.CreateEditor();
        QCOMPARE(SongText(editor)->font().pointSize(), 13);
        QVERIFY(Preview(editor)->font().italic());
        QVERIFY(frame.close());
        QVERIFY(
            IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini"))).contains(QStringLiteral("View0Parameters=-x %")));
    }

    void ExitCancelledByTheCloseQuestionKeepsEverything() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        MainWindow frame(folder.Environment());
        frame.show();
        EditorWindow* editor = frame.CreateEditor();
        SongText(editor)->insertPlainText(QStringLiteral("words"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Cancel);
        QVERIFY(!frame.close());
        QCOMPARE(answer.Seen, QStringList({"box: Save changes to 'untitled.stf'?"}));
        QCOMPARE(frame.Editors().size(), qsizetype(1));
        // Nothing was written: the old settings are still there.
        QCOMPARE(IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini"))).size(), qsizetype(4));
        answer.Press(QMessageBox::No);
        QVERIFY(frame.close());
        QVERIFY(answer.AllUsed());
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void MenusMergeWithTheActiveEditor() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        MainWindow frame(folder.Environment());
        frame.show();
        auto titles = [&frame] {
            QStringList list;
            for (QAction* action : frame.menuBar()->actions()) list << action->text();
            return list;
        };
        QCOMPARE(titles(), QStringList({"&File", "&Options", "&Window", "&Help"}));
        QVERIFY(!Action(&frame, "saveButton")->isEnabled());
        QVERIFY(!Action(&frame, "tileWindows")->isEnabled());
        // Hints land in the frame's own status line, the long part of a tool button's.
        Action(&frame, "openDocument")->showStatusText(Child<QMdiArea>(&frame, "mdiArea"));
        QCOMPARE(Child<QLabel>(&frame, "statusLine")->text(), QStringLiteral("Open an existing file"));
        Action(&frame, "playButton")->showStatusText(frame.findChild<QToolBar*>());
        QCOMPARE(Child<QLabel>(&frame, "statusLine")->text(),
                 QStringLiteral("Make and play the karaoke file in the active editor window"));
        QCOMPARE(Action(&frame, "playButton")->toolTip(), QStringLiteral("Play"));
        EditorWindow* editor = frame.CreateEditor();
        QCOMPARE(titles(), QStringList({"&File", "&Edit", "&Search", "&Karaoke", "&Options", "&Window", "&Help"}));
        QCOMPARE(frame.menuBar()->actions().first()->menu()->actions().size(),
                 16);  // the editor's File menu, Export Karaoke File As and Open Recent included
        QVERIFY(editor->isVisible());
        QVERIFY(Action(&frame, "saveButton")->isEnabled());
        QVERIFY(Action(&frame, "makeButton")->isEnabled());
        QVERIFY(Action(&frame, "tileWindows")->isEnabled());
        editor->Window()->close();
        QCoreApplication::processEvents();
        QCOMPARE(titles(), QStringList({"&File", "&Options", "&Window", "&Help"}));
        QVERIFY(frame.Editors().isEmpty());
        QVERIFY(!Action(&frame, "saveButton")->isEnabled());
        QVERIFY(frame.close());
    }
};

QTEST_MAIN(FrameViewsTest)
#include "frame_views_test.moc"
