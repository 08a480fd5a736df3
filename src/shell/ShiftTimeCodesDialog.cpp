#include "shell/ShiftTimeCodesDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "compiler/TimeCodeShift.h"
#include "shell/DialogButtons.h"

namespace sonkora {

ShiftTimeCodesDialog::ShiftTimeCodesDialog(ShellServices& services, bool inSelection, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Shift Time Codes"));
    setProperty("sonkoraHelpContext", HelpContext::TimingByEar);
    auto* layout = new QVBoxLayout(this);
    auto* scope = new QLabel(inSelection ? QStringLiteral("Moves every time code in the selection.")
                                         : QStringLiteral("Moves every time code of the song text."),
                             this);
    auto* label = new QLabel(QStringLiteral("&Move by (beats[:units], 120 units to the beat; - for earlier):"), this);
    amount_ = new QLineEdit(this);
    amount_->setObjectName(QStringLiteral("amount"));
    amount_->setText(QStringLiteral("1"));
    amount_->selectAll();
    label->setBuddy(amount_);
    layout->addWidget(scope);
    layout->addWidget(label);
    layout->addWidget(amount_);
    ConnectHelp(AddDialogButtons(*this, *layout), services, HelpContext::TimingByEar);
    if (auto* buttons = findChild<QDialogButtonBox*>()) ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(amount_, &QLineEdit::textChanged, this, [this] {
        if (ok_) ok_->setEnabled(Units().has_value());
    });
}

std::optional<int64_t> ShiftTimeCodesDialog::Units() const {
    return ParseShiftAmount(amount_->text().trimmed().toStdString());
}

}  // namespace sonkora
