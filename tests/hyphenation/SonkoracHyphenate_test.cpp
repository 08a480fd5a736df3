// sonkorac languages and sonkorac hyphenate, run as a user runs them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "hyphenation/HyphenationTestSupport.h"
#include "midi/pass_fixture.h"

namespace sonkora {
namespace {

using passtest::ProgramRun;
using test::ReadFile;
using ::testing::HasSubstr;

class Sonkorac : public ::testing::Test {
protected:
    ProgramRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        return passtest::RunProgram(folder, std::move(args));
    }
    // The word list goes in on the standard input, by a shell that only redirects.
    ProgramRun Hyphenate(std::vector<std::string> args, const std::string& input = "") {
        args.insert(
            args.begin(),
            {"/bin/sh", "-c", "exec \"$0\" hyphenate \"$@\" < '" + folder.Write("stdin", input) + "'", SONKORAC_PATH});
        return passtest::RunProgram(folder, std::move(args));
    }
    std::string Song(const std::string& text) { return folder.Write("song.stf", text); }

    test::TempFolder folder;
    const std::string english = testing::ShippedPatternFolder + "en.hyp";
};

TEST_F(Sonkorac, LanguagesListsEveryShippedFileWithATab) {
    const ProgramRun run = Run({"languages"});
    EXPECT_EQ(std::pair(run.exitCode, run.err), std::pair(0, std::string()));
    for (const char* line : {"ENGLISH\ten.hyp\n", "FRENCH\tfr.hyp\n", "GERMAN\tde.hyp\n", "BRITISH\ten-gb.hyp\n"})
        EXPECT_THAT(run.out, HasSubstr(line));
    const auto files = static_cast<long>(testing::ShippedTags().size());
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), files);
    EXPECT_EQ(Run({"languages", "extra"}).exitCode, 2);
}

TEST_F(Sonkorac, HyphenateKeepsTheLineEndsAndTakesTheLanguageFromLangThenTheAtLLine) {
    EXPECT_EQ(
        Hyphenate({Song("\\t 1\r\n@LENGL\r\n@TPresentation\r\n\r\nPresentation of hyphenation\r\nagain")}),
        (ProgramRun{0, "\\t 1\r\n@LENGL\r\n@TPresentation\r\n\r\nPre-sen-ta-tion of hy-phen-ation\r\na-gain", ""}));

    const std::string song = Song("@LFRENCH\n\nmagnifique\n");
    EXPECT_EQ(Hyphenate({song}).out, "@LFRENCH\n\nma-gni-fique\n");
    EXPECT_EQ(Hyphenate({song, "--lang", "english"}).out, "@LFRENCH\n\nmag-nifique\n");
    EXPECT_EQ(Hyphenate({song, "--patterns", english}).out, "@LFRENCH\n\nmag-nifique\n");
    const ProgramRun run = Hyphenate({song, "--lang", "KLINGON"});
    EXPECT_TRUE(run.exitCode == 1 && run.out.empty()) << run;
    EXPECT_THAT(run.err, HasSubstr("KLINGON"));
}

TEST_F(Sonkorac, HyphenateWritesOutputOnlyWhenItSucceedsAndNeverOverItsInput) {
    const std::string output = folder.Path("out.stf");
    EXPECT_EQ(Hyphenate({Song("@LENGL\n\nhyphenation\n"), "--output", output}), (ProgramRun{0, "", ""}));
    EXPECT_EQ(ReadFile(output), "@LENGL\n\nhy-phen-ation\n");

    ProgramRun run = Hyphenate({Song("@LENGL\n\n" + std::string(121, 'x') + "\n"), "--output", output});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("Syllable too long."));
    EXPECT_EQ(ReadFile(output), "@LENGL\n\nhy-phen-ation\n") << "a failed run leaves the earlier output alone";
    EXPECT_FALSE(std::filesystem::exists(output + ".sonkorac-tmp"));

    run = Hyphenate({folder.Path("missing.stf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("missing.stf"));
}

TEST_F(Sonkorac, HyphenateWordsReadsOneWordPerLineInItsOwnEncoding) {
    EXPECT_EQ(Hyphenate({"--words", "--lang", "SPAN"}, "casa\ncanci\xF3n\r\nperro\n\n"),
              (ProgramRun{0, "ca-sa\ncan-ci\xF3n\npe-rro\n\n", ""}));
    // UTF-8 comes back as UTF-8; a letter the code page lacks stays where it was.
    EXPECT_EQ(Hyphenate({"--words", "--lang", "ITAL"}, "ragazzo\ncanzone\xE2\x82\xAC\nra\xC4\x8Dgazzo\n").out,
              "ra-gaz-zo\ncan-zo-ne\xE2\x82\xAC\nra\xC4\x8D-gaz-zo\n");
    EXPECT_EQ(Hyphenate({"--words", "--patterns", english}, "associates").out, "as-so-ciates\n");
}

TEST_F(Sonkorac, HyphenateRefusesContradictoryOptions) {
    const std::string song = Song("x\n");
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{song, "--lang", "ENGL", "--patterns", "x.hyp"}, 2},
        {{"--words", song}, 2},
        {{"--words", "--output", "x"}, 2},
        {{song, "--output", folder.Path("./song.stf")}, 2},  // never over its input
        {{}, 2},
        {{song, "--lang"}, 2},
        {{"--words", "--patterns", folder.Path("none.hyp")}, 1},
    };
    for (const auto& [args, exitCode] : cases)
        EXPECT_EQ(Hyphenate(args).exitCode, exitCode) << ::testing::PrintToString(args);
}

}  // namespace
}  // namespace sonkora
