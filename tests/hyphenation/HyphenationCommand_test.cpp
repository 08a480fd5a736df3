#include "compiler/HyphenationCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/IoError.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "hyphenation/HyphenationEngine.h"
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
        ++dialogs;
        listed = languages;
        preselected = selected;
        return confirm ? std::optional<int>(answer.value_or(selected)) : std::nullopt;
    }

    int dialogs = 0;
    Lines listed;
    int preselected = -1;
    bool confirm = true;
    std::optional<int> answer;
};

// A pattern file that breaks after every "n" (n1) and every "l" (l1).
std::string SimplePatterns(const std::string& language, const std::string& version = " V2.0") {
    testing::HandMadeImage image;
    image.Identification("Test Hyphenation " + language + version);
    image.AsciiLetters();
    image.Op(1, 0, 1, 0);
    image.Entry('n', 8001, 1, 'n');
    image.Entry('l', 8001, 1, 'l');
    return image.Bytes();
}

struct Command {
    std::optional<int> Run(const Lines& lines) {
        document = std::make_unique<MemorySongDocument>(folder.Path("song.stf"), lines);
        return Hyphenation(*document, compiler, user, folder.Directory());
    }
    Lines Text() const { return document->Lines(); }

    testing::ScratchFolder folder;
    SongCompiler compiler;
    DialogUser user;
    std::unique_ptr<MemorySongDocument> document;
};

TEST(HyphenationCommand, OnlyTheLyricBodyChanges) {
    Command command;
    command.folder.Write("simple.hyp", SimplePatterns("ENGLISH"));
    const Lines header = {"", "  ", "\\t 1", "\\m melancholy.mid", "@LENGL", "@TVanilla melancholy", "", ""};
    Lines text = header;
    for (const char* line :
         {"Vanilla and melancholy, 12 planets", "@Tonic $1:1:0$ \\nanny", "", "Elena-Lola_a\xE9nalytic"})
        text.push_back(line);
    ASSERT_EQ(command.Run(text), 4);
    Lines expected = header;
    for (const char* line :
         {"Van-il-la and mel-an-choly, 12 pl-an-ets", "@Ton-ic $1:1:0$ \\nan-ny", "", "El-ena-Lola_a\xE9nal-ytic"})
        expected.push_back(line);
    EXPECT_EQ(command.Text(), expected);
    EXPECT_THAT(command.user.listed, ElementsAre("ENGLISH"));
    EXPECT_TRUE(command.user.errors.empty());

    EXPECT_EQ(command.Run(header), 0) << "a text with only a header";
    EXPECT_EQ(command.Text(), header);
}

TEST(HyphenationCommand, ACompilerErrorCancelOrAnEmptyListChangesNothing) {
    const Lines text = {"@LENGL", "", "vanilla"};
    Command error;
    error.folder.Write("simple.hyp", SimplePatterns("ENGLISH"));
    const Lines tooLong = {"@LENGL", "", "fine", std::string(121, 'n')};
    EXPECT_EQ(error.Run(tooLong), std::nullopt);
    EXPECT_EQ(error.Text(), tooLong);
    EXPECT_EQ(error.user.dialogs, 0);
    EXPECT_THAT(error.user.errors, ElementsAre(Pair("Syllable too long.", ::testing::_)));

    Command cancel;
    cancel.folder.Write("simple.hyp", SimplePatterns("ENGLISH"));
    cancel.user.confirm = false;
    EXPECT_EQ(cancel.Run(text), std::nullopt);
    EXPECT_EQ(cancel.Text(), text);

    Command none;  // no pattern files: the dialog opens empty and OK does nothing
    none.user.answer = 0;
    EXPECT_EQ(none.Run(text), std::nullopt);
    EXPECT_EQ(none.user.dialogs, 1);
    EXPECT_TRUE(none.user.listed.empty());
    EXPECT_EQ(none.Text(), text);
}

TEST(HyphenationCommand, TheAtLLinePreselectsTheLastLanguageWithItsFirstFourLettersAndTheChosenFileIsUsed) {
    Command command;
    command.folder.Write("a.hyp", SimplePatterns("DANISH"));
    command.folder.Write("b.hyp", SimplePatterns("ENGLISH"));
    testing::HandMadeImage none;  // knows the letters but has no patterns
    none.Identification("Test Hyphenation ENGLISHUK V2.0");
    none.AsciiLetters();
    command.folder.Write("c.hyp", none.Bytes());
    command.folder.Write("d.hyp", SimplePatterns("FRENCH"));
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
    Command command;
    command.folder.Write("a.hyp", SimplePatterns("ENGLISH", " V1.0"));
    command.folder.Write("b.hyp", SimplePatterns("ENGLISH", ""));  // no second blank
    command.folder.Write("c.hyp", SimplePatterns("FRENCH"));
    command.folder.Write("UPPER.HYP", SimplePatterns("UPPER"));
    command.folder.Write("other.hyph", SimplePatterns("OTHER"));
    command.folder.Write("notes.txt", "not a pattern file");
    std::filesystem::create_directory(command.folder.Path("folder.hyp"));
    for (int i = 10; i < 40; ++i) command.folder.Write("l" + std::to_string(i) + ".hyp", SimplePatterns("LANG"));
    command.Run({"@LFREN", "", "x"});
    EXPECT_THAT(
        command.user.errors,
        ElementsAre(Pair("Hyphenation pattern file a.hyp has an incorrect version number 1.0. Version 2.0 is required.",
                         HelpContext::ErrorMessages),
                    Pair("Hyphenation pattern file b.hyp has an incorrect version number NGL. Version 2.0 is required.",
                         HelpContext::ErrorMessages)));
    // The files in name order, the two wrong ones not counted.
    ASSERT_EQ(command.user.listed.size(), 25U);
    EXPECT_EQ(Lines(command.user.listed.begin(), command.user.listed.begin() + 3), (Lines{"UPPER", "FRENCH", "LANG"}));
    EXPECT_EQ(command.user.preselected, 1);
    command.Run({"@LLANG", "", "x"});
    EXPECT_EQ(command.user.preselected, 24);  // every one matches "LANG"; the last wins
}

TEST(HyphenationCommand, AnUnusablePatternFileIsLeftOutSayingWhy) {
    Command command;
    command.folder.Write("a.hyp", SimplePatterns("ENGLISH"));
    command.folder.Write("b.hyp", std::string(63, 'x'));
    ASSERT_EQ(::mkfifo(command.folder.Path("c.hyp").c_str(), 0600), 0);
    ASSERT_EQ(command.Run({"@LENGL", "", "vanilla"}), 1);
    EXPECT_EQ(command.Text()[2], "van-il-la");
    EXPECT_THAT(command.user.listed, ElementsAre("ENGLISH"));
    // The FIFO is not even looked into: it is no file, and opening it would wait forever.
    EXPECT_THAT(command.user.errors,
                ElementsAre(Pair("Hyphenation pattern file b.hyp is left out: too short for a pattern file's header "
                                 "(63 bytes).",
                                 25000)));
}

TEST(Identification, LanguageAndVersion) {
    const struct {
        std::string line, language, version;
    } cases[] = {
        {std::string("Hyphenation FRENCH V2.0\0\0\0", 26), "FRENCH", "2.0"},
        {"ENGLISH V2.0", "", "2.0"},                              // no "Hyphenation": the first blank ends the name
        {std::string(60, 'x') + " Hyphenation X V2.0", "", "y"},  // the line ends at 63 bytes
    };
    for (const auto& c : cases) {
        const PatternIdentification id = ParseIdentification(c.line);
        EXPECT_EQ(std::pair(id.language, id.version), std::pair(c.language, c.version)) << c.line;
    }
}

}  // namespace
}  // namespace sonkora
