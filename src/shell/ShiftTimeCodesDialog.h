#pragma once
// ShiftTimeCodesDialog: asks by how much to move the time codes, a signed number of
// beats with units after a colon ("2", "-1:60"). OK stays disabled until the amount reads.

#include <QDialog>

#include <cstdint>
#include <optional>

class QLineEdit;
class QPushButton;

namespace sonkora {

class ShellServices;

class ShiftTimeCodesDialog : public QDialog {
    Q_OBJECT

public:
    // `inSelection`: only the codes of the selection move, which the dialog says.
    ShiftTimeCodesDialog(ShellServices& services, bool inSelection, QWidget* parent);
    // The amount in units (120 to the beat); nothing while the field does not read.
    std::optional<int64_t> Units() const;

private:
    QLineEdit* amount_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace sonkora
