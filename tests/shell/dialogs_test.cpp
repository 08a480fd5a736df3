// The dialogs: the voice track dialog with its audition, Midi Setup, Warnings, Karaoke
// Player and Special Letters, each with its caption, help topic and effect, and the
// about box with its tune.
#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "playback/PlaybackEngine.h"
#include "shell/AboutBox.h"
#include "shell/CreditsView.h"
#include "shell/EditorText.h"
#include "shell/EditorWindow.h"
#include "shell/KaraokePlayerDialog.h"
#include "shell/MainWindow.h"
#include "shell/MidiSetupDialog.h"
#include "shell/ShellTestSupport.h"
#include "shell/SpecialLettersDialog.h"
#include "shell/VoiceTrackDialog.h"
#include "shell/WarningsDialog.h"

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

int HelpOf(const QWidget& dialog) {
    return dialog.property("sonkoraHelpContext").toInt();
}

// The note ons a device received on one channel.
int NotesOn(const DeviceLog& log, int channel) {
    int count = 0;
    for (const Sent& sent : log.OfKind(0x90))
        if ((sent.bytes[0] & 0x0F) == channel && sent.bytes[2] > 0) ++count;
    return count;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheTrackDialogAuditionsTheSelectedTrackUntilItCloses() {
        FrameFixture f;
        const QString song = f.folder.Path(QStringLiteral("song.mid"));
        auto dialog = std::make_unique<VoiceTrackDialog>(*f.frame, song, QStringList{"1  voice", "2  bass"});
        QCOMPARE(HelpOf(*dialog), 13005);
        dialog->show();
        Child<QPushButton>(dialog.get(), "playTrack")->click();
        QCOMPARE(f.frame->Engine().SoloTrack(), 1);
        QCOMPARE(f.frame->PlayingEditor(), nullptr);
        QCOMPARE(Child<QLabel>(dialog.get(), "auditionStatus")->text(), QStringLiteral("Playing track 1"));
        QVERIFY(Child<QPushButton>(dialog.get(), "stopTrack")->isEnabled());

        // Another line: that track at once, and the status says so.
        Child<QListWidget>(dialog.get(), "tracks")->setCurrentRow(1);
        QCOMPARE(f.frame->Engine().SoloTrack(), 2);
        QCOMPARE(Child<QLabel>(dialog.get(), "auditionStatus")->text(), QStringLiteral("Playing track 2"));
        f.Midi().RunUntil(*f.frame, Quarter);
        QCOMPARE(NotesOn(f.Midi().catalog.log, 1), 1);  // the bass sounds
        QCOMPARE(NotesOn(f.Midi().catalog.log, 0), 0);  // the voice does not

        Child<QPushButton>(dialog.get(), "stopTrack")->click();
        QVERIFY(!f.frame->Playing());
        QVERIFY(Child<QLabel>(dialog.get(), "auditionStatus")->text().isEmpty());
        QVERIFY(!Child<QPushButton>(dialog.get(), "stopTrack")->isEnabled());
        Child<QListWidget>(dialog.get(), "tracks")->setCurrentRow(0);  // stopped: a click starts nothing
        QVERIFY(!f.frame->Playing());

        Child<QPushButton>(dialog.get(), "playTrack")->click();
        dialog->reject();
        dialog.reset();
        QVERIFY(!f.frame->Playing());

        // A file that cannot be played is told; the dialog stays.
        const QString missing = f.folder.Path(QStringLiteral("gone.mid"));
        VoiceTrackDialog broken(*f.frame, missing, {"1  voice"});
        broken.show();
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        Child<QPushButton>(&broken, "playTrack")->click();
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error opening Midi file ") + missing}));
        QVERIFY(broken.isVisible());
        QVERIFY(Child<QLabel>(&broken, "auditionStatus")->text().isEmpty());
        QVERIFY(!Child<QPushButton>(&broken, "stopTrack")->isEnabled());
    }

    void MidiSetupListsTheDevicesAndOpensTheChosenOne() {
        FrameFixture f({"Synth", "Port C", "", "Port D"},
                       "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\nView0MidiOutDevice=Elsewhere\n");
        MidiSetupDialog* dialog = f.frame->findChild<MidiSetupDialog*>();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Midi Setup"));
        QVERIFY(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->isEnabled());
        // Listing the devices loads the playback libraries: not before the dialog shows.
        QCOMPARE(Child<QListWidget>(dialog, "devices")->count(), 0);

        ModalAnswerer answers;
        QString preselected;
        auto look = [&](QDialog& d) {
            preselected = Child<QListWidget>(dialog, "devices")->currentItem()->text();
            d.reject();
        };
        answers.Act([&](QDialog& d) {
            QCOMPARE(Child<QListWidget>(dialog, "devices")->count(), 3);  // the nameless one is left out
            QCOMPARE(Child<QListWidget>(dialog, "devices")->item(2)->text(), QStringLiteral("Port D"));
            look(d);
        });
        f.frame->midiSetup();
        QCOMPARE(preselected, QStringLiteral("Synth"));                         // the stored name is not listed
        QCOMPARE(f.frame->Settings().MidiOutDevice, std::string("Elsewhere"));  // Cancel

        answers.Act([&](QDialog&) {
            Child<QListWidget>(dialog, "devices")->setCurrentRow(1);
            QListWidget* devices = Child<QListWidget>(dialog, "devices");
            emit devices->itemDoubleClicked(devices->item(1));  // closes with OK
        });
        f.frame->midiSetup();
        QCOMPARE(f.frame->Settings().MidiOutDevice, std::string("Port C"));
        QCOMPARE(f.Midi().catalog.log.opened.back(), 1);
        answers.Act(look);
        f.frame->midiSetup();
        QCOMPARE(preselected, QStringLiteral("Port C"));
        QVERIFY(answers.Unexpected.isEmpty());

        // Without devices the list is empty, and OK stores an empty name and says so.
        FrameFixture none(std::vector<std::string>{});
        QCOMPARE(Child<QListWidget>(none.frame.get(), "devices")->count(), 0);
        answers.Act([](QDialog& d) { d.accept(); }).Press(QMessageBox::Ok);
        none.frame->midiSetup();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Cannot open Midi output device "));
        QCOMPARE(none.frame->Settings().MidiOutDevice, std::string());
    }

    void TheKaraokePlayerDialogSetsThePlayerAndItsButtonOnlyOnOk() {
        FrameFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        // Browse fills the path, OK takes both fields and enables the player's button;
        // an empty path disables it again.
        QVERIFY(!Action(f.frame.get(), "playInPlayerButton")->isEnabled());
        f.folder.WriteFile(QStringLiteral("tools/kplayer"), "#!/bin/sh\n");
        QString shownParameters;
        answers
            .Act([&](QDialog& d) {
                auto& dialog = dynamic_cast<KaraokePlayerDialog&>(d);
                QCOMPARE(HelpOf(dialog), 15001);
                shownParameters = Child<QLineEdit>(&dialog, "parameters")->text();
                dialog.browseProgram();
                Child<QLineEdit>(&dialog, "parameters")->setText(QStringLiteral("-f %"));
                d.accept();
            })
            .ChooseFile(f.folder.Path(QStringLiteral("tools/kplayer")));
        f.frame->karaokePlayerSetup();
        QCOMPARE(shownParameters, QStringLiteral("%"));
        QCOMPARE(f.frame->Settings().KaraokePlayer, f.folder.Path(QStringLiteral("tools/kplayer")).toStdString());
        QCOMPARE(f.frame->Settings().Parameters, std::string("-f %"));
        QVERIFY(Action(f.frame.get(), "playInPlayerButton")->isEnabled());
        QVERIFY(Action(editor, "playInKaraokePlayer")->isEnabled());
        auto clearPath = [](bool ok) {
            return [ok](QDialog& d) {
                Child<QLineEdit>(&d, "path")->clear();
                ok ? d.accept() : d.reject();
            };
        };
        answers.Act(clearPath(false));
        f.frame->karaokePlayerSetup();
        QVERIFY(Action(f.frame.get(), "playInPlayerButton")->isEnabled());
        answers.Act(clearPath(true));
        f.frame->karaokePlayerSetup();
        QVERIFY(!Action(f.frame.get(), "playInPlayerButton")->isEnabled());
        QVERIFY(!Action(editor, "playInKaraokePlayer")->isEnabled());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void ASpecialLetterOfTheGridGoesInAtTheCaretThroughTheClipboard() {
        FrameFixture f;
        SpecialLettersDialog* dialog = f.frame->findChild<SpecialLettersDialog*>();
        QCOMPARE(HelpOf(*dialog), 11006);
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

        EditorWindow* editor = f.Open(QStringLiteral("s.stf"), "\\t 1\n\nCaf\n");
        SongText(editor)->Select(SongText(editor)->LineStartIndex(2) + 3, 0);
        QApplication::clipboard()->setText(QStringLiteral("old text"));
        ModalAnswerer answers;
        answers
            .Act([&](QDialog&) { LetterButtons(dialog)[15]->click(); })  // é
            .Act([&](QDialog& d) { d.reject(); })
            .Act([&](QDialog&) { LetterButtons(dialog).back()->click(); });  // ß
        editor->insertSpecialLetter();
        QCOMPARE(QApplication::clipboard()->text(), QString(QChar(0xE9)));
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9"));
        Action(f.frame.get(), "specialLettersButton")->trigger();  // Cancel: nothing
        Action(f.frame.get(), "specialLettersButton")->trigger();
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9\xDF"));
        QVERIFY(answers.AllUsed() && answers.Unexpected.isEmpty());
    }

    void TheAboutBoxSingsItsCreditsToItsTuneAndStopsItWhenItCloses() {
        FrameFixture f;
        {
            AboutBox box(*f.frame, f.frame.get());
            QVERIFY(box.findChild<QLabel*>(QStringLiteral("AboutText"))->text().contains(ProgramVersion()));
            box.show();
            QVERIFY(box.TunePlaying());
            QCOMPARE(Child<QPushButton>(&box, "tuneButton")->text(), QStringLiteral("&Stop tune"));
            // A line of credits a bar: two seconds at 120 beats a minute.
            f.Midi().RunUntil(*f.frame, 5 * Quarter);
            box.advanceCredits();
            QCOMPARE(Child<CreditsView>(&box, "credits")->SongTime(), 5 * 96);
            QCOMPARE(Child<CreditsView>(&box, "credits")->CurrentLine(), 1);
            QVERIFY(NotesOn(f.Midi().catalog.log, 0) >= 5);
            f.Midi().RunUntil(*f.frame, 40 * Quarter);  // the tune ends, the credits go on
            box.advanceCredits();
            QVERIFY(!f.frame->Playing());
            box.toggleTune();
            QVERIFY(box.TunePlaying());
        }
        QVERIFY(!f.frame->Playing());

        // It interrupts no song that plays.
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->play();
        {
            AboutBox box(*f.frame, f.frame.get());
            box.show();
            QVERIFY(!box.TunePlaying());
        }
        QCOMPARE(f.frame->PlayingEditor(), editor);
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
