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

TEST(AskSaveName, AsksOnlyForExistingFilesAndHonoursEachAnswer) {
    TempDir dir;
    const std::string taken = dir.File("song.stf");
    WriteBytes(taken, {});
    ScriptedUi ui;
    EXPECT_EQ(AskSaveName(ui, dir.File("new.stf"), Filter, "stf"), dir.File("new.stf"));
    EXPECT_TRUE(ui.confirmations.empty());

    ui.confirmAnswers = {Answer::Yes, Answer::Cancel};
    EXPECT_EQ(AskSaveName(ui, taken, Filter, "stf"), taken);
    EXPECT_EQ(AskSaveName(ui, taken, Filter, "stf"), "");
    EXPECT_EQ(ui.confirmations, std::vector<std::string>(2, "File " + taken + " already exists. \rOverwrite?"));
    EXPECT_TRUE(ui.saveDialogs.empty());
}

TEST(AskSaveName, NoOffersTheSaveDialogAndChecksItsNameAgain) {
    TempDir dir;
    const std::string taken = dir.File("song.stf");
    const std::string alsoTaken = dir.File("other.stf");
    WriteBytes(taken, {});
    WriteBytes(alsoTaken, {});
    ScriptedUi ui;
    ui.confirmAnswers = {Answer::No, Answer::No, Answer::No, Answer::No};
    ui.saveAnswers = {alsoTaken, dir.File("free.stf"), std::nullopt, ""};
    EXPECT_EQ(AskSaveName(ui, taken, Filter, "stf"), dir.File("free.stf"));
    ASSERT_EQ(ui.saveDialogs.size(), 2u);
    const SaveDialogRequest& first = ui.saveDialogs[0];
    EXPECT_EQ(first.title, "Save file as");
    EXPECT_EQ(first.filter, Filter);
    EXPECT_EQ(first.defaultExtension, "stf");
    EXPECT_EQ(first.helpContext, HelpContext::General);
    EXPECT_EQ(first.proposedName, taken);
    EXPECT_EQ(ui.saveDialogs[1].proposedName, alsoTaken);
    // A cancelled or empty dialog cancels.
    EXPECT_EQ(AskSaveName(ui, taken, Filter, "stf"), "");
    EXPECT_EQ(AskSaveName(ui, taken, Filter, "stf"), "");
}

TEST(KaraokeReferenceName, TakesTheSmallestFreeNumber) {
    TempDir dir;
    const std::string directory = dir.File("");
    EXPECT_EQ(KaraokeReferenceName(directory, "song"), directory + "song_1.kar");
    WriteBytes(dir.File("song_1.kar"), {});
    EXPECT_EQ(KaraokeReferenceName(directory, "song"), directory + "song_2.kar");
    // A gap is filled; a folder or a dangling link under a name takes it too.
    WriteBytes(dir.File("song_3.kar"), {});
    std::filesystem::create_directory(dir.File("song_2.kar"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("song_4.kar"));
    EXPECT_EQ(KaraokeReferenceName(directory, "song"), directory + "song_5.kar");
    EXPECT_EQ(KaraokeReferenceName(directory, "song_1"), directory + "song_1_1.kar");
}

}  // namespace
