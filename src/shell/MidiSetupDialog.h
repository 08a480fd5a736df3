#pragma once
// MidiSetupDialog: "Midi Setup", the choice of the MIDI output device. The list is filled
// once, when the program starts; a device connected later appears after a restart.

#include <QDialog>
#include <QString>

#include <string>

class QListWidget;

namespace sonkora {

class MidiToolkit;

class MidiSetupDialog : public QDialog {
    Q_OBJECT

public:
    // Lists the toolkit's output devices by name; an empty name is left out.
    MidiSetupDialog(QWidget* parent, MidiToolkit& toolkit);

    // Selects the line that equals `device` exactly, the first line when none does.
    void SelectDevice(const std::string& device);
    // The selected line's text; empty when the list is empty.
    std::string SelectedDevice() const;

private:
    QListWidget* devices_ = nullptr;
};

}  // namespace sonkora
