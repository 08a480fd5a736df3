#pragma once
// CreditsView: the about box's credits, sung as karaoke to the tune.

#include <QStringList>
#include <QWidget>

#include <cstdint>

namespace sonkora {

// The animated credits: the line of the current bar, sung from left to right, with the
// line before it above and the next below.
class CreditsView : public QWidget {
    Q_OBJECT

public:
    // One line of `credits` a bar of four beats of `beatTicks` ticks.
    CreditsView(const QStringList& credits, int32_t beatTicks, QWidget* parent = nullptr);

    // The song position shown, in ticks of the tune.
    void SetSongTime(int32_t ticks);
    int32_t SongTime() const { return ticks_; }
    // The line sung at the position shown.
    int CurrentLine() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int32_t BarTicks() const { return 4 * beatTicks_; }

    QStringList credits_;
    int32_t beatTicks_;
    int32_t ticks_ = 0;
};

}  // namespace sonkora
