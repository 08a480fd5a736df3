#include "shell/SpecialLettersDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QFrame>
#include <QPushButton>

#include "common/UserInterface.h"
#include "shell/DialogButtons.h"
#include "shell/EditorText.h"

namespace sonkora {

namespace {

// The classic layout: 33 x 26 buttons, columns 39 pixels apart from x = 20, and these rows.
constexpr int ButtonWidth = 33;
constexpr int ButtonHeight = 26;
constexpr int FirstColumn = 20;
constexpr int ColumnStep = 39;
constexpr std::array<int, 7> RowTops = {20, 52, 85, 117, 150, 182, 215};

}  // namespace

const SpecialLetterGrid& SpecialLetters() {
    // Lower case on the left, the same letters in upper case on the right; the last two
    // rows gather what has no such pair in the first five.
    static const SpecialLetterGrid grid = {{
        {0xE4, 0xE2, 0xE0, 0xE1, 0xE3, 0xE5, 0xC4, 0xC2, 0xC0, 0xC1, 0xC3, 0xC5},  // a
        {0xEB, 0xEA, 0xE8, 0xE9, 0, 0, 0xCB, 0xCA, 0xC8, 0xC9, 0, 0},              // e
        {0xEF, 0xEE, 0xEC, 0xED, 0, 0, 0xCF, 0xCE, 0xCC, 0xCD, 0, 0},              // i
        {0xF6, 0xF4, 0xF2, 0xF3, 0xF5, 0xF8, 0xD6, 0xD4, 0xD2, 0xD3, 0xD5, 0xD8},  // o
        {0xFC, 0xFB, 0xF9, 0xFA, 0, 0, 0xDC, 0xDB, 0xD9, 0xDA, 0, 0},              // u
        {0xE6, 0xC6, 0xE7, 0xC7, 0xF0, 0xD0, 0xF1, 0xD1, 0xFE, 0xDE, 0x9A, 0x8A},
        {0x9C, 0x8C, 0, 0x9F, 0xFD, 0xDD, 0xDF, 0, 0, 0, 0, 0},
    }};
    return grid;
}

SpecialLettersDialog::SpecialLettersDialog(ShellServices& services, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Special Letters"));
    setProperty("sonkoraHelpContext", HelpContext::SpecialLetters);

    // The framed panel holding the grid, the buttons below it.
    const int panelWidth = FirstColumn * 2 + ColumnStep * 11 + ButtonWidth;
    const int panelHeight = RowTops.back() + ButtonHeight + FirstColumn;
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(8, 8, panelWidth, panelHeight);

    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPointSize(10);
    const SpecialLetterGrid& grid = SpecialLetters();
    for (int row = 0; row < static_cast<int>(grid.size()); ++row) {
        for (int column = 0; column < 12; ++column) {
            const unsigned char letter = grid[static_cast<size_t>(row)][static_cast<size_t>(column)];
            if (letter == 0) continue;
            const char byte = static_cast<char>(letter);
            auto* button = new QPushButton(BytesToPaneChars(std::string_view(&byte, 1)), panel);
            button->setFont(fixed);
            button->setAutoDefault(false);
            button->setGeometry(FirstColumn + column * ColumnStep, RowTops[static_cast<size_t>(row)], ButtonWidth,
                                ButtonHeight);
            button->setProperty("letter", static_cast<int>(letter));
            connect(button, &QPushButton::clicked, this, [this, letter] { ChooseLetter(letter); });
        }
    }

    const int buttonTop = 8 + panelHeight + 10;
    const int buttonWidth = 80;
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    help->setAutoDefault(false);
    cancel->setAutoDefault(false);
    help->setGeometry(8 + panelWidth - buttonWidth, buttonTop, buttonWidth, 27);
    cancel->setGeometry(8 + panelWidth - 2 * buttonWidth - 8, buttonTop, buttonWidth, 27);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ConnectHelp(help, services, HelpContext::SpecialLetters);
    setFixedSize(panelWidth + 16, buttonTop + 27 + 10);
}

void SpecialLettersDialog::ChooseLetter(unsigned char letter) {
    const char byte = static_cast<char>(letter);
    QApplication::clipboard()->setText(BytesToPaneChars(std::string_view(&byte, 1)));
    accept();
}

}  // namespace sonkora
