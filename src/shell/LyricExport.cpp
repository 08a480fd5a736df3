#include "shell/LyricExport.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

#include "common/UserInterface.h"
#include "playback/OfflineAudioRenderer.h"
#include "shell/ShellServices.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

ExportDialogText ExportDialogTextOf(ExportFormat format) {
    switch (format) {
        case ExportFormat::Lrc:
            return {QStringLiteral("Export As LRC"), QStringLiteral("LRC lyrics (*.lrc)|*.lrc"), QStringLiteral("lrc")};
        case ExportFormat::EnhancedLrc:
            return {QStringLiteral("Export As Enhanced LRC"), QStringLiteral("Enhanced LRC lyrics (*.lrc)|*.lrc"),
                    QStringLiteral("lrc")};
        case ExportFormat::WebVtt:
            return {QStringLiteral("Export As WebVTT"), QStringLiteral("WebVTT captions (*.vtt)|*.vtt"),
                    QStringLiteral("vtt")};
        case ExportFormat::UltraStar: break;
    }
    return {QStringLiteral("Export As UltraStar"), QStringLiteral("UltraStar songs (*.txt)|*.txt"),
            QStringLiteral("txt")};
}

void ExportLyricFile(ShellServices& services, UserInterface& ui, ExportFormat format, const QString& inputFile,
                     SongDocument* songText, const CompilerSettings& settings) {
    const ExportDialogText text = ExportDialogTextOf(format);
    // The proposal is the input's name with the format's extension, beside it; an
    // untitled song text proposes nothing.
    QString proposed;
    if (!inputFile.isEmpty()) {
        const QFileInfo input(inputFile);
        proposed = input.dir().filePath(input.completeBaseName() + QLatin1Char('.') + text.extension);
    }
    const auto chosen =
        services.AskSaveFileName(text.filter, text.title, HelpContext::LyricFormats, text.extension, proposed);
    if (!chosen) return;

    ExportRequest request;
    request.format = format;
    request.inputFile = inputFile.toStdString();
    request.songText = songText;
    request.outputFile = chosen->toStdString();
    // A singing game needs the melody, so a .kar's voice track is asked for.
    request.withVoice = !songText && format == ExportFormat::UltraStar;
    request.settings = settings;
    OfflineAudioRenderer renderer;
    if (format == ExportFormat::UltraStar) request.audio = &renderer;
    try {
        ExportKaraoke(request, ui);
    } catch (const std::exception& error) {
        services.ErrorBox(MessageText(error.what()), HelpContext::ErrorMessages);
    }
}

}  // namespace sonkora
