#pragma once
// ReplaceDialog: the Replace dialog of an editor window.

#include "shell/FindDialog.h"

namespace sonkora {

// The replace dialog: the find dialog with a replacement text and the Replace and
// Replace All buttons.
class ReplaceDialog : public FindDialog {
    Q_OBJECT

public:
    explicit ReplaceDialog(QWidget* parent) : FindDialog(parent, true) {}
    QString ReplaceText() const;
};

}  // namespace sonkora
