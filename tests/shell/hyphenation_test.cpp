// The Hyphenation command in an editor window: the language dialog with the song text's
// language preselected, the lyric lines hyphenated and the header left alone, one Undo
// taking it all back, and what stops the command before anything changes.
#include <QtTest>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "ShellHarness.h"
#include "shell/EditorWindow.h"
#include "shell/HyphenationDialog.h"
#include "shell/MainWindow.h"

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
    void TheLyricsAreHyphenatedInTheLanguageOfTheAtLLine() {
        Shell f;
        CopyPatterns(f.folder, {QStringLiteral("en.hyp"), QStringLiteral("fr.hyp")});
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), Presentation);
        ModalAnswerer answers;
        QStringList listed;
        QString preselected;
        answers.Act([&](QDialog& d) {
            auto& dialog = dynamic_cast<HyphenationDialog&>(d);
            for (int i = 0; i < Child<QComboBox>(&dialog, "languages")->count(); ++i)
                listed << Child<QComboBox>(&dialog, "languages")->itemText(i);
            preselected = Child<QComboBox>(&dialog, "languages")->currentText();
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        editor->hyphenate();
        QCOMPARE(answers.Seen, QStringList({"dialog: Hyphenation Language"}));
        listed.sort();
        QCOMPARE(listed, QStringList({"ENGLISH", "FRENCH"}));
        QCOMPARE(preselected, QStringLiteral("ENGLISH"));
        const QString once = SongText(editor)->toPlainText();
        QCOMPARE(once, QStringLiteral("\\t 1\n@LENGL\n@TPresentation\n\nPre-sen-ta-tion of hy-phen-ation\na-gain\n"));
        QCOMPARE(Status(editor, "statusModified"), QStringLiteral(" Modified"));

        // Again, from the tool button: the pieces are words of their own now, and no
        // hyphen goes beside one that is there.
        answers.Act([](QDialog& d) { d.accept(); });
        Action(f.frame.get(), "hyphenationButton")->trigger();
        QCOMPARE(SongText(editor)->toPlainText(),
                 QStringLiteral("\\t 1\n@LENGL\n@TPresentation\n\nPre-sen-ta-tion of hy-phen-a-tion\na-gain\n"));

        // One Undo takes one whole hyphenation back.
        editor->undo();
        QCOMPARE(SongText(editor)->toPlainText(), once);
        editor->undo();
        QCOMPARE(SongText(editor)->toPlainText(), QString::fromLatin1(Presentation));
    }

    void CancelOrAnUnreadablePatternFileLeavesTheTextAsItWas() {
        Shell f;
        CopyPatterns(f.folder, {QStringLiteral("en.hyp")});
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), "\\t 1\n@LKLINGON\n\nPresentation\n");
        ModalAnswerer answers;
        int index = -1;
        answers.Act([&](QDialog& d) {
            index = Child<QComboBox>(&d, "languages")->currentIndex();  // no match: the first
            d.reject();
        });
        editor->hyphenate();
        QCOMPARE(index, 0);
        QVERIFY(!SongText(editor)->document()->isModified());

        // A pattern file shorter than its identification cannot be read: told, nothing changed.
        f.folder.WriteFile(QStringLiteral("short.hyp"), "Sonkora Hyphenation SHORT V2.0");
        answers.Press(QMessageBox::Ok);
        editor->hyphenate();
        QVERIFY2(answers.Seen.last().contains(QStringLiteral("short.hyp")), qPrintable(answers.Seen.last()));
        QCOMPARE(SongText(editor)->toPlainText(), QStringLiteral("\\t 1\n@LKLINGON\n\nPresentation\n"));
        QVERIFY(!SongText(editor)->document()->isModified());
    }
};

QTEST_MAIN(HyphenationTest)
#include "hyphenation_test.moc"
