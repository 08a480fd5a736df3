#pragma once
// FindDialog: the Find dialog of an editor window, and the base of the Replace dialog.

#include <QDialog>
#include <QString>

#include "shell/SearchText.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sonkora {

// The find dialog: search text, whole word, match case, direction; not modal. It stays
// open and keeps its text and options until the window goes.
class FindDialog : public QDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget* parent, bool withReplace = false);

    QString SearchText() const;
    SearchOptions Options() const;

signals:
    void FindNext();
    void Replace();
    void ReplaceAll();

protected:
    QLineEdit* replaceWith_ = nullptr;  // the replace dialog only

private:
    void UpdateButtons();

    QLineEdit* findWhat_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QPushButton* findNext_ = nullptr;
    QPushButton* replace_ = nullptr;     // the replace dialog only
    QPushButton* replaceAll_ = nullptr;  // the replace dialog only
};

}  // namespace sonkora
