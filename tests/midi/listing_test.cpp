// The track listing: fixed-width lines, how karaoke files are recognised, damaged
// files, and what the voice track dialog is given and what it returns.
#include "midi/TrackListing.h"
#include "midi/pass_fixture.h"

namespace sonkora {
namespace {

using namespace test;
using importtest::ScriptedUi;
using namespace passtest;

const Bytes Conductor = Cat({Tempo(0, 500000), Meta(0, 0x03, "Tempo map"), EndOfTrack()});
const Bytes Piano = Cat({Meta(0, 0x03, "Melody"), Program(0, 0, 0), NoteOn(0, 0, 60, 64), EndOfTrack()});
const Bytes DrumKit = Cat({Program(0, 9, 25), NoteOn(0, 9, 36, 100), Meta(0, 0x03, "Drums"), EndOfTrack()});
const Bytes Texts = Cat({Meta(0, 0x03, std::string(80, 'n') + "cut"), Meta(0, 0x01, "hello"), EndOfTrack()});
// The program is set on channel 2, the first note sounds on channel 3 (with velocity 0).
const Bytes Split = Cat({Program(0, 1, 28), NoteOn(10, 2, 50, 0), NoteOn(0, 5, 50, 64), EndOfTrack()});
const std::string PianoLine = "1   Acoustic Grand Piano     Melody";
const std::string DrumLine = "10  Drums                    Drums";
const std::vector<std::string> PianoAndDrums = {"1    " + PianoLine, "2    " + DrumLine};

struct ListingTest : ::testing::Test {
    TempDir dir;
    std::string file = dir.Path("song.mid");

    TrackList List(const Bytes& bytes, uint8_t kind) {
        WriteBytes(file, bytes);
        return ListTracks(file, kind);
    }
};

TEST_F(ListingTest, PlainFileListsEveryChunkAfterTheFirstInFixedColumns) {
    const TrackList list = List(MidiFile(1, 96, {Conductor, Piano, DrumKit, Texts, Split}), ListKindPlainMidi);
    EXPECT_EQ(list.midiError, 0);
    EXPECT_EQ(list.items, (std::vector<std::string>{PianoAndDrums[0], PianoAndDrums[1],
                                                    "3    --" + std::string(27, ' ') + std::string(80, 'n'),
                                                    "4    3   Electric Guitar (muted)  "}));
    EXPECT_TRUE(List(MidiFile(1, 96, {Conductor}), ListKindPlainMidi).items.empty());
}

TEST_F(ListingTest, KaraokeFilesAreRecognisedByNamesMarkerOrLyricEvents) {
    const auto named = [](const std::string& name, const std::string& text = "") {
        return Cat({Meta(0, 0x03, name), text.empty() ? Bytes{} : Meta(0, 0x01, text), EndOfTrack()});
    };
    const Bytes lyrics = Cat({Meta(0, 0x03, "Words"), Meta(0, 0x05, "la "), Meta(10, 0x05, "li"), EndOfTrack()});
    const Bytes singingPiano =
        Cat({Meta(0, 0x03, "Melody"), Program(0, 0, 0), NoteOn(0, 0, 60, 64), Meta(0, 0x05, "la"), EndOfTrack()});
    const std::string refused = "Not a Soft Karaoke file, and no track holds lyric events";
    // 0x8E is a capital A with diaeresis in code page 437.
    const struct {
        const char* what;
        std::vector<Bytes> chunks;  // after the conductor
        bool accepted;
    } cases[] = {
        {"names", {named("Soft Karaoke"), named("words"), Piano, DrumKit}, true},
        {"names folded", {named("soft kar\x8Eoke"), named("WORDS"), Piano, DrumKit}, true},
        {"other names", {named("Soft-Karaoke"), named("Words"), Piano, DrumKit}, false},
        {"no words name", {named("Soft Karaoke"), named("Lyrics"), Piano, DrumKit}, false},
        {"marker, other names", {named("Info", "@KMIDI KARAOKE FILE"), named("Lyrics"), Piano, DrumKit}, true},
        // Lyric events: tracks holding nothing but words are not listed, numbers run on.
        {"lyric track", {lyrics, Piano, DrumKit}, true},
        {"lyrics in the voice", {singingPiano, DrumKit}, true},
    };
    for (const auto& c : cases) {
        Bytes file = Cat({Header(1, static_cast<uint16_t>(c.chunks.size() + 1), 96), Track(Conductor)});
        for (const Bytes& chunk : c.chunks) file = Cat({file, Track(chunk)});
        const TrackList list = List(file, ListKindSoftKaraoke);
        EXPECT_EQ(list.midiError, c.accepted ? 0 : -1) << c.what;
        EXPECT_EQ(list.message, c.accepted ? "" : refused) << c.what;
        EXPECT_EQ(list.items, c.accepted ? PianoAndDrums : std::vector<std::string>()) << c.what;
    }
}

TEST_F(ListingTest, DamagedFilesGiveTheirMessage) {
    EXPECT_EQ(List(Text("just some text, not a song"), ListKindPlainMidi).message, "Not a MIDI file.");
    EXPECT_EQ(List(MidiFile(2, 96, {Conductor, Piano}), ListKindPlainMidi).message,
              "Type 2 MIDI file: its tracks are separate patterns, not one song. Save it as type 1 first.");
    EXPECT_EQ(List(MidiFile(0, 96, {Conductor, Piano}), ListKindPlainMidi).message, "Not a Type 1 MIDI file.");
    const TrackList foreign =
        List(Cat({Header(1, 3, 96), Track(Conductor), Track(Piano), Text("XFIH"), Be32(0)}), ListKindPlainMidi);
    EXPECT_EQ(foreign.message, "Unknown code in MIDI file.");
    EXPECT_EQ(foreign.items.size(), 1u);
    // Damaged events inside a chunk cost only that chunk's details.
    const Bytes broken = Cat({Meta(0, 0x03, "Broken"), {0x00, 0xF4}, NoteOn(0, 0, 60, 64), EndOfTrack()});
    const TrackList listed = List(MidiFile(1, 96, {Conductor, broken, Piano}), ListKindPlainMidi);
    EXPECT_EQ(listed.midiError, 0);
    EXPECT_EQ(listed.items,
              (std::vector<std::string>{"1    --" + std::string(27, ' ') + "Broken", "2    " + PianoLine}));
    // A file cut anywhere never lists more than is there.
    const Bytes song = MidiFile(1, 96, {Conductor, Piano, DrumKit});
    for (size_t cut = 0; cut < song.size(); ++cut) {
        for (uint8_t kind : {ListKindPlainMidi, ListKindSoftKaraoke}) {
            const TrackList list = List(Bytes(song.begin(), song.begin() + static_cast<std::ptrdiff_t>(cut)), kind);
            EXPECT_LE(list.items.size(), 2u) << "cut at " << cut;
            EXPECT_TRUE(list.midiError != 0 || kind == ListKindPlainMidi) << "cut at " << cut;
        }
    }
}

TEST_F(ListingTest, ChooseTrackReturnsOnlyAnItemOfTheList) {
    WriteBytes(file, MidiFile(1, 96, {Conductor, Piano, DrumKit}));
    ScriptedUi user;
    int32_t index = -1, error = 99;
    user.trackChoice = 1;
    EXPECT_TRUE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    EXPECT_EQ(std::pair(index, error), std::pair(1, 0));
    user.trackChoice = 2;
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    WriteBytes(file, MidiFile(1, 96, {Conductor}));
    user.trackChoice = 0;
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));  // OK on an empty list
    EXPECT_EQ(user.trackLists, (std::vector<std::vector<std::string>>{PianoAndDrums, PianoAndDrums, {}}));
    WriteBytes(file, Text("MThd"));
    EXPECT_FALSE(ChooseTrack(user, file, ListKindPlainMidi, index, error));
    EXPECT_EQ(error, 1);
    EXPECT_EQ(user.trackLists.size(), 3u) << "no dialog over a file that failed";
    EXPECT_EQ(user.errors, std::vector<std::string>{"Not a MIDI file."});
}

}  // namespace
}  // namespace sonkora
