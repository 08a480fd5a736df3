#include "shell/ShellUserInterface.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include "compiler/SongCompiler.h"
#include "shell/EditorText.h"
#include "shell/Hyphdlg.h"
#include "shell/MDIEdit.h"
#include "shell/MDIFrame.h"
#include "shell/Trackdlg.h"

namespace sonkora {

QString MessageText(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return decoded;
    return BytesToPaneChars(bytes);
}

void TShellUserInterface::ErrorBox(const std::string& message, int helpContext) {
    frame_.ErrorBox(MessageText(message), helpContext);
}

void TShellUserInterface::InformationBox(const std::string& message, int helpContext) {
    frame_.InformationBox(MessageText(message), helpContext);
}

bool TShellUserInterface::QueryBox(const std::string& message, int helpContext) {
    return frame_.QueryBox(MessageText(message), helpContext, false) == QMessageBox::Yes;
}

Answer TShellUserInterface::ConfirmBox(const std::string& message, int helpContext) {
    switch (frame_.QueryBox(MessageText(message), helpContext, true)) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
    }
}

std::optional<int> TShellUserInterface::SelectTrack(const std::string& fileName,
                                                    const std::vector<std::string>& items) {
    QStringList lines;
    for (const std::string& item : items) lines << BytesToPaneChars(item);
    TTrackDialog dialog(&frame_, QString::fromStdString(fileName), lines, firstTrack_);
    if (dialog.exec() != QDialog::Accepted || dialog.SelectedIndex() < 0) return std::nullopt;
    return dialog.SelectedIndex();
}

std::optional<std::string> TShellUserInterface::AskSaveFileName(const SaveDialogRequest& request) {
    if (!frame_.ExecuteSaveDialog(QString::fromStdString(request.filter), QString::fromStdString(request.title),
                                  request.helpContext, QString::fromStdString(request.defaultExtension),
                                  QString::fromStdString(request.proposedName)))
        return std::nullopt;
    return frame_.SaveFileName.toStdString();
}

std::optional<int> TShellUserInterface::ChooseLanguage(const std::vector<std::string>& languages, int selected) {
    if (!frame_.HyphenationDlg) return std::nullopt;
    return frame_.HyphenationDlg->Choose(languages, selected);
}

bool TShellUserInterface::Batch() const {
    return frame_.Batch;
}

CompilerSettings TEditorCompileHost::Settings() const {
    CompilerSettings settings;
    settings.CompilerMoreLyrics = frame_.Settings.CompilerMoreLyrics;
    settings.CompilerLessLyrics = frame_.Settings.CompilerLessLyrics;
    settings.KaraokePlayer = frame_.Settings.KaraokePlayer;
    settings.Parameters = frame_.Settings.Parameters;
    return settings;
}

void TEditorCompileHost::TakePreviewLines(const std::vector<std::string>& lines) {
    // While the Preview page shows, its text stays as the user is reading it.
    if (editor_.IsStfPage()) editor_.ShowPreviewLines(lines);
}

void TEditorCompileHost::StopPlayback() {
    // The external player gets the device.
    frame_.StopPlaying();
    frame_.CloseMidiOutput();
}

void TEditorCompileHost::PlaySong(const std::string& karFileName, bool fromCursor) {
    frame_.PlaySong(karFileName, &editor_, fromCursor);
}

bool TEditorCompileHost::StartProgram(const std::string& program, const std::string& parameters,
                                      const std::string& workingDirectory) {
    // No shell is asked to run anything. The parameter template is split into
    // arguments the way a command line is (quotes keep blanks together), and each "%"
    // then stands for the compiled file, so a file name with blanks stays one argument.
    QStringList arguments;
    const std::string& karFileName = editor_.Compiler().KarFileName();
    const QString parameterTemplate = QString::fromStdString(frame_.Settings.Parameters);
    if (PlayerParameters(frame_.Settings.Parameters, karFileName) == parameters) {
        for (QString argument : QProcess::splitCommand(parameterTemplate))
            arguments << argument.replace(QLatin1Char('%'), QString::fromStdString(karFileName));
    } else {
        arguments = QProcess::splitCommand(QString::fromStdString(parameters));
    }
    return QProcess::startDetached(QString::fromStdString(program), arguments,
                                   QString::fromStdString(workingDirectory));
}

}  // namespace sonkora
