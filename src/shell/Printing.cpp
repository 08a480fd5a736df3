#include "shell/Printing.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include <algorithm>
#include <exception>
#include <sstream>

#include "common/FilePaths.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "shell/EditorText.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/Search.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

namespace {

// A pane font given in pixels would come out a speck at printer resolution; in points
// it prints at the size it has on a 96 dpi screen.
QFont PrintFont(const QFont& paneFont) {
    QFont font = paneFont;
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
}

QString WithExtension(const QString& path, const char* extension) {
    return QString::fromStdString(ChangeExtension(path.toStdString(), extension));
}

}  // namespace

QString ExpandTabs(QStringView line, int tabWidth) {
    if (!line.contains(QLatin1Char('\t')) || tabWidth < 1) return line.toString();
    QString expanded;
    expanded.reserve(line.size() + 8);
    qsizetype column = 0;
    for (const QChar c : line) {
        if (c == QLatin1Char('\t')) {
            const qsizetype blanks = tabWidth - column % tabWidth;
            expanded.append(QString(blanks, QLatin1Char(' ')));
            column += blanks;
        } else {
            expanded.append(c);
            ++column;
        }
    }
    return expanded;
}

QStringList WrapLine(const QString& line, qreal available, const std::function<qreal(QStringView)>& width) {
    QStringList pieces;
    const qsizetype size = line.size();
    qsizetype start = 0;
    for (;;) {
        qreal used = 0;
        qsizetype i = start;
        qsizetype afterBlank = -1;  // just after the last blank that fits
        while (i < size) {
            const qsizetype length = line[i].isHighSurrogate() && i + 1 < size && line[i + 1].isLowSurrogate() ? 2 : 1;
            const qreal w = width(QStringView(line).mid(i, length));
            if (used + w > available && i > start) break;
            used += w;
            i += length;
            if (line[i - 1] == QLatin1Char(' ')) afterBlank = i;
        }
        if (i >= size) {
            pieces << line.mid(start);
            return pieces;
        }
        qsizetype cut = afterBlank > start ? afterBlank : i;
        // A blank where the line is full ends this piece rather than begin the next.
        if (line[i] == QLatin1Char(' ')) cut = i + 1;
        pieces << line.mid(start, cut - start);
        start = cut;
        if (start >= size) return pieces;
    }
}

// ---------------------------------------------------------------------------------
// TLineWriter

TLineWriter::TLineWriter(QPagedPaintDevice& device, const QFont& font) : device_(device), font_(font) {}

TLineWriter::~TLineWriter() {
    if (painter_.isActive()) painter_.end();
}

bool TLineWriter::Begin() {
    if (!painter_.begin(&device_)) return false;
    painter_.setFont(font_);
    const QFontMetricsF metrics(font_, &device_);
    lineHeight_ = std::max<qreal>(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    pageWidth_ = device_.width();
    pageHeight_ = device_.height();
    pages_ = 1;
    y_ = 0;
    lineOnPage_ = false;
    failed_ = false;
    return true;
}

void TLineWriter::WriteLine(const QString& line) {
    if (!painter_.isActive()) return;
    const QFontMetricsF metrics(font_, &device_);
    const QStringList pieces = WrapLine(ExpandTabs(line), pageWidth_, [&metrics](QStringView piece) {
        return piece.size() == 1 ? metrics.horizontalAdvance(piece[0]) : metrics.horizontalAdvance(piece.toString());
    });
    for (const QString& piece : pieces) Place(piece);
}

void TLineWriter::Place(const QString& piece) {
    // A page takes at least one line, so a font taller than the page still gets through.
    if (lineOnPage_ && y_ + lineHeight_ > pageHeight_) {
        if (!device_.newPage()) failed_ = true;
        ++pages_;
        y_ = 0;
        lineOnPage_ = false;
    }
    if (!piece.isEmpty()) painter_.drawText(QPointF(0, y_ + ascent_), piece);
    y_ += lineHeight_;
    lineOnPage_ = true;
}

bool TLineWriter::End() {
    if (!painter_.isActive()) return false;
    const bool ended = painter_.end();
    return ended && !failed_;
}

// ---------------------------------------------------------------------------------
// Lines and files

QStringList PrintTextLines(std::string_view text) {
    QStringList lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        if (end == std::string_view::npos) {
            lines << BytesToPaneChars(text.substr(from));
            break;
        }
        lines << BytesToPaneChars(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

std::string PrintFileBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 2);
    for (const char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

bool PrintLines(QPagedPaintDevice& device, const QFont& font, const QStringList& lines, QString& error) {
    TLineWriter writer(device, PrintFont(font));
    if (!writer.Begin()) {
        error = QStringLiteral("the printer could not be started");
        return false;
    }
    for (const QString& line : lines) writer.WriteLine(line);
    if (!writer.End()) {
        error = QStringLiteral("the printer did not take every page");
        return false;
    }
    return true;
}

bool PrintLinesToPdf(const QString& path, const QPageLayout& layout, const QFont& font, const QString& title,
                     const QStringList& lines, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setCreator(QStringLiteral("Sonkora"));
        pdf.setTitle(title);
        if (layout.isValid()) pdf.setPageLayout(layout);
        if (!PrintLines(pdf, font, lines, error)) {
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool WritePrintFile(const QString& path, std::string_view bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------
// TEditorPrinting

TEditorPrinting::TEditorPrinting(TEditForm& editor, TFrameForm& frame)
    : QObject(&editor), editor_(editor), frame_(frame) {}

TEditorPrinting::~TEditorPrinting() = default;

QPrinter& TEditorPrinting::Printer() {
    // Made on first use: asking the system about printers can take a moment, and most
    // windows never print.
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    }
    return *printer_;
}

QString TEditorPrinting::JobTitle() const {
    return QFileInfo(editor_.FileName).fileName();
}

TEditorPrinting::Target TEditorPrinting::ChooseTarget(QString& pdfPath) {
    const bool installed = PrinterInstalled ? PrinterInstalled() : !QPrinterInfo::availablePrinters().isEmpty();
    if (installed) {
        QPrintDialog dialog(&Printer(), &editor_);
        dialog.setWindowTitle(QStringLiteral("Print"));
        // Lines are placed on pages as they are written, so there is no page range to
        // choose from; copies are the printer's business.
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        return dialog.exec() == QDialog::Accepted ? Target::Printer : Target::None;
    }
    if (editor_.FileName.isEmpty()) {
        frame_.ErrorBox(QStringLiteral("No printer is installed, and the song text has no file name beside which "
                                       "the printout could be saved as a PDF file."),
                        HelpContext::General);
        return Target::None;
    }
    pdfPath = WithExtension(editor_.FileName, ".pdf");
    if (pdfPath == editor_.FileName) {
        frame_.ErrorBox(QStringLiteral("No printer is installed, and the printout cannot be saved as %1: that is "
                                       "the song text itself.")
                            .arg(pdfPath),
                        HelpContext::General);
        return Target::None;
    }
    if (QFileInfo::exists(pdfPath) &&
        frame_.QueryBox(QStringLiteral("No printer is installed, so the printout is saved as a PDF file: %1.\n\n"
                                       "That file already exists. Replace it?")
                            .arg(pdfPath),
                        HelpContext::General, false) != QMessageBox::Yes)
        return Target::None;
    return Target::Pdf;
}

void TEditorPrinting::Print(Target target, const QString& pdfPath, const QStringList& lines) {
    QString error;
    const QFont font = editor_.Memo1->font();
    if (target == Target::Printer) {
        Printer().setDocName(JobTitle());
        if (!PrintLines(Printer(), font, lines, error))
            frame_.ErrorBox(QStringLiteral("Cannot print %1: %2.").arg(JobTitle(), error), HelpContext::General);
        return;
    }
    if (PrintLinesToPdf(pdfPath, Printer().pageLayout(), font, JobTitle(), lines, error))
        frame_.InformationBox(QStringLiteral("No printer is installed, so the printout was saved as %1.").arg(pdfPath),
                              HelpContext::General);
    else
        frame_.ErrorBox(QStringLiteral("Cannot write %1: %2").arg(pdfPath, error), HelpContext::General);
}

void TEditorPrinting::PrintSTF1Click() {
    if (!editor_.IsStfPage()) return;
    QString pdfPath;
    const Target target = ChooseTarget(pdfPath);
    if (target == Target::None) return;
    Print(target, pdfPath, PaneLines(PaneSnapshot(*editor_.Memo1)));
}

void TEditorPrinting::PrintSongText1Click() {
    if (!editor_.IsStfPage()) return;
    // A compiler of its own: the window's lyric records stay those of its last
    // compilation, which a playing song is being followed by.
    SongCompiler compiler;
    TShellUserInterface ui(frame_);
    const CompilerSettings settings = TEditorCompileHost(frame_, editor_).Settings();
    try {
        compiler.CompileSongText(CompileKind::Check, editor_.Document(), ui, settings);
        if (compiler.MidiError() != 0) return;

        if (PrintsToFile && PrintsToFile()) {
            if (editor_.FileName.isEmpty()) {
                frame_.ErrorBox(QStringLiteral("The song text has no file name, so there is no folder to write "
                                               "its print file to."),
                                HelpContext::General);
                return;
            }
            const QString printFile = WithExtension(editor_.FileName, ".prn");
            if (printFile == editor_.FileName) {
                frame_.ErrorBox(QStringLiteral("The print file of %1 would be the song text itself, so it was not "
                                               "written.")
                                    .arg(printFile),
                                HelpContext::General);
                return;
            }
            std::ostringstream sink;
            compiler.CompileSongText(CompileKind::PrintText, editor_.Document(), ui, settings, &sink);
            if (compiler.MidiError() != 0) return;
            QString error;
            if (!WritePrintFile(printFile, PrintFileBytes(sink.str()), error))
                frame_.ErrorBox(QStringLiteral("Cannot write %1: %2").arg(printFile, error), HelpContext::General);
            return;
        }

        QString pdfPath;
        const Target target = ChooseTarget(pdfPath);
        if (target == Target::None) return;
        std::ostringstream sink;
        compiler.CompileSongText(CompileKind::PrintText, editor_.Document(), ui, settings, &sink);
        // Half a song text is no printout: nothing goes to paper when the pass fails.
        if (compiler.MidiError() != 0) return;
        Print(target, pdfPath, PrintTextLines(sink.str()));
    } catch (const std::exception& failure) {
        frame_.ErrorBox(MessageText(failure.what()), HelpContext::ErrorMessages);
    }
}

void TEditorPrinting::PrintSetup1Click() {
    QPageSetupDialog dialog(&Printer(), &editor_);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    dialog.exec();
}

}  // namespace sonkora
