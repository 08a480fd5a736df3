// The song text between file, pane and compiler: bytes survive, line ends become one
// character, the status strip counts, characters the code page cannot hold are found,
// the frame's settings and the file dialog filters.
#include <QtTest>

#include "common/IniFile.h"
#include "shell/EditorText.h"
#include "shell/FileDialogFilter.h"
#include "shell/ShellSettings.h"

using namespace sonkora;

class EditorTextTest : public QObject {
    Q_OBJECT

private slots:
    void EveryByteSurvivesPaneAndBack() {
        std::string all;
        for (int b = 0; b < 256; ++b)
            if (b != '\n' && b != '\r') all += static_cast<char>(b);
        const QString pane = FileBytesToPaneText(all);
        QCOMPARE(pane.size(), qsizetype(254));
        QCOMPARE(PaneCharsToBytes(pane), all);
        QCOMPARE(PaneTextToFileBytes(pane), all + "\r\n");
        QVERIFY(FindUnmappedCharacters(pane).empty());
    }

    void LineEndsOfEveryKindBecomeOneCharacter() {
        QCOMPARE(FileBytesToPaneText("a\r\nb\nc\rd"), QStringLiteral("a\nb\nc\nd"));
        QCOMPARE(FileBytesToPaneText("a\r\n\r\n"), QStringLiteral("a\n\n"));
        // Saving writes CR LF after every line, and a blank last line is kept.
        QCOMPARE(PaneTextToFileBytes(QStringLiteral("a\n\n")), std::string("a\r\n\r\n"));
        QCOMPARE(PaneTextToFileBytes(QStringLiteral("a\nb")), std::string("a\r\nb\r\n"));
        QCOMPARE(PaneTextToFileBytes(QString()), std::string());
        // The euro sign is byte 0x80 in a song text.
        QCOMPARE(PaneCharsToBytes(QString(QChar(0x20AC))), std::string("\x80"));
    }

    void LinesEndWithoutAFurtherEmptyLine() {
        QCOMPARE(PaneLines(QString()), QStringList());
        QCOMPARE(PaneLines(QStringLiteral("a")), QStringList({"a"}));
        QCOMPARE(PaneLines(QStringLiteral("a\n")), QStringList({"a"}));
        QCOMPARE(PaneLines(QStringLiteral("a\n\n")), QStringList({"a", ""}));
        QCOMPARE(PaneLines(QStringLiteral("\n")), QStringList({""}));
    }

    void StatusCountsLinesParagraphsAndTitle_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("paragraphs");
        QTest::addColumn<QString>("title");
        QTest::newRow("header, verse, verse") << "\\t 1\n\nverse one\n\nverse two" << 5 << 2 << "";
        QTest::newRow("only blanks and tabs") << " \n\t\n  \t " << 3 << 0 << "";
        QTest::newRow("starts with a blank line") << "\nfirst\nstill first\n\nsecond\n\n\n" << 7 << 2 << "";
        QTest::newRow("one line") << "@TSong" << 1 << 0 << "Song";
        QTest::newRow("empty text") << "" << 0 << 0 << "";
        QTest::newRow("first @T wins") << "@TOne\n@TTwo" << 2 << 0 << "One";
        QTest::newRow("title keeps its blank") << "@T Spaced" << 1 << 0 << " Spaced";
        QTest::newRow("@T not at the start") << " @TNo\nx@TNo" << 2 << 0 << "";
    }
    void StatusCountsLinesParagraphsAndTitle() {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(int, paragraphs);
        QFETCH(QString, title);
        const StatusCounts counts = CountStatus(PaneLines(text));
        QCOMPARE(counts.Lines, lines);
        QCOMPARE(counts.Paragraphs, paragraphs);
        QCOMPARE(counts.Title, title);
    }

    void CharactersTheCodePageCannotHoldAreFoundWithTheirPlace() {
        // "ł" (U+0142) and a musical note outside the basic plane (two UTF-16 units).
        const QString text = QStringLiteral("ok\nha") + QChar(0x142) + QStringLiteral("f ") +
                             QString::fromUcs4(U"\U0001D11E") + QStringLiteral("x");
        const auto unmapped = FindUnmappedCharacters(text);
        QCOMPARE(unmapped.size(), size_t(2));
        QCOMPARE(unmapped[0].Line, 1);
        QCOMPARE(unmapped[0].Column, 2);
        QCOMPARE(unmapped[0].Position, 5);
        QCOMPARE(unmapped[0].Code, char32_t(0x142));
        QCOMPARE(unmapped[1].Code, char32_t(0x1D11E));
        QCOMPARE(unmapped[1].Length, 2);
        QCOMPARE(unmapped[1].Column, 5);
        // Each UTF-16 unit still gives one byte, so indexes stay in step.
        QCOMPARE(PaneCharsToBytes(text), std::string("ok\nha?f ??x"));
        QCOMPARE(DescribeCharacter(0x142), QString::fromUtf8("\"\xC5\x82\" (U+0142)"));
    }

    void FontStyleBitsGiveTheFont() {
        ShellSettings settings;
        settings.FontStyle = 5;
        const QFont font = FontFromSettings(settings);
        QVERIFY(font.bold());
        QVERIFY(font.underline());
        QVERIFY(!font.italic());
        QVERIFY(!font.strikeOut());
        QCOMPARE(font.pointSize(), 10);
        ShellSettings stored;
        StoreFont(font, stored);
        QCOMPARE(stored.FontStyle, 5);
    }

    void FrameSettingsReadTheirKeysAndWriteTheTenInOrder() {
        IniFile ini;
        ini.LoadFromString(
            "[ViewSettings]\nView0CompilerMoreLyrics=256\nView0CompilerLessLyrics=3\n"
            "View0FontSize=14\nView0Parameters=/play %\n");
        ShellSettings settings;
        ReadShellSettings(ini, "View0", settings);
        QVERIFY(!settings.CompilerMoreLyrics);  // only the low eight bits count
        QVERIFY(settings.CompilerLessLyrics);
        QCOMPARE(settings.FontSize, 14);
        QCOMPARE(settings.Parameters, std::string("/play %"));
        QCOMPARE(settings.FontName, std::string("Courier New"));
    }

    void FileDialogFiltersMatchAnyCaseAndEveryFile() {
        QCOMPARE(QtNameFilters(QStringLiteral("MIDI files (*.mid)|*.mid|All Files (*.*)|*.*")),
                 QStringList({QStringLiteral("MIDI files (*.mid *.MID)"), QStringLiteral("All Files (*)")}));
        QCOMPARE(QtNameFilters(QStringLiteral("EXE files|*.exe")),
                 QStringList({QStringLiteral("EXE files (*.exe *.EXE)")}));
    }
};

QTEST_MAIN(EditorTextTest)
#include "editor_text_test.moc"
