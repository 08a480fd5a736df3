// The Hyphenation command in an editor window: the language dialog with the song text's
// language preselected, the lyric lines hyphenated and the header left alone, one Undo
// taking it all back, and what stops the command before anything changes.
#include <QtTest>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "shell/Hyphdlg.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

struct Fixture {
    TestProgramFolder folder;
    std::unique_ptr<TFrameForm> frame;
    explicit Fixture(const QStringList& patternFiles = {QStringLiteral("en.hyp"), QStringLiteral("fr.hyp")}) {
        folder.WriteFile(QStringLiteral("Sonkora.ini"), "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n");
        for (const QString& name : patternFiles)
            QFile::copy(QStringLiteral(SONKORA_RUNTIME_DIR "/") + name, folder.Path(name));
        frame = std::make_unique<TFrameForm>(folder.Environment());
        frame->show();
        frame->FinishStart();
    }
    ~Fixture() {
        for (TEditForm* editor : frame->Editors()) editor->Memo1->document()->setModified(false);
        frame->close();
    }
    TEditForm* Open(const QByteArray& bytes) {
        folder.WriteFile(QStringLiteral("song.stf"), bytes);
        TEditForm* editor = frame->CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("song.stf")));
        return editor;
    }
};

const QByteArray Presentation = "\\t 1\n@LENGL\n@TPresentation\n\nPresentation of hyphenation\nagain\n";

}  // namespace

class HyphenationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheLyricsAreHyphenatedInTheLanguageOfTheAtLLine() {
        Fixture f;
        QVERIFY(QFile::exists(f.folder.Path(QStringLiteral("en.hyp"))));
        TEditForm* editor = f.Open(Presentation);
        ModalAnswerer answers;
        QStringList listed;
        QString preselected;
        answers.Act([&](QDialog& d) {
            auto& dialog = dynamic_cast<THyphenationDlg&>(d);
            for (int i = 0; i < dialog.ComboBox1->count(); ++i) listed << dialog.ComboBox1->itemText(i);
            preselected = dialog.ComboBox1->currentText();
            dialog.OkButton->click();
        });
        editor->Hyphenation1Click();
        QCOMPARE(answers.Seen, QStringList({"dialog: Hyphenation Language"}));
        QVERIFY(answers.Unexpected.isEmpty());
        listed.sort();
        QCOMPARE(listed, QStringList({"ENGLISH", "FRENCH"}));
        QCOMPARE(preselected, QStringLiteral("ENGLISH"));
        QCOMPARE(editor->Memo1->toPlainText(),
                 QStringLiteral("\\t 1\n@LENGL\n@TPresentation\n\nPre-sen-ta-tion of hy-phen-ation\na-gain\n"));
        QVERIFY(editor->Memo1->document()->isModified());
        QCOMPARE(editor->Panel3->text(), QStringLiteral(" Modified"));

        // Again, from the tool button: the pieces are words of their own now, but no
        // hyphen goes beside one that is there.
        const QString once = editor->Memo1->toPlainText();
        answers.Act([](QDialog& d) { d.accept(); });
        f.frame->HyphenationButton->trigger();
        const QString twice = editor->Memo1->toPlainText();
        QCOMPARE(twice, QStringLiteral("\\t 1\n@LENGL\n@TPresentation\n\nPre-sen-ta-tion of hy-phen-a-tion\na-gain\n"));

        // One Undo takes one whole hyphenation back.
        editor->Undo1Click();
        QCOMPARE(editor->Memo1->toPlainText(), once);
        editor->Undo1Click();
        QCOMPARE(editor->Memo1->toPlainText(), QString::fromLatin1(Presentation));
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void ALanguageThatIsNotThereSelectsTheFirstAndCancelChangesNothing() {
        Fixture f;
        TEditForm* editor = f.Open("\\t 1\n@LKLINGON\n\nPresentation\n");
        ModalAnswerer answers;
        int index = -1;
        answers.Act([&](QDialog& d) {
            index = dynamic_cast<THyphenationDlg&>(d).ComboBox1->currentIndex();
            d.reject();
        });
        editor->Hyphenation1Click();
        QCOMPARE(index, 0);
        QCOMPARE(editor->Memo1->toPlainText(), QStringLiteral("\\t 1\n@LKLINGON\n\nPresentation\n"));
        QVERIFY(!editor->Memo1->document()->isModified());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void AMistakeInTheSongTextIsToldAndNoDialogShows() {
        Fixture f;
        const QByteArray text = "\\t 1\n\nPresentation " + QByteArray(130, 'a') + "\n";
        TEditForm* editor = f.Open(text);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        editor->Hyphenation1Click();
        QCOMPARE(answers.Seen, QStringList({"box: Syllable too long."}));
        QVERIFY(answers.Unexpected.isEmpty());
        QCOMPARE(editor->Memo1->toPlainText(), QString::fromLatin1(text));
    }

    void APatternFileOfAnotherVersionIsNamedAndLeftOut() {
        Fixture f({QStringLiteral("en.hyp")});
        QByteArray old = "Sonkora Hyphenation OLDISH V1.0";
        old.append(QByteArray(64, ' '));
        f.folder.WriteFile(QStringLiteral("old.hyp"), old);
        TEditForm* editor = f.Open(Presentation);
        ModalAnswerer answers;
        int count = 0;
        answers.Press(QMessageBox::Ok).Act([&](QDialog& d) {
            count = dynamic_cast<THyphenationDlg&>(d).ComboBox1->count();
            d.reject();
        });
        editor->Hyphenation1Click();
        QCOMPARE(answers.Seen.first(), QStringLiteral("box: Hyphenation pattern file old.hyp has an incorrect version "
                                                      "number 1.0. Version 2.0 is required."));
        QCOMPARE(count, 1);
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void WithoutPatternFilesOkDoesNothing() {
        Fixture f(QStringList{});
        TEditForm* editor = f.Open(Presentation);
        ModalAnswerer answers;
        int count = -1;
        answers.Act([&](QDialog& d) {
            count = dynamic_cast<THyphenationDlg&>(d).ComboBox1->count();
            d.accept();
        });
        editor->Hyphenation1Click();
        QCOMPARE(count, 0);
        QCOMPARE(editor->Memo1->toPlainText(), QString::fromLatin1(Presentation));
        QVERIFY(!editor->Memo1->document()->isModified());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void APatternFileThatCannotBeReadLeavesTheTextAsItWas() {
        Fixture f(QStringList{});
        f.folder.WriteFile(QStringLiteral("short.hyp"), "Sonkora Hyphenation SHORT V2.0");
        TEditForm* editor = f.Open(Presentation);
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        editor->Hyphenation1Click();
        QCOMPARE(answers.Seen.size(), qsizetype(1));
        QVERIFY2(answers.Seen.first().contains(QStringLiteral("short.hyp")), qPrintable(answers.Seen.first()));
        QCOMPARE(editor->Memo1->toPlainText(), QString::fromLatin1(Presentation));
        QVERIFY(answers.Unexpected.isEmpty());
    }
};

QTEST_MAIN(HyphenationTest)
#include "hyphenation_test.moc"
