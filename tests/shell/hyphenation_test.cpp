// The Hyphenation command in an editor window: the language dialog with the song text's
// language preselected, the lyric lines hyphenated and the header left alone, one Undo
// taking it all back, and what stops the command before anything changes.

#include <QComboBox>

#include "ShellHarness.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

const QByteArray Presentation = "\\t 1\n@LENGL\n@TPresentation\n\nPresentation of hyphenation\nagain\n";

// The shipped pattern files the build made, copied into the program folder.
void CopyPatterns(const TestProgramFolder& folder, const QStringList& names) {
    for (const QString& name : names)
        QVERIFY(QFile::copy(QStringLiteral(SONKORA_RUNTIME_DIR "/") + name, folder.Path(name)));
}

}  // namespace

class HyphenationTest : public QObject {
    Q_OBJECT

private slots:
    void TheLyricsAreHyphenatedInTheLanguageOfTheAtLLineAsOneUndoStepWordsOutsideTheCodePageLeftAlone() {
        Shell f;
        CopyPatterns(f.folder, {"de.hyp", "en.hyp"});
        EditorWindow* editor = f.Open("song.stf", Presentation);
        ModalAnswerer answers;
        QStringList listed;
        answers.Cancel().Act([&](QDialog& dialog) {
            auto* languages = Child<QComboBox>(&dialog, "languages");
            for (int i = 0; i < languages->count(); ++i) listed << languages->itemText(i);
            listed << languages->currentText();  // preselected
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        // A cancel changes nothing.
        Action(editor, "hyphenate")->trigger();
        QVERIFY(!SongText(editor)->document()->isModified());
        Action(f.frame.get(), "hyphenationButton")->trigger();
        QCOMPARE(listed, QStringList({"GERMAN", "ENGLISH", "ENGLISH"}));
        QCOMPARE(SongText(editor)->toPlainText(),
                 "\\t 1\n@LENGL\n@TPresentation\n\nPre-sen-ta-tion of hy-phen-ation\na-gain\n");
        QCOMPARE(Status(editor, "statusModified"), " Modified");
        QTest::keyClick(SongText(editor), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SongText(editor)->toPlainText(), QString::fromLatin1(Presentation));
        // Words with characters the code page cannot hold are left alone and saved as the file holds them.
        EditorWindow* mixed = f.Open("mixed.stf", "\\t 1\n@LENGL\n\nPresentation\n");
        SongText(mixed)->moveCursor(QTextCursor::End);
        SongText(mixed)->insertPlainText(QString::fromUtf8("presentation Ma\xC5\x82presentation again\n"));
        answers.Act([](QDialog& d) { d.accept(); }).Press(QMessageBox::Ok);
        mixed->hyphenate();
        QCOMPARE(answers.Seen.last(),
                 QStringLiteral("box: 1 word was left without hyphens: it holds characters a song text cannot hold "
                                "(Windows-1252). Change them, or hyphenate those words by hand."));
        QCOMPARE(
            SongText(mixed)->toPlainText(),
            QString::fromUtf8("\\t 1\n@LENGL\n\nPre-sen-ta-tion\npre-sen-ta-tion Ma\xC5\x82presentation a-gain\n"));
        // Saving asks first; No selects the character and writes nothing.
        answers.Press(QMessageBox::No);
        QVERIFY(!mixed->Save());
        QVERIFY2(answers.Seen.last().startsWith("box: Line 5 holds \"") && answers.Seen.last().contains("(U+0142)"),
                 qPrintable(answers.Seen.last()));
        QCOMPARE(SongText(mixed)->SelectionStart(), SongText(mixed)->toPlainText().indexOf(QChar(0x142)));
        QVERIFY(SongText(mixed)->SelectionLength() == 1 && !f.folder.ReadFile("mixed.stf").contains("pre"));
        // Saved with "?" after the warning, the pane shows the file's text.
        answers.Press(QMessageBox::Yes);
        QVERIFY(mixed->Save());
        const QString saved = "\\t 1\n@LENGL\n\nPre-sen-ta-tion\npre-sen-ta-tion Ma?presentation a-gain\n";
        QCOMPARE(QString::fromLatin1(f.folder.ReadFile("mixed.stf")).remove(QLatin1Char('\r')), saved);
        QCOMPARE(SongText(mixed)->toPlainText(), saved);
        QVERIFY(!SongText(mixed)->document()->isModified());
    }
};

QTEST_MAIN(HyphenationTest)
#include "hyphenation_test.moc"
