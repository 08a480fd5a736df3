#pragma once
// LineWriter and the printing steps around it: lines put on the pages of a printer or a
// PDF file in one font, each below the previous one, a new page when the page is full.
// A line wider than the page goes on over the next lines rather than being cut off at
// the edge. The print file of the batch run is written here as well.
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

// Tabs become blanks up to the next multiple of `tabWidth` columns.
QString ExpandTabs(QStringView line, int tabWidth = 8);

// The pieces a line is printed in when it is wider than `available`, as measured by
// `width` (one character, or one surrogate pair, at a time). A piece ends after the
// last blank that fits, or where the next character would not fit; every piece holds
// at least one character, and the pieces together hold every character of the line.
// An empty line is one empty piece.
QStringList WrapLine(const QString& line, qreal available, const std::function<qreal(QStringView)>& width);

// Writes lines on the pages of a printer or PDF file in one font.
class LineWriter {
public:
    LineWriter(QPagedPaintDevice& device, const QFont& font);
    ~LineWriter();

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

}  // namespace sonkora
