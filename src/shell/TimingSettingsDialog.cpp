#include "shell/TimingSettingsDialog.h"

#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/DialogButtons.h"
#include "shell/ShellSettings.h"

namespace sonkora {

namespace {

QSpinBox* MillisecondsBox(const char* name, int maximum, int step, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, maximum);
    box->setSingleStep(step);
    box->setSuffix(QStringLiteral(" ms"));
    return box;
}

}  // namespace

TimingSettingsDialog::TimingSettingsDialog(ShellServices& services, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Timing By Ear"));
    setProperty("sonkoraHelpContext", HelpContext::TimingByEar);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    snapWindow_ = MillisecondsBox("snapWindow", MaxSnapWindowMs, 10, this);
    snapWindow_->setSpecialValueText(QStringLiteral("off"));
    latency_ = MillisecondsBox("latency", MaxLatencyMs, 10, this);
    preRoll_ = MillisecondsBox("preRoll", MaxPreRollMs, 500, this);
    form->addRow(QStringLiteral("&Snap to a voice note within:"), snapWindow_);
    form->addRow(QStringLiteral("&Latency taken off every tap:"), latency_);
    form->addRow(QStringLiteral("&Pre-roll before the first syllable:"), preRoll_);
    layout->addLayout(form);
    ConnectHelp(AddDialogButtons(*this, *layout), services, HelpContext::TimingByEar);
    setFixedSize(sizeHint());
}

void TimingSettingsDialog::Show(const ShellSettings& settings) {
    snapWindow_->setValue(settings.SnapWindowMs);
    latency_->setValue(settings.LatencyMs);
    preRoll_->setValue(settings.PreRollMs);
}

void TimingSettingsDialog::Store(ShellSettings& settings) const {
    settings.SnapWindowMs = snapWindow_->value();
    settings.LatencyMs = latency_->value();
    settings.PreRollMs = preRoll_->value();
}

}  // namespace sonkora
