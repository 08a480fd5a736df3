#include "shell/Trackdlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/MDIFrame.h"

namespace sonkora {

TTrackDialog::TTrackDialog(TFrameForm* frame, const QString& fileName, const QStringList& items)
    : QDialog(frame), fileName_(fileName) {
    setWindowTitle(QStringLiteral("Select Voice Track"));
    auto* layout = new QVBoxLayout(this);

    auto* label = new QLabel(QStringLiteral("&Track (number, midi channel, instrument, track name):"), this);
    TrackList = new QListWidget(this);
    label->setBuddy(TrackList);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    TrackList->setFont(fixed);
    TrackList->addItems(items);
    if (!items.isEmpty()) TrackList->setCurrentRow(0);
    TrackList->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QLatin1Char('M')) * 64, 180);
    layout->addWidget(label);
    layout->addWidget(TrackList, 1);

    // Listening to a track comes with the playback engine; until then the two buttons
    // stand where they belong, disabled.
    auto* audition = new QHBoxLayout;
    PlayTrackButton = new QPushButton(QStringLiteral("&Play track"), this);
    StopButton = new QPushButton(QStringLiteral("&Stop"), this);
    PlayTrackButton->setEnabled(false);
    StopButton->setEnabled(false);
    StatusText = new QLabel(this);
    audition->addWidget(PlayTrackButton);
    audition->addWidget(StopButton);
    audition->addWidget(StatusText, 1);
    layout->addLayout(audition);

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("O&K"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The dialog shares its help topic with Play In Karaoke Player.
    connect(help, &QPushButton::clicked, frame, [frame] { frame->ShowHelp(HelpContext::PlayInKaraokePlayer); });
    connect(TrackList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    TrackList->setFocus();
}

int TTrackDialog::SelectedIndex() const {
    return TrackList->count() == 0 ? -1 : TrackList->currentRow();
}

}  // namespace sonkora
