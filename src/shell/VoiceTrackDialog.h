#pragma once
// VoiceTrackDialog: "Select Voice Track", the list of a MIDI file's tracks from which the
// user picks the one that carries the sung melody. Play track auditions the selected
// track through the main window's playback (with the conductor track), and while an audition
// runs, selecting another line switches to that track at once. However the dialog
// closes, an audition it started stops with it.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

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
    // The track chunk of each line, when the lines are not consecutive tracks from
    // `firstTrack` (a lyric-event karaoke file leaves out the tracks holding only words).
    void SetTrackChunks(const std::vector<int>& chunks) { chunks_ = chunks; }
    // The track the line at `index` lists.
    int TrackOfLine(int index) const {
        return index >= 0 && static_cast<size_t>(index) < chunks_.size() ? chunks_[static_cast<size_t>(index)]
                                                                         : firstTrack_ + index;
    }

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
    std::vector<int> chunks_;
};

}  // namespace sonkora
