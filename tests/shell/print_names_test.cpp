// Without a printer the two print commands save PDF files beside the song text; each
// has a name of its own, so the second does not replace the first.
#include <QtTest>

#include <QApplication>

#include "shell/EditorPrinting.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

class PrintNamesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheTwoPrintCommandsWriteDifferentPdfFiles() {
        FrameFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        EditorPrinting& printing = editor->Printing();
        printing.PrinterInstalled = [] { return false; };
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        printing.printStf();
        printing.printSongText();
        QVERIFY2(answers.Unexpected.isEmpty(), qPrintable(answers.Unexpected.join(QLatin1Char(','))));
        QCOMPARE(answers.Seen, QStringList({"box: No printer is installed, so the printout was saved as " +
                                                f.folder.Path(QStringLiteral("song.pdf")) + ".",
                                            "box: No printer is installed, so the printout was saved as " +
                                                f.folder.Path(QStringLiteral("song.lyrics.pdf")) + "."}));
        QVERIFY(f.folder.ReadFile(QStringLiteral("song.pdf")).startsWith("%PDF"));
        QVERIFY(f.folder.ReadFile(QStringLiteral("song.lyrics.pdf")).startsWith("%PDF"));
    }
};

QTEST_MAIN(PrintNamesTest)
#include "print_names_test.moc"
