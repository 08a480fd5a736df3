// Files given to the program: `sonkora FILE...` opens each by what it is (a song text,
// a karaoke file through the import, a MIDI file as a new song text with the voice
// track dialog), a file that cannot be read is reported while the others still open,
// a UTF-8 song text is offered for conversion; and the recent files of the File menu,
// kept in Sonkora.ini, with a file that is gone taken off the list when chosen. A FIFO,
// whether listed in the session or given to open, is refused without being opened; a
// file the session lists twice opens once.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "ShellHarness.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

QStringList EditorFiles(const MainWindow& frame) {
    QStringList files;
    for (EditorWindow* editor : frame.Editors()) files.prepend(QFileInfo(editor->FileName()).fileName());
    return files;
}

QStringList RecentNames(const MainWindow& frame) {
    QStringList names;
    for (const std::string& entry : frame.Recent().Entries())
        names << QFileInfo(QString::fromStdString(entry)).fileName();
    return names;
}

// A FIFO, made already, whose writer counts the readers that open it. Each meets an end of
// file at once, so a program that wrongly opens it still comes back; Stop() tells how many.
struct WatchedFifo {
    explicit WatchedFifo(const QString& fifo) : path(fifo.toStdString()) {}
    ~WatchedFifo() { Stop(); }
    int Stop() {
        if (writer.joinable()) {  // the watch ends with a reader of its own
            stop = true;
            const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
            writer.join();
            if (reader >= 0) ::close(reader);
        }
        return readers;
    }

    std::string path;
    std::atomic<bool> stop{false};
    std::atomic<int> readers{0};
    std::thread writer{[this] {
        for (;;) {
            const int descriptor = ::open(path.c_str(), O_WRONLY);  // until a reader comes
            if (descriptor >= 0) ::close(descriptor);
            if (stop) return;
            ++readers;
        }
    }};
};

}  // namespace

class OpenFilesTest : public QObject {
    Q_OBJECT

private slots:
    void FilesOfTheCommandLineOpenByWhatTheyAre() {
        Shell f;
        f.Open("song.stf", SixSyllables);  // open already
        QVERIFY(QFile::copy(SONKORA_SOURCE_DIR "/tests/data/kar/classic.kar", f.folder.Path("HIT.KAR")));
        f.folder.WriteFile("utf8.stf", "\\t 1\r\n@TCaf\xC3\xA9 \xE2\x80\x9Cso\xC4\x81\xE2\x80\x9D\r\n");
        QFile::copy(f.folder.Path("song.mid"), f.folder.Path("tune.midi"));

        ModalAnswerer answers;
        answers
            .Press(QMessageBox::Ok)    // missing.stf
            .ChooseTrack(0)            // tune.midi
            .Press(QMessageBox::Ok)    // text.mid, no MIDI file
            .ChooseTrack(0)            // HIT.KAR, imported
            .Press(QMessageBox::Yes);  // utf8.stf, converted
        const QString previous = QDir::currentPath();
        QDir::setCurrent(f.folder.Path());
        f.folder.WriteFile("text.mid", "\\t 1\n");
        f.frame->OpenFiles({"song.stf", f.folder.Path("missing.stf"), "tune.midi", "text.mid", "HIT.KAR", "utf8.stf"});
        QDir::setCurrent(previous);
        QVERIFY(answers.Seen[0].startsWith("box: Cannot open " + f.folder.Path("missing.stf")));
        QCOMPARE(answers.Seen[1], "dialog: Select Voice Track");
        QCOMPARE(answers.Seen[2], "box: " + f.folder.Path("text.mid") + " is not a MIDI file.");
        QVERIFY(answers.Seen[4].contains("is written in UTF-8") &&
                answers.Seen[4].contains("Line 2 holds \"\u0101\" (U+0101)"));

        // The MIDI file became a new song text naming it; the karaoke file was imported.
        QCOMPARE(EditorFiles(*f.frame), (QStringList{"song.stf", "untitled.stf", "HIT.stf", "utf8.stf"}));
        const QList<EditorWindow*> editors = f.frame->Editors();
        QVERIFY(SongText(editors[2])->toPlainText().contains("\\m " + f.folder.Path("tune.midi")));
        QVERIFY(SongText(editors[1])->toPlainText().contains("Lan-tern light"));
        // Converted in the editor, every character as meant, and marked modified.
        QCOMPARE(SongText(editors[0])->toPlainText(), "\\t 1\n@TCaf\u00E9 \u201Cso\u0101\u201D\n");
        QVERIFY(SongText(editors[0])->document()->isModified());
        QCOMPARE(RecentNames(*f.frame), (QStringList{"utf8.stf", "HIT.KAR", "tune.midi", "song.stf"}));
    }

    void AFifoInTheSessionOrGivenToOpenIsRefusedUnopenedAndARepeatedEntryOpensOnce() {
        QTemporaryDir elsewhere;
        const QString pipe = elsewhere.filePath("pipe.stf");
        QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
        WatchedFifo fifo(pipe);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        Shell f({.ini = "[Views]\nView0=Main\nView1=Edit\nView2=Edit\nView3=Edit\n[ViewSettings]\nView0HelpShown=40\n"
                        "View1FileName=$FOLDER/a.stf\nView3FileName=$FOLDER/a.stf\nView2FileName=" +
                        pipe.toUtf8() + "\n",
                 .files = {{"a.stf", "a\n"}}});
        f.frame->OpenFiles({pipe});
        QCOMPARE(fifo.Stop(), 0);
        const QString refused = QStringLiteral("box: Cannot open %1: cannot read: not a regular file").arg(pipe);
        QCOMPARE(answers.Seen, (QStringList{refused, refused}));
        // The session's other file opened all the same, once (beside the FIFO's empty window, as a gone file's).
        QCOMPARE(f.frame->Editors().size(), qsizetype(2));
        QCOMPARE(SongText(f.frame->EditorOf(f.folder.Path("a.stf")))->toPlainText(), "a\n");
    }

    void RecentFilesAreKeptAndAGoneOneIsDroppedWhenChosen() {
        Shell f;
        ModalAnswerer answers;
        for (int i = 1; i <= 9; ++i) {
            f.folder.WriteFile(QStringLiteral("s%1.stf").arg(i), "\\t 1\n");
            answers.ChooseFile(f.folder.Path(QStringLiteral("s%1.stf").arg(i)));
            Action(f.frame.get(), "openDocument")->trigger();
        }
        for (EditorWindow* editor : f.frame->Editors()) editor->closeWindow();
        QVERIFY(f.frame->close());

        // The next start lists eight of them in the File menu, newest first.
        QVERIFY(QFile::remove(f.folder.Path("s8.stf")));
        MainWindow frame(f.folder.Environment());
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        auto* menu = frame.findChild<QMenu*>("recentFiles");
        QCOMPARE(menu->actions().size(), 8);
        QCOMPARE(menu->actions()[0]->text(), QStringLiteral("&1 %1").arg(f.folder.Path("s9.stf")));
        QCOMPARE(menu->actions()[7]->text(), QStringLiteral("&8 %1").arg(f.folder.Path("s2.stf")));
        answers.Press(QMessageBox::Ok);
        menu->actions()[1]->trigger();  // s8.stf, gone
        QCOMPARE(answers.Seen.last(),
                 "box: " + f.folder.Path("s8.stf") + " no longer exists; it is taken off the list of recent files.");
        QVERIFY(frame.Editors().isEmpty());
        menu->actions()[3]->trigger();  // s5.stf, now the fourth
        QCOMPARE(EditorFiles(frame), QStringList{"s5.stf"});
        QCOMPARE(menu->actions().size(), 7);
        QCOMPARE(RecentNames(frame).first(), "s5.stf");

        // Redo is there under both its keys.
        SongTextEdit* text = SongText(frame.ActiveEditor());
        text->setFocus();
        QTest::keyClicks(text, "a");
        for (QKeyCombination redo : {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}) {
            text->undo();
            QCOMPARE(text->toPlainText(), "\\t 1\n");
            QTest::keyClick(text, redo.key(), redo.keyboardModifiers());
            QCOMPARE(text->toPlainText(), "a\\t 1\n");
        }
        text->document()->setModified(false);
        frame.close();
    }

    void AnInstalledFirstStartOpensTheExampleFromTheUsersDocuments() {
        TestProgramFolder folder;
        folder.Copy("examples");
        QTemporaryDir documents;
        ShellEnvironment environment = folder.Environment();
        environment.DocumentDirectory = documents.path().toStdString() + "/";
        ModalAnswerer quiet;
        MainWindow frame(environment);
        frame.show();
        QVERIFY(frame.ActiveEditor());
        QCOMPARE(frame.ActiveEditor()->FileName(), documents.filePath("examples/jingle_bells.stf"));
        // Make writes beside the song, in a folder the user can write.
        QVERIFY(QFile::exists(documents.filePath("examples/jingle_bells.mid")));
        frame.close();
    }
};

QTEST_MAIN(OpenFilesTest)
#include "open_files_test.moc"
