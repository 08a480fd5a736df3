#include "shell/WarningsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/DialogButtons.h"

#include <QPushButton>

namespace sonkora {

WarningsDialog::WarningsDialog(ShellServices& services, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Warnings"));
    setProperty("sonkoraHelpContext", HelpContext::Warnings);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Warnings"), this);
    auto* groupLayout = new QVBoxLayout(group);
    moreLyrics_ = new QCheckBox(QStringLiteral("&Warn if more lyrics than vocal notes"), group);
    lessLyrics_ = new QCheckBox(QStringLiteral("W&arn if less lyrics than vocal notes"), group);
    moreLyrics_->setObjectName(QStringLiteral("moreLyrics"));
    lessLyrics_->setObjectName(QStringLiteral("lessLyrics"));
    groupLayout->addWidget(moreLyrics_);
    groupLayout->addWidget(lessLyrics_);
    layout->addWidget(group);
    ConnectHelp(AddDialogButtons(*this, *layout), services, HelpContext::Warnings);
    setFixedSize(sizeHint());
}

void WarningsDialog::SetWarnings(bool moreLyrics, bool lessLyrics) {
    moreLyrics_->setChecked(moreLyrics);
    lessLyrics_->setChecked(lessLyrics);
}

bool WarningsDialog::MoreLyricsWarning() const {
    return moreLyrics_->isChecked();
}

bool WarningsDialog::LessLyricsWarning() const {
    return lessLyrics_->isChecked();
}

}  // namespace sonkora
