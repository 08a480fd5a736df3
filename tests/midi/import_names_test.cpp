// Choosing the names an import writes: the overwrite question with its save dialog, and
// the name of the karaoke file the new song text will compile to.
#include <filesystem>

#include "midi/import_fixture.h"

using namespace sonkora;
using namespace sonkora::importtest;
using passtest::TempDir;
using passtest::WriteBytes;

namespace {

const std::string Filter = "STF files (*.stf)|*.stf";

TEST(AskSaveName, TakesAFreeNameWithoutAsking) {
    TempDir dir;
    ScriptedUi ui;
    EXPECT_EQ(AskSaveName(ui, dir.File("new.stf"), Filter, "stf"), dir.File("new.stf"));
    EXPECT_TRUE(ui.confirmations.empty());
}

TEST(AskSaveName, AsksBeforeOverwritingAndHonoursEachAnswer) {
    TempDir dir;
    const std::string taken = dir.File("song.stf");
    WriteBytes(taken, {});
    const std::string question = "File " + taken + " already exists. \rOverwrite?";

    ScriptedUi yes;
    yes.confirmAnswers = {Answer::Yes};
    EXPECT_EQ(AskSaveName(yes, taken, Filter, "stf"), taken);
    EXPECT_EQ(yes.confirmations, std::vector<std::string>{question});

    ScriptedUi cancel;
    cancel.confirmAnswers = {Answer::Cancel};
    EXPECT_EQ(AskSaveName(cancel, taken, Filter, "stf"), "");
    EXPECT_TRUE(cancel.saveDialogs.empty());
}

TEST(AskSaveName, NoOffersTheSaveDialogAndChecksItsNameAgain) {
    TempDir dir;
    const std::string taken = dir.File("song.stf");
    const std::string alsoTaken = dir.File("other.stf");
    WriteBytes(taken, {});
    WriteBytes(alsoTaken, {});

    ScriptedUi ui;
    ui.confirmAnswers = {Answer::No, Answer::No};
    ui.saveAnswers = {alsoTaken, dir.File("free.stf")};
    EXPECT_EQ(AskSaveName(ui, taken, Filter, "stf"), dir.File("free.stf"));
    ASSERT_EQ(ui.saveDialogs.size(), 2u);
    EXPECT_EQ(ui.saveDialogs[0].title, "Save file as");
    EXPECT_EQ(ui.saveDialogs[0].filter, Filter);
    EXPECT_EQ(ui.saveDialogs[0].defaultExtension, "stf");
    EXPECT_EQ(ui.saveDialogs[0].helpContext, HelpContext::General);
    EXPECT_EQ(ui.saveDialogs[0].proposedName, taken);
    EXPECT_EQ(ui.saveDialogs[1].proposedName, alsoTaken);
    EXPECT_EQ(ui.confirmations.size(), 2u);
}

TEST(AskSaveName, ACancelledOrEmptySaveDialogCancels) {
    TempDir dir;
    const std::string taken = dir.File("song.mid");
    WriteBytes(taken, {});
    for (const std::optional<std::string>& answer : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        ScriptedUi ui;
        ui.confirmAnswers = {Answer::No};
        ui.saveAnswers = {answer};
        EXPECT_EQ(AskSaveName(ui, taken, "MIDI files (*.mid)|*.mid", "mid"), "");
    }
}

TEST(KaraokeReferenceName, TakesTheSmallestFreeNumber) {
    TempDir dir;
    const std::string directory = dir.File("");
    EXPECT_EQ(KaraokeReferenceName(directory, "song"), directory + "song_1.kar");
    WriteBytes(dir.File("song_1.kar"), {});
    EXPECT_EQ(KaraokeReferenceName(directory, "song"), directory + "song_2.kar");
    // A gap is filled, and a folder or a dangling link under a name takes it too.
    WriteBytes(dir.File("song_3.kar"), {});
    std::filesystem::create_directory(dir.File("song_2.kar"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("song_4.kar"));
    EXPECT_EQ(KaraokeReferenceName(directory, "song"), directory + "song_5.kar");
    // Other base names do not count.
    EXPECT_EQ(KaraokeReferenceName(directory, "song_1"), directory + "song_1_1.kar");
}

}  // namespace
