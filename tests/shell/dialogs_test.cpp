// The dialogs: the voice track dialog with its audition, Midi Setup, Warnings, Karaoke
// Player and Special Letters, each with its caption, help topic and effect, and the
// about box with its tune.
#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "playback/PlaybackEngine.h"
#include "shell/AboutBox.h"
#include "shell/EditorText.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/Midisdlg.h"
#include "shell/Optiodlg.h"
#include "shell/ShellTestSupport.h"
#include "shell/Speclett.h"
#include "shell/Trackdlg.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

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
        auto dialog = std::make_unique<TTrackDialog>(f.frame.get(), song, QStringList{"1  voice", "2  bass"});
        QCOMPARE(HelpOf(*dialog), 13005);
        dialog->show();
        dialog->PlayTrackButtonClick();
        QCOMPARE(f.frame->Engine().SoloTrack(), 1);
        QCOMPARE(f.frame->PlayEditor(), nullptr);
        QCOMPARE(dialog->StatusText->text(), QStringLiteral("Playing track 1"));
        QVERIFY(dialog->StopButton->isEnabled());

        // Another line: that track at once, and the status says so.
        dialog->TrackList->setCurrentRow(1);
        QCOMPARE(f.frame->Engine().SoloTrack(), 2);
        QCOMPARE(dialog->StatusText->text(), QStringLiteral("Playing track 2"));
        f.Midi().RunUntil(*f.frame, Quarter);
        QCOMPARE(NotesOn(f.Midi().catalog.log, 1), 1);  // the bass sounds
        QCOMPARE(NotesOn(f.Midi().catalog.log, 0), 0);  // the voice does not

        dialog->StopButtonClick();
        QVERIFY(!f.frame->Playing());
        QVERIFY(dialog->StatusText->text().isEmpty());
        QVERIFY(!dialog->StopButton->isEnabled());
        dialog->TrackList->setCurrentRow(0);  // stopped: a click starts nothing
        QVERIFY(!f.frame->Playing());

        dialog->PlayTrackButtonClick();
        dialog->reject();
        dialog.reset();
        QVERIFY(!f.frame->Playing());

        // A file that cannot be played is told; the dialog stays.
        const QString missing = f.folder.Path(QStringLiteral("gone.mid"));
        TTrackDialog broken(f.frame.get(), missing, {"1  voice"});
        broken.show();
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        broken.PlayTrackButtonClick();
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error opening Midi file ") + missing}));
        QVERIFY(broken.isVisible());
        QVERIFY(broken.StatusText->text().isEmpty());
        QVERIFY(!broken.StopButton->isEnabled());
    }

    void MidiSetupListsTheDevicesAndOpensTheChosenOne() {
        FrameFixture f({"Synth", "Port C", "", "Port D"},
                       "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\nView0MidiOutDevice=Elsewhere\n");
        TMidiSetupDlg* dialog = f.frame->MidiSetupDlg;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Midi Setup"));
        QVERIFY(!dialog->HelpButton->isEnabled());
        QCOMPARE(dialog->DeviceList->count(), 3);  // the nameless one is left out
        QCOMPARE(dialog->DeviceList->item(2)->text(), QStringLiteral("Port D"));

        ModalAnswerer answers;
        QString preselected;
        auto look = [&](QDialog& d) {
            preselected = dialog->DeviceList->currentItem()->text();
            d.reject();
        };
        answers.Act(look);
        f.frame->MidiSetup1Click();
        QCOMPARE(preselected, QStringLiteral("Synth"));                       // the stored name is not listed
        QCOMPARE(f.frame->Settings.MidiOutDevice, std::string("Elsewhere"));  // Cancel

        answers.Act([&](QDialog&) {
            dialog->DeviceList->setCurrentRow(1);
            emit dialog->DeviceList->itemDoubleClicked(dialog->DeviceList->item(1));  // closes with OK
        });
        f.frame->MidiSetup1Click();
        QCOMPARE(f.frame->Settings.MidiOutDevice, std::string("Port C"));
        QCOMPARE(f.Midi().catalog.log.opened.back(), 1);
        answers.Act(look);
        f.frame->MidiSetup1Click();
        QCOMPARE(preselected, QStringLiteral("Port C"));
        QVERIFY(answers.Unexpected.isEmpty());

        // Without devices the list is empty, and OK stores an empty name and says so.
        FrameFixture none(std::vector<std::string>{});
        QCOMPARE(none.frame->MidiSetupDlg->DeviceList->count(), 0);
        answers.Act([](QDialog& d) { d.accept(); }).Press(QMessageBox::Ok);
        none.frame->MidiSetup1Click();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Cannot open Midi output device "));
        QCOMPARE(none.frame->Settings.MidiOutDevice, std::string());
    }

    void TheKaraokePlayerDialogSetsThePlayerAndItsButtonOnlyOnOk() {
        FrameFixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answers;
        // Browse fills the path, OK takes both fields and enables the player's button;
        // an empty path disables it again.
        QVERIFY(!f.frame->PlayInPlayerButton->isEnabled());
        f.folder.WriteFile(QStringLiteral("tools/kplayer"), "#!/bin/sh\n");
        QString shownParameters;
        answers
            .Act([&](QDialog& d) {
                auto& dialog = dynamic_cast<TKaraPlayDlg&>(d);
                QCOMPARE(HelpOf(dialog), 15001);
                shownParameters = dialog.ParametersEdit->text();
                dialog.BrowseButtonClick();
                dialog.ParametersEdit->setText(QStringLiteral("-f %"));
                d.accept();
            })
            .ChooseFile(f.folder.Path(QStringLiteral("tools/kplayer")));
        f.frame->KaraokePlayer1Click();
        QCOMPARE(shownParameters, QStringLiteral("%"));
        QCOMPARE(f.frame->Settings.KaraokePlayer, f.folder.Path(QStringLiteral("tools/kplayer")).toStdString());
        QCOMPARE(f.frame->Settings.Parameters, std::string("-f %"));
        QVERIFY(f.frame->PlayInPlayerButton->isEnabled());
        QVERIFY(editor->PlayInKaraokePlayer1->isEnabled());
        auto clearPath = [](bool ok) {
            return [ok](QDialog& d) {
                dynamic_cast<TKaraPlayDlg&>(d).PathEdit->clear();
                ok ? d.accept() : d.reject();
            };
        };
        answers.Act(clearPath(false));
        f.frame->KaraokePlayer1Click();
        QVERIFY(f.frame->PlayInPlayerButton->isEnabled());
        answers.Act(clearPath(true));
        f.frame->KaraokePlayer1Click();
        QVERIFY(!f.frame->PlayInPlayerButton->isEnabled());
        QVERIFY(!editor->PlayInKaraokePlayer1->isEnabled());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void ASpecialLetterOfTheGridGoesInAtTheCaretThroughTheClipboard() {
        FrameFixture f;
        TSpecialLettersDlg* dialog = f.frame->SpecialLettersDlg;
        QCOMPARE(HelpOf(*dialog), 11006);
        std::string letters;
        for (QPushButton* button : dialog->LetterButtons) {
            const auto byte = static_cast<char>(button->property("letter").toInt());
            QCOMPARE(button->text(), BytesToPaneChars(std::string(1, byte)));
            letters += byte;
        }
        // Row by row; the code page's own bytes for š, Š, œ, Œ and Ÿ.
        QCOMPARE(letters, std::string("\xE4\xE2\xE0\xE1\xE3\xE5\xC4\xC2\xC0\xC1\xC3\xC5\xEB\xEA\xE8\xE9\xCB\xCA\xC8\xC9"
                                      "\xEF\xEE\xEC\xED\xCF\xCE\xCC\xCD\xF6\xF4\xF2\xF3\xF5\xF8\xD6\xD4\xD2\xD3\xD5\xD8"
                                      "\xFC\xFB\xF9\xFA\xDC\xDB\xD9\xDA\xE6\xC6\xE7\xC7\xF0\xD0\xF1\xD1\xFE\xDE\x9A\x8A"
                                      "\x9C\x8C\x9F\xFD\xDD\xDF"));

        TEditForm* editor = f.Open(QStringLiteral("s.stf"), "\\t 1\n\nCaf\n");
        editor->Memo1->Select(editor->Memo1->LineStartIndex(2) + 3, 0);
        QApplication::clipboard()->setText(QStringLiteral("old text"));
        ModalAnswerer answers;
        answers
            .Act([&](QDialog&) { dialog->LetterButtons[15]->click(); })  // é
            .Act([&](QDialog&) { dialog->CancelButton->click(); })
            .Act([&](QDialog&) { dialog->LetterButtons.back()->click(); });  // ß
        editor->SpecialLetters1Click();
        QCOMPARE(QApplication::clipboard()->text(), QString(QChar(0xE9)));
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9"));
        f.frame->SpecialLettersButton->trigger();  // Cancel: nothing
        f.frame->SpecialLettersButton->trigger();
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9\xDF"));
        QVERIFY(answers.AllUsed() && answers.Unexpected.isEmpty());
    }

    void TheAboutBoxSingsItsCreditsToItsTuneAndStopsItWhenItCloses() {
        FrameFixture f;
        {
            TAboutBox box(f.frame.get());
            QVERIFY(box.findChild<QLabel*>(QStringLiteral("AboutText"))->text().contains(ProgramVersion()));
            box.show();
            QVERIFY(box.TunePlaying());
            QCOMPARE(box.TuneButton->text(), QStringLiteral("&Stop tune"));
            // A line of credits a bar: two seconds at 120 beats a minute.
            f.Midi().RunUntil(*f.frame, 5 * Quarter);
            box.AnimationTimerTimer();
            QCOMPARE(box.Credits->SongTime(), 5 * 96);
            QCOMPARE(box.Credits->CurrentLine(), 1);
            QVERIFY(NotesOn(f.Midi().catalog.log, 0) >= 5);
            f.Midi().RunUntil(*f.frame, 40 * Quarter);  // the tune ends, the credits go on
            box.AnimationTimerTimer();
            QVERIFY(!f.frame->Playing());
            box.TuneButtonClick();
            QVERIFY(box.TunePlaying());
        }
        QVERIFY(!f.frame->Playing());

        // It interrupts no song that plays.
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Play1Click();
        {
            TAboutBox box(f.frame.get());
            box.show();
            QVERIFY(!box.TunePlaying());
        }
        QCOMPARE(f.frame->PlayEditor(), editor);
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
