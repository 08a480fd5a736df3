#include "shell/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sonkora {

FindDialog::FindDialog(QWidget* parent, bool withReplace) : QDialog(parent) {
    setWindowTitle(withReplace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    setModal(false);
    setObjectName(withReplace ? QStringLiteral("ReplaceDialog") : QStringLiteral("FindDialog"));

    auto* fields = new QGridLayout;
    FindWhat = new QLineEdit(this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(FindWhat);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(FindWhat, 0, 1);
    if (withReplace) {
        ReplaceWith = new QLineEdit(this);
        auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
        replaceLabel->setBuddy(ReplaceWith);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(ReplaceWith, 1, 1);
    }

    WholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    MatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    auto* checks = new QVBoxLayout;
    checks->addWidget(WholeWord);
    checks->addWidget(MatchCase);
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    Up = new QRadioButton(QStringLiteral("&Up"), direction);
    Down = new QRadioButton(QStringLiteral("&Down"), direction);
    Down->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(Up);
    directionLayout->addWidget(Down);
    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    FindNextButton = new QPushButton(QStringLiteral("&Find Next"), this);
    FindNextButton->setDefault(true);
    buttons->addWidget(FindNextButton);
    connect(FindNextButton, &QPushButton::clicked, this, &FindDialog::FindNext);
    if (withReplace) {
        ReplaceButton = new QPushButton(QStringLiteral("&Replace"), this);
        ReplaceAllButton = new QPushButton(QStringLiteral("Replace &All"), this);
        buttons->addWidget(ReplaceButton);
        buttons->addWidget(ReplaceAllButton);
        connect(ReplaceButton, &QPushButton::clicked, this, &FindDialog::Replace);
        connect(ReplaceAllButton, &QPushButton::clicked, this, &FindDialog::ReplaceAll);
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(FindWhat, &QLineEdit::textChanged, this, &FindDialog::UpdateButtons);
    UpdateButtons();
}

QString FindDialog::SearchText() const {
    return FindWhat->text();
}

SearchOptions FindDialog::Options() const {
    SearchOptions options;
    options.Down = Down->isChecked();
    options.MatchCase = MatchCase->isChecked();
    options.WholeWord = WholeWord->isChecked();
    return options;
}

void FindDialog::UpdateButtons() {
    // There is nothing to look for until there is a text.
    const bool any = !FindWhat->text().isEmpty();
    FindNextButton->setEnabled(any);
    if (ReplaceButton) ReplaceButton->setEnabled(any);
    if (ReplaceAllButton) ReplaceAllButton->setEnabled(any);
}

}  // namespace sonkora
