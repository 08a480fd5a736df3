#include "shell/EditorPrinting.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <exception>
#include <sstream>

#include "common/FilePaths.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "shell/EditorCompileHost.h"
#include "shell/EditorDocument.h"
#include "shell/EditorText.h"
#include "shell/LineWriter.h"
#include "shell/PrintSetupDialog.h"
#include "shell/ShellServices.h"
#include "shell/ShellSettings.h"
#include "shell/ShellUserInterface.h"
#include "shell/SongTextEdit.h"

namespace sonkora {

namespace {

QString WithExtension(const QString& path, const char* extension) {
    return QString::fromStdString(ChangeExtension(path.toStdString(), extension));
}

}  // namespace

EditorPrinting::EditorPrinting(QWidget& window, EditorDocument& document, SongTextEdit& pane, ShellServices& services,
                               std::function<bool()> songTextPage)
    : QObject(&window),
      window_(window),
      document_(document),
      pane_(pane),
      songTextPage_(std::move(songTextPage)),
      services_(services) {}

EditorPrinting::~EditorPrinting() = default;

QPrinter& EditorPrinting::Printer() {
    // Made on first use: asking the system about printers can take a moment, and most
    // windows never print.
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    }
    return *printer_;
}

QString EditorPrinting::PdfReason() const {
    return pdfChosen_ ? QStringLiteral("The printout") : QStringLiteral("No printer is installed, so the printout");
}

QString EditorPrinting::JobTitle() const {
    return QFileInfo(document_.Path()).fileName();
}

EditorPrinting::Target EditorPrinting::ChooseTarget(QString& pdfPath, const char* pdfEnding) {
    const bool installed = PrinterInstalled ? PrinterInstalled() : !InstalledPrinters().isEmpty();
    if (installed && !pdfChosen_) {
        QPrintDialog dialog(&Printer(), &window_);
        dialog.setWindowTitle(QStringLiteral("Print"));
        // Lines are placed on pages as they are written, so there is no page range to
        // choose from; copies are the printer's business.
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        return dialog.exec() == QDialog::Accepted ? Target::Printer : Target::None;
    }
    if (document_.Path().isEmpty()) {
        services_.ErrorBox(QStringLiteral("No printer is installed, and the song text has no file name beside which "
                                          "the printout could be saved as a PDF file."),
                           HelpContext::General);
        return Target::None;
    }
    pdfPath = WithExtension(document_.Path(), pdfEnding);
    if (pdfPath == document_.Path()) {
        services_.ErrorBox(QStringLiteral("No printer is installed, and the printout cannot be saved as %1: that is "
                                          "the song text itself.")
                               .arg(pdfPath),
                           HelpContext::General);
        return Target::None;
    }
    if (QFileInfo::exists(pdfPath) &&
        services_.QueryBox(QStringLiteral("%1 is saved as a PDF file: %2.\n\nThat file already exists. Replace it?")
                               .arg(PdfReason(), pdfPath),
                           HelpContext::General, false) != QMessageBox::Yes)
        return Target::None;
    return Target::Pdf;
}

void EditorPrinting::Print(Target target, const QString& pdfPath, const QStringList& lines) {
    QString error;
    const QFont font = pane_.font();
    if (target == Target::Printer) {
        Printer().setDocName(JobTitle());
        if (!PrintLines(Printer(), font, lines, error))
            services_.ErrorBox(QStringLiteral("Cannot print %1: %2.").arg(JobTitle(), error), HelpContext::General);
        return;
    }
    if (PrintLinesToPdf(pdfPath, Printer().pageLayout(), font, JobTitle(), lines, error))
        services_.InformationBox(QStringLiteral("%1 was saved as %2.").arg(PdfReason(), pdfPath), HelpContext::General);
    else
        services_.ErrorBox(QStringLiteral("Cannot write %1: %2").arg(pdfPath, error), HelpContext::General);
}

void EditorPrinting::printStf() {
    if (!songTextPage_()) return;
    QString pdfPath;
    const Target target = ChooseTarget(pdfPath, ".pdf");
    if (target == Target::None) return;
    Print(target, pdfPath, PaneLines(pane_.Text()));
}

void EditorPrinting::printSongText() {
    if (!songTextPage_()) return;
    // A compiler of its own: the window's lyric records stay those of its last
    // compilation, which a playing song is being followed by.
    SongCompiler compiler;
    ShellUserInterface ui(services_);
    const CompilerSettings settings = CompilerSettingsOf(services_.Settings());
    try {
        compiler.CompileSongText(CompileKind::Check, document_, ui, settings);
        if (compiler.MidiError() != 0) return;

        if (PrintsToFile && PrintsToFile()) {
            if (document_.Path().isEmpty()) {
                services_.ErrorBox(QStringLiteral("The song text has no file name, so there is no folder to write "
                                                  "its print file to."),
                                   HelpContext::General);
                return;
            }
            const QString printFile = WithExtension(document_.Path(), ".prn");
            if (printFile == document_.Path()) {
                services_.ErrorBox(QStringLiteral("The print file of %1 would be the song text itself, so it was not "
                                                  "written.")
                                       .arg(printFile),
                                   HelpContext::General);
                return;
            }
            std::ostringstream sink;
            compiler.CompileSongText(CompileKind::PrintText, document_, ui, settings, &sink);
            if (compiler.MidiError() != 0) return;
            QString error;
            if (!WritePrintFile(printFile, PrintFileBytes(sink.str()), error))
                services_.ErrorBox(QStringLiteral("Cannot write %1: %2").arg(printFile, error), HelpContext::General);
            return;
        }

        // A name of its own: the song text's printout beside it must not be replaced.
        QString pdfPath;
        const Target target = ChooseTarget(pdfPath, ".lyrics.pdf");
        if (target == Target::None) return;
        std::ostringstream sink;
        compiler.CompileSongText(CompileKind::PrintText, document_, ui, settings, &sink);
        // Half a song text is no printout: nothing goes to paper when the pass fails.
        if (compiler.MidiError() != 0) return;
        Print(target, pdfPath, PrintTextLines(sink.str()));
    } catch (const std::exception& failure) {
        services_.ErrorBox(MessageText(failure.what()), HelpContext::ErrorMessages);
    }
}

void EditorPrinting::printSetup() {
    PrintSetupDialog dialog(&window_, Printer(), InstalledPrinters(), pdfChosen_);
    if (dialog.exec() == QDialog::Accepted) pdfChosen_ = dialog.PdfChosen();
}

QStringList EditorPrinting::InstalledPrinters() const {
    return PrinterNames ? PrinterNames() : QPrinterInfo::availablePrinterNames();
}

}  // namespace sonkora
