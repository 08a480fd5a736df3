// The frame's file dialogs: the caller's file type first and preselected, "All Files"
// after it, a Help button that opens the caller's help topic.

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

#include "shell/FileDialogFilter.h"
#include "shell/MDIFrame.h"

namespace sonkora {

namespace {

void AddHelpButton(QFileDialog& dialog, TFrameForm& frame, int helpContext) {
    if (helpContext == 0) return;
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (!buttons) return;
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    QObject::connect(help, &QPushButton::clicked, &frame, [&frame, helpContext] { frame.ShowHelp(helpContext); });
}

}  // namespace

bool TFrameForm::ExecuteOpenDialog(const QString& filter, const QString& title, int helpContext,
                                   const QString& defaultExtension) {
    const QStringList filters = QtNameFilters(filter + QStringLiteral("|All Files (*.*)|*.*"));
    QFileDialog dialog(this, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.setDefaultSuffix(defaultExtension);
    dialog.setDirectory(lastDirectory_.isEmpty() ? QString::fromStdString(environment_.DocumentDirectory)
                                                 : lastDirectory_);
    AddHelpButton(dialog, *this, helpContext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    OpenFileName = dialog.selectedFiles().first();
    lastDirectory_ = QFileInfo(OpenFileName).absolutePath();
    return true;
}

bool TFrameForm::ExecuteSaveDialog(const QString& filter, const QString& title, int helpContext,
                                   const QString& defaultExtension, const QString& proposedName) {
    const QStringList filters = QtNameFilters(filter + QStringLiteral("|All Files (*.*)|*.*"));
    QString proposal = proposedName;
    for (;;) {
        QFileDialog dialog(this, title);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // Overwriting an existing song text asks nothing, as it always has.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
        dialog.setDefaultSuffix(defaultExtension);
        if (!proposal.isEmpty()) {
            dialog.setDirectory(QFileInfo(proposal).absolutePath());
            dialog.selectFile(QFileInfo(proposal).fileName());
        } else {
            dialog.setDirectory(lastDirectory_.isEmpty() ? QString::fromStdString(environment_.DocumentDirectory)
                                                         : lastDirectory_);
        }
        AddHelpButton(dialog, *this, helpContext);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        const QString chosen = dialog.selectedFiles().first();
        if (IsReadOnlyFile(chosen)) {
            WarningBox(QStringLiteral("%1 is read only.").arg(QFileInfo(chosen).fileName()), helpContext);
            proposal = chosen;
            continue;
        }
        SaveFileName = chosen;
        lastDirectory_ = QFileInfo(chosen).absolutePath();
        return true;
    }
}

}  // namespace sonkora
