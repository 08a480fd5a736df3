#include "shell/Trackdlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/MDIFrame.h"

namespace sonkora {

TTrackDialog::TTrackDialog(TFrameForm* frame, const QString& fileName, const QStringList& items, int firstTrack)
    : QDialog(frame), frame_(frame), fileName_(fileName), firstTrack_(firstTrack) {
    setWindowTitle(QStringLiteral("Select Voice Track"));
    setProperty("sonkoraHelpContext", HelpContext::PlayInKaraokePlayer);
    auto* layout = new QVBoxLayout(this);

    auto* label = new QLabel(QStringLiteral("&Track (number, midi channel, instrument, track name):"), this);
    TrackList = new QListWidget(this);
    TrackList->setObjectName(QStringLiteral("TrackList"));
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

    auto* audition = new QHBoxLayout;
    PlayTrackButton = new QPushButton(QStringLiteral("&Play track"), this);
    StopButton = new QPushButton(QStringLiteral("&Stop"), this);
    StopButton->setEnabled(false);
    PlayTrackButton->setEnabled(!items.isEmpty());
    StatusText = new QLabel(this);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusText->setMinimumWidth(
        QFontMetrics(StatusText->font()).horizontalAdvance(QStringLiteral("Playing track 999")));
    for (QPushButton* button : {PlayTrackButton, StopButton}) button->setAutoDefault(false);
    audition->addWidget(PlayTrackButton);
    audition->addWidget(StopButton);
    audition->addWidget(StatusText, 1);
    layout->addLayout(audition);

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("O&K"), QDialogButtonBox::AcceptRole);
    OkButton->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    HelpButton = buttons->addButton(QDialogButtonBox::Help);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The dialog's topic is a part of the one on Play In Karaoke Player.
    connect(HelpButton, &QPushButton::clicked, this, [this] {
        if (frame_) frame_->ShowHelp(HelpContext::PlayInKaraokePlayer);
    });
    connect(TrackList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(PlayTrackButton, &QPushButton::clicked, this, &TTrackDialog::PlayTrackButtonClick);
    connect(StopButton, &QPushButton::clicked, this, &TTrackDialog::StopButtonClick);
    connect(TrackList, &QListWidget::currentRowChanged, this, &TTrackDialog::TrackListClick);
    setFixedSize(sizeHint());
    TrackList->setFocus();

    if (frame_) frame_->TrackDialog = this;
}

TTrackDialog::~TTrackDialog() {
    if (!frame_) return;
    if (frame_->TrackDialog == this) frame_->TrackDialog = nullptr;
    // Closed in any way while its audition plays: the audition ends with it.
    if (Audition) frame_->StopPlaying();
}

int TTrackDialog::SelectedIndex() const {
    return TrackList->count() == 0 ? -1 : TrackList->currentRow();
}

void TTrackDialog::PlayTrackButtonClick() {
    const int index = SelectedIndex();
    if (!frame_ || index < 0) return;
    StatusText->setText(QStringLiteral("Playing track %1").arg(index + 1));
    StopButton->setEnabled(true);
    Audition = true;
    // A running audition stops for the new one without clearing what was just shown;
    // a failure to start clears it again.
    frame_->PlayTrack(fileName_.toStdString(), TrackOfLine(index));
    TrackList->setFocus();
}

void TTrackDialog::StopButtonClick() {
    if (frame_) frame_->StopPlaying();
    TrackList->setFocus();
}

void TTrackDialog::TrackListClick() {
    if (Audition && frame_ && frame_->Playing()) PlayTrackButtonClick();
}

void TTrackDialog::ClearAuditionStatus() {
    StatusText->clear();
    StopButton->setEnabled(false);
}

}  // namespace sonkora
