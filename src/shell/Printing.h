#pragma once
// Printing from an editor window: Print STF puts every line of the song text on paper
// as it stands, escape codes and all; Print Song Text checks the text and then prints
// only the lyrics, laid out as they are sung (the compiler's print pass); Print Setup
// chooses the paper and margins of the window's printer.
//
// The lines go through TLineWriter, which writes each line below the previous one in
// the song text pane's font and begins a new page when the page is full. A line wider
// than the page goes on over the next lines rather than being cut off at the edge.
//
// Where no printer is installed the printout becomes a PDF file beside the song text,
// and the user is told where:   /songs/song.stf  ->  /songs/song.pdf
// While the batch run's menu item is visible, Print Song Text writes the lyrics to a
// text file beside the song text instead, without any dialog:
//   /songs/song.stf  ->  /songs/song.prn   (Windows-1252 bytes, each line ending CR LF)

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QFont>
#include <QPainter>

class QPageLayout;
class QPagedPaintDevice;
class QPrinter;

namespace sonkora {

class TEditForm;
class TFrameForm;

// Tabs become blanks up to the next multiple of `tabWidth` columns.
QString ExpandTabs(QStringView line, int tabWidth = 8);

// The pieces a line is printed in when it is wider than `available`, as measured by
// `width` (one character, or one surrogate pair, at a time). A piece ends after the
// last blank that fits, or where the next character would not fit; every piece holds
// at least one character, and the pieces together hold every character of the line.
// An empty line is one empty piece.
QStringList WrapLine(const QString& line, qreal available, const std::function<qreal(QStringView)>& width);

// Writes lines on the pages of a printer or PDF file in one font.
class TLineWriter {
public:
    TLineWriter(QPagedPaintDevice& device, const QFont& font);
    ~TLineWriter();

    // Starts the print job; false when the device cannot be painted on.
    bool Begin();
    void WriteLine(const QString& line);
    // Ends the job and sends the last page; false when a page could not be made.
    bool End();

    int PageCount() const { return pages_; }

private:
    void Place(const QString& piece);

    QPagedPaintDevice& device_;
    QFont font_;
    QPainter painter_;
    qreal lineHeight_ = 0;
    qreal ascent_ = 0;
    qreal pageWidth_ = 0;
    qreal pageHeight_ = 0;
    qreal y_ = 0;
    int pages_ = 0;
    bool lineOnPage_ = false;
    bool failed_ = false;
};

// The lines of the print pass's output: its text split at line ends, the last line end
// ending the last line.
QStringList PrintTextLines(std::string_view text);

// The bytes of a print file: the print pass's text with every line end as CR LF.
std::string PrintFileBytes(std::string_view text);

// Prints `lines` on a printer; false with `error` set when the job failed.
bool PrintLines(QPagedPaintDevice& device, const QFont& font, const QStringList& lines, QString& error);

// Prints `lines` into a PDF file, written whole or not at all.
bool PrintLinesToPdf(const QString& path, const QPageLayout& layout, const QFont& font, const QString& title,
                     const QStringList& lines, QString& error);

// Writes a print file, whole or not at all.
bool WritePrintFile(const QString& path, std::string_view bytes, QString& error);

// The print commands of one editor window and the window's printer.
class TEditorPrinting : public QObject {
    Q_OBJECT

public:
    // Lives as a child of `editor`; the frame outlives its editors.
    TEditorPrinting(TEditForm& editor, TFrameForm& frame);
    ~TEditorPrinting() override;

    void PrintSTF1Click();
    void PrintSongText1Click();
    void PrintSetup1Click();

    // The window's printer, as Print Setup and the print dialog left it.
    QPrinter& Printer();

    // True while the frame's batch-run menu item is visible: Print Song Text then writes
    // the .prn file. Unset, it is never visible.
    std::function<bool()> PrintsToFile;
    // Whether a printer is installed. Unset, the system is asked.
    std::function<bool()> PrinterInstalled;

private:
    enum class Target { Printer, Pdf, None };
    // The print dialog when a printer is installed, else the PDF beside the song text
    // (`pdfPath`); None when the user cancelled or there is nowhere to put it.
    Target ChooseTarget(QString& pdfPath);
    void Print(Target target, const QString& pdfPath, const QStringList& lines);
    QString JobTitle() const;

    TEditForm& editor_;
    TFrameForm& frame_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace sonkora
