#pragma once
// MidiSetupDialog: "Midi Setup", the choice of the MIDI output device. The devices are
// listed each time the dialog shows, not when it is made: listing them loads the
// playback libraries, which the program's start does not wait for.

#include <QDialog>
#include <QString>

#include <string>

class QLabel;
class QListWidget;

namespace sonkora {

class MidiToolkit;

class MidiSetupDialog : public QDialog {
    Q_OBJECT

public:
    MidiSetupDialog(QWidget* parent, MidiToolkit& toolkit);

    // The line to select when the dialog shows: the one that equals `device` exactly,
    // the first line when none does.
    void SelectDevice(const std::string& device);
    // The selected line's text; empty when the list is empty.
    std::string SelectedDevice() const;
    // What went wrong with the output device, shown above the list; empty hides it.
    void SetDeviceProblem(const QString& problem);

protected:
    void showEvent(QShowEvent* event) override;

signals:
    // The Help button: the main window opens the dialog's topic.
    void HelpRequested();

private:
    // Lists the toolkit's output devices by name; an empty name is left out.
    void ListDevices();
    void ApplySelection();

    MidiToolkit& toolkit_;
    QListWidget* devices_ = nullptr;
    QLabel* problem_ = nullptr;
    std::string wanted_;
};

}  // namespace sonkora
