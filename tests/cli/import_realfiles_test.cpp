// Soft Karaoke files as other programs write them (made by tests/data/kar/make_kar.py),
// imported with sonkorac import and compiled back with sonkorac make.
#include <filesystem>

#include "midi/import_fixture.h"

using namespace sonkora::test;
using namespace sonkora::passtest;
using namespace sonkora::importtest;

namespace {

struct Outcome {
    std::vector<Timed> original;    // texts and lyrics of the file's Words track
    std::vector<Timed> recompiled;  // texts of the Words track made from the import
    std::string songText;
    ChunkedFile originalFile;
    ChunkedFile recompiledFile;
};

class RealFiles : public ::testing::Test {
protected:
    TempDir dir;

    ProgramRun Sonkorac(std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        return RunProgram(dir, args);
    }

    Outcome ImportAndMake(const std::string& name, const std::string& item = "1") {
        Outcome outcome;
        const std::string kar = dir.File(name);
        std::filesystem::copy_file(std::string(SONKORA_TEST_DATA_DIR) + "/kar/" + name, kar);
        const ProgramRun import = Sonkorac({"import", kar, "--track", item});
        EXPECT_EQ(import.exitCode, 0) << import.err;
        const std::string stf = kar.substr(0, kar.size() - 4) + ".stf";
        EXPECT_EQ(import.out, stf + "\n");
        outcome.songText = ReadText(stf);
        const ProgramRun make = Sonkorac({"make", stf});
        EXPECT_EQ(make.exitCode, 0) << make.err << outcome.songText;
        EXPECT_EQ(make.out, "Karaoke file made succesfully\n");
        outcome.originalFile = SplitChunks(ReadBytes(kar));
        outcome.recompiledFile = SplitChunks(ReadBytes(kar.substr(0, kar.size() - 4) + "_1.kar"));
        if (outcome.originalFile.chunks.size() > 2) outcome.original = MetaTexts(outcome.originalFile.chunks[2]);
        if (outcome.recompiledFile.chunks.size() > 2) outcome.recompiled = MetaTexts(outcome.recompiledFile.chunks[2]);
        return outcome;
    }
};

std::vector<Timed> OfType(const std::vector<Timed>& texts, uint8_t type) {
    std::vector<Timed> kept;
    for (const Timed& t : texts)
        if (t.type == type) kept.push_back(t);
    return kept;
}

TEST_F(RealFiles, APlainSoftKaraokeFileComesBackAsItWas) {
    const Outcome outcome = ImportAndMake("classic.kar");
    EXPECT_EQ(outcome.recompiled, outcome.original) << outcome.songText;
    // Chunk 0 and the music chunks byte for byte.
    ASSERT_EQ(outcome.recompiledFile.chunks.size(), outcome.originalFile.chunks.size());
    for (size_t i : {0u, 3u, 4u, 5u}) EXPECT_EQ(outcome.recompiledFile.chunks[i], outcome.originalFile.chunks[i]);
}

TEST_F(RealFiles, HeaderTextsOfTheInformationTrackAreNotImported) {
    const Outcome outcome = ImportAndMake("headers_in_information.kar");
    EXPECT_EQ(outcome.recompiled, outcome.original);
    EXPECT_EQ(outcome.songText.find("@V0100"), std::string::npos);
    EXPECT_EQ(outcome.songText.find("@I"), std::string::npos);
    EXPECT_EQ(outcome.recompiledFile.trailing, outcome.originalFile.trailing);
}

TEST_F(RealFiles, LyricEventsBesideTextEventsAreTakenOnce) {
    const Outcome outcome = ImportAndMake("lyric_events.kar");
    EXPECT_EQ(outcome.recompiled, OfType(outcome.original, 0x01)) << outcome.songText;
}

TEST_F(RealFiles, LyricEventsAloneKeepTheirTicksAndBreaks) {
    const Outcome outcome = ImportAndMake("lyric_events_only.kar");
    std::vector<Timed> sung;
    for (const Timed& t : outcome.original)
        if (t.text != "\r" && t.text[0] != '@') sung.push_back(t);
    ASSERT_EQ(outcome.recompiled.size(), sung.size() + 1) << outcome.songText;  // and the @T line
    for (size_t i = 0; i < sung.size(); ++i) EXPECT_EQ(outcome.recompiled[i + 1].time, sung[i].time) << i;
    EXPECT_NE(outcome.songText.find("\nLan-tern light on the hill\nCall-ing me home a-gain\nRiv-er"), std::string::npos)
        << outcome.songText;
}

TEST_F(RealFiles, TextsBeforeTheFirstNoteStayBeforeIt) {
    const Outcome outcome = ImportAndMake("texts_before_notes.kar");
    // The two texts at tick 0 cannot both have it: they become one.
    std::vector<Timed> expected = outcome.original;
    ASSERT_EQ(expected.at(1).text, "\\Lantern Light");
    expected[1].text = "\\Lantern Light words and music made up";
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(outcome.recompiled, expected) << outcome.songText;
}

TEST_F(RealFiles, TextsLongerThanASyllableAreCut) {
    const Outcome outcome = ImportAndMake("long_texts.kar");
    ASSERT_EQ(outcome.recompiled.size(), outcome.original.size()) << outcome.songText;
    for (size_t i = 0; i < outcome.original.size(); ++i) {
        EXPECT_EQ(outcome.recompiled[i].time, outcome.original[i].time);
        EXPECT_EQ(outcome.recompiled[i].text, outcome.original[i].text.substr(0, 121));
    }
}

TEST_F(RealFiles, MoreLyricsThanVoiceNotesKeepTheirTicks) {
    const Outcome outcome = ImportAndMake("more_lyrics_than_notes.kar");
    EXPECT_EQ(outcome.recompiled, outcome.original) << outcome.songText;
}

TEST_F(RealFiles, LyricsAFewTicksOffTheirNotesMoveOntoThem) {
    const Outcome outcome = ImportAndMake("lyrics_off_their_notes.kar");
    ASSERT_EQ(outcome.recompiled.size(), outcome.original.size());
    for (size_t i = 0; i < outcome.original.size(); ++i) {
        const bool header = outcome.original[i].text[0] == '@';
        EXPECT_EQ(outcome.recompiled[i].time, outcome.original[i].time + (header ? 0 : 5)) << i;
        EXPECT_EQ(outcome.recompiled[i].text, outcome.original[i].text);
    }
    EXPECT_EQ(outcome.songText.find('$'), std::string::npos) << outcome.songText;
}

TEST_F(RealFiles, TextsSharingATickOddCharactersAndAnUnendedTrack) {
    const Outcome outcome = ImportAndMake("same_tick_texts.kar");
    std::vector<Timed> expected;
    for (const Timed& t : outcome.original) {
        if (t.text.empty() || t.text == "\n") continue;
        if (!expected.empty() && expected.back().time == t.time) {
            expected.back().text += t.text;  // " o" and "n" at one tick
        } else {
            expected.push_back(t);
        }
    }
    for (Timed& t : expected)
        if (t.text == "ing") t.text = "/ing";  // the line feed before it was a line break
    EXPECT_EQ(outcome.recompiled, expected) << outcome.songText;
}

}  // namespace
