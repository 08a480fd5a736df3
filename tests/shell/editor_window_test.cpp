// The editor window's document life: bytes kept on load, save with one backup, the
// read-only path into Save As, a new document saved only under a name the user chose, a
// file never open in two windows, an import over edited text, the close question's
// answers (for the window and at exit), menu enabling on each page, and characters the
// code page cannot hold.

#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMimeData>

#include "ShellHarness.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

void Type(EditorWindow* editor, const QString& text) {
    SongText(editor)->moveCursor(QTextCursor::End);
    QTest::keyClicks(SongText(editor), text);
}

bool Modified(EditorWindow* editor) {
    return Status(editor, "statusModified") == " Modified";
}

}  // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void LoadKeepsEveryByteSaveKeepsOneBackupAndTheCompilerEditsBytes() {
        Shell f;
        EditorWindow* editor = f.Open("song.stf", "\\t 1\r\n@TCaf\xE9 \x80\r\n\r\nfirst\n");
        QCOMPARE(editor->Document().Line(1), std::string("@TCaf\xE9 \x80"));
        QCOMPARE(SongText(editor)->textCursor().position(), 0);
        QCOMPARE(Status(editor, "statusLines"), " 4 lines");
        QCOMPARE(Status(editor, "statusTitle"), " Caf\u00E9 \u20AC");
        Type(editor, "second");
        QVERIFY(editor->Save());
        QVERIFY(!Modified(editor) && !SongText(editor)->document()->isModified());
        QCOMPARE(f.folder.ReadFile("song.bak"), QByteArray("\\t 1\r\n@TCaf\xE9 \x80\r\n\r\nfirst\n"));
        Type(editor, "!");
        QVERIFY(editor->Save());
        // The backup holds the version before, not the first one.
        QCOMPARE(f.folder.ReadFile("song.bak"), "\\t 1\r\n@TCaf\xE9 \x80\r\n\r\nfirst\r\nsecond\r\n");
        QCOMPARE(f.folder.ReadFile("song.stf"), "\\t 1\r\n@TCaf\xE9 \x80\r\n\r\nfirst\r\nsecond!\r\n");
        // The compiler edits the song text as bytes.
        EditorWindow* edited = f.Open("d.stf", "@LENGL\n\nla\n");
        SongDocument& doc = edited->Document();
        doc.InsertLine(0, "\\t 3");
        doc.ReplaceLine(1, "@TCaf\xE9");
        doc.InsertLine(doc.LineCount(), "end");
        QCOMPARE(SongText(edited)->toPlainText(), QString::fromUtf8("\\t 3\n@TCaf\xC3\xA9\n\nla\nend\n"));
        doc.PlaceCaret(3, 99);
        QCOMPARE(doc.CaretIndex(), 15);  // the end of "la"
        QVERIFY(Modified(edited));
    }

    void ANewDocumentIsSavedOnlyUnderANameTheUserChoseAndAReadOnlyFileElsewhereThroughSaveAs() {
        Shell f;
        ModalAnswerer answer;
        const QString songs = f.folder.Path("songs");
        QVERIFY(QDir().mkpath(songs));
        EditorWindow* first = f.frame->CreateEditor();
        Type(first, "first song");
        QString offered;  // the folder and name the Save As dialog offers
        auto look = [&](QDialog& dialog) {
            offered = static_cast<QFileDialog&>(dialog).directory().absolutePath() + QLatin1Char('/') +
                      dialog.findChild<QLineEdit*>("fileNameEdit")->text();
            dialog.reject();
        };
        answer.Act(look);
        QTest::keyClick(SongText(first), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(offered, QDir(f.folder.Path()).absolutePath() + "/untitled.stf");
        // Cancelled: nothing was written anywhere, the text is still unsaved.
        QVERIFY(!QFile::exists(f.folder.Path("untitled.stf")) && Modified(first));
        answer.ChooseFile(songs + "/one.stf");
        QVERIFY(first->Save());
        // Saved once, the document is saved in place from now on.
        Type(first, "!");
        QVERIFY(first->Save());

        // The second new song is offered in the folder used last, and does not replace
        // the first one without a question.
        EditorWindow* second = f.frame->CreateEditor();
        Type(second, "second");
        answer.Act(look).ChooseFile(songs + "/one.stf").Press(QMessageBox::No);
        QVERIFY(!second->Save());
        QCOMPARE(offered, songs + "/untitled.stf");
        QVERIFY(!second->Save());
        QCOMPARE(answer.Seen.last(), "box: one.stf already exists.\nDo you want to replace it?");
        QCOMPARE(f.folder.ReadFile("songs/one.stf"), QByteArray("first song!\r\n"));  // saved in place, not replaced
        QVERIFY(Modified(second));
        // A read-only file is named, and saved elsewhere only through Save As.
        EditorWindow* editor = f.Open("locked.stf", "old\n");
        QFile::setPermissions(f.folder.Path("locked.stf"), QFileDevice::ReadOwner);
        Type(editor, " new");
        answer.Press(QMessageBox::Ok).Cancel();
        QVERIFY(!editor->Save());
        QCOMPARE(answer.Seen.mid(5), QStringList({"box: locked.stf is read only.", "file: Save As"}));
        QVERIFY(SongText(editor)->document()->isModified());
        answer.Press(QMessageBox::Ok).ChooseFile(f.folder.Path("free.stf"));
        QVERIFY(editor->Save());
        QCOMPARE(editor->windowTitle(), "free.stf");
        QCOMPARE(f.folder.ReadFile("free.stf"), QByteArray("old\r\n new\r\n"));
        QCOMPARE(f.folder.ReadFile("locked.stf"), QByteArray("old\n"));
        // Closing with Yes while the save fails keeps the window and its changes.
        Type(editor, "more");
        QFile::setPermissions(f.folder.Path("free.stf"), QFileDevice::ReadOwner);
        answer.Press(QMessageBox::Yes).Press(QMessageBox::Ok).Cancel();
        QVERIFY(!editor->Window()->close());
        QVERIFY(f.frame->Editors().contains(editor));
    }

    void AnImportOverAnEditedOpenSongTextAsksAndReloadsIt() {
        Shell f;
        EditorWindow* song = f.Open("song.stf", SixSyllables);
        ModalAnswerer answer;
        // A karaoke file whose import proposes song.stf.
        QVERIFY(QFile::copy(SONKORA_SOURCE_DIR "/tests/data/kar/classic.kar", f.folder.Path("song.kar")));
        SongText(song)->appendPlainText("my own line");
        answer.ChooseFile(f.folder.Path("song.kar"))
            .Press(QMessageBox::Yes)  // overwrite song.stf
            .Press(QMessageBox::No);  // but not the edits
        Action(song, "importKaraoke")->trigger();
        QCOMPARE(answer.Seen.last(),
                 QStringLiteral("box: song.stf is open and has changes that are not saved. The import replaces the "
                                "file, and the changes are lost.\n\nImport anyway?"));
        QCOMPARE(f.folder.ReadFile("song.stf"), SixSyllables);
        QVERIFY(SongText(song)->toPlainText().endsWith("my own line"));

        answer.ChooseFile(f.folder.Path("song.kar"))
            .Press(QMessageBox::Yes)
            .Press(QMessageBox::Yes)
            .Press(QMessageBox::Yes)  // overwrite song.mid
            .ChooseTrack(0);
        Action(song, "importKaraoke")->trigger();
        // One window on the file, showing what the import wrote.
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
        QVERIFY(!Modified(song));
        QCOMPARE(SongText(song)->toPlainText().toUtf8(), f.folder.ReadFile("song.stf").replace("\r\n", "\n"));
    }

    void TheCloseQuestionHasThreeAnswersAndAFileIsNeverOpenInTwoWindows() {
        Shell f;
        EditorWindow* kept = f.Open("a.stf", "a\n");
        Type(kept, "x");
        ModalAnswerer answer;
        answer.Press(QMessageBox::Cancel).Press(QMessageBox::Cancel);
        QVERIFY(!kept->Window()->close());
        QVERIFY(!f.frame->close());  // an exit cancelled keeps everything and writes nothing
        QCOMPARE(answer.Seen, QStringList(2, "box: Save changes to 'a.stf'?"));
        QCOMPARE(f.folder.ReadFile("Sonkora.ini"), QuietIni);
        answer.Press(QMessageBox::No);
        QVERIFY(kept->Window()->close());
        QCOMPARE(f.folder.ReadFile("a.stf"), QByteArray("a\n"));
        QCOMPARE(f.frame->Editors().size(), qsizetype(0));
        EditorWindow* saved = f.Open("b.stf", "b\n");
        Type(saved, "y");
        answer.Press(QMessageBox::Yes);
        QVERIFY(saved->Window()->close());
        QCOMPARE(f.folder.ReadFile("b.stf"), QByteArray("b\r\ny\r\n"));
        // A file is never open in two windows.
        EditorWindow* song = f.Open("song.stf", "one\n");
        f.frame->CreateEditor();  // another window in front
        Type(song, " edited");
        // The same file under another spelling of its name activates its window.
        answer.ChooseFile(f.folder.Path("./song.stf"));
        Action(f.frame.get(), "openDocument")->trigger();
        QCOMPARE(f.frame->ActiveEditor(), song);  // not a second window on it
        QCOMPARE(SongText(song)->toPlainText(), "one\n edited");
    }

    void MenusFollowThePageSelectionAndClipboard() {
        Shell f;
        EditorWindow* editor = f.Open("m.stf", "\\t 1\n\nHel-lo world\n");
        QApplication::clipboard()->setText("clip");
        auto enabled = [editor](const char* names) {
            Refresh(editor);
            QStringList on;
            for (const QString& name : QString::fromLatin1(names).split(QLatin1Char(' ')))
                if (Action(editor, qPrintable(name))->isEnabled()) on << name;
            return on.join(QLatin1Char(' '));
        };
        const char* editing = "cut copy paste deleteSelection undo selectVoiceTrack find replace findAgain printStf";
        QCOMPARE(enabled(editing), "paste selectVoiceTrack find replace findAgain printStf");
        SongText(editor)->Select(9, 1);  // the hyphen
        QCOMPARE(enabled("cut copy deleteSelection"), "cut copy deleteSelection");
        Action(editor, "deleteSelection")->trigger();
        QCOMPARE(SongText(editor)->toPlainText(), "\\t 1\n\nHello world\n");
        QCOMPARE(QApplication::clipboard()->text(), "clip");  // Delete leaves it
        QCOMPARE(enabled("undo"), "undo");
        // On the preview page only Copy of a selection is left.
        Pages(editor)->setCurrentIndex(1);
        Preview(editor)->Select(1, 3);
        QCOMPARE(enabled(editing), "copy");
        Action(editor, "copy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "Hel");
        // The context menu follows the same rules.
        for (QAction* item : Child<QMenu>(editor, "contextMenu")->actions())
            if (item->text() == "Cut" || item->text() == "Paste")
                QVERIFY2(!item->isEnabled(), qPrintable(item->text()));
        editor->showSongText();
        // Pasted line ends of every kind make lines of their own.
        auto* data = new QMimeData;
        data->setText(QStringLiteral("a\r\nb\rc") + QChar(QChar::LineSeparator) + "d");
        QApplication::clipboard()->setMimeData(data);
        SongText(editor)->selectAll();
        Action(editor, "paste")->trigger();
        QCOMPARE(editor->Document().LineCount(), 4);
        QCOMPARE(SongText(editor)->toPlainText(), "a\nb\nc\nd");
    }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
