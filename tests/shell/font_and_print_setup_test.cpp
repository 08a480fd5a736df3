// Options > Font starts on the font the editor shows and stores the pitch of the font
// chosen; File > Print Setup offers the printers installed and a PDF file, and the
// print commands then go where it chose.
#include <QtTest>

#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrintDialog>

#include "shell/EditorPrinting.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

const QByteArray Ini =
    "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\nView0FontName=Courier New\n"
    "View0FontPitch=0\nView0FontSize=11\n";

// Runs `action` on the modal dialog `command` opens, once it shows; returns its title.
template <class Command>
QString OnModal(Command command, std::function<void(QDialog&)> action) {
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        title = dialog->windowTitle();
        action(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    command();
    return title;
}

}  // namespace

class FontAndPrintSetupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TheFontDialogStartsOnTheEditorFontAndStoresThePitchOfTheChoice() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), Ini);
        {
            MainWindow frame(folder.Environment());
            frame.show();
            const QString shown = QFontInfo(frame.EditorFont()).family();
            const struct {
                QString family;
                int pitch;
            } choices[] = {{QStringLiteral("DejaVu Sans"), 1}, {QStringLiteral("DejaVu Sans Mono"), 2}};
            QString startFamily;
            int startSize = 0;
            for (const auto& choice : choices) {
                OnModal([&] { frame.chooseFont(); },
                        [&](QDialog& dialog) {
                            auto& fonts = static_cast<QFontDialog&>(dialog);
                            if (startFamily.isEmpty()) {
                                startFamily = fonts.currentFont().family();
                                startSize = fonts.currentFont().pointSize();
                            }
                            fonts.setCurrentFont(QFont(choice.family, 12));
                            fonts.accept();
                        });
                QCOMPARE(frame.Settings().FontName, choice.family.toStdString());
                QCOMPARE(frame.Settings().FontPitch, choice.pitch);
            }
            QCOMPARE(startFamily, shown);
            QCOMPARE(startSize, 11);
            QVERIFY(frame.close());
        }
        QVERIFY(IniLines(folder.ReadFile(QStringLiteral("Sonkora.ini"))).contains(QStringLiteral("View0FontPitch=2")));
    }

    void PrintSetupChoosesAPrinterOrThePdfFile() {
        TestProgramFolder folder;
        folder.WriteFile(QStringLiteral("Sonkora.ini"), Ini);
        folder.WriteFile(QStringLiteral("song.stf"), "\\t 1\nHel-lo\n");
        MainWindow frame(folder.Environment());
        frame.show();
        EditorWindow* editor = frame.CreateEditor();
        editor->LoadFile(folder.Path(QStringLiteral("song.stf")));
        EditorPrinting& printing = editor->Printing();
        const QString pdf = folder.Path(QStringLiteral("song.pdf"));

        const struct {
            QStringList installed;
            QStringList offered;  // what Print Setup lists, the preselected one first
            int choose;           // index in the list
            QString printGoesTo;  // the print dialog's title, or the box that names the PDF
        } cases[] = {
            {{QStringLiteral("Office"), QStringLiteral("Lab")},
             {QStringLiteral("Office"), QStringLiteral("Lab"), QStringLiteral("PDF file beside the song text")},
             1,
             QStringLiteral("Print")},
            {{QStringLiteral("Office")},
             {QStringLiteral("Office"), QStringLiteral("PDF file beside the song text")},
             1,
             QStringLiteral("The printout was saved as %1.").arg(pdf)},
            // Without printers the PDF file is still offered.
            {{},
             {QStringLiteral("PDF file beside the song text")},
             0,
             QStringLiteral("The printout was saved as %1.").arg(pdf)},
        };
        for (const auto& c : cases) {
            QFile::remove(pdf);
            printing.PrinterNames = [&c] { return c.installed; };
            QStringList offered;
            const QString title = OnModal([&] { printing.printSetup(); },
                                          [&](QDialog& dialog) {
                                              auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
                                              offered << printers->currentText();
                                              for (int i = 0; i < printers->count(); ++i)
                                                  if (i != printers->currentIndex()) offered << printers->itemText(i);
                                              printers->setCurrentIndex(c.choose);
                                              dialog.accept();
                                          });
            QCOMPARE(title, QStringLiteral("Print Setup"));
            QCOMPARE(offered, c.offered);

            QString printedTo;
            OnModal([&] { printing.printStf(); },
                    [&](QDialog& dialog) {
                        auto* box = qobject_cast<QMessageBox*>(&dialog);
                        printedTo = box ? box->text() : dialog.windowTitle();
                        dialog.reject();
                    });
            QCOMPARE(printedTo, c.printGoesTo);
            QCOMPARE(QFile::exists(pdf), c.printGoesTo != QStringLiteral("Print"));
        }
        SongText(editor)->document()->setModified(false);
    }
};

QTEST_MAIN(FontAndPrintSetupTest)
#include "font_and_print_setup_test.moc"
