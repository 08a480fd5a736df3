#include "shell/ShellEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace sonkora {

namespace {

std::string WithSeparator(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace

bool DirectoryIsWritable(const std::string& directory) {
    const QString dir = QString::fromStdString(directory);
    if (!QFileInfo(dir).isDir()) return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".sonkora-probe-XXXXXX")));
    return probe.open();  // removed again when `probe` goes
}

std::string ShellEnvironment::BatchDirectory() const {
#ifdef _WIN32
    return "K:\\TEST\\";
#else
    return ProgramDirectory + "TEST/";
#endif
}

ShellEnvironment ShellEnvironment::InDirectory(const std::string& directory) {
    ShellEnvironment env;
    env.ProgramDirectory = WithSeparator(directory);
    env.IniReadPath = env.ProgramDirectory + IniFileName;
    env.IniWritePath = env.IniReadPath;
    env.DocumentDirectory = env.ProgramDirectory;
    return env;
}

ShellEnvironment ShellEnvironment::ForProgram(const std::string& programDirectory,
                                              const std::string& userConfigDirectory,
                                              const std::string& userDocumentDirectory) {
    ShellEnvironment env = InDirectory(programDirectory);
    // New documents start in the user's folder even when the program's folder could be
    // written: the program's folder is no place for the user's songs.
    const std::string documents = WithSeparator(userDocumentDirectory);
    QDir().mkpath(QString::fromStdString(documents));
    env.DocumentDirectory = documents;
    if (DirectoryIsWritable(env.ProgramDirectory)) return env;

    const std::string config = WithSeparator(userConfigDirectory);
    QDir().mkpath(QString::fromStdString(config));
    env.IniWritePath = config + IniFileName;
    // A settings file shipped beside the program is the starting point until the
    // user has one of their own.
    if (QFileInfo::exists(QString::fromStdString(env.IniWritePath)) ||
        !QFileInfo::exists(QString::fromStdString(env.IniReadPath)))
        env.IniReadPath = env.IniWritePath;
    return env;
}

}  // namespace sonkora
