// The editor window's document life: save with one backup, the read-only path into
// Save As, the close question's three answers, the status strip, menu enabling on each
// page, characters the code page cannot hold, and the song text as the compiler sees it.
#include <QtTest>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>

#include "shell/EditorWindow.h"
#include "shell/FindDialog.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"
#include "shell/SongTextEdit.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

// An item of the editor's context menu.
QAction* ContextItem(QWidget* editor, const QString& caption) {
    for (QAction* action : Child<QMenu>(editor, "contextMenu")->actions())
        if (action->text() == caption) return action;
    return nullptr;
}

void Type(EditorWindow* editor, const QString& text) {
    SongText(editor)->moveCursor(QTextCursor::End);
    SongText(editor)->insertPlainText(text);
}

}  // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void LoadingKeepsEveryByteAndClearsTheModifiedMark() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), "\\t 1\r\n@TCaf\xE9 \x80\r\n\r\nHel-lo\n");
        QCOMPARE(editor->windowTitle(), QStringLiteral("song.stf"));
        QCOMPARE(SongText(editor)->toPlainText(), QString::fromUtf8("\\t 1\n@TCaf\xC3\xA9 \xE2\x82\xAC\n\nHel-lo\n"));
        QVERIFY(!SongText(editor)->document()->isModified());
        QCOMPARE(Status(editor, "statusModified")->text(), QString());
        QCOMPARE(SongText(editor)->textCursor().position(), 0);
        QCOMPARE(editor->Document().Line(1), std::string("@TCaf\xE9 \x80"));
    }

    void SaveKeepsOneBackupGeneration() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), "first\n");
        Type(editor, QStringLiteral("\nsecond"));
        QCOMPARE(Status(editor, "statusModified")->text(), QStringLiteral(" Modified"));
        QVERIFY(editor->Save());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")), QByteArray("first\r\n\r\nsecond\r\n"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.bak")), QByteArray("first\n"));
        QCOMPARE(Status(editor, "statusModified")->text(), QString());
        Type(editor, QStringLiteral("!"));
        QVERIFY(editor->Save());
        // The backup now holds the previous version, not the first one.
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.bak")), QByteArray("first\r\n\r\nsecond\r\n"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")), QByteArray("first\r\n\r\nsecond!\r\n"));
    }

    void AReadOnlyFileIsNamedAndSavedElsewhereOnlyThroughSaveAs() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("locked.stf"), "old\n");
        QFile::setPermissions(f.folder.Path(QStringLiteral("locked.stf")),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        Type(editor, QStringLiteral(" new"));
        {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Ok).Cancel();
            QVERIFY(!editor->Save());
            QCOMPARE(answer.Seen, QStringList({"box: locked.stf is read only.", "file: Save As"}));
            QVERIFY(answer.Unexpected.isEmpty());
        }
        QCOMPARE(f.folder.ReadFile(QStringLiteral("locked.stf")), QByteArray("old\n"));
        QVERIFY(SongText(editor)->document()->isModified());
        {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Ok).ChooseFile(f.folder.Path(QStringLiteral("free.stf")));
            QVERIFY(editor->Save());
            QVERIFY(answer.AllUsed());
        }
        QCOMPARE(editor->FileName(), f.folder.Path(QStringLiteral("free.stf")));
        QCOMPARE(editor->windowTitle(), QStringLiteral("free.stf"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("free.stf")), QByteArray("old\r\n new\r\n"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("locked.stf")), QByteArray("old\n"));
    }

    void TheCloseQuestionHasThreeAnswers() {
        EditorFixture f;
        EditorWindow* kept = f.Open(QStringLiteral("a.stf"), "a\n");
        Type(kept, QStringLiteral("x"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Cancel);
        QVERIFY(!kept->Window()->close());
        QCOMPARE(answer.Seen.last(), QStringLiteral("box: Save changes to 'a.stf'?"));
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));

        answer.Press(QMessageBox::No);
        QVERIFY(kept->Window()->close());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("a.stf")), QByteArray("a\n"));
        QCOMPARE(f.frame->Editors().size(), qsizetype(0));

        EditorWindow* saved = f.Open(QStringLiteral("b.stf"), "b\n");
        Type(saved, QStringLiteral("y"));
        answer.Press(QMessageBox::Yes);
        QVERIFY(saved->Window()->close());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("b.stf")), QByteArray("b\r\ny\r\n"));
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void YesWithASaveThatFailsKeepsTheWindowOpen() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("ro.stf"), "text\n");
        QFile::setPermissions(f.folder.Path(QStringLiteral("ro.stf")), QFileDevice::ReadOwner);
        Type(editor, QStringLiteral("more"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Yes).Press(QMessageBox::Ok).Cancel();
        QVERIFY(!editor->Window()->close());
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
        QVERIFY(SongText(editor)->document()->isModified());
        QVERIFY(answer.AllUsed());
    }

    void TheStatusStripCountsLinesParagraphsAndShowsTheTitle() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("s.stf"), "@TMy Song\n\nverse one\n\nverse two");
        QCOMPARE(Status(editor, "statusLines")->text(), QStringLiteral(" 5 lines"));
        QCOMPARE(Status(editor, "statusParagraphs")->text(), QStringLiteral(" 2 paragraphs"));
        QCOMPARE(Status(editor, "statusTitle")->text(), QStringLiteral(" My Song"));
        QCOMPARE(Status(editor, "statusModified")->text(), QString());
        SongText(editor)->selectAll();
        SongText(editor)->insertPlainText(QStringLiteral("one"));
        QCOMPARE(Status(editor, "statusLines")->text(), QStringLiteral(" 1 line"));
        QCOMPARE(Status(editor, "statusParagraphs")->text(), QStringLiteral(" 0 paragraphs"));
        QCOMPARE(Status(editor, "statusTitle")->text(), QStringLiteral(" "));
        QCOMPARE(Status(editor, "statusModified")->text(), QStringLiteral(" Modified"));
    }

    void MenusFollowThePageSelectionAndClipboard() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("m.stf"), "\\t 1\n\nHel-lo world\n");
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        Refresh(editor);
        QVERIFY(Action(editor, "paste")->isEnabled());
        QVERIFY(!Action(editor, "cut")->isEnabled());
        QVERIFY(!Action(editor, "copy")->isEnabled());
        QVERIFY(Action(editor, "selectVoiceTrack")->isEnabled());
        for (QAction* action :
             {Action(editor, "find"), Action(editor, "replace"), Action(editor, "findAgain"),
              Action(editor, "printStf"), Action(editor, "printSongText"), Action(editor, "printSetup")})
            QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        SongText(editor)->Select(9, 1);  // the hyphen
        Refresh(editor);
        QVERIFY(Action(editor, "cut")->isEnabled());
        QVERIFY(ContextItem(editor, "Cut")->isEnabled());
        QVERIFY(Action(editor, "deleteSelection")->isEnabled());
        QVERIFY(Action(editor, "copy")->isEnabled());
        editor->deleteSelection();
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("\\t 1\n\nHello world\n"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("clip"));  // Delete leaves it
        Refresh(editor);
        QVERIFY(Action(editor, "undo")->isEnabled());

        Pages(editor)->setCurrentIndex(1);
        QCOMPARE(Pages(editor)->currentWidget(), Preview(editor));
        for (QAction* action :
             {Action(editor, "cut"), Action(editor, "paste"), Action(editor, "deleteSelection"), Action(editor, "undo"),
              Action(editor, "selectVoiceTrack"), ContextItem(editor, "Cut"), ContextItem(editor, "Paste"),
              Action(editor, "find"), Action(editor, "replace"), Action(editor, "findAgain"),
              Action(editor, "printStf"), Action(editor, "printSongText")})
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        Preview(editor)->Select(1, 3);
        Refresh(editor);
        QVERIFY(Action(editor, "copy")->isEnabled());
        editor->copy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Hel"));

        editor->showSongText();
        QCOMPARE(Pages(editor)->currentIndex(), 0);
        QCOMPARE(Pages(editor)->currentWidget(), SongText(editor));
        QVERIFY(Action(editor, "paste")->isEnabled());
    }

    void TheSearchMenuFindsInTheSongText() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("f.stf"), "la la\nla\n");
        Action(editor, "find")->trigger();
        auto* dialog = editor->findChild<FindDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        dialog->FindWhat->setText(QStringLiteral("la"));
        Action(editor, "findAgain")->trigger();
        Action(editor, "findAgain")->trigger();
        QCOMPARE(SongText(editor)->SelectionStart(), 3);
        dialog->close();
    }

    void PastedLineEndsBecomeTheSongTextsOwn() {
        EditorFixture f;
        EditorWindow* editor = f.frame->CreateEditor();
        auto* data = new QMimeData;
        data->setText(QStringLiteral("a\r\nb\rc") + QChar(QChar::LineSeparator) + QStringLiteral("d"));
        QApplication::clipboard()->setMimeData(data);
        editor->paste();
        QCOMPARE(editor->Document().LineCount(), 4);
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("a\nb\nc\nd"));
    }

    void ACharacterTheCodePageCannotHoldIsNamedBeforeSaving() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("u.stf"), "one\ntwo\n");
        SongText(editor)->Select(5, 0);
        SongText(editor)->insertPlainText(QString(QChar(0x142)));
        {
            ModalAnswerer answer;
            answer.Press(QMessageBox::No);
            QVERIFY(!editor->Save());
            QCOMPARE(answer.Seen.size(), qsizetype(1));
            QVERIFY2(answer.Seen[0].contains(QStringLiteral("Line 2 holds \"")) &&
                         answer.Seen[0].contains(QStringLiteral("(U+0142)")),
                     qPrintable(answer.Seen[0]));
        }
        // Back in the text with the character selected; nothing was written.
        QCOMPARE(SongText(editor)->SelectionStart(), 5);
        QCOMPARE(SongText(editor)->SelectionLength(), 1);
        QCOMPARE(f.folder.ReadFile(QStringLiteral("u.stf")), QByteArray("one\ntwo\n"));
        QVERIFY(SongText(editor)->document()->isModified());
        {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Yes);
            QVERIFY(editor->Save());
        }
        QCOMPARE(f.folder.ReadFile(QStringLiteral("u.stf")), QByteArray("one\r\nt?wo\r\n"));
    }

    void TheCompilerSeesLinesAsBytesAndEditsThePane() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("d.stf"), "@LENGL\n\nla\n");
        SongDocument& doc = editor->Document();
        QCOMPARE(doc.LineCount(), 3);
        doc.InsertLine(0, "\\t 3");
        doc.ReplaceLine(1, "@TCaf\xE9");
        doc.InsertLine(doc.LineCount(), "end");
        QCOMPARE(SongText(editor)->toPlainText(), QString::fromUtf8("\\t 3\n@TCaf\xC3\xA9\n\nla\nend\n"));
        doc.PlaceCaret(3, 99);
        QCOMPARE(doc.CaretIndex(), 15);  // the end of "la"
        QVERIFY(SongText(editor)->document()->isModified());
    }

    void SettingTheMidiFileLinePutsItFirst() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("n.stf"), "\\t 1\n@LENGL\n\n");
        editor->SetMidiFileLine(QStringLiteral("/songs/a.mid"));
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("\\m /songs/a.mid\n\\t 1\n@LENGL\n\n"));
        editor->SetMidiFileLine(QStringLiteral("/songs/b.mid"));
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("\\m /songs/b.mid\n\\t 1\n@LENGL\n\n"));
    }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
