#include "compiler/HyphenationCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "hyphenation/HyphenationTestSupport.h"
#include "hyphenation/LanguageList.h"
#include "support/RecordingUser.h"

namespace sonkora {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using Lines = std::vector<std::string>;

// Records what the command shows and answers the language dialog as told: with the
// preselection unless `answer` is set, with Cancel when `confirm` is false.
class DialogUser : public test::RecordingUser {
public:
    std::optional<int> ChooseLanguage(const Lines& languages, int selected) override {
        listed = languages;
        preselected = selected;
        return confirm ? std::optional<int>(answer.value_or(selected)) : std::nullopt;
    }

    Lines listed;
    int preselected = -1;  // -1 until the dialog opens
    bool confirm = true;
    std::optional<int> answer;
};

// A pattern file named by `identification` ("ENGLISH V2.0") that breaks after each of
// `letters` (n1 and l1 unless told otherwise).
std::string SimplePatterns(const std::string& identification, const std::string& letters = "nl") {
    testing::HandMadeImage image;
    image.Identification("Test Hyphenation " + identification);
    image.AsciiLetters();
    image.Op(1, 0, 1, 0);
    for (const char letter : letters) image.Entry(letter, 8001, 1, letter);
    return image.Bytes();
}

// The command on a song text in memory, with pattern files (name, identification) in the
// program's folder.
struct Command {
    explicit Command(std::initializer_list<std::pair<std::string, std::string>> patternFiles = {}) {
        for (const auto& [name, identification] : patternFiles) folder.Write(name, SimplePatterns(identification));
    }
    std::optional<int> Run(const Lines& lines) {
        document = std::make_unique<MemorySongDocument>(folder.Path("song.stf"), lines);
        return Hyphenation(*document, compiler, user, folder.Directory());
    }
    Lines Text() const { return document->Lines(); }

    test::TempFolder folder;
    SongCompiler compiler;
    DialogUser user;
    std::unique_ptr<MemorySongDocument> document;
};

TEST(HyphenationCommand, OnlyTheLyricBodyChanges) {
    Command command({{"simple.hyp", "ENGLISH V2.0"}});
    const Lines header = {"", "  ", "\\t 1", "\\m melancholy.mid", "@LENGL", "@TVanilla melancholy", "", ""};
    Lines text = header, expected = header;
    text.insert(text.end(),
                {"Vanilla and melancholy, 12 planets", "@Tonic $1:1:0$ \\nanny", "", "Elena-Lola_a\xE9nalytic"});
    expected.insert(expected.end(), {"Van-il-la and mel-an-choly, 12 pl-an-ets", "@Ton-ic $1:1:0$ \\nan-ny", "",
                                     "El-ena-Lola_a\xE9nal-ytic"});
    ASSERT_EQ(command.Run(text), 4);
    EXPECT_EQ(command.Text(), expected);
    EXPECT_TRUE(command.user.errors.empty());
    EXPECT_EQ(command.Run(header), 0) << "a text with only a header";
}

TEST(HyphenationCommand, ACompilerErrorCancelOrAnEmptyListChangesNothing) {
    // Song text; pattern files there, OK pressed, the dialog opened.
    const std::tuple<Lines, bool, bool, bool> cases[] = {
        {{"@LENGL", "", "fine", std::string(121, 'n')}, true, true, false},  // "Syllable too long."
        {{"@LENGL", "", "vanilla"}, true, false, true},                      // Cancel
        {{"@LENGL", "", "vanilla"}, false, true, true},                      // no pattern files: OK on the empty dialog
    };
    for (const auto& [text, patterns, confirm, dialog] : cases) {
        Command command;
        if (patterns) command.folder.Write("simple.hyp", SimplePatterns("ENGLISH V2.0"));
        command.user.confirm = confirm;
        EXPECT_EQ(command.Run(text), std::nullopt);
        EXPECT_EQ(command.Text(), text);
        EXPECT_EQ(command.user.preselected != -1, dialog);
        if (!dialog) {
            EXPECT_THAT(command.user.errors, ElementsAre(Pair("Syllable too long.", ::testing::_)));
        }
    }
}

TEST(HyphenationCommand, TheAtLLinePreselectsTheLastLanguageWithItsFirstFourLettersAndTheChosenFileIsUsed) {
    Command command({{"a.hyp", "DANISH V2.0"}, {"b.hyp", "ENGLISH V2.0"}, {"d.hyp", "FRENCH V2.0"}});
    command.folder.Write("c.hyp", SimplePatterns("ENGLISHUK V2.0", ""));  // knows the letters, has no patterns
    const std::pair<Lines, int> cases[] = {
        {{"@LENGL", "", "x"}, 2},
        {{"@Lengl", "", "x"}, 2},            // FoldUpper on both sides
        {{"@LFREN", "@LDANI", "", "x"}, 0},  // the last @L line counts
        {{"@LFRE", "", "x"}, 0},             // fewer than four letters match nothing
        {{"@LKLINGON", "", "x"}, 0},
        {{"\\t 1", "", "x"}, 0},
    };
    for (const auto& [text, preselected] : cases) {
        command.Run(text);
        EXPECT_EQ(command.user.preselected, preselected) << text[0];
    }
    EXPECT_THAT(command.user.listed, ElementsAre("DANISH", "ENGLISH", "ENGLISHUK", "FRENCH"));
    // The preselected ENGLISHUK has no patterns; choosing DANISH uses its file.
    EXPECT_EQ(command.Run({"@LENGL", "", "vanilla"}), 1);
    EXPECT_EQ(command.Text()[2], "vanilla");
    command.user.answer = 0;
    EXPECT_EQ(command.Run({"@LENGL", "", "vanilla"}), 1);
    EXPECT_EQ(command.Text()[2], "van-il-la");
}

TEST(HyphenationCommand, PatternFilesAreFoundByExtensionAtMost25AndWrongVersionsReportedAndSkipped) {
    Command command({{"a.hyp", "ENGLISH V1.0"},
                     {"b.hyp", "ENGLISH"},  // no second blank
                     {"c.hyp", "FRENCH V2.0"},
                     {"UPPER.HYP", "UPPER V2.0"},
                     {"other.hyph", "OTHER V2.0"}});
    command.folder.Write("notes.txt", "not a pattern file");
    std::filesystem::create_directory(command.folder.Path("folder.hyp"));
    for (int i = 10; i < 40; ++i) command.folder.Write("l" + std::to_string(i) + ".hyp", SimplePatterns("LANG V2.0"));
    command.Run({"@LLANG", "", "x"});
    EXPECT_THAT(
        command.user.errors,
        ElementsAre(Pair("Hyphenation pattern file a.hyp has an incorrect version number 1.0. Version 2.0 is required.",
                         HelpContext::ErrorMessages),
                    Pair("Hyphenation pattern file b.hyp has an incorrect version number NGL. Version 2.0 is required.",
                         HelpContext::ErrorMessages)));
    // The files in name order, the two wrong ones not counted.
    ASSERT_EQ(command.user.listed.size(), 25U);
    EXPECT_EQ(Lines(command.user.listed.begin(), command.user.listed.begin() + 3), (Lines{"UPPER", "FRENCH", "LANG"}));
    EXPECT_EQ(command.user.preselected, 24);  // every one matches "LANG"; the last wins
}

TEST(HyphenationCommand, AnUnusablePatternFileIsLeftOutSayingWhy) {
    Command command({{"a.hyp", "ENGLISH V2.0"}});
    command.folder.Write("b.hyp", std::string(63, 'x'));
    ASSERT_EQ(::mkfifo(command.folder.Path("c.hyp").c_str(), 0600), 0);
    EXPECT_EQ(command.Run({"@LENGL", "", "vanilla"}), 1);
    EXPECT_THAT(command.user.listed, ElementsAre("ENGLISH"));
    // The FIFO is not even looked into: it is no file, and opening it would wait forever.
    EXPECT_THAT(command.user.errors,
                ElementsAre(Pair("Hyphenation pattern file b.hyp is left out: too short for a pattern file's header "
                                 "(63 bytes).",
                                 25000)));
}

TEST(Identification, LanguageAndVersion) {
    const std::array<std::string, 3> cases[] = {
        {std::string("Hyphenation FRENCH V2.0\0\0\0", 26), "FRENCH", "2.0"},
        {"ENGLISH V2.0", "", "2.0"},                              // no "Hyphenation": the first blank ends the name
        {std::string(60, 'x') + " Hyphenation X V2.0", "", "y"},  // the line ends at 63 bytes
    };
    for (const auto& [line, language, version] : cases) {
        const PatternIdentification id = ParseIdentification(line);
        EXPECT_EQ(std::pair(id.language, id.version), std::pair(language, version)) << line;
    }
}

}  // namespace
}  // namespace sonkora
