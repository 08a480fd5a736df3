#include "shell/ReplaceDialog.h"

#include <QLineEdit>

namespace sonkora {

QString ReplaceDialog::ReplaceText() const {
    return replaceWith_->text();
}

}  // namespace sonkora
