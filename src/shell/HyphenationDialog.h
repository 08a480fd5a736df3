#pragma once
// HyphenationDialog: "Hyphenation Language", the choice of the pattern file the
// Hyphenation command splits the words with. Created when the program starts and kept;
// the command refills its list every time.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QComboBox;

namespace sonkora {

class ShellServices;

class HyphenationDialog : public QDialog {
    Q_OBJECT

public:
    HyphenationDialog(ShellServices& services, QWidget* parent);

    // Shows the languages with `selected` chosen; the index chosen when the dialog
    // closed with OK and the list was not empty.
    std::optional<int> Choose(const std::vector<std::string>& languages, int selected);

private:
    QComboBox* languages_ = nullptr;
};

}  // namespace sonkora
