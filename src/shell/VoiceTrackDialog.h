#pragma once
// VoiceTrackDialog: "Select Voice Track", the list of a MIDI file's tracks from which the
// user picks the one that carries the sung melody. Play track auditions the selected
// track through the main window's playback (with the conductor track), and while an audition
// runs, selecting another line switches to that track at once. However the dialog
// closes, an audition it started stops with it.

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace sonkora {

class ShellServices;

class VoiceTrackDialog : public QDialog {
    Q_OBJECT

public:
    // `firstTrack` is the track the first line lists: 1 in a MIDI file, whose conductor
    // track is not listed, 3 in a Soft Karaoke file, whose two karaoke tracks are not.
    VoiceTrackDialog(ShellServices& services, const QString& fileName, const QStringList& items, int firstTrack = 1);
    ~VoiceTrackDialog() override;

    // The chosen line, 0-based; -1 when the list is empty.
    int SelectedIndex() const;
    // The track the line at `index` lists.
    int TrackOfLine(int index) const { return firstTrack_ + index; }

    void playTrack();
    void stopTrack();
    void trackClicked();
    // The audition ended: the status text is cleared and Stop disabled.
    void ClearAuditionStatus();

private:
    ShellServices& services_;
    QListWidget* tracks_ = nullptr;
    QPushButton* playTrack_ = nullptr;
    QPushButton* stopTrack_ = nullptr;
    QLabel* status_ = nullptr;
    bool audition_ = false;  // set once a track was played from this dialog
    QString fileName_;
    int firstTrack_;
};

}  // namespace sonkora
