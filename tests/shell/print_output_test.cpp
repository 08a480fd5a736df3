// Printing, read back from the PDF it makes with pdftotext: lines in order over as
// many pages as the font needs, long lines carried over rather than cut off, Print STF
// and Print Song Text from an editor window with and without a printer, and the .prn
// file written while the batch run's item is visible.
#include <QtTest>

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include "shell/EditorPrinting.h"
#include "shell/EditorWindow.h"
#include "shell/LineWriter.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

struct PdfContent {
    int Pages = 0;
    QStringList Lines;  // every line, blanks at the end removed
    QString Text;
};

PdfContent ReadPdf(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    PdfContent content;
    content.Text = QString::fromUtf8(process.readAllStandardOutput());
    content.Pages = static_cast<int>(content.Text.count(QLatin1Char('\f')));
    QString text = content.Text;
    text.remove(QLatin1Char('\f'));
    for (QString line : text.split(QLatin1Char('\n'))) {
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
        content.Lines << line;
    }
    while (!content.Lines.isEmpty() && content.Lines.last().isEmpty()) content.Lines.removeLast();
    return content;
}

QPageLayout A4() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

QFont Courier(int points) {
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(points);
    return font;
}

// One unit per character, a surrogate pair being one character.
qreal Units(QStringView) {
    return 1;
}

const QByteArray Song =
    "\\t 2\r\n\\m song.mid\r\n@LENGL\r\n@TMy Song\r\n@WBy someone\r\n\r\nHel-lo world,\r\nhow are you\r\n\r\n"
    "Fine_ty $3:1:0$thanks Caf\xe9\r\n";

// Accepts the print dialog when it shows, as a person pressing Print would.
class PrintDialogAccepter : public QObject {
public:
    PrintDialogAccepter() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QPrintDialog*>(widget); dialog && dialog->isVisible()) {
                    ++Accepted;
                    dialog->accept();
                }
        });
        timer_.start();
    }
    int Accepted = 0;

private:
    QTimer timer_;
};

}  // namespace

class PrintOutputTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void LongLinesAreCarriedOverWholeNeverCut() {
        QCOMPARE(WrapLine(QStringLiteral("aaa bbb ccc"), 7, Units), QStringList({"aaa bbb ", "ccc"}));
        QCOMPARE(WrapLine(QStringLiteral("ab cdefghij"), 5, Units), QStringList({"ab ", "cdefg", "hij"}));
        QCOMPARE(WrapLine(QStringLiteral("abcdefghij"), 4, Units), QStringList({"abcd", "efgh", "ij"}));
        QCOMPARE(WrapLine(QStringLiteral("short"), 40, Units), QStringList({"short"}));
        QCOMPARE(WrapLine(QString(), 4, Units), QStringList({QString()}));
        // A character wider than the page still gets a piece of its own.
        QCOMPARE(WrapLine(QStringLiteral("xyz"), 0.5, Units), QStringList({"x", "y", "z"}));
        // A character outside the 16-bit range is never split in two.
        const QString emoji = QString::fromUcs4(U"a\U0001F600b");
        QCOMPARE(WrapLine(emoji, 1, Units), QStringList({"a", QString::fromUcs4(U"\U0001F600"), "b"}));
    }

    void TabsAndThePrintPassTextBecomePrintableLines() {
        QCOMPARE(ExpandTabs(u"a\tb"), QStringLiteral("a       b"));
        QCOMPARE(ExpandTabs(u"12345678\tx"), QStringLiteral("12345678        x"));
        QCOMPARE(PrintTextLines("\n"), QStringList({""}));
        QCOMPARE(PrintTextLines(""), QStringList());
    }

    void LinesComeOutInOrderOverAsManyPagesAsTheFontNeedsAndWideOnesGoOnBelow() {
        TestProgramFolder folder;
        QStringList lines;
        for (int i = 1; i <= 300; ++i) lines << QStringLiteral("Line %1 of the song").arg(i);
        QStringList words;
        for (int i = 1; i <= 60; ++i) words << QStringLiteral("w%1").arg(i);
        const QStringList printedLines = lines + QStringList{words.join(QLatin1Char(' '))};
        QString error;
        QVERIFY2(PrintLinesToPdf(folder.Path(QStringLiteral("small.pdf")), A4(), Courier(10), QStringLiteral("t"),
                                 printedLines, error),
                 qPrintable(error));
        QVERIFY(PrintLinesToPdf(folder.Path(QStringLiteral("large.pdf")), A4(), Courier(20), QStringLiteral("t"),
                                printedLines, error));
        const PdfContent small = ReadPdf(folder.Path(QStringLiteral("small.pdf")));
        const PdfContent large = ReadPdf(folder.Path(QStringLiteral("large.pdf")));
        for (const PdfContent* pdf : {&small, &large}) {
            QStringList printed;
            for (const QString& line : pdf->Lines)
                if (!line.trimmed().isEmpty()) printed << line.trimmed();
            // The wide line is carried over whole words at a time, never cut off.
            QCOMPARE(printed.mid(0, lines.size()), lines);
            QVERIFY2(printed.size() > lines.size() + 1, qPrintable(pdf->Text.right(400)));
            QCOMPARE(printed.mid(lines.size()).join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts),
                     words);
        }
        // About 66 lines of 10 points fit on an A4 page within its margins.
        QVERIFY2(small.Pages >= 4 && small.Pages <= 6, qPrintable(QString::number(small.Pages)));
        QVERIFY2(large.Pages >= 2 * small.Pages - 1,
                 qPrintable(QStringLiteral("%1 %2").arg(small.Pages).arg(large.Pages)));
    }

    void APdfThatCannotBeWrittenLeavesNothing() {
        TestProgramFolder folder;
        QString error;
        const QString path = folder.Path(QStringLiteral("no/such/folder/out.pdf"));
        QVERIFY(!PrintLinesToPdf(path, A4(), Courier(10), QStringLiteral("t"), {QStringLiteral("x")}, error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void PrintStfWithoutAPrinterMakesAPdfBesideTheSongText() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), Song);
        EditorPrinting& printing = editor->Printing();
        printing.PrinterInstalled = [] { return false; };
        const QString pdfPath = f.folder.Path(QStringLiteral("song.pdf"));
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        printing.printStf();
        QCOMPARE(
            answers.Seen,
            QStringList{QStringLiteral("box: No printer is installed, so the printout was saved as %1.").arg(pdfPath)});
        const PdfContent pdf = ReadPdf(pdfPath);
        // Every line as it stands, escape codes and syllable marks included.
        QCOMPARE(pdf.Lines.size(), qsizetype(10));
        QCOMPARE(pdf.Lines[0].trimmed(), QStringLiteral("\\t 2"));
        QCOMPARE(pdf.Lines[6].trimmed(), QStringLiteral("Hel-lo world,"));
        QCOMPARE(pdf.Lines[9].trimmed(), QStringLiteral("Fine_ty $3:1:0$thanks Café"));
        QVERIFY(pdf.Lines[5].isEmpty());

        // An empty text still makes a job: one empty page.
        EditorWindow* empty = f.Open(QStringLiteral("empty.stf"), QByteArray());
        EditorPrinting& emptyPrinting = empty->Printing();
        emptyPrinting.PrinterInstalled = [] { return false; };
        answers.Press(QMessageBox::Ok);
        emptyPrinting.printStf();
        const PdfContent blank = ReadPdf(f.folder.Path(QStringLiteral("empty.pdf")));
        QCOMPARE(blank.Pages, 1);
        QVERIFY(blank.Lines.isEmpty());
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void AnExistingPdfIsReplacedOnlyWhenTheUserSaysSo() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), Song);
        f.folder.WriteFile(QStringLiteral("song.pdf"), "the user's own sheet music");
        EditorPrinting& printing = editor->Printing();
        printing.PrinterInstalled = [] { return false; };
        ModalAnswerer answers;
        answers.Press(QMessageBox::No);
        printing.printStf();
        QCOMPARE(answers.Seen.size(), qsizetype(1));
        QVERIFY2(answers.Seen[0].contains(QStringLiteral("already exists")), qPrintable(answers.Seen[0]));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.pdf")), QByteArray("the user's own sheet music"));

        answers.Press(QMessageBox::Yes).Press(QMessageBox::Ok);
        printing.printStf();
        QVERIFY(ReadPdf(f.folder.Path(QStringLiteral("song.pdf"))).Text.contains(QStringLiteral("how are you")));
        QVERIFY(answers.AllUsed());
    }

    void ThePrintDialogChoosesWhereTheJobGoes() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), Song);
        EditorPrinting& printing = editor->Printing();
        printing.PrinterInstalled = [] { return true; };
        const QString chosen = f.folder.Path(QStringLiteral("chosen.pdf"));
        printing.Printer().setOutputFormat(QPrinter::PdfFormat);
        printing.Printer().setOutputFileName(chosen);
        {
            ModalAnswerer answers;
            answers.Cancel();
            printing.printStf();
            QCOMPARE(answers.Seen, QStringList{QStringLiteral("dialog: Print")});
        }
        QVERIFY(!QFile::exists(chosen));
        {
            PrintDialogAccepter accepter;
            printing.printSongText();
            QCOMPARE(accepter.Accepted, 1);
        }
        const PdfContent pdf = ReadPdf(chosen);
        // Only the lyrics, as they are sung.
        QVERIFY2(pdf.Text.contains(QStringLiteral("Hello world,")), qPrintable(pdf.Text));
        QVERIFY(pdf.Text.contains(QStringLiteral("Finety thanks Café")));
        QVERIFY(!pdf.Text.contains(QStringLiteral("song.mid")));
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("song.pdf"))));
    }

    void PrintSongTextOfABrokenTextShowsTheErrorAndNoDialog() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("bad.stf"), "\\t 1\n\nla " + QByteArray(130, 'a') + "\n");
        EditorPrinting& printing = editor->Printing();
        printing.PrinterInstalled = [] { return true; };
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        printing.printSongText();
        QCOMPARE(answers.Seen, QStringList{QStringLiteral("box: Syllable too long.")});
        QVERIFY(answers.Unexpected.isEmpty());
        // The same while the batch run's item is visible: no print file either.
        printing.PrintsToFile = [] { return true; };
        answers.Press(QMessageBox::Ok);
        printing.printSongText();
        QVERIFY(answers.Unexpected.isEmpty());
        QVERIFY(!QFile::exists(f.folder.Path(QStringLiteral("bad.prn"))));
    }

    void WhileTheBatchItemIsVisibleTheLyricsGoToAPrintFile() {
        EditorFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), Song);
        f.folder.WriteFile(QStringLiteral("song.prn"),
                           "an older print file that is longer than the new one\r\n\r\n\r\n");
        EditorPrinting& printing = editor->Printing();
        printing.PrintsToFile = [] { return true; };
        printing.PrinterInstalled = [] { return true; };  // no dialog all the same
        ModalAnswerer answers;
        printing.printSongText();
        QVERIFY(answers.Seen.isEmpty());
        QVERIFY(answers.Unexpected.isEmpty());
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.prn")),
                 QByteArray(
                     "My Song\r\nBy someone\r\n\r\n\r\nHello world,\r\nhow are you\r\n\r\nFinety thanks Caf\xe9\r\n"));
        // The song text itself is untouched.
        QCOMPARE(f.folder.ReadFile(QStringLiteral("song.stf")), Song);

        // A song text without an extension gets ".prn" added.
        EditorWindow* bare = f.Open(QStringLiteral("ballad"), "\\t 1\n\nla la\n");
        EditorPrinting& barePrinting = bare->Printing();
        barePrinting.PrintsToFile = [] { return true; };
        barePrinting.printSongText();
        QCOMPARE(f.folder.ReadFile(QStringLiteral("ballad.prn")), QByteArray("\r\n\r\nla la\r\n"));
        QVERIFY(answers.Unexpected.isEmpty());
    }

    void ASongTextNamedLikeItsPrintFileIsNeverOverwritten() {
        EditorFixture f;
        const QByteArray text = "\\t 1\n\nla la\n";
        EditorWindow* editor = f.Open(QStringLiteral("odd.prn"), text);
        EditorPrinting& printing = editor->Printing();
        printing.PrintsToFile = [] { return true; };
        ModalAnswerer answers;
        answers.Press(QMessageBox::Ok);
        printing.printSongText();
        QCOMPARE(answers.Seen.size(), qsizetype(1));
        QVERIFY2(answers.Seen[0].contains(QStringLiteral("song text itself")), qPrintable(answers.Seen[0]));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("odd.prn")), text);

        // Nor is one named like its PDF.
        EditorWindow* pdfNamed = f.Open(QStringLiteral("odd.pdf"), text);
        EditorPrinting& pdfPrinting = pdfNamed->Printing();
        pdfPrinting.PrinterInstalled = [] { return false; };
        answers.Press(QMessageBox::Ok);
        pdfPrinting.printStf();
        QVERIFY2(answers.Seen.last().contains(QStringLiteral("song text itself")), qPrintable(answers.Seen.last()));
        QCOMPARE(f.folder.ReadFile(QStringLiteral("odd.pdf")), text);
        QVERIFY(answers.Unexpected.isEmpty());
    }
};

QTEST_MAIN(PrintOutputTest)
#include "print_output_test.moc"
