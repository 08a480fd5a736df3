// The dialogs: the voice track dialog with its audition, Midi Setup, the Font dialog,
// Karaoke Player and Special Letters, each with its help topic and effect, and the about
// box with its tune.

#include <QFontDialog>

#include "ShellHarness.h"
#include "shell/AboutBox.h"
#include "shell/CreditsView.h"
#include "shell/EditorText.h"
#include "shell/KaraokePlayerDialog.h"
#include "shell/MidiSetupDialog.h"
#include "shell/SpecialLettersDialog.h"
#include "shell/VoiceTrackDialog.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

// The letter buttons of the special letters dialog, row by row.
QList<QPushButton*> LetterButtons(QWidget* dialog) {
    QList<QPushButton*> buttons;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->property("letter").isValid()) buttons << button;
    return buttons;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void TheTrackDialogAndTheAboutBoxPlayUntilTheyClose() {
        Shell f;
        auto dialog =
            std::make_unique<VoiceTrackDialog>(*f.frame, f.folder.Path("song.mid"), QStringList{"1  voice", "2  bass"});
        QCOMPARE(dialog->property("sonkoraHelpContext").toInt(), 13005);
        dialog->show();
        auto status = [&dialog] { return Child<QLabel>(dialog.get(), "auditionStatus")->text(); };
        Child<QPushButton>(dialog.get(), "playTrack")->click();
        // Another line: that track at once.
        Child<QListWidget>(dialog.get(), "tracks")->setCurrentRow(1);
        QCOMPARE(status(), "Playing track 2");
        f.Midi().RunUntil(*f.frame, Quarter);
        // The bass sounds, the voice does not.
        QVERIFY(f.Midi().NotesOn(1).size() == 1 && f.Midi().NotesOn(0).empty());
        Child<QPushButton>(dialog.get(), "stopTrack")->click();
        QVERIFY(!f.frame->Playing() && status().isEmpty() &&
                !Child<QPushButton>(dialog.get(), "stopTrack")->isEnabled());
        Child<QListWidget>(dialog.get(), "tracks")->setCurrentRow(0);  // stopped: a click starts nothing
        QVERIFY(!f.frame->Playing());
        Child<QPushButton>(dialog.get(), "playTrack")->click();
        dialog.reset();
        QVERIFY(!f.frame->Playing());

        // A file that cannot be played is told; the dialog stays.
        const QString missing = f.folder.Path("gone.mid");
        VoiceTrackDialog broken(*f.frame, missing, {"1  voice"});
        broken.show();
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        Child<QPushButton>(&broken, "playTrack")->click();
        QCOMPARE(answers.Seen, QStringList({"box: Error opening Midi file " + missing}));
        QVERIFY(broken.isVisible() && Child<QLabel>(&broken, "auditionStatus")->text().isEmpty());
        // The about box sings its credits to its tune, and stops it when it closes.
        {
            AboutBox box(*f.frame, f.frame.get());
            QVERIFY(Child<QLabel>(&box, "AboutText")->text().contains(ProgramVersion()));
            box.show();
            // A line of credits a bar: two seconds at 120 beats a minute.
            f.Midi().RunUntil(*f.frame, f.Midi().time.NowMicros() + 5 * Quarter);
            box.advanceCredits();
            QCOMPARE(Child<CreditsView>(&box, "credits")->CurrentLine(), 1);
            QVERIFY(f.Midi().NotesOn(0).size() >= 5 && box.TunePlaying());
            QTest::mouseClick(Child<QPushButton>(&box, "tuneButton"), Qt::LeftButton);  // Stop tune
            QVERIFY(!box.TunePlaying() && !f.frame->Playing());
            QTest::mouseClick(Child<QPushButton>(&box, "tuneButton"), Qt::LeftButton);
            QVERIFY(box.TunePlaying());
        }
        QVERIFY(!f.frame->Playing());
        // It interrupts no song that plays.
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        editor->play();
        AboutBox box(*f.frame, f.frame.get());
        box.show();
        QVERIFY(!box.TunePlaying());
        QCOMPARE(f.frame->PlayingEditor(), editor);
    }

    void MidiSetupListsTheDevicesAndOpensTheChosenOne() {
        Shell f({.devices = {"Synth", "Port C", "", "Port D"}, .ini = QuietIni + "View0MidiOutDevice=Elsewhere\n"});
        Shell none({.devices = {}});
        QListWidget* devices = Child<QListWidget>(f.frame.get(), "devices");
        // Listing the devices loads the playback libraries: not before the dialog shows.
        QCOMPARE(devices->count(), 0);
        ModalAnswerer answers;
        answers.Cancel();
        Action(f.frame.get(), "midiSetup")->trigger();
        QCOMPARE(devices->count(), 3);  // the nameless one is left out
        QCOMPARE(devices->item(2)->text(), "Port D");
        QCOMPARE(devices->currentItem()->text(), "Synth");                      // the stored name is not listed
        QCOMPARE(f.frame->Settings().MidiOutDevice, std::string("Elsewhere"));  // Cancel
        answers.Act([&](QDialog&) {
            devices->setCurrentRow(1);
            emit devices->itemDoubleClicked(devices->item(1));  // closes with OK
        });
        Action(f.frame.get(), "midiSetup")->trigger();
        QCOMPARE(f.frame->Settings().MidiOutDevice, std::string("Port C"));
        QCOMPARE(f.Midi().opened.back(), 1);
        devices->setCurrentRow(0);
        answers.Cancel();
        Action(f.frame.get(), "midiSetup")->trigger();
        QCOMPARE(devices->currentItem()->text(), "Port C");

        // Without devices the list is empty, and OK stores an empty name and says so.
        answers.Act([](QDialog& d) { d.accept(); }).Press(QMessageBox::Ok);
        Action(none.frame.get(), "midiSetup")->trigger();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Cannot open Midi output device .\n\n"
                                                     "To choose another device: Options > Midi Setup..."));
        QCOMPARE(none.frame->Settings().MidiOutDevice, std::string());
    }

    void TheFontDialogStartsOnTheEditorsFontAndStoresThePitchOfTheChoice() {
        Shell f({.ini = QuietIni + "View0FontName=Courier New\nView0FontPitch=0\nView0FontSize=11\nView0FontStyle=2\n"
                                   "View0KaraokePlayer=/usr/bin/true\nView0Parameters=-x %\n"});
        QVERIFY(Action(f.frame.get(), "playInPlayerButton")->isEnabled());  // the player read from the settings
        QVERIFY(Preview(f.frame->CreateEditor())->font().italic());
        const QString shown = QFontInfo(f.frame->EditorFont()).family();
        std::optional<QFont> start;
        ModalAnswerer answers;
        for (const auto& [family, pitch] : {std::pair{"DejaVu Sans", 1}, {"DejaVu Sans Mono", 2}}) {
            answers.Act([&](QDialog& dialog) {
                auto& fonts = dynamic_cast<QFontDialog&>(dialog);
                if (!start) start = fonts.currentFont();
                fonts.setCurrentFont(QFont(QString::fromLatin1(family), 12));
                fonts.accept();
            });
            Action(f.frame.get(), "chooseFont")->trigger();
            QCOMPARE(f.frame->Settings().FontName + '/' + std::to_string(f.frame->Settings().FontPitch),
                     family + ('/' + std::to_string(pitch)));
        }
        QVERIFY2(start->family() == shown && start->pointSize() == 11, qPrintable(start->toString()));
        QVERIFY(f.frame->close());
        QVERIFY(f.folder.ReadFile("Sonkora.ini").contains("View0FontPitch=2"));
        QVERIFY(f.folder.ReadFile("Sonkora.ini").contains("View0Parameters=-x %"));
    }

    void TheKaraokePlayerDialogSetsThePlayerOnlyOnOkAndASpecialLetterGoesInThroughTheClipboard() {
        Shell f;
        EditorWindow* editor = f.Open("song.stf", SixSyllables);
        QVERIFY(!Action(f.frame.get(), "playInPlayerButton")->isEnabled());
        f.folder.WriteFile("tools/kplayer", "#!/bin/sh\n");
        ModalAnswerer answers;
        // Browse fills the path, OK takes both fields and enables the player's commands.
        answers
            .Act([&](QDialog& dialog) {
                QCOMPARE(dialog.property("sonkoraHelpContext").toInt(), 15001);
                QCOMPARE(Child<QLineEdit>(&dialog, "parameters")->text(), "%");
                dynamic_cast<KaraokePlayerDialog&>(dialog).browseProgram();
                Child<QLineEdit>(&dialog, "parameters")->setText("-f %");
                dialog.accept();
            })
            .ChooseFile(f.folder.Path("tools/kplayer"));
        Action(f.frame.get(), "karaokePlayerSetup")->trigger();
        QCOMPARE(f.frame->Settings().KaraokePlayer, f.folder.Path("tools/kplayer").toStdString());
        QCOMPARE(f.frame->Settings().Parameters, std::string("-f %"));
        // An empty path disables them again, on OK only.
        for (bool ok : {false, true}) {
            answers.Act([ok](QDialog& d) {
                Child<QLineEdit>(&d, "path")->clear();
                ok ? d.accept() : d.reject();
            });
            Action(f.frame.get(), "karaokePlayerSetup")->trigger();
            QCOMPARE(Action(f.frame.get(), "playInPlayerButton")->isEnabled(), !ok);
            QCOMPARE(Action(editor, "playInKaraokePlayer")->isEnabled(), !ok);
        }
        // A special letter of the grid goes in at the caret through the clipboard.
        SpecialLettersDialog* dialog = f.frame->findChild<SpecialLettersDialog*>();
        QCOMPARE(dialog->property("sonkoraHelpContext").toInt(), 11006);
        std::string letters;
        for (QPushButton* button : LetterButtons(dialog)) {
            const auto byte = static_cast<char>(button->property("letter").toInt());
            QCOMPARE(button->text(), BytesToPaneChars(std::string(1, byte)));
            letters += byte;
        }
        // Row by row; the code page's own bytes for š, Š, œ, Œ and Ÿ.
        QCOMPARE(letters, std::string("\xE4\xE2\xE0\xE1\xE3\xE5\xC4\xC2\xC0\xC1\xC3\xC5\xEB\xEA\xE8\xE9\xCB\xCA\xC8\xC9"
                                      "\xEF\xEE\xEC\xED\xCF\xCE\xCC\xCD\xF6\xF4\xF2\xF3\xF5\xF8\xD6\xD4\xD2\xD3\xD5\xD8"
                                      "\xFC\xFB\xF9\xFA\xDC\xDB\xD9\xDA\xE6\xC6\xE7\xC7\xF0\xD0\xF1\xD1\xFE\xDE\x9A\x8A"
                                      "\x9C\x8C\x9F\xFD\xDD\xDF"));
        EditorWindow* cafe = f.Open("s.stf", "\\t 1\n\nCaf\n");
        SongText(cafe)->Select(SongText(cafe)->LineStartIndex(2) + 3, 0);
        QApplication::clipboard()->setText("old text");
        answers
            .Act([&](QDialog&) { LetterButtons(dialog)[15]->click(); })  // é
            .Cancel()
            .Act([&](QDialog&) { LetterButtons(dialog).back()->click(); });  // ß
        cafe->insertSpecialLetter();
        QCOMPARE(QApplication::clipboard()->text(), QString(QChar(0xE9)));
        Action(f.frame.get(), "specialLettersButton")->trigger();  // Cancel: nothing
        Action(f.frame.get(), "specialLettersButton")->trigger();
        QCOMPARE(cafe->Document().Line(2), std::string("Caf\xE9\xDF"));
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
