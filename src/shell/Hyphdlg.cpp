#include "shell/Hyphdlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/MDIFrame.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

THyphenationDlg::THyphenationDlg(TFrameForm* frame) : QDialog(frame) {
    setWindowTitle(QStringLiteral("Hyphenation Language"));
    setProperty("sonkoraHelpContext", HelpContext::Hyphenation);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Language:"), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setMinimumWidth(200);
    ComboBox1->setMaxVisibleItems(25);
    label->setBuddy(ComboBox1);
    row->addWidget(label);
    row->addWidget(ComboBox1, 1);
    layout->addLayout(row);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    HelpButton = buttons->button(QDialogButtonBox::Help);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QPointer<TFrameForm> guarded(frame);
    connect(HelpButton, &QPushButton::clicked, this, [guarded] {
        if (guarded) guarded->ShowHelp(HelpContext::Hyphenation);
    });
    setFixedSize(sizeHint());
}

std::optional<int> THyphenationDlg::Choose(const std::vector<std::string>& languages, int selected) {
    ComboBox1->clear();
    for (const std::string& language : languages) ComboBox1->addItem(MessageText(language));
    if (!languages.empty())
        ComboBox1->setCurrentIndex(selected >= 0 && selected < static_cast<int>(languages.size()) ? selected : 0);
    ComboBox1->setFocus();
    if (exec() != QDialog::Accepted || ComboBox1->count() == 0) return std::nullopt;
    return ComboBox1->currentIndex();
}

}  // namespace sonkora
