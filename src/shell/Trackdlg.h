#pragma once
// TTrackDialog: "Select Voice Track", the list of a MIDI file's tracks from which the
// user picks the one that carries the sung melody. Play track auditions the selected
// track through the frame's playback (with the conductor track), and while an audition
// runs, selecting another line switches to that track at once. However the dialog
// closes, an audition it started stops with it.

#include <QDialog>
#include <QPointer>
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
    // `firstTrack` is the track the first line lists: 1 in a MIDI file, whose conductor
    // track is not listed, 3 in a Soft Karaoke file, whose two karaoke tracks are not.
    TTrackDialog(TFrameForm* frame, const QString& fileName, const QStringList& items, int firstTrack = 1);
    ~TTrackDialog() override;

    // The chosen line, 0-based; -1 when the list is empty.
    int SelectedIndex() const;
    // The track the line at `index` lists.
    int TrackOfLine(int index) const { return firstTrack_ + index; }

    void PlayTrackButtonClick();
    void StopButtonClick();
    void TrackListClick();
    // The audition ended: the status text is cleared and Stop disabled.
    void ClearAuditionStatus();

    QListWidget* TrackList = nullptr;
    QPushButton* PlayTrackButton = nullptr;
    QPushButton* StopButton = nullptr;
    QLabel* StatusText = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* HelpButton = nullptr;

    // Set once a track was played from this dialog.
    bool Audition = false;

private:
    QPointer<TFrameForm> frame_;
    QString fileName_;
    int firstTrack_;
};

}  // namespace sonkora
