// File, Import Karaoke... through the menu, with its questions, the voice track dialog
// auditioning the karaoke file's own tracks, and the new song text opened; and the batch
// run over a folder of song texts, made and printed to files without a word.
#include <QtTest>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>

#include "playback/PlaybackEngine.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/ShellTestSupport.h"
#include "shell/SongFiles.h"
#include "shell/Trackdlg.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

struct Fixture {
    TestProgramFolder folder;
    std::unique_ptr<TFrameForm> frame;
    explicit Fixture(bool batchFolder = false) {
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        if (batchFolder) QDir().mkpath(folder.Path(QStringLiteral("TEST")));
        frame = std::make_unique<TFrameForm>(folder.Environment());
        frame->show();
        frame->FinishStart();
    }
    ~Fixture() {
        for (TEditForm* editor : frame->Editors()) editor->Memo1->document()->setModified(false);
        frame->close();
    }
    // A karaoke file made from the six-note song, at `name`.
    void MakeKaraokeFile(const QString& name) {
        folder.WriteFile(QStringLiteral("song.stf"), SixSyllables);
        TEditForm* editor = frame->CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("song.stf")));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        editor->Make1Click();
        editor->Close1Click();
        QDir().mkpath(QFileInfo(folder.Path(name)).absolutePath());
        QFile::rename(folder.Path(QStringLiteral("song.kar")), folder.Path(name));
    }
};

}  // namespace

class ImportBatchTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void ImportingAKaraokeFileOpensItsSongText() {
        Fixture f;
        f.MakeKaraokeFile(QStringLiteral("imp/hit.kar"));
        QVERIFY(QFile::exists(f.folder.Path(QStringLiteral("imp/hit.kar"))));
        QVERIFY(f.frame->ImportKaraoke1->isEnabled());
        ModalAnswerer answers;
        int soloTrack = 0;
        int lines = 0;
        answers.ChooseFile(f.folder.Path(QStringLiteral("imp/hit.kar"))).Act([&](QDialog& d) {
            auto& dialog = dynamic_cast<TTrackDialog&>(d);
            lines = dialog.TrackList->count();
            dialog.TrackList->setCurrentRow(0);
            dialog.PlayTrackButtonClick();
            soloTrack = f.frame->Engine().SoloTrack();  // the file's fourth track: the voice
            dialog.accept();
        });
        f.frame->ImportKaraoke1Click();
        QVERIFY2(answers.Unexpected.isEmpty(), qPrintable(answers.Unexpected.join(QLatin1Char(','))));
        QCOMPARE(answers.Seen.first(), QStringLiteral("file: Import Karaoke File"));
        QCOMPARE(lines, 2);
        QCOMPARE(soloTrack, 3);
        QVERIFY(!f.frame->Playing());

        const QString dir = f.folder.Path(QStringLiteral("imp/"));
        QVERIFY(QFile::exists(dir + QStringLiteral("hit.mid")));
        TEditForm* editor = f.frame->ActiveEditor();
        QVERIFY(editor);
        QCOMPARE(editor->FileName, dir + QStringLiteral("hit.stf"));
        const QString text = editor->Memo1->toPlainText();
        QVERIFY2(text.startsWith(QStringLiteral("\\t 1\n\\m %1hit.mid\n\\k %1hit_1.kar\n").arg(dir)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Hel-lo world\nhow are you")), qPrintable(text));
        QVERIFY(!editor->Memo1->document()->isModified());

        // The imported song text makes a karaoke file again, beside the original.
        answers.Press(QMessageBox::Ok);
        editor->Make1Click();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Karaoke file made succesfully"));
        QVERIFY(QFile::exists(dir + QStringLiteral("hit_1.kar")));
    }

    void AnExistingSongTextIsAskedAboutAndCancelWritesNothing() {
        Fixture f;
        f.MakeKaraokeFile(QStringLiteral("imp/hit.kar"));
        f.folder.WriteFile(QStringLiteral("imp/hit.stf"), "mine\n");
        ModalAnswerer answers;
        answers.ChooseFile(f.folder.Path(QStringLiteral("imp/hit.kar"))).Press(QMessageBox::Cancel);
        f.frame->ImportKaraoke1Click();
        QCOMPARE(answers.Seen.last(),
                 QStringLiteral("box: File %1 already exists. \rOverwrite?").arg(f.folder.Path(QStringLiteral("imp/hit.stf"))));
        QVERIFY(answers.Unexpected.isEmpty());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("imp/hit.stf")), QByteArray("mine\n"));
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("imp/hit.mid"))));
        QVERIFY(f.frame->Editors().isEmpty());
    }

    void AMidiFileWithoutKaraokeTracksIsRefused() {
        Fixture f;
        QFile::copy(f.folder.Path(QStringLiteral("song.mid")), f.folder.Path(QStringLiteral("plain.kar")));
        ModalAnswerer answers;
        answers.ChooseFile(f.folder.Path(QStringLiteral("plain.kar"))).Press(QMessageBox::Ok);
        f.frame->ImportKaraoke1Click();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Not a Soft Karaoke file"));
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("plain.stf"))));
        QVERIFY(f.frame->Editors().isEmpty());
    }

    void TheBatchItemShowsOnlyWithItsFolder() {
        Fixture without;
        QVERIFY(!without.frame->TestSonkora1->isVisible());
        Fixture with(true);
        QVERIFY(with.frame->TestSonkora1->isVisible());
        QCOMPARE(with.frame->TestSonkora1->text(), QStringLiteral("Test &Sonkora"));
        QCOMPARE(with.frame->TestSonkora1->statusTip(), QStringLiteral("Test Sonkora"));
        // It stands last in the Help menu, after About.
        const QList<QAction*> help = with.frame->Help1->actions();
        QCOMPARE(help.last(), with.frame->TestSonkora1);
        QCOMPARE(help[help.size() - 2], with.frame->About1);
    }

    void TheBatchRunMakesAndPrintsEverySongTextSilently() {
        Fixture f(true);
        QFile::copy(f.folder.Path(QStringLiteral("song.mid")), f.folder.Path(QStringLiteral("TEST/song.mid")));
        f.folder.WriteFile(QStringLiteral("TEST/good.stf"), SixSyllables);
        // One syllable too many: the question about it is answered Yes without asking.
        f.folder.WriteFile(QStringLiteral("TEST/more.stf"), "\\t 1\n\\m song.mid\n\nHel-lo world\nhow are you now\n");
        // A mistake: no karaoke file, no print file, no message.
        f.folder.WriteFile(QStringLiteral("TEST/bad.stf"), "\\t 1\n\\m song.mid\n\nla " + QByteArray(130, 'a') + "\n");
        ModalAnswerer answers;
        f.frame->TestSonkora1->trigger();
        QVERIFY2(answers.Seen.isEmpty(), qPrintable(answers.Seen.join(QLatin1Char(','))));
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(!f.frame->Batch);
        QVERIFY(f.frame->Editors().isEmpty());

        for (const char* name : {"good", "more"}) {
            const QString base = f.folder.Path(QStringLiteral("TEST/%1").arg(QLatin1String(name)));
            QVERIFY2(QFile::exists(base + QStringLiteral(".kar")), name);
            QFile print(base + QStringLiteral(".prn"));
            QVERIFY2(print.open(QIODevice::ReadOnly), name);
            const QByteArray lyrics = print.readAll();
            QVERIFY2(lyrics.contains("Hello world\r\nhow are you"), lyrics.constData());
        }
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("TEST/bad.kar"))));
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("TEST/bad.prn"))));
        // The song texts themselves are as they were.
        QCOMPARE(f.folder.ReadFile(QStringLiteral("TEST/good.stf")), SixSyllables);

        // Outside the batch run the same mistake is told again.
        f.folder.WriteFile(QStringLiteral("TEST/again.stf"), f.folder.ReadFile(QStringLiteral("TEST/bad.stf")));
        TEditForm* editor = f.frame->CreateEditor();
        editor->LoadFile(f.folder.Path(QStringLiteral("TEST/again.stf")));
        answers.Press(QMessageBox::Ok);
        editor->Make1Click();
        QCOMPARE(answers.Seen, QStringList({"box: Syllable too long."}));
    }
};

QTEST_MAIN(ImportBatchTest)
#include "import_batch_test.moc"
