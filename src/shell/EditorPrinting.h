#pragma once
// EditorPrinting: printing from an editor window. Print STF puts every line of the song text on paper
// as it stands, escape codes and all; Print Song Text checks the text and then prints
// only the lyrics, laid out as they are sung (the compiler's print pass); Print Setup
// chooses the window's printer (or a PDF file) and its paper and margins.
//
// The lines go through LineWriter, which writes each line below the previous one in
// the song text pane's font and begins a new page when the page is full. A line wider
// than the page goes on over the next lines rather than being cut off at the edge.
//
// Where no printer is installed, or Print Setup chose it, the printout becomes a PDF file
// beside the song text, and the user is told where:   /songs/song.stf  ->  /songs/song.pdf
// While the batch run's menu item is visible, Print Song Text writes the lyrics to a
// text file beside the song text instead, without any dialog:
//   /songs/song.stf  ->  /songs/song.prn   (Windows-1252 bytes, each line ending CR LF)

#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QPrinter;

namespace sonkora {

class EditorDocument;
class ShellServices;
class SongTextEdit;

// The print commands of one editor window and the window's printer.
class EditorPrinting : public QObject {
    Q_OBJECT

public:
    // Prints the song text of `document`, in the font of its `pane`; lives as a child of
    // `window`, the editor window, whose print dialogs it shows. `songTextPage` says
    // whether the window shows the song text, the only page that prints.
    EditorPrinting(QWidget& window, EditorDocument& document, SongTextEdit& pane, ShellServices& services,
                   std::function<bool()> songTextPage);
    ~EditorPrinting() override;

    void printStf();
    void printSongText();
    void printSetup();

    // The window's printer, as Print Setup and the print dialog left it.
    QPrinter& Printer();

    // True while the main window's batch-run menu item is visible: Print Song Text then writes
    // the .prn file. Unset, it is never visible.
    std::function<bool()> PrintsToFile;
    // Whether a printer is installed. Unset, the system is asked.
    std::function<bool()> PrinterInstalled;
    // The printers Print Setup offers, by name. Unset, the system is asked.
    std::function<QStringList()> PrinterNames;

private:
    enum class Target { Printer, Pdf, None };
    // The print dialog when a printer is installed, else the PDF beside the song text
    // (`pdfPath`); None when the user cancelled or there is nowhere to put it.
    Target ChooseTarget(QString& pdfPath, const char* pdfEnding);
    void Print(Target target, const QString& pdfPath, const QStringList& lines);
    QString JobTitle() const;
    QStringList InstalledPrinters() const;
    // How the PDF message begins: why the printout went to a file.
    QString PdfReason() const;

    QWidget& window_;
    EditorDocument& document_;
    SongTextEdit& pane_;
    std::function<bool()> songTextPage_;
    ShellServices& services_;
    std::unique_ptr<QPrinter> printer_;
    bool pdfChosen_ = false;  // Print Setup chose the PDF file over the printers
};

}  // namespace sonkora
