#include "shell/ReplaceDialog.h"

#include <QLineEdit>

namespace sonkora {

QString ReplaceDialog::ReplaceText() const {
    return ReplaceWith->text();
}

}  // namespace sonkora
