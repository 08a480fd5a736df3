// Where settings and new documents go: beside the program while its folder can be
// written, in the user's own folders when it cannot (an installed program).
#include <QtTest>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "shell/ShellEnvironment.h"

using namespace sonkora;

class SettingsLocationTest : public QObject {
    Q_OBJECT

private slots:
    void AWritableProgramFolderKeepsEverything() {
        QTemporaryDir program;
        QTemporaryDir user;
        const std::string docs = user.path().toStdString() + "/docs";
        const ShellEnvironment env = ShellEnvironment::ForProgram(program.path().toStdString(), "/unused/config", docs);
        const std::string dir = program.path().toStdString() + "/";
        QCOMPARE(env.ProgramDirectory, dir);
        QCOMPARE(env.IniReadPath, dir + "Sonkora.ini");
        QCOMPARE(env.IniWritePath, dir + "Sonkora.ini");
        // New songs never go into the program's folder.
        QCOMPARE(env.DocumentDirectory, docs + "/");
        QCOMPARE(env.HelpDirectory(), dir + "help/");
        QVERIFY(!QFileInfo::exists(QStringLiteral("/unused")));
        // The probe leaves nothing behind.
        QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 qsizetype(0));
    }

    void AProgramFolderThatCannotBeWrittenSendsSettingsToTheUser() {
        QTemporaryDir user;
        const std::string config = user.path().toStdString() + "/config/Sonkora";
        const std::string docs = user.path().toStdString() + "/docs";
        // A folder that does not exist cannot be written either.
        const ShellEnvironment env = ShellEnvironment::ForProgram("/nonexistent/sonkora", config, docs);
        QCOMPARE(env.ProgramDirectory, std::string("/nonexistent/sonkora/"));
        QCOMPARE(env.HelpDirectory(), std::string("/nonexistent/sonkora/help/"));
        QCOMPARE(env.IniWritePath, config + "/Sonkora.ini");
        QCOMPARE(env.IniReadPath, config + "/Sonkora.ini");
        QCOMPARE(env.DocumentDirectory, docs + "/");
        QVERIFY(QFileInfo(QString::fromStdString(config)).isDir());
        QVERIFY(QFileInfo(QString::fromStdString(docs)).isDir());
        QVERIFY(!DirectoryIsWritable("/nonexistent/sonkora/"));
        QVERIFY(DirectoryIsWritable(config));
    }
};

QTEST_MAIN(SettingsLocationTest)
#include "settings_location_test.moc"
