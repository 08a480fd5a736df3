#include "shell/ShellUserInterface.h"

#include <QStringDecoder>

#include "shell/EditorText.h"
#include "shell/ShellServices.h"
#include "shell/VoiceTrackDialog.h"

namespace sonkora {

QString MessageText(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return decoded;
    return BytesToPaneChars(bytes);
}

void ShellUserInterface::ErrorBox(const std::string& message, int helpContext) {
    services_.ErrorBox(MessageText(message), helpContext);
}

void ShellUserInterface::InformationBox(const std::string& message, int helpContext) {
    services_.InformationBox(MessageText(message), helpContext);
}

bool ShellUserInterface::QueryBox(const std::string& message, int helpContext) {
    return services_.QueryBox(MessageText(message), helpContext, false) == QMessageBox::Yes;
}

Answer ShellUserInterface::ConfirmBox(const std::string& message, int helpContext) {
    switch (services_.QueryBox(MessageText(message), helpContext, true)) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
    }
}

std::optional<int> ShellUserInterface::SelectTrack(const std::string& fileName, const std::vector<std::string>& items) {
    return SelectTrackOfChunks(fileName, items, {});
}

std::optional<int> ShellUserInterface::SelectTrackOfChunks(const std::string& fileName,
                                                           const std::vector<std::string>& items,
                                                           const std::vector<int>& chunks) {
    QStringList lines;
    for (const std::string& item : items) lines << BytesToPaneChars(item);
    VoiceTrackDialog dialog(services_, QString::fromStdString(fileName), lines, firstTrack_);
    dialog.SetTrackChunks(chunks);
    if (dialog.exec() != QDialog::Accepted || dialog.SelectedIndex() < 0) return std::nullopt;
    return dialog.SelectedIndex();
}

std::optional<std::string> ShellUserInterface::AskSaveFileName(const SaveDialogRequest& request) {
    const auto chosen = services_.AskSaveFileName(
        QString::fromStdString(request.filter), QString::fromStdString(request.title), request.helpContext,
        QString::fromStdString(request.defaultExtension), QString::fromStdString(request.proposedName));
    if (!chosen) return std::nullopt;
    return chosen->toStdString();
}

std::optional<int> ShellUserInterface::ChooseLanguage(const std::vector<std::string>& languages, int selected) {
    return services_.ChooseLanguage(languages, selected);
}

bool ShellUserInterface::Batch() const {
    return services_.Batch();
}

}  // namespace sonkora
