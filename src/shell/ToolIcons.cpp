#include "shell/ToolIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace sonkora {

namespace {

constexpr int Size = 24;

const QColor Ink(40, 40, 60);
const QColor Paper(255, 255, 250);
const QColor Green(30, 140, 60);
const QColor Blue(40, 90, 180);
const QColor Red(190, 40, 40);
const QColor Folder(230, 180, 60);

void DrawPage(QPainter& p) {
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Paper);
    p.drawPath(page);
    p.drawLine(QPointF(15, 2), QPointF(15, 7));
    p.drawLine(QPointF(15, 7), QPointF(20, 7));
}

void DrawLyricLines(QPainter& p, qreal x, qreal y, qreal width) {
    p.setPen(QPen(Ink.lighter(170), 1.2));
    for (int i = 0; i < 3; ++i) p.drawLine(QPointF(x, y + i * 3.5), QPointF(x + width - i * 2.5, y + i * 3.5));
}

void DrawTriangle(QPainter& p, const QRectF& box, const QColor& color) {
    QPolygonF tri;
    tri << box.topLeft() << QPointF(box.right(), box.center().y()) << box.bottomLeft();
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawPolygon(tri);
}

void DrawNote(QPainter& p, qreal x, qreal y, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(x, y + 9, 6, 4.5));
    p.setPen(QPen(color, 1.6));
    p.drawLine(QPointF(x + 5.5, y + 11), QPointF(x + 5.5, y));
    p.drawLine(QPointF(x + 5.5, y), QPointF(x + 9.5, y + 3));
}

void DrawLetterIcon(QPainter& p, const QString& text, int pixelSize) {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Blue);
    p.drawText(QRectF(0, 0, Size, Size), Qt::AlignCenter, text);
}

}  // namespace

QIcon MakeToolIcon(ToolIcon which) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
        case ToolIcon::New:
            DrawPage(p);
            p.setPen(QPen(Green, 2.2));
            p.drawLine(QPointF(9, 14), QPointF(16, 14));
            p.drawLine(QPointF(12.5, 10.5), QPointF(12.5, 17.5));
            break;
        case ToolIcon::Open: {
            p.setPen(QPen(Folder.darker(160), 1.2));
            p.setBrush(Folder.darker(115));
            p.drawRect(QRectF(2, 6, 17, 14));
            p.drawRect(QRectF(2, 4, 7, 3));
            QPolygonF flap;
            flap << QPointF(5, 10) << QPointF(22, 10) << QPointF(19, 20) << QPointF(2, 20);
            p.setBrush(Folder);
            p.drawPolygon(flap);
            break;
        }
        case ToolIcon::Save:
            p.setPen(QPen(Ink, 1.2));
            p.setBrush(Blue);
            p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
            p.setBrush(Paper);
            p.drawRect(QRectF(6, 3, 12, 7));
            p.setBrush(Ink.lighter(150));
            p.drawRect(QRectF(7, 14, 10, 7));
            break;
        case ToolIcon::SpecialLetters:
            DrawLetterIcon(p, QString::fromUtf8("\xC3\xA4"), 19);  // a with diaeresis
            break;
        case ToolIcon::Hyphenation: DrawLetterIcon(p, QStringLiteral("a-b"), 11); break;
        case ToolIcon::Make:
            DrawPage(p);
            DrawLyricLines(p, 7.5, 16, 10);
            DrawNote(p, 8, 4, Blue);
            break;
        case ToolIcon::Play: DrawTriangle(p, QRectF(6, 4, 14, 16), Green); break;
        case ToolIcon::PlayFromCursor:
            p.setPen(QPen(Ink, 2));
            p.drawLine(QPointF(5, 4), QPointF(5, 20));
            p.drawLine(QPointF(3, 4), QPointF(7, 4));
            p.drawLine(QPointF(3, 20), QPointF(7, 20));
            DrawTriangle(p, QRectF(9, 5, 12, 14), Green);
            break;
        case ToolIcon::Stop:
            p.setPen(QPen(Red.darker(140), 1));
            p.setBrush(Red);
            p.drawRect(QRectF(5, 5, 14, 14));
            break;
        case ToolIcon::PlayInPlayer:
            p.setPen(QPen(Ink, 1.2));
            p.setBrush(QColor(20, 30, 50));
            p.drawRoundedRect(QRectF(2, 3, 20, 14), 1.5, 1.5);
            p.drawLine(QPointF(8, 20.5), QPointF(16, 20.5));
            p.drawLine(QPointF(12, 17), QPointF(12, 20.5));
            DrawTriangle(p, QRectF(9, 6, 7, 8), Green.lighter(130));
            break;
        case ToolIcon::RecordTiming:
            // A record mark beside the play triangle: taps recorded while the song plays.
            DrawTriangle(p, QRectF(3, 5, 10, 14), Green);
            p.setPen(QPen(Red.darker(140), 1));
            p.setBrush(Red);
            p.drawEllipse(QRectF(12, 7, 10, 10));
            break;
    }
    p.end();
    return QIcon(pixmap);
}

QIcon MakeProgramIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.scale(32.0 / Size, 32.0 / Size);
    DrawNote(p, 7, 3, Paper);
    p.setPen(QPen(Paper, 1.6));
    p.drawLine(QPointF(5, 19), QPointF(19, 19));
    p.end();
    return QIcon(pixmap);
}

}  // namespace sonkora
