#include "shell/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ShellServices.h"

namespace sonkora {

QPushButton* AddDialogButtons(QDialog& dialog, QVBoxLayout& layout) {
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, &dialog);
    layout.addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons->button(QDialogButtonBox::Help);
}

void ConnectHelp(QAbstractButton* help, ShellServices& services, int helpContext) {
    QObject::connect(help, &QAbstractButton::clicked, help,
                     [&services, helpContext] { services.ShowHelp(helpContext); });
}

}  // namespace sonkora
