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
#include <QMimeData>
#include <QTabWidget>

#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/Search.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

void Type(TEditForm* editor, const QString& text) {
    editor->Memo1->moveCursor(QTextCursor::End);
    editor->Memo1->insertPlainText(text);
}

}  // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void LoadingKeepsEveryByteAndClearsTheModifiedMark() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), "\\t 1\r\n@TCaf\xE9 \x80\r\n\r\nHel-lo\n");
        QCOMPARE(editor->windowTitle(), QStringLiteral("song.stf"));
        QCOMPARE(editor->Memo1->toPlainText(), QString::fromUtf8("\\t 1\n@TCaf\xC3\xA9 \xE2\x82\xAC\n\nHel-lo\n"));
        QVERIFY(!editor->Memo1->document()->isModified());
        QCOMPARE(editor->Panel3->text(), QString());
        QCOMPARE(editor->Memo1->textCursor().position(), 0);
        QCOMPARE(editor->Document().Line(1), std::string("@TCaf\xE9 \x80"));
    }

    void SaveKeepsOneBackupGeneration() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), "first\n");
        Type(editor, QStringLiteral("\nsecond"));
        QCOMPARE(editor->Panel3->text(), QStringLiteral(" Modified"));
        QVERIFY(editor->Save());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")), QByteArray("first\r\n\r\nsecond\r\n"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.bak")), QByteArray("first\n"));
        QCOMPARE(editor->Panel3->text(), QString());
        Type(editor, QStringLiteral("!"));
        QVERIFY(editor->Save());
        // The backup now holds the previous version, not the first one.
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.bak")), QByteArray("first\r\n\r\nsecond\r\n"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")), QByteArray("first\r\n\r\nsecond!\r\n"));
    }

    void ANewWindowSavesUntitledInTheProgramFolderWithoutAsking() {
        EditorFixture f;
        TEditForm* editor = f.frame->CreateEditor();
        QCOMPARE(editor->FileName, f.folder.Path(QStringLiteral("untitled.stf")));
        Type(editor, QStringLiteral("la la"));
        ModalAnswerer answer;
        QVERIFY(editor->Save());
        QVERIFY(answer.Seen.isEmpty());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("untitled.stf")), QByteArray("la la\r\n"));
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("untitled.bak"))));
    }

    void AReadOnlyFileIsNamedAndSavedElsewhereOnlyThroughSaveAs() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("locked.stf"), "old\n");
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
        QVERIFY(editor->Memo1->document()->isModified());
        {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Ok).ChooseFile(f.folder.Path(QStringLiteral("free.stf")));
            QVERIFY(editor->Save());
            QVERIFY(answer.AllUsed());
        }
        QCOMPARE(editor->FileName, f.folder.Path(QStringLiteral("free.stf")));
        QCOMPARE(editor->windowTitle(), QStringLiteral("free.stf"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("free.stf")), QByteArray("old\r\n new\r\n"));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("locked.stf")), QByteArray("old\n"));
    }

    void TheCloseQuestionHasThreeAnswers() {
        EditorFixture f;
        TEditForm* kept = f.Open(QStringLiteral("a.stf"), "a\n");
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

        TEditForm* saved = f.Open(QStringLiteral("b.stf"), "b\n");
        Type(saved, QStringLiteral("y"));
        answer.Press(QMessageBox::Yes);
        QVERIFY(saved->Window()->close());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("b.stf")), QByteArray("b\r\ny\r\n"));
        QVERIFY(answer.Unexpected.isEmpty());
    }

    void YesWithASaveThatFailsKeepsTheWindowOpen() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("ro.stf"), "text\n");
        QFile::setPermissions(f.folder.Path(QStringLiteral("ro.stf")), QFileDevice::ReadOwner);
        Type(editor, QStringLiteral("more"));
        ModalAnswerer answer;
        answer.Press(QMessageBox::Yes).Press(QMessageBox::Ok).Cancel();
        QVERIFY(!editor->Window()->close());
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
        QVERIFY(editor->Memo1->document()->isModified());
        QVERIFY(answer.AllUsed());
    }

    void TheStatusStripCountsLinesParagraphsAndShowsTheTitle() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("s.stf"), "@TMy Song\n\nverse one\n\nverse two");
        QCOMPARE(editor->Panel4->text(), QStringLiteral(" 5 lines"));
        QCOMPARE(editor->Panel5->text(), QStringLiteral(" 2 paragraphs"));
        QCOMPARE(editor->Panel2->text(), QStringLiteral(" My Song"));
        QCOMPARE(editor->Panel3->text(), QString());
        editor->Memo1->selectAll();
        editor->Memo1->insertPlainText(QStringLiteral("one"));
        QCOMPARE(editor->Panel4->text(), QStringLiteral(" 1 line"));
        QCOMPARE(editor->Panel5->text(), QStringLiteral(" 0 paragraphs"));
        QCOMPARE(editor->Panel2->text(), QStringLiteral(" "));
        QCOMPARE(editor->Panel3->text(), QStringLiteral(" Modified"));
    }

    void MenusFollowThePageSelectionAndClipboard() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("m.stf"), "\\t 1\n\nHel-lo world\n");
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        editor->UpdateMenus();
        QVERIFY(editor->Paste1->isEnabled());
        QVERIFY(!editor->Cut1->isEnabled());
        QVERIFY(!editor->Copy1->isEnabled());
        QVERIFY(editor->VoiceTrackSelection1->isEnabled());
        for (QAction* action : {editor->Find1, editor->Replace1, editor->FindAgain1, editor->PrintSTF1,
                                editor->PrintSongText1, editor->PrintSetup1})
            QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        editor->Memo1->Select(9, 1);  // the hyphen
        editor->UpdateMenus();
        QVERIFY(editor->Cut1->isEnabled());
        QVERIFY(editor->Cut2->isEnabled());
        QVERIFY(editor->Delete1->isEnabled());
        QVERIFY(editor->Copy1->isEnabled());
        editor->Delete1Click();
        QCOMPARE(editor->Memo1->toPlainText(), QStringLiteral("\\t 1\n\nHello world\n"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("clip"));  // Delete leaves it
        editor->UpdateMenus();
        QVERIFY(editor->Undo1->isEnabled());

        editor->PageControl1->setCurrentIndex(1);
        QCOMPARE(editor->ActivePane(), editor->Memo2);
        for (QAction* action : {editor->Cut1, editor->Paste1, editor->Delete1, editor->Undo1,
                                editor->VoiceTrackSelection1, editor->Cut2, editor->Paste2, editor->Find1,
                                editor->Replace1, editor->FindAgain1, editor->PrintSTF1, editor->PrintSongText1})
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        editor->Memo2->Select(1, 3);
        editor->UpdateMenus();
        QVERIFY(editor->Copy1->isEnabled());
        editor->Copy1Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Hel"));

        editor->STF1Click();
        QCOMPARE(editor->PageControl1->currentIndex(), 0);
        QCOMPARE(editor->ActivePane(), editor->Memo1);
        QVERIFY(editor->Paste1->isEnabled());
    }

    void TheSearchMenuFindsInTheSongText() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("f.stf"), "la la\nla\n");
        editor->Find1->trigger();
        auto* dialog = editor->findChild<TFindDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        dialog->FindWhat->setText(QStringLiteral("la"));
        editor->FindAgain1->trigger();
        editor->FindAgain1->trigger();
        QCOMPARE(editor->Memo1->SelectionStart(), 3);
        dialog->close();
    }

    void PastedLineEndsBecomeTheSongTextsOwn() {
        EditorFixture f;
        TEditForm* editor = f.frame->CreateEditor();
        auto* data = new QMimeData;
        data->setText(QStringLiteral("a\r\nb\rc") + QChar(QChar::LineSeparator) + QStringLiteral("d"));
        QApplication::clipboard()->setMimeData(data);
        editor->Paste1Click();
        QCOMPARE(editor->Document().LineCount(), 4);
        QCOMPARE(editor->Memo1->toPlainText(), QStringLiteral("a\nb\nc\nd"));
    }

    void ACharacterTheCodePageCannotHoldIsNamedBeforeSaving() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("u.stf"), "one\ntwo\n");
        editor->Memo1->Select(5, 0);
        editor->Memo1->insertPlainText(QString(QChar(0x142)));
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
        QCOMPARE(editor->Memo1->SelectionStart(), 5);
        QCOMPARE(editor->Memo1->SelectionLength(), 1);
        QCOMPARE(f.folder.ReadFile(QStringLiteral("u.stf")), QByteArray("one\ntwo\n"));
        QVERIFY(editor->Memo1->document()->isModified());
        {
            ModalAnswerer answer;
            answer.Press(QMessageBox::Yes);
            QVERIFY(editor->Save());
        }
        QCOMPARE(f.folder.ReadFile(QStringLiteral("u.stf")), QByteArray("one\r\nt?wo\r\n"));
    }

    void TheCompilerSeesLinesAsBytesAndEditsThePane() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("d.stf"), "@LENGL\n\nla\n");
        SongDocument& doc = editor->Document();
        QCOMPARE(doc.LineCount(), 3);
        doc.InsertLine(0, "\\t 3");
        doc.ReplaceLine(1, "@TCaf\xE9");
        doc.InsertLine(doc.LineCount(), "end");
        QCOMPARE(editor->Memo1->toPlainText(), QString::fromUtf8("\\t 3\n@TCaf\xC3\xA9\n\nla\nend\n"));
        doc.PlaceCaret(3, 99);
        QCOMPARE(doc.CaretIndex(), 15);  // the end of "la"
        QVERIFY(editor->Memo1->document()->isModified());
    }

    void SettingTheMidiFileLinePutsItFirst() {
        EditorFixture f;
        TEditForm* editor = f.Open(QStringLiteral("n.stf"), "\\t 1\n@LENGL\n\n");
        editor->SetMidiFileLine(QStringLiteral("/songs/a.mid"));
        QCOMPARE(editor->Memo1->toPlainText(), QStringLiteral("\\m /songs/a.mid\n\\t 1\n@LENGL\n\n"));
        editor->SetMidiFileLine(QStringLiteral("/songs/b.mid"));
        QCOMPARE(editor->Memo1->toPlainText(), QStringLiteral("\\m /songs/b.mid\n\\t 1\n@LENGL\n\n"));
    }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
