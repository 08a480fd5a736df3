// Text that must not be lost: a new document is saved only under a name the user chose,
// and a file is never open in two windows at once.
#include <QtTest>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

void Type(EditorWindow* editor, const QString& text) {
    SongText(editor)->moveCursor(QTextCursor::End);
    SongText(editor)->insertPlainText(text);
}

}  // namespace

class DocumentSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void ANewDocumentIsSavedOnlyUnderANameTheUserChose() {
        EditorFixture f;
        const QString songs = f.folder.Path(QStringLiteral("songs"));
        QVERIFY(QDir().mkpath(songs));
        EditorWindow* first = f.frame->CreateEditor();
        Type(first, QStringLiteral("first song"));
        QString offeredFolder;
        QString offeredName;
        {
            ModalAnswerer answer;
            answer.Act([&](QDialog& dialog) {
                auto& files = static_cast<QFileDialog&>(dialog);
                offeredFolder = files.directory().absolutePath();
                offeredName = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                dialog.reject();
            });
            QVERIFY(!first->Save());
            QCOMPARE(answer.Seen, QStringList({"file: Save As"}));
        }
        QCOMPARE(offeredName, QStringLiteral("untitled.stf"));
        QCOMPARE(offeredFolder, QDir(f.folder.Path()).absolutePath());
        // Cancelled: nothing was written anywhere, the text is still unsaved.
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("untitled.stf"))));
        QVERIFY(SongText(first)->document()->isModified());
        {
            ModalAnswerer answer;
            answer.ChooseFile(songs + QStringLiteral("/one.stf"));
            QVERIFY(first->Save());
            QVERIFY(answer.Unexpected.isEmpty());
        }
        QCOMPARE(first->windowTitle(), QStringLiteral("one.stf"));
        // Saved once, the document is saved in place from now on.
        Type(first, QStringLiteral("!"));
        QVERIFY(first->Save());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("songs/one.stf")), QByteArray("first song!\r\n"));

        // The second new song is offered in the folder used last, and does not replace
        // the first one without a question.
        EditorWindow* second = f.frame->CreateEditor();
        Type(second, QStringLiteral("second"));
        {
            ModalAnswerer answer;
            answer
                .Act([&](QDialog& dialog) {
                    offeredFolder = static_cast<QFileDialog&>(dialog).directory().absolutePath();
                    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                    name->setText(songs + QStringLiteral("/one.stf"));
                    dialog.accept();
                })
                .Press(QMessageBox::No);
            QVERIFY(!second->Save());
            QCOMPARE(answer.Seen,
                     QStringList({"file: Save As", "box: one.stf already exists.\nDo you want to replace it?"}));
        }
        QCOMPARE(offeredFolder, songs);
        QCOMPARE(f.folder.ReadFile(QStringLiteral("songs/one.stf")), QByteArray("first song!\r\n"));
        QVERIFY(SongText(second)->document()->isModified());
    }
    void AFileOpenedAgainActivatesItsWindow() {
        EditorFixture f;
        EditorWindow* song = f.Open(QStringLiteral("song.stf"), "one\n");
        f.frame->CreateEditor();  // another window in front
        Type(song, QStringLiteral(" edited"));
        ModalAnswerer answer;
        // The same file under another spelling of its name.
        answer.ChooseFile(f.folder.Path(QStringLiteral("./song.stf")));
        f.frame->openDocument();
        QVERIFY(answer.Unexpected.isEmpty());
        QCOMPARE(f.frame->Editors().size(), qsizetype(2));
        QCOMPARE(f.frame->ActiveEditor(), song);
        QCOMPARE(SongText(song)->toPlainText(), QStringLiteral("one\n edited"));
    }

    void ASessionListingAFileTwiceOpensItOnce() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("a.stf"), "a\n");
        const QByteArray path = folder.Path(QStringLiteral("a.stf")).toUtf8();
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         "[Views]\nView0=Main\nView1=Edit\nView2=Edit\n[ViewSettings]\nView0HelpShown=40\n"
                         "View1FileName=" +
                             path + "\nView2FileName=" + path + "\n");
        MainWindow frame(folder.Environment());
        frame.show();
        QCOMPARE(frame.Editors().size(), qsizetype(1));
        QVERIFY(frame.close());
    }

    void AnImportOverAnEditedOpenSongTextAsksAndReloadsIt() {
        FrameFixture f;
        EditorWindow* song = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answer;
        answer.Press(QMessageBox::Ok);
        song->makeKaraoke();  // song.kar, whose import proposes song.stf
        Type(song, QStringLiteral("\nmy own line"));
        const QString openQuestion = QStringLiteral(
            "box: song.stf is open and has changes that are not saved. The import replaces the file, and the "
            "changes are lost.\n\nImport anyway?");

        answer.ChooseFile(f.folder.Path(QStringLiteral("song.kar")))
            .Press(QMessageBox::Yes)  // overwrite song.stf
            .Press(QMessageBox::No);  // but not the edits
        f.frame->importKaraoke();
        QVERIFY2(answer.Unexpected.isEmpty(), qPrintable(answer.Unexpected.join(QLatin1Char(','))));
        QCOMPARE(answer.Seen.last(), openQuestion);
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")), SixSyllables);
        QVERIFY(SongText(song)->toPlainText().endsWith(QStringLiteral("my own line")));

        answer.ChooseFile(f.folder.Path(QStringLiteral("song.kar")))
            .Press(QMessageBox::Yes)
            .Press(QMessageBox::Yes)
            .Press(QMessageBox::Yes)  // overwrite song.mid
            .ChooseTrack(0);
        f.frame->importKaraoke();
        QVERIFY2(answer.Unexpected.isEmpty(), qPrintable(answer.Unexpected.join(QLatin1Char(','))));
        QVERIFY(answer.AllUsed());
        // One window on the file, showing what the import wrote.
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
        QCOMPARE(f.frame->ActiveEditor(), song);
        QVERIFY(!SongText(song)->document()->isModified());
        QCOMPARE(SongText(song)->toPlainText().toUtf8(),
                 f.folder.ReadFile(QStringLiteral("song.stf")).replace("\r\n", "\n"));
        QVERIFY(!SongText(song)->toPlainText().contains(QStringLiteral("my own line")));
    }
};

QTEST_MAIN(DocumentSafetyTest)
#include "document_safety_test.moc"
