#include "shell/EditorCompileHost.h"

#include <QProcess>
#include <QStringList>

#include <utility>

#include "compiler/SongCompiler.h"
#include "shell/ShellServices.h"
#include "shell/ShellSettings.h"

namespace sonkora {

CompilerSettings CompilerSettingsOf(const ShellSettings& shell) {
    CompilerSettings settings;
    settings.CompilerMoreLyrics = shell.CompilerMoreLyrics;
    settings.CompilerLessLyrics = shell.CompilerLessLyrics;
    settings.KaraokePlayer = shell.KaraokePlayer;
    settings.Parameters = shell.Parameters;
    return settings;
}

CompilerSettings EditorCompileHost::Settings() const {
    return CompilerSettingsOf(services_.Settings());
}

void EditorCompileHost::TakePreviewLines(const std::vector<std::string>& lines) {
    showPreview_(lines);
}

void EditorCompileHost::StopPlayback() {
    // The external player gets the device.
    services_.StopPlaying();
    services_.CloseMidiOutput();
}

void EditorCompileHost::PlaySong(const std::string& karFileName, bool fromCursor) {
    if (const std::optional<int32_t> start = std::exchange(nextStart_, std::nullopt))
        services_.PlaySongFrom(karFileName, &editor_, *start);
    else
        services_.PlaySong(karFileName, &editor_, fromCursor);
}

bool EditorCompileHost::StartProgram(const std::string& program, const std::string& parameters,
                                     const std::string& workingDirectory) {
    // No shell is asked to run anything. The parameter template is split into
    // arguments the way a command line is (quotes keep blanks together), and each "%"
    // then stands for the compiled file, so a file name with blanks stays one argument.
    QStringList arguments;
    const std::string& karFileName = compiler_.KarFileName();
    const QString parameterTemplate = QString::fromStdString(services_.Settings().Parameters);
    if (PlayerParameters(services_.Settings().Parameters, karFileName) == parameters) {
        for (QString argument : QProcess::splitCommand(parameterTemplate))
            arguments << argument.replace(QLatin1Char('%'), QString::fromStdString(karFileName));
    } else {
        arguments = QProcess::splitCommand(QString::fromStdString(parameters));
    }
    return QProcess::startDetached(QString::fromStdString(program), arguments,
                                   QString::fromStdString(workingDirectory));
}

}  // namespace sonkora
