// Printing, read back from the PDF it makes with pdftotext: lines in order over as many
// pages as the font needs, long lines carried over rather than cut off, Print STF and
// Print Song Text with and without a printer, and the .prn file of the batch run.

#include <QComboBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>

#include "ShellHarness.h"
#include "shell/EditorPrinting.h"
#include "shell/LineWriter.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

struct PdfContent {
    int Pages = 0;
    QStringList Lines;  // trimmed, blank ones left out
};

PdfContent ReadPdf(const QString& path) {
    QProcess process;
    process.start("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"});
    process.waitForFinished(60000);
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    PdfContent content{static_cast<int>(text.count(QLatin1Char('\f'))), {}};
    for (const QString& line : QString(text).remove(QLatin1Char('\f')).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) content.Lines << line.trimmed();
    return content;
}

const QByteArray Song =
    "\\t 2\r\n\\m song.mid\r\n@LENGL\r\n@TMy Song\r\n@WBy someone\r\n\r\nHel-lo world,\r\nhow are you\r\n\r\n"
    "Fine_ty $3:1:0$thanks Caf\xe9\r\n";

// An editor on Song whose printing sees a printer or not, and the batch item or not.
EditorPrinting& Printing(Shell& f, const QString& name, bool printer, bool toFile = false,
                         const QByteArray& text = Song) {
    EditorPrinting& printing = f.Open(name, text)->Printing();
    printing.PrinterInstalled = [printer] { return printer; };
    printing.PrintsToFile = [toFile] { return toFile; };
    return printing;
}

}  // namespace

class PrintOutputTest : public QObject {
    Q_OBJECT

private slots:
    void LongLinesAreCarriedOverWholeNeverCut() {
        const QString smile = QString::fromUcs4(U"\U0001F600");
        using Case = std::tuple<QString, double, QStringList>;
        for (const auto& [line, width, pieces] : {Case{"aaa bbb ccc", 7.0, {"aaa bbb ", "ccc"}},      // at a blank
                                                  Case{"ab cdefghij", 5.0, {"ab ", "cdefg", "hij"}},  // a long word cut
                                                  Case{"", 4.0, {""}},                                // empty
                                                  Case{"xyz", 0.5, {"x", "y", "z"}},  // wider than the page
                                                  Case{"a" + smile + "b", 1.0, {"a", smile, "b"}}})  // a pair whole
            // One unit a character, a surrogate pair being one character.
            QCOMPARE(WrapLine(line, width, [](QStringView) { return qreal(1); }), pieces);
    }

    void LinesComeOutInOrderOverAsManyPagesAsTheFontNeeds() {
        TestProgramFolder folder;
        QStringList lines, words;
        for (int i = 1; i <= 300; ++i) lines << QStringLiteral("Line %1 of the song").arg(i);
        for (int i = 1; i <= 60; ++i) words << QStringLiteral("w%1").arg(i);
        QFont font("Courier New");
        const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                             QPageLayout::Millimeter);
        QString error;
        QList<int> pages;
        for (int points : {10, 20}) {
            const QString path = folder.Path(QStringLiteral("%1.pdf").arg(points));
            font.setPointSize(points);
            QVERIFY2(
                PrintLinesToPdf(path, a4, font, "t", lines + QStringList{words.join(' ')}, error) && error.isEmpty(),
                qPrintable(error));
            const PdfContent pdf = ReadPdf(path);
            QCOMPARE(pdf.Lines.mid(0, lines.size()), lines);
            // The wide line goes on below, whole words at a time.
            QVERIFY(pdf.Lines.size() > lines.size() + 1);
            QCOMPARE(pdf.Lines.mid(lines.size()).join(' ').split(' '), words);
            pages << pdf.Pages;
        }
        // About 66 lines of 10 points fit on an A4 page within its margins.
        QVERIFY2(pages[0] >= 4 && pages[0] <= 6 && pages[1] >= 2 * pages[0] - 1,
                 qPrintable(QStringLiteral("%1 %2").arg(pages[0]).arg(pages[1])));
        // A PDF that cannot be written leaves nothing.
        QVERIFY(!PrintLinesToPdf(folder.Path("no/such/out.pdf"), a4, font, "t", {"x"}, error) && !error.isEmpty());
        QVERIFY(!QFile::exists(folder.Path("no/such/out.pdf")));
        QCOMPARE(ExpandTabs(u"12345678\tx"), "12345678        x");  // tabs every eight columns
    }

    void PrintStfWithoutAPrinterMakesAPdfBesideTheSongTextReplacedOnlyWhenAllowedWithOneThePrintDialogChooses() {
        Shell f;
        EditorPrinting& printing = Printing(f, "song.stf", false);
        const QString pdfPath = f.folder.Path("song.pdf");
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        printing.printStf();
        QCOMPARE(answers.Seen,
                 QStringList{"box: No printer is installed, so the printout was saved as " + pdfPath + "."});
        // Every line as it stands, escape codes and syllable marks included.
        QCOMPARE(ReadPdf(pdfPath).Lines, QString::fromLatin1(Song).remove('\r').split('\n', Qt::SkipEmptyParts));
        // An existing PDF is asked about; No keeps it.
        f.folder.WriteFile("song.pdf", "the user's own sheet music");
        answers.Press(QMessageBox::No);
        printing.printStf();
        QCOMPARE(f.folder.ReadFile("song.pdf"), QByteArray("the user's own sheet music"));
        answers.Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        printing.printStf();
        // Print Song Text saves a file of its own, leaving the replaced one alone.
        answers.Press(QMessageBox::Ok);
        printing.printSongText();
        QCOMPARE(answers.Seen.last(), "box: No printer is installed, so the printout was saved as " +
                                          f.folder.Path("song.lyrics.pdf") + ".");
        QVERIFY(ReadPdf(f.folder.Path("song.lyrics.pdf")).Lines.contains("Hello world,"));
        QVERIFY(ReadPdf(pdfPath).Lines.contains("\\m song.mid"));
        // An empty text still makes a job: one empty page.
        answers.Press(QMessageBox::Ok);
        Printing(f, "empty.stf", false, false, {}).printStf();
        QCOMPARE(ReadPdf(f.folder.Path("empty.pdf")).Pages, 1);
        // With a printer, the print dialog chooses where the job goes.
        EditorPrinting& printer = Printing(f, "dialog.stf", true);
        const QString chosen = f.folder.Path("chosen.pdf");
        printer.Printer().setOutputFormat(QPrinter::PdfFormat);
        printer.Printer().setOutputFileName(chosen);
        answers.Cancel().Act([](QDialog& dialog) { dialog.accept(); });
        printer.printStf();
        QVERIFY(!QFile::exists(chosen));
        printer.printSongText();
        QCOMPARE(answers.Seen.mid(6), QStringList({"dialog: Print", "dialog: Print"}));
        QVERIFY(ReadPdf(chosen).Lines.contains("Finety thanks Café"));  // the lyrics, as they are sung
        QVERIFY(!QFile::exists(f.folder.Path("dialog.pdf")));
    }

    void PrintSetupChoosesAPrinterOrThePdfFile() {
        Shell f;
        EditorWindow* editor = f.Open("song.stf", Song);
        const QString pdf = f.folder.Path("song.pdf");
        const QString toPdf = "box: The printout was saved as " + pdf + ".", beside = "PDF file beside the song text";
        // Printers installed, what Print Setup lists (the preselected one first), the one chosen, where printing goes.
        using Case = std::tuple<QStringList, QStringList, int, QString>;
        ModalAnswerer answers;
        for (const auto& [installed, listed, choose, printGoesTo] :
             {Case{{"Office", "Lab"}, {"Office", "Lab", beside}, 1, "dialog: Print"},
              Case{{"Office"}, {"Office", beside}, 1, toPdf},
              Case{{}, {beside}, 0, toPdf}}) {  // the PDF file always offered
            QFile::remove(pdf);
            editor->Printing().PrinterNames = [names = installed] { return names; };
            QStringList offered;
            answers.Act([&](QDialog& dialog) {
                auto* printers = Child<QComboBox>(&dialog, "printers");
                offered << printers->currentText();
                for (int i = 0; i < printers->count(); ++i)
                    if (i != printers->currentIndex()) offered << printers->itemText(i);
                printers->setCurrentIndex(choose);
                dialog.accept();
            });
            Action(editor, "printSetup")->trigger();
            answers.Cancel();
            Action(editor, "printStf")->trigger();
            QCOMPARE(offered, listed);
            QCOMPARE(answers.Seen.mid(answers.Seen.size() - 2), QStringList({"dialog: Print Setup", printGoesTo}));
            QCOMPARE(QFile::exists(pdf), printGoesTo == toPdf);
        }
    }

    void WhileTheBatchItemIsVisibleTheLyricsGoToAPrintFileButNeverOverASongTextNorFromABrokenOne() {
        Shell f;
        f.folder.WriteFile("song.prn", "an older print file that is longer than the new one\r\n\r\n");
        ModalAnswerer answers;
        Printing(f, "song.stf", true, true).printSongText();  // no dialog all the same
        QCOMPARE(f.folder.ReadFile("song.prn"),
                 "My Song\r\nBy someone\r\n\r\n\r\nHello world,\r\nhow are you\r\n\r\nFinety thanks Caf\xe9\r\n");
        QCOMPARE(f.folder.ReadFile("song.stf"), Song);
        // A song text without an extension gets ".prn" added.
        const QByteArray text = "\\t 1\n\nla la\n";
        Printing(f, "ballad", true, true, text).printSongText();
        QCOMPARE(f.folder.ReadFile("ballad.prn"), QByteArray("\r\n\r\nla la\r\n"));
        // A song text named like the print file or PDF is told about and left alone.
        answers.Press(QMessageBox::Ok).Press(QMessageBox::Ok);
        Printing(f, "odd.prn", true, true, text).printSongText();
        Printing(f, "odd.pdf", false, false, text).printStf();
        QCOMPARE(answers.Seen.filter("song text itself").size(), qsizetype(2));
        QCOMPARE(f.folder.ReadFile("odd.prn"), text);
        QCOMPARE(f.folder.ReadFile("odd.pdf"), text);
        // A broken song text shows the error and prints nothing, to the printer or to the print file.
        for (bool toFile : {false, true}) {
            answers.Press(QMessageBox::Ok);
            Printing(f, QStringLiteral("bad%1.stf").arg(toFile), true, toFile,
                     "\\t 1\n\nla " + QByteArray(130, 'a') + "\n")
                .printSongText();
            QCOMPARE(answers.Seen.last(), "box: Syllable too long.");
            QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("bad%1.prn").arg(toFile))));
        }
    }
};

QTEST_MAIN(PrintOutputTest)
#include "print_output_test.moc"
