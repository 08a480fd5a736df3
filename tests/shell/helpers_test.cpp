// The shell's helpers on their own: the song text between file, pane and compiler (bytes
// survive, line ends become one character, the status strip counts, characters the code
// page cannot hold are found), the frame's settings, file dialog filters, window placement
// keys, and where settings and new documents go.
#include <QFileInfo>

#include "ShellHarness.h"
#include "common/IniFile.h"
#include "shell/EditorText.h"
#include "shell/FileDialogFilter.h"
#include "shell/ShellSettings.h"
#include "shell/WindowPlacement.h"

using namespace sonkora;

class HelpersTest : public QObject {
    Q_OBJECT

private slots:
    void EveryByteSurvivesPaneAndFileAndLineEndsBecomeOneCharacter() {
        std::string all;
        for (int b = 0; b < 256; ++b)
            if (b != '\n' && b != '\r') all += static_cast<char>(b);
        const QString pane = FileBytesToPaneText(all);
        QCOMPARE(PaneCharsToBytes(pane), all);
        QCOMPARE(PaneTextToFileBytes(pane), all + "\r\n");
        QVERIFY(FindUnmappedCharacters(pane).empty());
        QCOMPARE(FileBytesToPaneText("a\r\nb\nc\rd\r\n\r\n"), "a\nb\nc\nd\n\n");
        // Saving writes CR LF after every line, and a blank last line is kept.
        QCOMPARE(PaneTextToFileBytes("a\n\n"), std::string("a\r\n\r\n"));
        QCOMPARE(PaneTextToFileBytes(QString()), std::string());
    }

    void StatusCountsLinesParagraphsAndTitle() {
        // A pane text, and the lines, paragraphs and title the status strip shows for it.
        using Case = std::tuple<QString, int, int, QString>;
        for (const auto& [text, lines, paragraphs, title] :
             {Case{"\\t 1\n\nverse one\n\nverse two", 5, 2, ""},       // header, verse, verse
              Case{" \n\t\n  \t ", 3, 0, ""},                          // only blanks and tabs
              Case{"\nfirst\nstill first\n\nsecond\n\n\n", 7, 2, ""},  // starts with a blank line
              Case{"", 0, 0, ""},                                      // empty
              Case{"@TOne\n@TTwo", 2, 0, "One"},                       // the first @T wins
              Case{"@T Spaced", 1, 0, " Spaced"},                      // the title keeps its blank
              Case{" @TNo\nx@TNo", 2, 0, ""}}) {                       // @T only at the start
            const StatusCounts counts = CountStatus(PaneLines(text));
            QVERIFY2(std::tuple(counts.Lines, counts.Paragraphs, counts.Title) == std::tuple(lines, paragraphs, title),
                     qPrintable(text));
        }
    }

    void CharactersTheCodePageCannotHoldAreFoundWithTheirPlace() {
        // "ł" (U+0142) and a musical note outside the basic plane (two UTF-16 units).
        const QString text = QStringLiteral("ok\nha") + QChar(0x142) + "f " + QString::fromUcs4(U"\U0001D11E") + "x";
        const auto unmapped = FindUnmappedCharacters(text);
        QCOMPARE(unmapped.size(), size_t(2));
        QVERIFY(unmapped[0].Line == 1 && unmapped[0].Column == 2 && unmapped[0].Position == 5);
        QVERIFY(unmapped[0].Code == 0x142 && unmapped[1].Code == 0x1D11E);
        QVERIFY(unmapped[1].Length == 2 && unmapped[1].Column == 5);
        // Each UTF-16 unit still gives one byte, so indexes stay in step.
        QCOMPARE(PaneCharsToBytes(text), std::string("ok\nha?f ??x"));
    }

    void FontStyleBitsFlagsAndNumberListsAreReadAsStored() {
        IniFile ini;
        ini.LoadFromString(
            "[ViewSettings]\nView0CompilerMoreLyrics=256\nView0CompilerLessLyrics=3\nView0FontStyle=5\n");
        ShellSettings settings;
        ReadShellSettings(ini, "View0", settings);
        // A flag counts only its low eight bits.
        QVERIFY(!settings.CompilerMoreLyrics && settings.CompilerLessLyrics);
        const QFont font = FontFromSettings(settings);
        QVERIFY(font.bold() && font.underline() && !font.italic() && !font.strikeOut());
        ShellSettings stored;
        StoreFont(font, stored);
        QCOMPARE(stored.FontStyle, 5);
        // Number lists are read item by item.
        using Case = std::tuple<const char*, size_t, std::vector<int32_t>>;
        for (const auto& [text, count, numbers] : {Case{"5,6", 4, {5, 6, 0, 0}},       // only two of four
                                                   Case{"1,2,3", 2, {1, 2}},           // extra items ignored
                                                   Case{",x,7,-3", 4, {0, 0, 7, -3}},  // empty and bad items are 0
                                                   Case{"4,", 2, {4, 0}}})             // a trailing comma
            QVERIFY2(ParseNumberList(text, count) == numbers, text);
    }

    void FileDialogFiltersMatchAnyCaseAndEveryFile() {
        QCOMPARE(QtNameFilters("MIDI files (*.mid)|*.mid|All Files (*.*)|*.*"),
                 QStringList({"MIDI files (*.mid *.MID)", "All Files (*)"}));
        QCOMPARE(QtNameFilters("EXE files|*.exe"), QStringList({"EXE files (*.exe *.EXE)"}));
    }

    void WindowsOffTheAreaComeBackOntoItInTheirShowState() {
        for (auto [text, state] : {std::pair{"3", 3}, {"0x2", 2}, {"0X3", 3}, {"max", 1}, {"", 1}})
            QCOMPARE(ParseShowState(text, 1), state);
        const QRect area(0, 0, 1000, 700);
        // Entirely beyond the right edge (a second screen that is gone).
        QCOMPARE(KeepOnArea(QRect(2500, 100, 400, 300), area), QRect(600, 100, 400, 300));
        // Above the top: the title bar must be reachable.
        QCOMPARE(KeepOnArea(QRect(100, -50, 400, 300), area), QRect(100, 0, 400, 300));
        // Larger than the area: shrunk to it.
        QCOMPARE(KeepOnArea(QRect(0, 0, 3000, 2000), area), area);
        // Half off the left edge but well visible: left as it is.
        QCOMPARE(KeepOnArea(QRect(-100, 50, 400, 300), area), QRect(-100, 50, 400, 300));
    }

    void SettingsStayInAWritableProgramFolderElseGoToTheUser() {
        QTemporaryDir program, user;
        const std::string docs = user.path().toStdString() + "/docs";
        const std::string config = user.path().toStdString() + "/config/Sonkora";
        const std::string dir = program.path().toStdString() + "/";
        const ShellEnvironment env = ShellEnvironment::ForProgram(program.path().toStdString(), config, docs);
        QCOMPARE(env.ProgramDirectory, dir);
        QVERIFY(env.IniReadPath == dir + "Sonkora.ini" && env.IniWritePath == env.IniReadPath);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(config)));
        // The probe leaves nothing behind.
        QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 qsizetype(0));
        // A folder that does not exist cannot be written either.
        const ShellEnvironment elsewhere = ShellEnvironment::ForProgram("/nonexistent/sonkora", config, docs);
        QVERIFY(elsewhere.IniReadPath == config + "/Sonkora.ini" && elsewhere.IniWritePath == elsewhere.IniReadPath);
        QVERIFY(QFileInfo(QString::fromStdString(config)).isDir() && QFileInfo(QString::fromStdString(docs)).isDir());
        // New songs never go into the program's folder.
        QVERIFY(env.DocumentDirectory == docs + "/" && elsewhere.DocumentDirectory == docs + "/");
    }
};

QTEST_MAIN(HelpersTest)
#include "helpers_test.moc"
