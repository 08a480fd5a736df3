#pragma once
// TSpecialLettersDlg: "Special Letters", a grid of the accented and other letters of the
// Windows-1252 code page that a keyboard may not offer. Clicking one puts it on the
// clipboard and closes the dialog with OK; the editor then pastes it at the caret.

#include <QDialog>
#include <QPointer>

#include <array>
#include <vector>

class QPushButton;

namespace sonkora {

class TFrameForm;

// The letters by row and column as code page bytes; 0 leaves the cell empty.
using SpecialLetterGrid = std::array<std::array<unsigned char, 12>, 7>;
const SpecialLetterGrid& SpecialLetters();

class TSpecialLettersDlg : public QDialog {
    Q_OBJECT

public:
    explicit TSpecialLettersDlg(TFrameForm* frame);

    // Puts the letter of a button on the clipboard and closes with OK.
    void LetterClick(unsigned char letter);

    // The 66 letter buttons, row by row; each holds its byte in the "letter" property.
    std::vector<QPushButton*> LetterButtons;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
};

}  // namespace sonkora
