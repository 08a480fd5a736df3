// The track listing: fixed-width lines, the Soft Karaoke check, and the voice track
// dialog's inputs and outcomes.
#include "common/UserInterface.h"
#include "midi/TrackListing.h"
#include "midi/pass_fixture.h"

using namespace sonkora;
using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

const Bytes Conductor = Cat({Tempo(0, 500000), Meta(0, 0x03, "Tempo map"), EndOfTrack()});
const Bytes Piano = Cat({Meta(0, 0x03, "Melody"), Program(0, 0, 0), NoteOn(0, 0, 60, 64), EndOfTrack()});
const Bytes DrumKit = Cat({Program(0, 9, 25), NoteOn(0, 9, 36, 100), Meta(0, 0x03, "Drums"), EndOfTrack()});
const Bytes Lyrics = Cat({Meta(0, 0x03, "Text"), Meta(0, 0x01, "hello"), EndOfTrack()});
// The program is set on channel 2, the first note sounds on channel 3 (with velocity 0).
const Bytes Split = Cat({Program(0, 1, 28), NoteOn(10, 2, 50, 0), EndOfTrack()});

std::string Spaces(size_t n) { return std::string(n, ' '); }

TEST(ListingLine, FieldsHaveFixedWidths) {
    EXPECT_EQ(TrackListingLine(1, 0, "Melody"), "1   Acoustic Grand Piano     Melody");
    EXPECT_EQ(TrackListingLine(10, 128, ""), "10  Drums" + Spaces(18) + "  ");
    EXPECT_EQ(TrackListingLine(0, -1, "Conductor"), "--  " + Spaces(23) + "  Conductor");
    EXPECT_EQ(TrackListingLine(16, 28, "x"), "16  Electric Guitar (muted)  x");
    const std::string longName = std::string(80, 'n') + "cut";
    EXPECT_EQ(TrackListingLine(2, 1, longName), "2   Bright Acoustic Piano    " + std::string(80, 'n'));
    EXPECT_EQ(TrackListingLine(3, 200, std::string("a\0b", 3)).size(), 4 + 23 + 2 + 3u);
}

struct ListingTest : ::testing::Test {
    TempDir dir;
    std::string file = dir.File("song.mid");

    TrackList List(const Bytes& bytes, uint8_t kind) {
        WriteBytes(file, bytes);
        return ListTracks(file, kind);
    }
};

TEST_F(ListingTest, PlainFileListsEveryChunkAfterTheFirst) {
    const TrackList list = List(MidiFile(1, 96, {Conductor, Piano, DrumKit, Lyrics, Split}), ListKindPlainMidi);
    EXPECT_EQ(list.midiError, 0);
    EXPECT_EQ(list.message, "");
    EXPECT_EQ(list.items, (std::vector<std::string>{
                              "1    1   Acoustic Grand Piano     Melody",
                              "2    10  Drums                    Drums",
                              "3    --                           Text",
                              "4    3   Electric Guitar (muted)  ",
                          }));
    EXPECT_TRUE(List(MidiFile(1, 96, {Conductor}), ListKindPlainMidi).items.empty());
}

TEST_F(ListingTest, SoftKaraokeFileIsCheckedByItsTrackNames) {
    auto karaoke = [](const std::string& first, const std::string& second) {
        return MidiFile(1, 96, {Conductor, Meta(0, 0x03, first), Meta(0, 0x03, second), Piano, DrumKit});
    };
    const TrackList list = List(karaoke("Soft Karaoke", "words"), ListKindSoftKaraoke);
    EXPECT_EQ(list.midiError, 0);
    EXPECT_EQ(list.items, (std::vector<std::string>{"1    1   Acoustic Grand Piano     Melody",
                                                    "2    10  Drums                    Drums"}));
    // Names folded the DOS way: 0x8E is a capital A with diaeresis in code page 437.
    EXPECT_EQ(List(karaoke("soft kar\x8Eoke", "WORDS"), ListKindSoftKaraoke).midiError, 0);
    for (const auto& [first, second] : {std::pair{"Soft-Karaoke", "Words"}, std::pair{"Soft Karaoke", "Lyrics"},
                                        std::pair{"Soft Karaoke", ""}}) {
        const TrackList refused = List(karaoke(first, second), ListKindSoftKaraoke);
        EXPECT_EQ(refused.midiError, -1) << first << "/" << second;
        EXPECT_EQ(refused.message, "Not a Soft Karaoke file");
    }
    EXPECT_TRUE(List(MidiFile(1, 96, {Conductor, Piano}), ListKindSoftKaraoke).message == "Not a Soft Karaoke file");
}

TEST_F(ListingTest, DamagedFilesGiveTheirMessage) {
    EXPECT_EQ(List(Text("just some text, not a song"), ListKindPlainMidi).message, "Not a MIDI file.");
    EXPECT_EQ(List(MidiFile(0, 96, {Piano}), ListKindPlainMidi).message, "Not a Type 1 MIDI file.");
    const TrackList foreign =
        List(Cat({Header(1, 3, 96), Track(Conductor), Track(Piano), Text("XFIH"), Be32(0)}), ListKindPlainMidi);
    EXPECT_EQ(foreign.midiError, 3);
    EXPECT_EQ(foreign.message, "Unknown code in MIDI file.");
    EXPECT_EQ(foreign.items.size(), 1u);
    // Damaged events inside a chunk cost only that chunk's details.
    const Bytes broken = Cat({Meta(0, 0x03, "Broken"), {0x00, 0xF4}, NoteOn(0, 0, 60, 64), EndOfTrack()});
    const TrackList listed = List(MidiFile(1, 96, {Conductor, broken, Piano}), ListKindPlainMidi);
    EXPECT_EQ(listed.midiError, 0);
    EXPECT_EQ(listed.items[0], "1    --                           Broken");
    EXPECT_EQ(listed.items[1], "2    1   Acoustic Grand Piano     Melody");
}

TEST_F(ListingTest, FileCutAnywhereNeverListsMoreThanIsThere) {
    const Bytes song = MidiFile(1, 96, {Conductor, Piano, DrumKit});
    for (size_t cut = 0; cut < song.size(); ++cut) {
        for (uint8_t kind : {ListKindPlainMidi, ListKindSoftKaraoke}) {
            const TrackList list = List(Bytes(song.begin(), song.begin() + static_cast<std::ptrdiff_t>(cut)), kind);
            EXPECT_LE(list.items.size(), 2u) << "cut at " << cut;
            EXPECT_TRUE(list.midiError != 0 || kind == ListKindPlainMidi) << "cut at " << cut;
        }
    }
}

// A user who answers the dialog with a fixed choice and keeps the messages shown.
class ScriptedUser : public UserInterface {
public:
    std::optional<int> choice;
    std::vector<std::pair<std::string, int>> errors;
    std::vector<std::string> shownItems;
    int dialogs = 0;

    void ErrorBox(const std::string& message, int helpContext) override { errors.emplace_back(message, helpContext); }
    void InformationBox(const std::string&, int) override { ADD_FAILURE() << "no information expected"; }
    bool QueryBox(const std::string&, int) override { return false; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Cancel; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        ++dialogs;
        shownItems = items;
        return choice;
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return false; }
};

TEST_F(ListingTest, ChooseTrackShowsTheListOrTheError) {
    WriteBytes(file, MidiFile(1, 96, {Conductor, Piano, DrumKit}));
    ScriptedUser user;
    int32_t index = -1;
    int32_t error = 99;
    user.choice = 1;
    EXPECT_TRUE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(user.shownItems.size(), 2u);
    user.choice = std::nullopt;  // cancelled
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    user.choice = 2;  // not an item of the list
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    EXPECT_TRUE(user.errors.empty());

    WriteBytes(file, MidiFile(1, 96, {Conductor}));
    user.choice = 0;
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));  // OK on an empty list
    EXPECT_EQ(user.dialogs, 4);

    WriteBytes(file, MidiFile(1, 96, {Conductor, Piano, DrumKit}));
    EXPECT_FALSE(ChooseTrack(user, file, ListKindSoftKaraoke, index, error));
    EXPECT_EQ(error, -1);
    WriteBytes(file, Text("MThd"));
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    EXPECT_EQ(error, 1);
    EXPECT_EQ(user.dialogs, 4);
    EXPECT_EQ(user.errors, (std::vector<std::pair<std::string, int>>{{"Not a Soft Karaoke file", 25000},
                                                                     {"Not a MIDI file.", 25000}}));
}

}  // namespace
