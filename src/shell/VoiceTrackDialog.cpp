#include "shell/VoiceTrackDialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/DialogButtons.h"
#include "shell/ShellServices.h"

namespace sonkora {

VoiceTrackDialog::VoiceTrackDialog(ShellServices& services, const QString& fileName, const QStringList& items,
                                   int firstTrack)
    : QDialog(services.DialogParent()), services_(services), fileName_(fileName), firstTrack_(firstTrack) {
    setWindowTitle(QStringLiteral("Select Voice Track"));
    setProperty("sonkoraHelpContext", HelpContext::PlayInKaraokePlayer);
    auto* layout = new QVBoxLayout(this);

    auto* label = new QLabel(QStringLiteral("&Track (number, midi channel, instrument, track name):"), this);
    tracks_ = new QListWidget(this);
    tracks_->setObjectName(QStringLiteral("tracks"));
    label->setBuddy(tracks_);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    tracks_->setFont(fixed);
    tracks_->addItems(items);
    if (!items.isEmpty()) tracks_->setCurrentRow(0);
    tracks_->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QLatin1Char('M')) * 64, 180);
    layout->addWidget(label);
    layout->addWidget(tracks_, 1);

    auto* audition = new QHBoxLayout;
    playTrack_ = new QPushButton(QStringLiteral("&Play track"), this);
    stopTrack_ = new QPushButton(QStringLiteral("&Stop"), this);
    playTrack_->setObjectName(QStringLiteral("playTrack"));
    stopTrack_->setObjectName(QStringLiteral("stopTrack"));
    stopTrack_->setEnabled(false);
    playTrack_->setEnabled(!items.isEmpty());
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("auditionStatus"));
    status_->setMinimumWidth(QFontMetrics(status_->font()).horizontalAdvance(QStringLiteral("Playing track 999")));
    for (QPushButton* button : {playTrack_, stopTrack_}) button->setAutoDefault(false);
    audition->addWidget(playTrack_);
    audition->addWidget(stopTrack_);
    audition->addWidget(status_, 1);
    layout->addLayout(audition);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("O&K"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The dialog's topic is a part of the one on Play In Karaoke Player.
    ConnectHelp(help, services_, HelpContext::PlayInKaraokePlayer);
    connect(tracks_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(playTrack_, &QPushButton::clicked, this, &VoiceTrackDialog::playTrack);
    connect(stopTrack_, &QPushButton::clicked, this, &VoiceTrackDialog::stopTrack);
    connect(tracks_, &QListWidget::currentRowChanged, this, &VoiceTrackDialog::trackClicked);
    setFixedSize(sizeHint());
    tracks_->setFocus();

    services_.SetTrackDialog(this);
}

VoiceTrackDialog::~VoiceTrackDialog() {
    if (services_.TrackDialog() == this) services_.SetTrackDialog(nullptr);
    // Closed in any way while its audition plays: the audition ends with it.
    if (audition_) services_.StopPlaying();
}

int VoiceTrackDialog::SelectedIndex() const {
    return tracks_->count() == 0 ? -1 : tracks_->currentRow();
}

void VoiceTrackDialog::playTrack() {
    const int index = SelectedIndex();
    if (index < 0) return;
    status_->setText(QStringLiteral("Playing track %1").arg(index + 1));
    stopTrack_->setEnabled(true);
    audition_ = true;
    // A running audition stops for the new one without clearing what was just shown;
    // a failure to start clears it again.
    services_.PlayTrack(fileName_.toStdString(), TrackOfLine(index));
    tracks_->setFocus();
}

void VoiceTrackDialog::stopTrack() {
    services_.StopPlaying();
    tracks_->setFocus();
}

void VoiceTrackDialog::trackClicked() {
    if (audition_ && services_.Playing()) playTrack();
}

void VoiceTrackDialog::ClearAuditionStatus() {
    status_->clear();
    playTrack_->setObjectName(QStringLiteral("playTrack"));
    stopTrack_->setObjectName(QStringLiteral("stopTrack"));
    stopTrack_->setEnabled(false);
}

}  // namespace sonkora
