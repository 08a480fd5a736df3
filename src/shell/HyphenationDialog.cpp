#include "shell/HyphenationDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/DialogButtons.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

HyphenationDialog::HyphenationDialog(ShellServices& services, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Hyphenation Language"));
    setProperty("sonkoraHelpContext", HelpContext::Hyphenation);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Language:"), this);
    languages_ = new QComboBox(this);
    languages_->setObjectName(QStringLiteral("languages"));
    languages_->setEditable(false);
    languages_->setMinimumWidth(200);
    languages_->setMaxVisibleItems(25);
    label->setBuddy(languages_);
    row->addWidget(label);
    row->addWidget(languages_, 1);
    layout->addLayout(row);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ConnectHelp(buttons->button(QDialogButtonBox::Help), services, HelpContext::Hyphenation);
    setFixedSize(sizeHint());
}

std::optional<int> HyphenationDialog::Choose(const std::vector<std::string>& languages, int selected) {
    languages_->clear();
    for (const std::string& language : languages) languages_->addItem(MessageText(language));
    if (!languages.empty())
        languages_->setCurrentIndex(selected >= 0 && selected < static_cast<int>(languages.size()) ? selected : 0);
    languages_->setFocus();
    if (exec() != QDialog::Accepted || languages_->count() == 0) return std::nullopt;
    return languages_->currentIndex();
}

}  // namespace sonkora
