#include "shell/Midisdlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "playback/MidiToolkit.h"

namespace sonkora {

namespace {

// No machine has this many outputs; the bound only guards against a toolkit that
// never says "no more".
constexpr int MaxDevices = 1024;

}  // namespace

TMidiSetupDlg::TMidiSetupDlg(QWidget* parent, MidiToolkit& toolkit) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Midi Setup"));
    setProperty("sonkoraHelpContext", HelpContext::General);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Midi output device"), this);
    DeviceList = new QListWidget(this);
    DeviceList->setObjectName(QStringLiteral("DeviceList"));
    label->setBuddy(DeviceList);
    layout->addWidget(label);
    layout->addWidget(DeviceList, 1);

    for (int index = 0; index < MaxDevices; ++index) {
        const std::optional<std::string> name = toolkit.DeviceName(index);
        if (!name) break;
        if (name->empty()) continue;
        auto* item = new QListWidgetItem(QString::fromStdString(*name), DeviceList);
        // The exact bytes the toolkit gave, for the comparison with the setting.
        item->setData(Qt::UserRole, QByteArray::fromStdString(*name));
    }

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QDialogButtonBox::Cancel);
    HelpButton = buttons->addButton(QDialogButtonBox::Help);
    // There is no topic of this dialog's own to open from here.
    HelpButton->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(DeviceList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    DeviceList->setMinimumWidth(320);
    setFixedSize(sizeHint());
    DeviceList->setFocus();
}

void TMidiSetupDlg::SelectDevice(const std::string& device) {
    int row = 0;
    for (int i = 0; i < DeviceList->count(); ++i) {
        if (DeviceList->item(i)->data(Qt::UserRole).toByteArray().toStdString() == device) {
            row = i;
            break;
        }
    }
    if (DeviceList->count() > 0) DeviceList->setCurrentRow(row);
    DeviceList->setFocus();
}

std::string TMidiSetupDlg::SelectedDevice() const {
    const QListWidgetItem* item = DeviceList->currentItem();
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

}  // namespace sonkora
