#include "hyphenation/HyphenationCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/IoError.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "hyphenation/HyphenationEngine.h"
#include "hyphenation/HyphenationTestSupport.h"
#include "hyphenation/LanguageList.h"

namespace sonkora {
namespace {

using testing::HandMadeImage;
using testing::ScratchFolder;
using ::testing::ElementsAre;

// Records what the command shows and answers the language dialog as told.
class DialogUser : public UserInterface {
public:
    void ErrorBox(const std::string& message, int helpContext) override {
        errors.push_back(message);
        helpContexts.push_back(helpContext);
    }
    void InformationBox(const std::string& message, int) override { errors.push_back("info: " + message); }
    bool QueryBox(const std::string&, int) override { return true; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Yes; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>&) override { return std::nullopt; }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return false; }

    std::optional<int> ChooseLanguage(const std::vector<std::string>& languages, int selected) override {
        ++dialogs;
        listed = languages;
        preselected = selected;
        if (!confirm) return std::nullopt;
        return answer.value_or(selected);
    }

    std::vector<std::string> errors;
    std::vector<int> helpContexts;
    int dialogs = 0;
    std::vector<std::string> listed;
    int preselected = -1;
    bool confirm = true;
    std::optional<int> answer;  // the preselection unless set
};

// A pattern file that breaks after every "n" (n1) and every "l" (l1), for any language
// name and identification line.
std::string SimplePatterns(const std::string& identification) {
    HandMadeImage image;
    image.Identification(identification);
    for (unsigned char c = 'a'; c <= 'z'; ++c) {
        image.Code(c, c);
        image.Code(static_cast<unsigned char>(c - 32), c);
    }
    image.Op(1, 0, 1, 0);
    image.Entry('n', 8001, 1, 'n');
    image.Entry('l', 8001, 1, 'l');
    return image.Bytes();
}

std::string Identification(const std::string& language) {
    return "Test Hyphenation " + language + " V2.0";
}

struct Command {
    std::optional<int> Run(const std::vector<std::string>& lines) {
        document = std::make_unique<MemorySongDocument>(folder.Path("song.stf"), lines);
        return Hyphenation(*document, compiler, user, folder.Directory());
    }
    std::vector<std::string> Lines() const { return document->Lines(); }

    ScratchFolder folder;
    SongCompiler compiler;
    DialogUser user;
    std::unique_ptr<MemorySongDocument> document;
};

TEST(HyphenationCommand, OnlyTheLyricBodyChanges) {
    Command command;
    command.folder.Write("simple.hyp", SimplePatterns(Identification("ENGLISH")));
    const std::vector<std::string> text = {
        "",
        "  ",
        "\\t 1",
        "\\m melancholy.mid",
        "@LENGL",
        "@TVanilla melancholy",
        "",
        "",
        "Vanilla and melancholy, 12 planets",
        "@Tonic $1:1:0$ \\nanny",
        "",
        "Elena-Lola",
    };
    ASSERT_EQ(command.Run(text), 4);
    EXPECT_EQ(command.Lines(), (std::vector<std::string>{
        "",
        "  ",
        "\\t 1",
        "\\m melancholy.mid",
        "@LENGL",
        "@TVanilla melancholy",
        "",
        "",
        "Van-il-la and mel-an-choly, 12 pl-an-ets",
        "@Ton-ic $1:1:0$ \\nan-ny",
        "",
        "El-ena-Lola",
    }));
    EXPECT_THAT(command.user.listed, ElementsAre("ENGLISH"));
    EXPECT_TRUE(command.user.errors.empty());
}

TEST(HyphenationCommand, ATextWithOnlyAHeaderStaysAsItIs) {
    Command command;
    command.folder.Write("simple.hyp", SimplePatterns(Identification("ENGLISH")));
    const std::vector<std::string> text = {"\\t 1", "@LENGL", "@TVanilla", "", "   "};
    EXPECT_EQ(command.Run(text), 0);
    EXPECT_EQ(command.Lines(), text);
}

// True when `after` is `before` with hyphens inserted, none of them next to another.
bool OnlySeparateHyphensAdded(const std::string& before, const std::string& after) {
    std::size_t i = 0;
    for (std::size_t j = 0; j < after.size(); ++j) {
        if (i < before.size() && after[j] == before[i]) {
            ++i;
            continue;
        }
        if (after[j] != '-') return false;
        if ((j > 0 && after[j - 1] == '-') || (j + 1 < after.size() && after[j + 1] == '-')) return false;
    }
    return i == before.size();
}

TEST(HyphenationCommand, ASecondRunAddsNoHyphenNextToOneThere) {
    Command command;
    ASSERT_TRUE(std::filesystem::copy_file(testing::ShippedPatternFolder() + "en.hyp", command.folder.Path("en.hyp")));
    const std::vector<std::string> text = {
        "@LENGL", "", "Presentation of hyphenation, associates", "unbelievable representative",
        "Dashing through the snow in a one-horse open sleigh",
    };
    ASSERT_EQ(command.Run(text), 3);
    const std::vector<std::string> once = command.Lines();
    EXPECT_EQ(once[2], "Pre-sen-ta-tion of hy-phen-ation, as-so-ciates");
    EXPECT_EQ(once[4], "Dash-ing through the snow in a one-horse open sleigh");
    for (std::size_t i = 0; i < once.size(); ++i) EXPECT_TRUE(OnlySeparateHyphensAdded(text[i], once[i])) << once[i];

    // The pieces between hyphens are words of their own now; the short ones stay as they
    // are and the longer ones may split further, never next to a hyphen.
    command.document = std::make_unique<MemorySongDocument>(command.folder.Path("song.stf"), once);
    ASSERT_EQ(Hyphenation(*command.document, command.compiler, command.user, command.folder.Directory()), 3);
    const std::vector<std::string> twice = command.Lines();
    for (std::size_t i = 0; i < once.size(); ++i) EXPECT_TRUE(OnlySeparateHyphensAdded(once[i], twice[i])) << twice[i];
    EXPECT_EQ(twice[3], once[3]);
    EXPECT_EQ(twice[4], once[4]);
}

TEST(HyphenationCommand, ACompilerErrorStopsBeforeTheDialog) {
    Command command;
    command.folder.Write("simple.hyp", SimplePatterns(Identification("ENGLISH")));
    const std::vector<std::string> text = {"@LENGL", "", "fine", std::string(121, 'n')};
    EXPECT_EQ(command.Run(text), std::nullopt);
    EXPECT_EQ(command.Lines(), text);
    EXPECT_EQ(command.user.dialogs, 0);
    EXPECT_THAT(command.user.errors, ElementsAre("Syllable too long."));
}

TEST(HyphenationCommand, CancelOrAnEmptyListChangesNothing) {
    const std::vector<std::string> text = {"@LENGL", "", "vanilla"};
    {
        Command command;
        command.folder.Write("simple.hyp", SimplePatterns(Identification("ENGLISH")));
        command.user.confirm = false;
        EXPECT_EQ(command.Run(text), std::nullopt);
        EXPECT_EQ(command.Lines(), text);
    }
    {
        Command command;  // no pattern files: the dialog opens empty and OK does nothing
        command.user.answer = 0;
        EXPECT_EQ(command.Run(text), std::nullopt);
        EXPECT_EQ(command.user.dialogs, 1);
        EXPECT_TRUE(command.user.listed.empty());
        EXPECT_EQ(command.Lines(), text);
    }
}

TEST(HyphenationCommand, TheAtLLinePreselectsTheLastLanguageWithItsFirstFourLetters) {
    Command command;
    command.folder.Write("a.hyp", SimplePatterns(Identification("DANISH")));
    command.folder.Write("b.hyp", SimplePatterns(Identification("ENGLISH")));
    command.folder.Write("c.hyp", SimplePatterns(Identification("ENGLISHUK")));
    command.folder.Write("d.hyp", SimplePatterns(Identification("FRENCH")));
    const auto preselection = [&command](const std::vector<std::string>& text) {
        command.Run(text);
        return command.user.preselected;
    };
    EXPECT_EQ(preselection({"@LENGL", "", "x"}), 2);
    EXPECT_EQ(preselection({"@Lengl", "", "x"}), 2);     // FoldUpper on both sides
    EXPECT_EQ(preselection({"@LFREN", "@LDANI", "", "x"}), 0);  // the last @L line counts
    EXPECT_EQ(preselection({"@LFRE", "", "x"}), 0);      // fewer than four letters match nothing
    EXPECT_EQ(preselection({"@LKLINGON", "", "x"}), 0);
    EXPECT_EQ(preselection({"\\t 1", "", "x"}), 0);
    EXPECT_THAT(command.user.listed, ElementsAre("DANISH", "ENGLISH", "ENGLISHUK", "FRENCH"));
}

TEST(HyphenationCommand, TheChosenLanguagesFileIsUsed) {
    Command command;
    command.folder.Write("a.hyp", SimplePatterns(Identification("DANISH")));
    HandMadeImage none;  // knows the letters but has no patterns
    none.Identification(Identification("ENGLISH"));
    for (unsigned char c = 'a'; c <= 'z'; ++c) none.Code(c, c);
    command.folder.Write("b.hyp", none.Bytes());
    EXPECT_EQ(command.Run({"@LENGL", "", "vanilla"}), 1);
    EXPECT_EQ(command.Lines()[2], "vanilla");
    command.user.answer = 0;
    EXPECT_EQ(command.Run({"@LENGL", "", "vanilla"}), 1);
    EXPECT_EQ(command.Lines()[2], "van-il-la");
}

TEST(HyphenationCommand, WrongVersionsAreReportedAndSkipped) {
    Command command;
    command.folder.Write("a.hyp", SimplePatterns("Test Hyphenation ENGLISH V1.0"));
    command.folder.Write("b.hyp", SimplePatterns("Test Hyphenation ENGLISH"));  // no second blank
    command.folder.Write("c.hyp", SimplePatterns(Identification("FRENCH")));
    command.folder.Write("notes.txt", "not a pattern file");
    command.Run({"@LFREN", "", "x"});
    EXPECT_THAT(command.user.errors,
                ElementsAre("Hyphenation pattern file a.hyp has an incorrect version number 1.0. Version 2.0 is required.",
                            "Hyphenation pattern file b.hyp has an incorrect version number NGL. Version 2.0 is required."));
    EXPECT_THAT(command.user.helpContexts, ElementsAre(HelpContext::ErrorMessages, HelpContext::ErrorMessages));
    EXPECT_THAT(command.user.listed, ElementsAre("FRENCH"));
    EXPECT_EQ(command.user.preselected, 0);
}

TEST(HyphenationCommand, AtMost25LanguagesAndWrongVersionsDoNotCount) {
    Command command;
    // Named so that their order is known: two bad files early on, thirty good ones.
    command.folder.Write("l00.hyp", SimplePatterns("Test Hyphenation BAD V3.0"));
    command.folder.Write("l05x.hyp", SimplePatterns("Test Hyphenation BAD V3.0"));
    for (int i = 1; i <= 30; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "l%02d.hyp", i);
        command.folder.Write(name, SimplePatterns(Identification("LANG" + std::to_string(i))));
    }
    command.Run({"@LLANG", "", "x"});
    ASSERT_EQ(command.user.listed.size(), 25U);
    EXPECT_EQ(command.user.listed.front(), "LANG1");
    EXPECT_EQ(command.user.listed.back(), "LANG25");
    EXPECT_EQ(command.user.errors.size(), 2U);
    EXPECT_EQ(command.user.preselected, 24);  // every one matches "LANG"; the last wins
}

TEST(HyphenationCommand, AnUnreadablePatternFileStopsTheCommandWithTheTextUnchanged) {
    Command command;
    command.folder.Write("a.hyp", SimplePatterns(Identification("ENGLISH")));
    command.folder.Write("b.hyp", std::string(63, 'x'));
    const std::vector<std::string> text = {"@LENGL", "", "vanilla"};
    command.document = std::make_unique<MemorySongDocument>(command.folder.Path("song.stf"), text);
    EXPECT_THROW(Hyphenation(*command.document, command.compiler, command.user, command.folder.Directory()), IoError);
    EXPECT_EQ(command.Lines(), text);
    EXPECT_EQ(command.user.dialogs, 0);
}

TEST(HyphenationCommand, PatternFilesFoundByExtensionInAnyCase) {
    Command command;
    command.folder.Write("UPPER.HYP", SimplePatterns(Identification("UPPER")));
    command.folder.Write("lower.hyp", SimplePatterns(Identification("LOWER")));
    command.folder.Write("other.hyph", SimplePatterns(Identification("OTHER")));
    std::filesystem::create_directory(command.folder.Path("folder.hyp"));
    command.Run({"", "x"});
    EXPECT_THAT(command.user.listed, ElementsAre("UPPER", "LOWER"));
}

TEST(HyphenateLine, WordsAreRunsOfWordCharacters) {
    HyphenationEngine engine;
    ASSERT_TRUE(engine.LoadPatternImage(SimplePatterns(Identification("X"))));
    EXPECT_EQ(HyphenateLine("", engine), "");
    EXPECT_EQ(HyphenateLine("  vanilla,melancholy!  ", engine), "  van-il-la,mel-an-choly!  ");
    EXPECT_EQ(HyphenateLine("Van-illa_Elena\\Lola", engine), "Van-il-la_El-ena\\Lola");
    EXPECT_EQ(HyphenateLine("a\xE9nalytic", engine), "a\xE9nal-ytic");  // é is no word character here
}

TEST(Identification, LanguageAndVersion) {
    struct Case {
        std::string line;
        std::string language;
        std::string version;
    };
    const Case cases[] = {
        {"Sonkora Hyphenation ENGLISH V2.0", "ENGLISH", "2.0"},
        {std::string("Hyphenation FRENCH V2.0\0\0\0", 26), "FRENCH", "2.0"},
        {"Hyphenation ENGLISH", "", "NGL"},
        {"ENGLISH V2.0", "", "2.0"},  // no "Hyphenation": the first blank ends the name
        {"Hyphenation X V2", "X", "2"},
        {"Hyphenation  V2.0", "", "2.0"},
        {"", "", ""},
        {std::string(60, 'x') + " Hyphenation X V2.0", "", "y"},  // the line ends at 63 bytes
    };
    for (const Case& c : cases) {
        const PatternIdentification id = ParseIdentification(c.line);
        EXPECT_EQ(id.language, c.language) << c.line;
        EXPECT_EQ(id.version, c.version) << c.line;
    }
}

}  // namespace
}  // namespace sonkora
