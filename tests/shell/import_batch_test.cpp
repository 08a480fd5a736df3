// File, Import Karaoke... through the menu, with its questions, the voice track dialog
// auditioning the karaoke file's own tracks, and the new song text opened; and the batch
// run over a folder of song texts, made and printed to files without a word.
#include <QtTest>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "ShellHarness.h"
#include "playback/PlaybackEngine.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/VoiceTrackDialog.h"

using namespace sonkora;
using namespace sonkora::test;

class ImportBatchTest : public QObject {
    Q_OBJECT

private slots:
    void ImportingAKaraokeFileOpensItsSongText() {
        Shell f;
        // The karaoke file of the six-note song, made by Make.
        EditorWindow* maker = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        maker->makeKaraoke();
        maker->closeWindow();
        QDir().mkpath(f.folder.Path(QStringLiteral("imp")));
        QVERIFY(QFile::rename(f.folder.Path(QStringLiteral("song.kar")), f.folder.Path(QStringLiteral("imp/hit.kar"))));

        int soloTrack = 0;
        answers.ChooseFile(f.folder.Path(QStringLiteral("imp/hit.kar"))).Act([&](QDialog& dialog) {
            QCOMPARE(Child<QListWidget>(&dialog, "tracks")->count(), 2);
            Child<QPushButton>(&dialog, "playTrack")->click();
            soloTrack = f.frame->Engine().SoloTrack();  // the first listed: the file's fourth track
            dialog.accept();
        });
        f.frame->importKaraoke();
        QCOMPARE(soloTrack, 3);
        QVERIFY(!f.frame->Playing());

        const QString dir = f.folder.Path(QStringLiteral("imp/"));
        EditorWindow* editor = f.frame->ActiveEditor();
        QCOMPARE(editor->FileName(), dir + QStringLiteral("hit.stf"));
        const QString text = SongText(editor)->toPlainText();
        QVERIFY2(text.startsWith(QStringLiteral("\\t 1\n\\m %1hit.mid\n\\k %1hit_1.kar\n").arg(dir)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Hel-lo world\nhow are you")), qPrintable(text));
        // The imported song text makes a karaoke file again, beside the original.
        answers.Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Karaoke file made succesfully"));
        QVERIFY(QFile::exists(dir + QStringLiteral("hit_1.kar")));

        // Importing again asks about the song text that is there; Cancel writes nothing.
        QFile::remove(dir + QStringLiteral("hit.mid"));
        answers.ChooseFile(dir + QStringLiteral("hit.kar")).Press(QMessageBox::Cancel);
        f.frame->importKaraoke();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: File %1hit.stf already exists. \rOverwrite?").arg(dir));
        QVERIFY(!QFile::exists(dir + QStringLiteral("hit.mid")));

        // A MIDI file without the karaoke tracks is refused.
        QFile::copy(f.folder.Path(QStringLiteral("song.mid")), f.folder.Path(QStringLiteral("plain.kar")));
        answers.ChooseFile(f.folder.Path(QStringLiteral("plain.kar"))).Press(QMessageBox::Ok);
        f.frame->importKaraoke();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Not a Soft Karaoke file"));
        QCOMPARE(f.frame->Editors().size(), qsizetype(1));
    }

    void TheBatchRunMakesAndPrintsEverySongTextOfItsFolderSilently() {
        Shell without;
        QVERIFY(!Action(without.frame.get(), "runBatch")->isVisible());

        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), QuietIni);
        folder.WriteFile(QStringLiteral("TEST/song.mid"), SixNoteSong());
        folder.WriteFile(QStringLiteral("TEST/good.stf"), SixSyllables);
        // One syllable too many: the question about it is answered Yes without asking.
        folder.WriteFile(QStringLiteral("TEST/more.stf"), "\\t 1\n\\m song.mid\n\nHel-lo world\nhow are you now\n");
        // A mistake: no karaoke file, no print file, no message.
        folder.WriteFile(QStringLiteral("TEST/bad.stf"), "\\t 1\n\\m song.mid\n\nla " + QByteArray(130, 'a') + "\n");
        MainWindow frame(folder.Environment());
        frame.show();
        frame.FinishStart();
        QVERIFY(Action(&frame, "runBatch")->isVisible());
        QCOMPARE(frame.menuBar()->actions().last()->menu()->actions().last(), Action(&frame, "runBatch"));

        ModalAnswerer answers;
        Action(&frame, "runBatch")->trigger();
        QCOMPARE(answers.Seen, QStringList());
        QVERIFY(!frame.Batch());
        QVERIFY(frame.Editors().isEmpty());
        for (const char* name : {"good", "more"}) {
            const QString base = folder.Path(QStringLiteral("TEST/%1").arg(QLatin1String(name)));
            QVERIFY2(QFile::exists(base + QStringLiteral(".kar")), name);
            QFile print(base + QStringLiteral(".prn"));
            QVERIFY2(print.open(QIODevice::ReadOnly), name);
            QVERIFY(print.readAll().contains("Hello world\r\nhow are you"));
        }
        QVERIFY(!QFile::exists(folder.Path(QStringLiteral("TEST/bad.kar"))));
        QVERIFY(!QFile::exists(folder.Path(QStringLiteral("TEST/bad.prn"))));
        QCOMPARE(folder.ReadFile(QStringLiteral("TEST/good.stf")), SixSyllables);

        // Outside the batch run the same mistake is told again.
        EditorWindow* editor = frame.CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("TEST/bad.stf")));
        answers.Press(QMessageBox::Ok);
        editor->makeKaraoke();
        QCOMPARE(answers.Seen, QStringList({"box: Syllable too long."}));
        QVERIFY(frame.close());
    }
};

QTEST_MAIN(ImportBatchTest)
#include "import_batch_test.moc"
