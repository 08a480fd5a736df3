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

    QLineEdit* FindWhat = nullptr;
    QLineEdit* ReplaceWith = nullptr;  // the replace dialog only
    QCheckBox* WholeWord = nullptr;
    QCheckBox* MatchCase = nullptr;
    QRadioButton* Up = nullptr;
    QRadioButton* Down = nullptr;
    QPushButton* FindNextButton = nullptr;
    QPushButton* ReplaceButton = nullptr;     // the replace dialog only
    QPushButton* ReplaceAllButton = nullptr;  // the replace dialog only

signals:
    void FindNext();
    void Replace();
    void ReplaceAll();

private:
    void UpdateButtons();
};

}  // namespace sonkora
