#include "shell/Optiodlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/FileDialogFilter.h"
#include "shell/MDIFrame.h"

namespace sonkora {

namespace {

QPushButton* AddButtons(QDialog& dialog, QVBoxLayout& layout) {
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, &dialog);
    layout.addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons->button(QDialogButtonBox::Help);
}

void ConnectHelp(QPushButton* help, TFrameForm* frame, int helpContext) {
    QPointer<TFrameForm> guarded(frame);
    QObject::connect(help, &QPushButton::clicked, help, [guarded, helpContext] {
        if (guarded) guarded->ShowHelp(helpContext);
    });
}

}  // namespace

TCompilerOptionsDlg::TCompilerOptionsDlg(TFrameForm* frame) : QDialog(frame) {
    setWindowTitle(QStringLiteral("Warnings"));
    setProperty("sonkoraHelpContext", HelpContext::Warnings);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Warnings"), this);
    auto* groupLayout = new QVBoxLayout(group);
    MoreLyricsBox = new QCheckBox(QStringLiteral("&Warn if more lyrics than vocal notes"), group);
    LessLyricsBox = new QCheckBox(QStringLiteral("W&arn if less lyrics than vocal notes"), group);
    groupLayout->addWidget(MoreLyricsBox);
    groupLayout->addWidget(LessLyricsBox);
    layout->addWidget(group);
    HelpButton = AddButtons(*this, *layout);
    ConnectHelp(HelpButton, frame, HelpContext::Warnings);
    setFixedSize(sizeHint());
}

TKaraPlayDlg::TKaraPlayDlg(TFrameForm* frame) : QDialog(frame), frame_(frame) {
    setWindowTitle(QStringLiteral("Karaoke Player"));
    setProperty("sonkoraHelpContext", HelpContext::KaraokePlayer);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Custom karaoke player"), this);
    auto* grid = new QGridLayout(group);
    auto* pathLabel = new QLabel(QStringLiteral("Path and &executable name:"), group);
    PathEdit = new QLineEdit(group);
    PathEdit->setObjectName(QStringLiteral("PathEdit"));
    pathLabel->setBuddy(PathEdit);
    BrowseButton = new QPushButton(QStringLiteral("&Browse..."), group);
    BrowseButton->setAutoDefault(false);
    auto* parametersLabel = new QLabel(QStringLiteral("&Parameters:"), group);
    ParametersEdit = new QLineEdit(group);
    ParametersEdit->setObjectName(QStringLiteral("ParametersEdit"));
    parametersLabel->setBuddy(ParametersEdit);
    grid->addWidget(pathLabel, 0, 0, 1, 2);
    grid->addWidget(PathEdit, 1, 0);
    grid->addWidget(BrowseButton, 1, 1);
    grid->addWidget(parametersLabel, 2, 0, 1, 2);
    grid->addWidget(ParametersEdit, 3, 0);
    PathEdit->setMinimumWidth(320);
    layout->addWidget(group);
    HelpButton = AddButtons(*this, *layout);
    ConnectHelp(HelpButton, frame, HelpContext::KaraokePlayer);
    connect(BrowseButton, &QPushButton::clicked, this, &TKaraPlayDlg::BrowseButtonClick);
    setFixedSize(sizeHint());
}

void TKaraPlayDlg::BrowseButtonClick() {
    QStringList filters = QtNameFilters(QStringLiteral("EXE files|*.exe|All files|*.*"));
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
#ifdef _WIN32
    dialog.selectNameFilter(filters.first());
    dialog.setDefaultSuffix(QStringLiteral("exe"));
#else
    // Programs here carry no extension: "All files" is where they can be seen.
    dialog.selectNameFilter(filters.last());
#endif
    const QFileInfo current(PathEdit->text());
    if (!PathEdit->text().isEmpty() && current.absoluteDir().exists()) dialog.setDirectory(current.absolutePath());
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* help = box->addButton(QDialogButtonBox::Help);
        ConnectHelp(help, frame_, HelpContext::KaraokePlayer);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    PathEdit->setText(QDir::toNativeSeparators(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath()));
}

}  // namespace sonkora
