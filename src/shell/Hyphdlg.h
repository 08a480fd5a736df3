#pragma once
// THyphenationDlg: "Hyphenation Language", the choice of the pattern file the
// Hyphenation command splits the words with. Created when the program starts and kept;
// the command refills its list every time.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace sonkora {

class TFrameForm;

class THyphenationDlg : public QDialog {
    Q_OBJECT

public:
    explicit THyphenationDlg(TFrameForm* frame);

    // Shows the languages with `selected` chosen; the index chosen when the dialog
    // closed with OK and the list was not empty.
    std::optional<int> Choose(const std::vector<std::string>& languages, int selected);

    QComboBox* ComboBox1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* HelpButton = nullptr;
};

}  // namespace sonkora
