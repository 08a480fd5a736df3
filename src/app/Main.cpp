// sonkora: start-up in order. The program's folder decides where settings and help
// live; then the main window is created, shown, and the event loop runs until it closes.
// Files named on the command line (`sonkora FILE...`, as the desktop starts it for
// files opened from a file manager) open once the window shows.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>

#include "shell/MainWindow.h"
#include "shell/ShellEnvironment.h"
#include "shell/ToolIcons.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonkora"));
    // No display name: the platform would append it to every window title, and the
    // frame's title already starts with the program's name ("Sonkora - [song.stf]").
    QApplication::setWindowIcon(sonkora::MakeProgramIcon());
    // Ties the windows to the desktop entry, for the icon and grouping in task bars.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.sonkora.Sonkora"));

    const std::string programDirectory = QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString();
    const std::string configDirectory = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                            .filePath(QStringLiteral("Sonkora"))
                                            .toStdString();
    const std::string documentDirectory = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                              .filePath(QStringLiteral("Sonkora"))
                                              .toStdString();

    sonkora::MainWindow window(
        sonkora::ShellEnvironment::ForProgram(programDirectory, configDirectory, documentDirectory));
    QStringList files = QApplication::arguments();
    files.removeFirst();
    window.SetFilesToOpen(files);
    window.show();
    return app.exec();
}
