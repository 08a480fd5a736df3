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
    setObjectName(withReplace ? QStringLiteral("replaceDialog") : QStringLiteral("findDialog"));

    auto* fields = new QGridLayout;
    findWhat_ = new QLineEdit(this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(findWhat_);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findWhat_, 0, 1);
    if (withReplace) {
        replaceWith_ = new QLineEdit(this);
        auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
        replaceLabel->setBuddy(replaceWith_);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(replaceWith_, 1, 1);
    }

    wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    auto* checks = new QVBoxLayout;
    checks->addWidget(wholeWord_);
    checks->addWidget(matchCase_);
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    down_->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    findNext_ = new QPushButton(QStringLiteral("&Find Next"), this);
    findNext_->setDefault(true);
    buttons->addWidget(findNext_);
    connect(findNext_, &QPushButton::clicked, this, &FindDialog::FindNext);
    if (withReplace) {
        replace_ = new QPushButton(QStringLiteral("&Replace"), this);
        replaceAll_ = new QPushButton(QStringLiteral("Replace &All"), this);
        buttons->addWidget(replace_);
        buttons->addWidget(replaceAll_);
        connect(replace_, &QPushButton::clicked, this, &FindDialog::Replace);
        connect(replaceAll_, &QPushButton::clicked, this, &FindDialog::ReplaceAll);
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    // Named for the tests, which reach the fields as a user would, by what they are.
    findWhat_->setObjectName(QStringLiteral("findWhat"));
    if (replaceWith_) replaceWith_->setObjectName(QStringLiteral("replaceWith"));
    wholeWord_->setObjectName(QStringLiteral("wholeWord"));
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    findNext_->setObjectName(QStringLiteral("findNext"));
    if (replace_) replace_->setObjectName(QStringLiteral("replace"));
    if (replaceAll_) replaceAll_->setObjectName(QStringLiteral("replaceAll"));
    connect(findWhat_, &QLineEdit::textChanged, this, &FindDialog::UpdateButtons);
    UpdateButtons();
}

QString FindDialog::SearchText() const {
    return findWhat_->text();
}

SearchOptions FindDialog::Options() const {
    SearchOptions options;
    options.Down = down_->isChecked();
    options.MatchCase = matchCase_->isChecked();
    options.WholeWord = wholeWord_->isChecked();
    return options;
}

void FindDialog::UpdateButtons() {
    // There is nothing to look for until there is a text.
    const bool any = !findWhat_->text().isEmpty();
    findNext_->setEnabled(any);
    if (replace_) replace_->setEnabled(any);
    if (replaceAll_) replaceAll_->setEnabled(any);
}

}  // namespace sonkora
