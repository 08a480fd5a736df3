#include "shell/LineWriter.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

#include "shell/EditorText.h"

namespace sonkora {

namespace {

// A pane font given in pixels would come out a speck at printer resolution; in points
// it prints at the size it has on a 96 dpi screen.
QFont PrintFont(const QFont& paneFont) {
    QFont font = paneFont;
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
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
// LineWriter

LineWriter::LineWriter(QPagedPaintDevice& device, const QFont& font) : device_(device), font_(font) {}

LineWriter::~LineWriter() {
    if (painter_.isActive()) painter_.end();
}

bool LineWriter::Begin() {
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

void LineWriter::WriteLine(const QString& line) {
    if (!painter_.isActive()) return;
    const QFontMetricsF metrics(font_, &device_);
    const QStringList pieces = WrapLine(ExpandTabs(line), pageWidth_, [&metrics](QStringView piece) {
        return piece.size() == 1 ? metrics.horizontalAdvance(piece[0]) : metrics.horizontalAdvance(piece.toString());
    });
    for (const QString& piece : pieces) Place(piece);
}

void LineWriter::Place(const QString& piece) {
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

bool LineWriter::End() {
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
    LineWriter writer(device, PrintFont(font));
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

}  // namespace sonkora
