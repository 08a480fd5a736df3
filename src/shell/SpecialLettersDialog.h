#pragma once
// SpecialLettersDialog: "Special Letters", a grid of the accented and other letters of the
// Windows-1252 code page that a keyboard may not offer. Clicking one puts it on the
// clipboard and closes the dialog with OK; the editor then pastes it at the caret.

#include <QDialog>

#include <array>
#include <vector>

class QPushButton;

namespace sonkora {

class ShellServices;

// The letters by row and column as code page bytes; 0 leaves the cell empty.
using SpecialLetterGrid = std::array<std::array<unsigned char, 12>, 7>;
const SpecialLetterGrid& SpecialLetters();

class SpecialLettersDialog : public QDialog {
    Q_OBJECT

public:
    SpecialLettersDialog(ShellServices& services, QWidget* parent);

    // Puts the letter of a button on the clipboard and closes with OK. Each of the 66
    // letter buttons holds its byte in the "letter" property.
    void ChooseLetter(unsigned char letter);
};

}  // namespace sonkora
