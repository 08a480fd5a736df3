// A start without a working sound output: no box at start, a note in the status bar and
// in Midi Setup, and Play explains in a box where to choose another device.
#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QListWidget>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class NoSoundOutputTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void AStartWithoutOutputIsNotedQuietlyAndPlayExplains() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        folder.WriteFile(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;  // a box that shows up is listed as unexpected
        MainWindow frame(folder.Environment([](TestMidiSystem& midi) { midi.catalog.failOpen = {0}; }));
        frame.show();
        frame.FinishStart();
        auto* note = frame.findChild<QLabel*>(QStringLiteral("outputStatus"));
        QTRY_VERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("No sound output (Options > Midi Setup...)"));
        QCOMPARE(note->toolTip(), QStringLiteral("Cannot open Midi output device Test Synth"));
        QVERIFY2(answers.Unexpected.isEmpty(), qPrintable(answers.Unexpected.join(QLatin1Char(','))));

        QString inSetup;
        answers.Act([&](QDialog& dialog) {
            inSetup = dialog.findChild<QLabel*>(QStringLiteral("deviceProblem"))->text();
            dialog.reject();
        });
        frame.midiSetup();
        QCOMPARE(inSetup, QStringLiteral("Cannot open Midi output device Test Synth"));

        EditorWindow* editor = frame.CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("song.stf")));
        answers.Press(QMessageBox::Ok);
        editor->play();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Cannot open Midi output device Test Synth.\n\n"
                                                     "To choose another device: Options > Midi Setup..."));
        QVERIFY(!frame.Playing());

        // Once a device works, the notes go.
        answers.Act([](QDialog& dialog) {
            dialog.findChild<QListWidget*>(QStringLiteral("devices"))->setCurrentRow(1);
            dialog.accept();
        });
        frame.midiSetup();
        QVERIFY(!note->isVisible());
        QVERIFY(answers.Unexpected.isEmpty());
        SongText(editor)->document()->setModified(false);
    }
};

QTEST_MAIN(NoSoundOutputTest)
#include "no_sound_output_test.moc"
