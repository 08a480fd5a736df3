#include "shell/CreditsView.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

#include <cmath>

namespace sonkora {

CreditsView::CreditsView(const QStringList& credits, int32_t beatTicks, QWidget* parent)
    : QWidget(parent), credits_(credits), beatTicks_(beatTicks) {
    setObjectName(QStringLiteral("credits"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CreditsView::sizeHint() const {
    return {420, 170};
}

void CreditsView::SetSongTime(int32_t ticks) {
    if (ticks == ticks_) return;
    ticks_ = ticks;
    update();
}

int CreditsView::CurrentLine() const {
    if (credits_.isEmpty() || ticks_ < 0) return 0;
    return static_cast<int>(std::min<int32_t>(ticks_ / BarTicks(), static_cast<int32_t>(credits_.size()) - 1));
}

void CreditsView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(10, 20, 70));
    sky.setColorAt(1, QColor(40, 70, 160));
    p.fillRect(rect(), sky);
    if (credits_.isEmpty()) return;

    const int line = CurrentLine();
    const int32_t intoBar = std::clamp<int32_t>(ticks_ - line * BarTicks(), 0, BarTicks());
    const double sung = static_cast<double>(intoBar) / BarTicks();

    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 1.1);
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);

    const int middle = height() / 2 + 15;
    p.setFont(small);
    p.setPen(QColor(160, 170, 210));
    if (line > 0) p.drawText(QRect(0, middle - 86, width(), 24), Qt::AlignCenter, credits_[line - 1]);
    if (line + 1 < credits_.size()) p.drawText(QRect(0, middle + 28, width(), 24), Qt::AlignCenter, credits_[line + 1]);

    // The current line: what is sung so far in yellow, the rest in white.
    p.setFont(big);
    const QString text = credits_[line];
    const QFontMetrics metrics(big);
    const int textWidth = metrics.horizontalAdvance(text);
    const QRect textRect((width() - textWidth) / 2, middle - metrics.ascent(), textWidth, metrics.height());
    p.setPen(Qt::white);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    const int sungWidth = static_cast<int>(textWidth * sung);
    p.save();
    p.setClipRect(QRect(textRect.left(), textRect.top(), sungWidth, textRect.height()));
    p.setPen(QColor(255, 220, 40));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();

    // A ball that bounces on every beat above the place being sung.
    const double beat = std::fmod(static_cast<double>(intoBar) / beatTicks_, 1.0);
    const double hop = std::sin(beat * std::numbers::pi);
    const QPointF ball(textRect.left() + sungWidth, textRect.top() - 6 - 16 * hop);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 120, 60));
    p.drawEllipse(ball, 6, 6);
}

}  // namespace sonkora
