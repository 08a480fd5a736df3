// The dialogs: the voice track dialog with its audition, Midi Setup, Warnings, Karaoke
// Player and Special Letters, each with its caption, help topic and effect, and the
// about box with its tune.
#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "midi/MidiReader.h"
#include "playback/PlaybackEngine.h"
#include "shell/AboutBox.h"
#include "shell/EditorText.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/Midisdlg.h"
#include "shell/Optiodlg.h"
#include "shell/ShellTestSupport.h"
#include "shell/SongFiles.h"
#include "shell/Speclett.h"
#include "shell/Trackdlg.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

constexpr int64_t Quarter = 500'000;

struct Fixture {
    TestProgramFolder folder;
    std::unique_ptr<TFrameForm> frame;
    explicit Fixture(std::vector<std::string> devices = {"Test Synth", "Port B"}, const QByteArray& ini = {}) {
        folder.WriteFile(QStringLiteral("Sonkora.ini"),
                         ini.isEmpty() ? QByteArray("[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n") : ini);
        folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        ModalAnswerer quiet;  // a start without devices says so
        quiet.Press(QMessageBox::Ok);
        frame = std::make_unique<TFrameForm>(folder.Environment({}, std::move(devices)));
        frame->show();
        frame->FinishStart();
    }
    ~Fixture() {
        for (TEditForm* editor : frame->Editors()) editor->Memo1->document()->setModified(false);
        frame->close();
    }
    TEditForm* Open(const QString& name, const QByteArray& bytes) {
        folder.WriteFile(name, bytes);
        TEditForm* editor = frame->CreateEditor();
        editor->LoadFile(folder.Path(name));
        return editor;
    }
    TestMidiSystem& Midi() { return TestMidiSystem::Of(*frame); }
    QString Song() const { return folder.Path(QStringLiteral("song.mid")); }
};

int HelpOf(const QWidget& dialog) {
    return dialog.property("sonkoraHelpContext").toInt();
}

// The messages a device received on one channel, status bytes of one kind.
int CountOnChannel(const DeviceLog& log, uint8_t kind, int channel) {
    int count = 0;
    for (const Sent& sent : log.OfKind(kind))
        if ((sent.bytes[0] & 0x0F) == channel) ++count;
    return count;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheTrackDialogAuditionsTheSelectedTrackAndSwitchesWithTheSelection() {
        Fixture f;
        auto dialog = std::make_unique<TTrackDialog>(f.frame.get(), f.Song(), QStringList{"1  voice", "2  bass"});
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Voice Track"));
        QCOMPARE(HelpOf(*dialog), 13005);
        QCOMPARE(dialog->OkButton->text(), QStringLiteral("O&K"));
        QVERIFY(!dialog->StopButton->isEnabled());
        dialog->show();

        dialog->PlayTrackButtonClick();
        QVERIFY(f.frame->Playing());
        QCOMPARE(f.frame->PlayEditor(), nullptr);
        QCOMPARE(f.frame->Engine().SoloTrack(), 1);
        QCOMPARE(dialog->StatusText->text(), QStringLiteral("Playing track 1"));
        QVERIFY(dialog->StopButton->isEnabled());

        // Another line: that track at once, and the status says so.
        dialog->TrackList->setCurrentRow(1);
        QCOMPARE(f.frame->Engine().SoloTrack(), 2);
        QCOMPARE(dialog->StatusText->text(), QStringLiteral("Playing track 2"));
        QVERIFY(dialog->StopButton->isEnabled());
        f.Midi().RunUntil(*f.frame, Quarter);
        // Only the bass sounds, with its program; the voice's program goes out as state.
        const DeviceLog& log = f.Midi().catalog.log;
        QCOMPARE(CountOnChannel(log, 0x90, 1), 1);
        QCOMPARE(CountOnChannel(log, 0x90, 0), 0);
        QCOMPARE(CountOnChannel(log, 0xC0, 1), 1);

        dialog->StopButtonClick();
        QVERIFY(!f.frame->Playing());
        QVERIFY(dialog->StatusText->text().isEmpty());
        QVERIFY(!dialog->StopButton->isEnabled());
        // Stopped: a click on a line starts nothing until Play track.
        dialog->TrackList->setCurrentRow(0);
        QVERIFY(!f.frame->Playing());

        // An audition that runs to its end clears the status as well.
        dialog->PlayTrackButtonClick();
        f.Midi().RunUntil(*f.frame, 20 * Quarter);
        QVERIFY(!f.frame->Playing());
        QVERIFY(dialog->StatusText->text().isEmpty());
        QVERIFY(!dialog->StopButton->isEnabled());

        // However it closes, its audition stops with it.
        dialog->PlayTrackButtonClick();
        QVERIFY(f.frame->Playing());
        dialog->reject();
        dialog.reset();
        QVERIFY(!f.frame->Playing());
        QCOMPARE(f.frame->TrackDialog, nullptr);
    }

    void ATrackThatCannotBePlayedIsToldAndTheDialogStays() {
        Fixture f;
        const QString missing = f.folder.Path(QStringLiteral("gone.mid"));
        TTrackDialog dialog(f.frame.get(), missing, {"1  voice"});
        dialog.show();
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        dialog.PlayTrackButtonClick();
        QCOMPARE(answers.Seen, QStringList({QStringLiteral("box: Error opening Midi file ") + missing}));
        QVERIFY(!f.frame->Playing());
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.StatusText->text().isEmpty());
        QVERIFY(!dialog.StopButton->isEnabled());
    }

    void VoiceTrackSelectionAuditionsAndStopsWhenTheDialogCloses() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), "\\t 1\n\\m song.mid\n\nla la\n");
        ModalAnswerer answers;
        bool playedInside = false;
        answers.Act([&](QDialog& d) {
            auto& dialog = dynamic_cast<TTrackDialog&>(d);
            dialog.TrackList->setCurrentRow(1);
            dialog.PlayTrackButtonClick();
            playedInside = f.frame->Playing() && f.frame->Engine().SoloTrack() == 2;
            dialog.accept();
        });
        editor->VoiceTrackSelection1Click();
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(playedInside);
        QVERIFY(!f.frame->Playing());
        QVERIFY(editor->Memo1->toPlainText().startsWith(QStringLiteral("\\t 2\n")));
        // In a Soft Karaoke file's list the first line is its fourth track.
        TTrackDialog karaoke(f.frame.get(), f.Song(), {"1  voice"}, 3);
        QCOMPARE(karaoke.TrackOfLine(0), 3);
    }

    void MidiSetupListsTheDevicesAndOpensTheChosenOne() {
        Fixture f({"Synth", "Port C", "", "Port D"},
                  "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\nView0MidiOutDevice=Elsewhere\n");
        TMidiSetupDlg* dialog = f.frame->MidiSetupDlg;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Midi Setup"));
        QVERIFY(!dialog->HelpButton->isEnabled());
        QCOMPARE(dialog->DeviceList->count(), 3);  // the nameless one is left out
        QCOMPARE(dialog->DeviceList->item(1)->text(), QStringLiteral("Port C"));
        QCOMPARE(dialog->DeviceList->item(2)->text(), QStringLiteral("Port D"));

        ModalAnswerer answers;
        QString preselected;
        answers.Act([&](QDialog& d) {
            preselected = dialog->DeviceList->currentItem()->text();
            d.reject();
        });
        f.frame->MidiSetup1Click();
        QCOMPARE(preselected, QStringLiteral("Synth"));  // a stored name not listed: the first line
        QCOMPARE(f.frame->Settings.MidiOutDevice, std::string("Elsewhere"));

        const int closes = f.Midi().catalog.log.closes;
        answers.Act([&](QDialog&) {
            dialog->DeviceList->setCurrentRow(1);
            emit dialog->DeviceList->itemDoubleClicked(dialog->DeviceList->item(1));  // closes with OK
        });
        f.frame->MidiSetup1Click();
        QVERIFY2(answers.Unexpected.isEmpty(), qPrintable(answers.Unexpected.join(QLatin1Char(','))));
        QCOMPARE(f.frame->Settings.MidiOutDevice, std::string("Port C"));
        QVERIFY(f.frame->Engine().MidiOut() != 0);
        QCOMPARE(f.Midi().catalog.log.opened.back(), 1);
        QCOMPARE(f.Midi().catalog.log.closes, closes);  // nothing was open before: "Elsewhere" failed
        // Shown again, it starts on the device in use.
        answers.Act([&](QDialog& d) {
            preselected = dialog->DeviceList->currentItem()->text();
            d.reject();
        });
        f.frame->MidiSetup1Click();
        QCOMPARE(preselected, QStringLiteral("Port C"));
    }

    void WithoutDevicesMidiSetupStoresNothingAndSaysSo() {
        Fixture f(std::vector<std::string>{});
        TMidiSetupDlg* dialog = f.frame->MidiSetupDlg;
        QCOMPARE(dialog->DeviceList->count(), 0);
        ModalAnswerer answers;
        answers.Act([](QDialog& d) { d.accept(); }).Press(QMessageBox::Ok);
        f.frame->MidiSetup1Click();
        QCOMPARE(answers.Seen.last(), QStringLiteral("box: Cannot open Midi output device "));
        QCOMPARE(f.frame->Settings.MidiOutDevice, std::string());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void WarningsTakeTheBoxesOnlyOnOk() {
        Fixture f;
        TCompilerOptionsDlg* dialog = f.frame->CompilerOptionsDlg;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Warnings"));
        QCOMPARE(HelpOf(*dialog), 15002);
        QCOMPARE(dialog->MoreLyricsBox->text(), QStringLiteral("&Warn if more lyrics than vocal notes"));
        QCOMPARE(dialog->LessLyricsBox->text(), QStringLiteral("W&arn if less lyrics than vocal notes"));
        f.frame->Settings.CompilerLessLyrics = false;
        ModalAnswerer answers;
        bool shownMore = false;
        bool shownLess = true;
        answers.Act([&](QDialog& d) {
            shownMore = dialog->MoreLyricsBox->isChecked();
            shownLess = dialog->LessLyricsBox->isChecked();
            dialog->MoreLyricsBox->setChecked(false);
            d.reject();
        });
        f.frame->Warnings1Click();
        QVERIFY(shownMore);
        QVERIFY(!shownLess);
        QVERIFY(f.frame->Settings.CompilerMoreLyrics);
        answers.Act([&](QDialog& d) {
            dialog->MoreLyricsBox->setChecked(false);
            dialog->LessLyricsBox->setChecked(true);
            d.accept();
        });
        f.frame->Warnings1Click();
        QVERIFY(!f.frame->Settings.CompilerMoreLyrics);
        QVERIFY(f.frame->Settings.CompilerLessLyrics);
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void TheKaraokePlayerDialogSetsThePlayerAndItsButton() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        QVERIFY(!f.frame->PlayInPlayerButton->isEnabled());
        QVERIFY(!editor->PlayInKaraokePlayer1->isEnabled());
        f.folder.WriteFile(QStringLiteral("tools/kplayer"), "#!/bin/sh\n");
        ModalAnswerer answers;
        QString shownParameters;
        answers
            .Act([&](QDialog& d) {
                auto& dialog = dynamic_cast<TKaraPlayDlg&>(d);
                shownParameters = dialog.ParametersEdit->text();
                dialog.BrowseButtonClick();  // the file dialog is answered below
                dialog.ParametersEdit->setText(QStringLiteral("-f %"));
                d.accept();
            })
            .ChooseFile(f.folder.Path(QStringLiteral("tools/kplayer")));
        f.frame->KaraokePlayer1Click();
        QVERIFY2(answers.Unexpected.isEmpty(), qPrintable(answers.Unexpected.join(QLatin1Char(','))));
        QCOMPARE(answers.Seen.size(), qsizetype(2));
        QCOMPARE(answers.Seen[0], QStringLiteral("dialog: Karaoke Player"));
        QCOMPARE(shownParameters, QStringLiteral("%"));
        QCOMPARE(f.frame->Settings.KaraokePlayer, f.folder.Path(QStringLiteral("tools/kplayer")).toStdString());
        QCOMPARE(f.frame->Settings.Parameters, std::string("-f %"));
        QVERIFY(f.frame->PlayInPlayerButton->isEnabled());
        QVERIFY(editor->PlayInKaraokePlayer1->isEnabled());

        // Cancel keeps what was there; an empty path disables the button again.
        answers.Act([](QDialog& d) {
            dynamic_cast<TKaraPlayDlg&>(d).PathEdit->clear();
            d.reject();
        });
        f.frame->KaraokePlayer1Click();
        QVERIFY(f.frame->PlayInPlayerButton->isEnabled());
        answers.Act([](QDialog& d) {
            auto& dialog = dynamic_cast<TKaraPlayDlg&>(d);
            QCOMPARE(HelpOf(dialog), 15001);
            dialog.PathEdit->clear();
            d.accept();
        });
        f.frame->KaraokePlayer1Click();
        QVERIFY(!f.frame->PlayInPlayerButton->isEnabled());
        QVERIFY(!editor->PlayInKaraokePlayer1->isEnabled());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void TheSpecialLettersStandInTheirGridAsCodePageBytes() {
        Fixture f;
        TSpecialLettersDlg* dialog = f.frame->SpecialLettersDlg;
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Special Letters"));
        QCOMPARE(HelpOf(*dialog), 11006);
        QCOMPARE(dialog->LetterButtons.size(), size_t{66});
        const int rows[] = {20, 52, 85, 117, 150, 182, 215};
        std::string letters;
        for (QPushButton* button : dialog->LetterButtons) {
            const QRect place = button->geometry();
            QCOMPARE(place.size(), QSize(33, 26));
            QCOMPARE((place.x() - 20) % 39, 0);
            QVERIFY(std::find(std::begin(rows), std::end(rows), place.y()) != std::end(rows));
            const auto byte = static_cast<char>(button->property("letter").toInt());
            QCOMPARE(button->text(), BytesToPaneChars(std::string(1, byte)));
            letters += byte;
        }
        // Row by row, as the grid lists them; the code page's own bytes for š, Š, œ, Œ, Ÿ.
        QCOMPARE(letters, std::string("\xE4\xE2\xE0\xE1\xE3\xE5\xC4\xC2\xC0\xC1\xC3\xC5"
                                      "\xEB\xEA\xE8\xE9\xCB\xCA\xC8\xC9"
                                      "\xEF\xEE\xEC\xED\xCF\xCE\xCC\xCD"
                                      "\xF6\xF4\xF2\xF3\xF5\xF8\xD6\xD4\xD2\xD3\xD5\xD8"
                                      "\xFC\xFB\xF9\xFA\xDC\xDB\xD9\xDA"
                                      "\xE6\xC6\xE7\xC7\xF0\xD0\xF1\xD1\xFE\xDE\x9A\x8A"
                                      "\x9C\x8C\x9F\xFD\xDD\xDF"));
        // Ÿ stands in the fourth column of the last row, the third left empty.
        QCOMPARE(dialog->LetterButtons[62]->geometry().topLeft(), QPoint(20 + 3 * 39, 215));
        QCOMPARE(dialog->LetterButtons[62]->text(), QString(QChar(0x0178)));
    }

    void ASpecialLetterReplacesTheClipboardAndGoesInAtTheCaret() {
        Fixture f;
        TEditForm* editor = f.Open(QStringLiteral("s.stf"), "\\t 1\n\nCaf\n");
        editor->Memo1->Select(editor->Memo1->LineStartIndex(2) + 3, 0);
        QApplication::clipboard()->setText(QStringLiteral("old text"));
        ModalAnswerer answers;
        answers.Act([&](QDialog&) { f.frame->SpecialLettersDlg->LetterButtons[15]->click(); });  // é
        editor->SpecialLetters1Click();
        QCOMPARE(QApplication::clipboard()->text(), QString(QChar(0xE9)));
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9"));
        QVERIFY(editor->Memo1->document()->isModified());

        // Cancel puts nothing in; the tool button reaches the active window.
        answers.Act([](QDialog& d) { dynamic_cast<TSpecialLettersDlg&>(d).CancelButton->click(); });
        f.frame->SpecialLettersButton->trigger();
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9"));
        answers.Act([&](QDialog&) { f.frame->SpecialLettersDlg->LetterButtons.back()->click(); });  // ß
        f.frame->SpecialLettersButton->trigger();
        QCOMPARE(editor->Document().Line(2), std::string("Caf\xE9\xDF"));
        QCOMPARE(answers.Seen.size(), qsizetype(3));
        QVERIFY(answers.Unexpected.isEmpty());
        // The Preview page has no place for it.
        editor->Preview1Click();
        QVERIFY(!editor->SpecialLetters1->isEnabled());
        editor->SpecialLetters1Click();
        QCOMPARE(answers.Seen.size(), qsizetype(3));
    }

    void TheAboutTuneIsASongOfNineBars() {
        const std::string bytes = AboutTuneBytes();
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("tune.mid"), QByteArray::fromStdString(bytes));
        MidiReader reader;
        QVERIFY(reader.OpenMidi(folder.Path(QStringLiteral("tune.mid")).toStdString()));
        QVERIFY(reader.ReadMidiHeader());
        QCOMPARE(int(reader.Header().TrackCount), 4);
        QCOMPARE(int(reader.Header().Division), AboutTuneDivision);
        QVERIFY(reader.LoadTracks());
        int32_t end = 0;
        int notes = 0;
        for (uint16_t track = 0; track < 4; ++track) {
            MEvent event;
            for (int guard = 0; guard < 10000; ++guard) {
                const bool more = reader.ReadEvent(track, event);
                QCOMPARE(reader.MidiError(), 0);
                end = std::max(end, event.Time);
                if ((event.Status & 0xF0) == 0x90 && event.Data2 > 0) ++notes;
                if (!more) break;
            }
        }
        reader.CloseMidi();
        QCOMPARE(end, 9 * AboutTuneBarTicks);
        QVERIFY(notes > 40);
        QCOMPARE(AboutCredits().size(), qsizetype(8));
    }

    void TheAboutBoxSingsItsCreditsAndStopsItsTuneWhenItCloses() {
        Fixture f;
        {
            TAboutBox box(f.frame.get());
            QCOMPARE(box.windowTitle(), QStringLiteral("About Sonkora"));
            QVERIFY(box.findChild<QLabel*>(QStringLiteral("AboutText"))->text().contains(ProgramVersion()));
            box.show();
            QVERIFY(box.TunePlaying());
            QVERIFY(f.frame->Playing());
            QCOMPARE(f.frame->PlayEditor(), nullptr);
            QCOMPARE(box.TuneButton->text(), QStringLiteral("&Stop tune"));
            // The credits follow the tune, a line a bar (two seconds at 120 beats a minute).
            f.Midi().RunUntil(*f.frame, 5 * Quarter);
            box.AnimationTimerTimer();
            QCOMPARE(box.Credits->SongTime(), 5 * 96);
            QCOMPARE(box.Credits->CurrentLine(), 1);
            QVERIFY(CountOnChannel(f.Midi().catalog.log, 0x90, 0) >= 5);
        }
        QVERIFY(!f.frame->Playing());

        // It interrupts no song that plays, and its button plays the tune and stops it.
        TEditForm* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        editor->Play1Click();
        {
            TAboutBox box(f.frame.get());
            box.show();
            QVERIFY(!box.TunePlaying());
            QCOMPARE(f.frame->PlayEditor(), editor);
        }
        QCOMPARE(f.frame->PlayEditor(), editor);
        f.frame->StopPlaying();
        TAboutBox box(f.frame.get());
        box.show();
        box.TuneButtonClick();
        QVERIFY(!f.frame->Playing());
        QCOMPARE(box.TuneButton->text(), QStringLiteral("&Play tune"));
        box.TuneButtonClick();
        QVERIFY(box.TunePlaying());
    }

    void WithoutADeviceTheAboutBoxIsSilent() {
        Fixture f(std::vector<std::string>{});
        ModalAnswerer answers;
        TAboutBox box(f.frame.get());
        box.show();
        QVERIFY(!f.frame->Playing());
        QVERIFY(answers.Seen.isEmpty());
        const int32_t before = box.Credits->SongTime();
        QTest::qWait(60);
        QVERIFY(box.Credits->SongTime() > before);  // the credits go on by themselves
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
