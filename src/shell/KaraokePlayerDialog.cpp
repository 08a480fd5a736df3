#include "shell/KaraokePlayerDialog.h"

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
#include "shell/DialogButtons.h"
#include "shell/FileDialogFilter.h"

namespace sonkora {

KaraokePlayerDialog::KaraokePlayerDialog(ShellServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(QStringLiteral("Karaoke Player"));
    setProperty("sonkoraHelpContext", HelpContext::KaraokePlayer);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Custom karaoke player"), this);
    auto* grid = new QGridLayout(group);
    auto* pathLabel = new QLabel(QStringLiteral("Path and &executable name:"), group);
    path_ = new QLineEdit(group);
    path_->setObjectName(QStringLiteral("path"));
    pathLabel->setBuddy(path_);
    browse_ = new QPushButton(QStringLiteral("&Browse..."), group);
    browse_->setObjectName(QStringLiteral("browse"));
    browse_->setAutoDefault(false);
    auto* parametersLabel = new QLabel(QStringLiteral("&Parameters:"), group);
    parameters_ = new QLineEdit(group);
    parameters_->setObjectName(QStringLiteral("parameters"));
    parametersLabel->setBuddy(parameters_);
    grid->addWidget(pathLabel, 0, 0, 1, 2);
    grid->addWidget(path_, 1, 0);
    grid->addWidget(browse_, 1, 1);
    grid->addWidget(parametersLabel, 2, 0, 1, 2);
    grid->addWidget(parameters_, 3, 0);
    path_->setMinimumWidth(320);
    layout->addWidget(group);
    ConnectHelp(AddDialogButtons(*this, *layout), services, HelpContext::KaraokePlayer);
    connect(browse_, &QPushButton::clicked, this, &KaraokePlayerDialog::browseProgram);
    setFixedSize(sizeHint());
}

void KaraokePlayerDialog::browseProgram() {
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
    const QFileInfo current(path_->text());
    if (!path_->text().isEmpty() && current.absoluteDir().exists()) dialog.setDirectory(current.absolutePath());
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* help = box->addButton(QDialogButtonBox::Help);
        ConnectHelp(help, services_, HelpContext::KaraokePlayer);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    path_->setText(QDir::toNativeSeparators(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath()));
}

void KaraokePlayerDialog::SetPlayer(const QString& program, const QString& parameters) {
    path_->setText(program);
    parameters_->setText(parameters);
}

QString KaraokePlayerDialog::Program() const {
    return path_->text();
}

QString KaraokePlayerDialog::Parameters() const {
    return parameters_->text();
}

}  // namespace sonkora
