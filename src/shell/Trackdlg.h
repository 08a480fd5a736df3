#pragma once
// TTrackDialog: "Select Voice Track", the list of a MIDI file's tracks from which the
// user picks the one that carries the sung melody.

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace sonkora {

class TFrameForm;

class TTrackDialog : public QDialog {
    Q_OBJECT

public:
    TTrackDialog(TFrameForm* frame, const QString& fileName, const QStringList& items);

    // The chosen line, 0-based; -1 when the list is empty.
    int SelectedIndex() const;

    QListWidget* TrackList = nullptr;
    QPushButton* PlayTrackButton = nullptr;
    QPushButton* StopButton = nullptr;
    QLabel* StatusText = nullptr;
    QPushButton* OkButton = nullptr;

private:
    QString fileName_;
};

}  // namespace sonkora
