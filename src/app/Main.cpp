// sonkora: start-up in order. The program's folder decides where settings and help
// live; then the main window is created, shown, and the event loop runs until it closes.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "shell/MainWindow.h"
#include "shell/ShellEnvironment.h"
#include "shell/ToolIcons.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonkora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sonkora"));
    QApplication::setWindowIcon(sonkora::MakeProgramIcon());

    const std::string programDirectory = QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString();
    const std::string configDirectory = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                            .filePath(QStringLiteral("Sonkora"))
                                            .toStdString();
    const std::string documentDirectory = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                              .filePath(QStringLiteral("Sonkora"))
                                              .toStdString();

    sonkora::MainWindow window(
        sonkora::ShellEnvironment::ForProgram(programDirectory, configDirectory, documentDirectory));
    window.show();
    return app.exec();
}
