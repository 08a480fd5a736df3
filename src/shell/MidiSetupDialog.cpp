#include "shell/MidiSetupDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "playback/MidiToolkit.h"
#include "shell/ShellServices.h"

namespace sonkora {

namespace {

// No machine has this many outputs; the bound only guards against a toolkit that
// never says "no more".
constexpr int MaxDevices = 1024;

}  // namespace

MidiSetupDialog::MidiSetupDialog(QWidget* parent, MidiToolkit& toolkit) : QDialog(parent), toolkit_(toolkit) {
    setWindowTitle(QStringLiteral("Midi Setup"));
    setProperty("sonkoraHelpContext", HelpContext::MidiSetup);
    auto* layout = new QVBoxLayout(this);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("deviceProblem"));
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);
    auto* label = new QLabel(QStringLiteral("&Midi output device"), this);
    devices_ = new QListWidget(this);
    devices_->setObjectName(QStringLiteral("devices"));
    label->setBuddy(devices_);
    layout->addWidget(label);
    layout->addWidget(devices_, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons->addButton(QDialogButtonBox::Help), &QPushButton::clicked, this, &MidiSetupDialog::HelpRequested);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(devices_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    devices_->setMinimumWidth(320);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // grows and shrinks with the note above the list
    devices_->setFocus();
}

void MidiSetupDialog::showEvent(QShowEvent* event) {
    ListDevices();
    ApplySelection();
    QDialog::showEvent(event);
}

void MidiSetupDialog::ListDevices() {
    devices_->clear();
    for (int index = 0; index < MaxDevices; ++index) {
        const std::optional<std::string> name = toolkit_.DeviceName(index);
        if (!name) break;
        if (name->empty()) continue;
        auto* item = new QListWidgetItem(QString::fromStdString(*name), devices_);
        // The exact bytes the toolkit gave, for the comparison with the setting.
        item->setData(Qt::UserRole, QByteArray::fromStdString(*name));
    }
}

void MidiSetupDialog::SelectDevice(const std::string& device) {
    wanted_ = device;
    ApplySelection();
}

void MidiSetupDialog::ApplySelection() {
    int row = 0;
    for (int i = 0; i < devices_->count(); ++i) {
        if (devices_->item(i)->data(Qt::UserRole).toByteArray().toStdString() == wanted_) {
            row = i;
            break;
        }
    }
    if (devices_->count() > 0) devices_->setCurrentRow(row);
    devices_->setFocus();
}

void MidiSetupDialog::SetDeviceProblem(const QString& problem) {
    problem_->setText(problem);
    problem_->setVisible(!problem.isEmpty());
}

std::string MidiSetupDialog::SelectedDevice() const {
    const QListWidgetItem* item = devices_->currentItem();
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

}  // namespace sonkora
