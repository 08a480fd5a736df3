// The main window's message boxes and file dialogs. The file dialogs show the caller's
// file type first and preselected, "All Files" after it, and a Help button that opens
// the caller's help topic.

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "common/UserInterface.h"
#include "shell/FileDialogFilter.h"
#include "shell/MainWindow.h"

namespace sonkora {

namespace {

void AddHelpButton(QFileDialog& dialog, MainWindow& window, int helpContext) {
    if (helpContext == 0) return;
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (!buttons) return;
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    QObject::connect(help, &QPushButton::clicked, &window, [&window, helpContext] { window.ShowHelp(helpContext); });
}

// What both file dialogs share: our own dialog (so the Help button can be added), the
// song's filters with "All Files" last, and the extension a bare name gets.
void PrepareFileDialog(QFileDialog& dialog, QFileDialog::AcceptMode mode, const QString& filter,
                       const QString& defaultExtension) {
    const QStringList filters = QtNameFilters(filter + QStringLiteral("|All Files (*.*)|*.*"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.setDefaultSuffix(defaultExtension);
}

}  // namespace

std::optional<QString> MainWindow::AskOpenFileName(const QString& filter, const QString& title, int helpContext,
                                                   const QString& defaultExtension) {
    QFileDialog dialog(this, title);
    PrepareFileDialog(dialog, QFileDialog::AcceptOpen, filter, defaultExtension);
    dialog.setDirectory(lastDirectory_.isEmpty() ? QString::fromStdString(environment_.DocumentDirectory)
                                                 : lastDirectory_);
    AddHelpButton(dialog, *this, helpContext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    lastDirectory_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

std::optional<QString> MainWindow::AskSaveFileName(const QString& filter, const QString& title, int helpContext,
                                                   const QString& defaultExtension, const QString& proposedName) {
    QString proposal = proposedName;
    for (;;) {
        QFileDialog dialog(this, title);
        PrepareFileDialog(dialog, QFileDialog::AcceptSave, filter, defaultExtension);
        // Overwriting an existing song text asks nothing, as it always has.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // A bare name (a new document's) is offered in the folder used last.
        const QString lastFolder =
            lastDirectory_.isEmpty() ? QString::fromStdString(environment_.DocumentDirectory) : lastDirectory_;
        const bool bareName = !proposal.isEmpty() && QFileInfo(proposal).fileName() == proposal;
        dialog.setDirectory(proposal.isEmpty() || bareName ? lastFolder : QFileInfo(proposal).absolutePath());
        if (!proposal.isEmpty()) dialog.selectFile(QFileInfo(proposal).fileName());
        AddHelpButton(dialog, *this, helpContext);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        const QString chosen = dialog.selectedFiles().first();
        if (IsReadOnlyFile(chosen)) {
            WarningBox(QStringLiteral("%1 is read only.").arg(QFileInfo(chosen).fileName()), helpContext);
            proposal = chosen;
            continue;
        }
        lastDirectory_ = QFileInfo(chosen).absolutePath();
        return chosen;
    }
}

QMessageBox::StandardButton MainWindow::ShowBox(QMessageBox::Icon icon, const QString& message,
                                                QMessageBox::StandardButtons buttons, int helpContext) {
    QMessageBox box(icon, QStringLiteral("Sonkora"), message, buttons, this);
    box.setWindowModality(Qt::WindowModal);
    QAbstractButton* help = helpContext != HelpContext::None ? box.addButton(QMessageBox::Help) : nullptr;
    if (buttons & QMessageBox::Yes) box.setDefaultButton(QMessageBox::Yes);
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    else if (buttons & QMessageBox::Ok)
        box.setEscapeButton(QMessageBox::Ok);  // beside Help, the box would not pick one itself
    bool helpAsked = false;
    for (;;) {
        // The box comes back for the answer, the help window in front of it as its own.
        if (helpAsked) QTimer::singleShot(0, this, [this, helpContext] { ShowHelp(helpContext); });
        box.exec();
        if (help && box.clickedButton() == help) {
            helpAsked = true;
            continue;
        }
        const auto answer = box.standardButton(box.clickedButton());
        if (answer == QMessageBox::NoButton) {
            // Closed with the window's close box or Escape without an escape button.
            if (buttons & QMessageBox::Cancel) return QMessageBox::Cancel;
            if (buttons & QMessageBox::No) return QMessageBox::No;
            return QMessageBox::Ok;
        }
        return answer;
    }
}

void MainWindow::ErrorBox(const QString& message, int helpContext) {
    ShowBox(QMessageBox::Critical, message, QMessageBox::Ok, helpContext);
}

void MainWindow::WarningBox(const QString& message, int helpContext) {
    ShowBox(QMessageBox::Warning, message, QMessageBox::Ok, helpContext);
}

void MainWindow::InformationBox(const QString& message, int helpContext) {
    ShowBox(QMessageBox::Information, message, QMessageBox::Ok, helpContext);
}

QMessageBox::StandardButton MainWindow::QueryBox(const QString& message, int helpContext, bool withCancel) {
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    return ShowBox(QMessageBox::Warning, message, buttons, helpContext);
}

}  // namespace sonkora
