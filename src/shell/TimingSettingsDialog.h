#pragma once
// TimingSettingsDialog: the settings of Record Timing, the snap window, the latency taken
// off every tap and the pre-roll, all in milliseconds.

#include <QDialog>

class QSpinBox;

namespace sonkora {

class ShellServices;
struct ShellSettings;

class TimingSettingsDialog : public QDialog {
    Q_OBJECT

public:
    TimingSettingsDialog(ShellServices& services, QWidget* parent);
    void Show(const ShellSettings& settings);
    void Store(ShellSettings& settings) const;

private:
    QSpinBox* snapWindow_ = nullptr;
    QSpinBox* latency_ = nullptr;
    QSpinBox* preRoll_ = nullptr;
};

}  // namespace sonkora
