// Playing a song text's karaoke file through the frame, on recording devices with a clock
// moved by hand: the syllables highlighted in both panes at their times, the song text
// read-only while it plays, what stops a song, the device at start, and the external
// karaoke player.
#include <QtTest>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QProgressBar>

#include <thread>

#include "playback/PlaybackEngine.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

QString Selected(const TMemo* memo) {
    return memo->textCursor().selectedText();
}

}  // namespace

class PlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheSungSyllablesAreHighlightedInBothPanesUntilTheSongEnds() {
        FrameFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Play1Click();
        QCOMPARE(f.frame->PlayEditor(), editor);
        QVERIFY(!editor->Memo1->textCursor().hasSelection());  // nothing before the first lyric
        f.At(0);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("Hel-"));
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("Hel"));
        QCOMPARE(f.frame->Gauge1->maximum(), 528);  // the song's length in ticks
        f.At(Quarter - 1000);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("Hel-"));
        f.At(Quarter + 10'000);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("lo "));
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("lo"));
        f.At(3 * Quarter);
        editor->Preview1Click();  // compiles nothing while the song plays
        QCOMPARE(Selected(editor->Memo2), QStringLiteral("how"));
        QCOMPARE(editor->Memo2->textCursor().blockNumber(), 2);
        editor->STF1Click();
        f.At(5 * Quarter + 10'000);
        QCOMPARE(Selected(editor->Memo2), QStringLiteral(" you"));

        f.At(20 * Quarter);
        std::vector<int64_t> voice;
        for (const Sent& note : f.Midi().catalog.log.OfKind(0x90))
            if ((note.bytes[0] & 0x0F) == 0 && note.bytes[2] > 0) voice.push_back(note.micros);
        QCOMPARE(voice, (std::vector<int64_t>{0, Quarter, 2 * Quarter, 3 * Quarter, 4 * Quarter, 5 * Quarter}));
        // The end: the highlight a caret at its end, the buttons and the gauge back.
        QVERIFY(!f.frame->Playing());
        QCOMPARE(editor->Memo1->textCursor().position(),
                 editor->Memo1->toPlainText().lastIndexOf(QStringLiteral("you")) + 3);
        QVERIFY(!editor->Memo1->textCursor().hasSelection());
        QVERIFY(f.frame->PlayButton->isEnabled() && !f.frame->StopButton->isEnabled());
        QVERIFY(!f.frame->Timer1->isActive());
        QCOMPARE(f.frame->Gauge1->value(), 100);
    }

    void WhileItsSongPlaysNothingChangesTheSongText() {
        FrameFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        QApplication::clipboard()->setText(QStringLiteral("clip"));
        editor->Play1Click();
        f.At(0);
        for (QAction* action : {editor->Paste1, editor->Replace1, editor->SpecialLetters1, editor->Hyphenation1,
                                editor->VoiceTrackSelection1, editor->Play1, f.frame->MidiSetup1})
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        const QString before = editor->Memo1->toPlainText();
        ModalAnswerer none;
        editor->Delete1Click();
        editor->Paste1Click();
        editor->VoiceTrackSelection1Click();
        editor->Hyphenation1Click();
        editor->SpecialLetters1Click();
        QTest::keyClicks(editor->Memo1, QStringLiteral("xyz"));
        QCOMPARE(editor->Memo1->toPlainText(), before);
        QVERIFY(none.Seen.isEmpty() && none.Unexpected.isEmpty());

        f.frame->StopButton->trigger();
        QVERIFY(editor->Paste1->isEnabled());
        QTest::keyClicks(editor->Memo1, QStringLiteral("x"));
        QVERIFY(editor->Memo1->toPlainText() != before);
    }

    void PlayFromCursorStartsAtTheLyricOfTheCaretsLine() {
        FrameFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Memo1->Select(editor->Memo1->LineStartIndex(5) + 6, 0);  // inside "how are you"
        editor->PlayFromCursor1Click();
        QCOMPARE(f.frame->Engine().StartTime(), 288);
        f.At(0);
        QCOMPARE(Selected(editor->Memo1), QStringLiteral("how "));                  // shown on the first tick
        QCOMPARE(f.Midi().catalog.log.OfKind(0x90).front().bytes[1], uint8_t{63});  // the fourth note first
        // From the Preview page: the lyric under its caret.
        f.frame->StopPlaying();
        editor->Preview1Click();
        editor->Memo2->Select(editor->Memo2->LineStartIndex(1) + 7, 0);  // in "world"
        editor->PlayFromCursor1Click();
        QCOMPARE(f.frame->Engine().StartTime(), 0);
    }

    void ClosingItsWindowOrANewSongStopsTheSong() {
        FrameFixture f;
        TEditForm* first = f.Open(QStringLiteral("song.stf"), SixSyllables);
        TEditForm* second = f.Open(QStringLiteral("again.stf"), SixSyllables);
        second->Play1Click();
        f.frame->PlaySong(second->KarFileName.toStdString(), first, false);
        QVERIFY(!second->Memo1->isReadOnly());
        second->Close1Click();  // not its song: it goes on
        QCOMPARE(f.frame->PlayEditor(), first);
        first->Close1Click();
        QVERIFY(!f.frame->Playing());
        f.At(3 * Quarter);  // the clock going on reaches nothing that is gone
    }

    void NotificationsComeAsEventsOfTheWindowAndAnOldEndStopsNoNewSong() {
        FrameFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        TestMidiSystem& midi = f.Midi();
        auto runOut = [&midi] {
            const int64_t start = midi.time.NowMicros();
            for (int64_t t = start; t <= start + 20 * Quarter; t += Quarter / 4) {
                midi.time.Set(t);
                midi.toolkit.GetScheduler().Service();
            }
        };
        editor->Play1Click();
        std::thread clock(runOut);  // the clock's own thread
        clock.join();
        QVERIFY(editor->Memo1->isReadOnly());
        QCoreApplication::sendPostedEvents(f.frame.get(), 0);
        QVERIFY(!editor->Memo1->isReadOnly());

        editor->Play1Click();
        runOut();  // its end is posted, then a new song starts
        f.frame->PlaySong(editor->KarFileName.toStdString(), editor, false);
        QCoreApplication::sendPostedEvents(f.frame.get(), 0);
        QVERIFY(f.frame->Playing());
    }

    void TheDeviceOpensAtStartAndAMissingOneIsToldOnce() {
        TestProgramFolder folder;
        {
            TFrameForm frame(folder.Environment());
            frame.show();
            QTRY_COMPARE(frame.Settings.MidiOutDevice, std::string("Test Synth"));  // the first, kept
            for (TEditForm* editor : frame.Editors()) editor->Memo1->document()->setModified(false);
            QVERIFY(frame.close());
        }
        QVERIFY(IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini")))
                    .contains(QStringLiteral("View0MidiOutDevice=Test Synth")));

        folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        folder.WriteFile(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        TFrameForm frame(folder.Environment([](TestMidiSystem& midi) { midi.catalog.failOpen = {0}; }));
        frame.show();
        QTRY_COMPARE(answers.Seen, QStringList({"box: Cannot open Midi output device Test Synth"}));
        // Each play tries again and tells again; the text stays editable.
        TEditForm* editor = frame.CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("song.stf")));
        answers.Press(QMessageBox::Ok);
        editor->Play1Click();
        QCOMPARE(answers.Seen.size(), qsizetype(2));
        QVERIFY(!editor->Memo1->isReadOnly());
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(frame.close());
    }

    void TheKaraokePlayerGetsTheFileAsOneArgumentAndTheDevice() {
        FrameFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        // A player that writes down where it was started and its arguments.
        const QString log = f.folder.Path(QStringLiteral("player.log"));
        f.folder.WriteFile(QStringLiteral("bin/player"),
                           QStringLiteral("#!/bin/sh\npwd > '%1.tmp'\nfor a in \"$@\"; do echo \"[$a]\" >> '%1.tmp'; "
                                          "done\nmv '%1.tmp' '%1'\n")
                               .arg(log)
                               .toUtf8());
        QFile::setPermissions(f.folder.Path(QStringLiteral("bin/player")), QFile::ReadOwner | QFile::ExeOwner);
        f.frame->Settings.KaraokePlayer = f.folder.Path(QStringLiteral("bin/player")).toStdString();
        f.frame->Settings.Parameters = "--play % \"two words\" $HOME;x";
        editor->PlayInKaraokePlayer1Click();
        QCOMPARE(f.frame->Engine().MidiOut(), MidiHandle{0});  // handed over to the player
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({f.folder.Path(QStringLiteral("bin")), QStringLiteral("[--play]"),
                              QLatin1Char('[') + editor->KarFileName + QLatin1Char(']'), QStringLiteral("[two words]"),
                              QStringLiteral("[$HOME;x]")}));

        f.frame->Settings.KaraokePlayer = f.folder.Path(QStringLiteral("bin/none")).toStdString();
        f.frame->Settings.Parameters = "%";
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        editor->PlayInKaraokePlayer1Click();
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error executing \"%1 %2\" in \"%3\".")
                                                .arg(f.folder.Path(QStringLiteral("bin/none")), editor->KarFileName,
                                                     f.folder.Path(QStringLiteral("bin/")))}));
    }
};

QTEST_MAIN(PlaybackTest)
#include "playback_test.moc"
