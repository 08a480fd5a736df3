// Export As from the Karaoke menu and Shift Time Codes: the export goes through the
// save dialog to the file named in the success box; shifting moves every code as one
// Undo step, and a code that would fall before 1:1:0 names its line and changes nothing.
#include <QtTest>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>

#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class TimingExportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void LrcExportWritesTheChosenFileAndNamesIt() {
        EditorFixture f;
        f.folder.WriteFile(QStringLiteral("song.mid"), SixNoteSong());
        EditorWindow* editor = f.Open(QStringLiteral("six.stf"), SixSyllables);
        const QString output = f.folder.Path(QStringLiteral("out.lrc"));
        ModalAnswerer answer;
        answer.ChooseFile(output).Press(QMessageBox::Ok);
        QVERIFY(Action(f.frame.get(), "exportLrc"));
        editor->exportLrc();
        QVERIFY(answer.Unexpected.isEmpty());
        QCOMPARE(answer.Seen.size(), qsizetype(2));
        QCOMPARE(answer.Seen[0], QStringLiteral("file: Export As LRC"));
        QVERIFY2(answer.Seen[1].contains(output), qPrintable(answer.Seen[1]));
        const QByteArray lrc = f.folder.ReadFile(QStringLiteral("out.lrc"));
        QVERIFY2(lrc.contains("[00:00.00]Hello world\n[00:01.50]how are you\n"), lrc.constData());
    }

    void ShiftMovesEveryCodeAsOneUndoStep() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("codes.stf"), "\\t 1\n\nHel-$2:1:0$lo\n$3:4:100$world\n");
        const auto shiftBy = [&](const QString& amount) {
            ModalAnswerer answer;
            answer.Act([amount](QDialog& dialog) {
                dialog.findChild<QLineEdit*>(QStringLiteral("amount"))->setText(amount);
                dialog.accept();
            });
            editor->shiftTimeCodes();
            return answer.Seen;
        };
        shiftBy(QStringLiteral("1:30"));
        QCOMPARE(editor->Document().Line(2), std::string("Hel-$2:2:30$lo"));
        QCOMPARE(editor->Document().Line(3), std::string("$4:2:10$world"));
        editor->undo();
        QCOMPARE(editor->Document().Line(2), std::string("Hel-$2:1:0$lo"));
        QCOMPARE(editor->Document().Line(3), std::string("$3:4:100$world"));

        // Only the selection's code moves.
        SongText(editor)->Select(SongText(editor)->LineStartIndex(3), 9);
        shiftBy(QStringLiteral("-2"));
        QCOMPARE(editor->Document().Line(2), std::string("Hel-$2:1:0$lo"));
        QCOMPARE(editor->Document().Line(3), std::string("$3:2:100$world"));
    }

    void AShiftBeforeTheStartNamesTheLineAndChangesNothing() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("early.stf"), "\\t 1\n\nHel-$2:1:0$lo\n$1:1:60$world\n");
        ModalAnswerer answer;
        answer
            .Act([](QDialog& dialog) {
                dialog.findChild<QLineEdit*>(QStringLiteral("amount"))->setText(QStringLiteral("-1"));
                dialog.accept();
            })
            .Press(QMessageBox::Ok);
        editor->shiftTimeCodes();
        QCOMPARE(answer.Seen.size(), qsizetype(2));
        QVERIFY2(answer.Seen[1].startsWith(QStringLiteral("box: Line 4, column 1:")), qPrintable(answer.Seen[1]));
        QCOMPARE(editor->Document().Line(2), std::string("Hel-$2:1:0$lo"));
        QVERIFY(!SongText(editor)->document()->isModified());
    }
};

QTEST_MAIN(TimingExportTest)
#include "timing_export_test.moc"
