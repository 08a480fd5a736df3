// Type 0 files split by channel and RIFF MIDI files unwrapped, as every reader sees them:
// the bytes of the split, the times it keeps, and the files it refuses.
#include <gtest/gtest.h>

#include "midi/MidiFileImage.h"
#include "midi/MidiReader.h"
#include "midi/TrackListing.h"
#include "midi/pass_fixture.h"

namespace sonkora {
namespace {

using namespace test;
using namespace passtest;

const Bytes Sysex = {0xF0, 0x03, 0x7E, 0x7F, 0xF7};
// Channel 1 plays, channel 6 only sets a controller, channel 10 plays with running status.
const Bytes Type0Track = Cat({Tempo(0, 500000),
                              Meta(0, 0x03, "Song"),
                              Program(0, 0, 5),
                              NoteOn(0, 0, 60, 64),
                              {0x05, 0xB5, 0x07, 0x64},
                              NoteOn(5, 9, 36, 64),
                              {0x02, 0x24, 0x00},
                              {0x03},
                              Sysex,
                              NoteOff(5, 0, 60),
                              EndOfTrack(10)});

Bytes RiffMidi(const Bytes& smf, const Bytes& after = {}) {
    const auto le32 = [](size_t v) {
        return Bytes{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                     static_cast<uint8_t>(v >> 24)};
    };
    Bytes data = Cat({Text("data"), le32(smf.size()), smf});
    if (smf.size() % 2 != 0) data.push_back(0);
    const Bytes body = Cat({Text("RMID"), data, after});
    return Cat({Text("RIFF"), le32(body.size()), body});
}

SplitResult Split(const Bytes& file) {
    return SplitType0(file.data(), file.size());
}

TEST(FileImage, Type0SplitsIntoConductorAndChannelTracksKeepingEveryTime) {
    const SplitResult split = Split(MidiFile(0, 96, {Type0Track}));
    ASSERT_EQ(split.midiError, 0);
    EXPECT_EQ(split.noteTracks, 2);
    EXPECT_EQ(split.image, MidiFile(1, 96,
                                    {Cat({Tempo(0, 500000), Meta(0, 0x03, "Song"), {0x0F}, Sysex, EndOfTrack(15)}),
                                     Cat({Program(0, 0, 5), NoteOn(0, 0, 60, 64), NoteOff(20, 0, 60), EndOfTrack()}),
                                     Cat({NoteOn(10, 9, 36, 64), {0x02, 0x24, 0x00}, EndOfTrack()}),
                                     Cat({{0x05, 0xB5, 0x07, 0x64}, EndOfTrack()})}));
}

TEST(FileImage, FilesThatCannotBeSplitOrUnwrappedGiveTheirCode) {
    const Bytes whole = MidiFile(0, 96, {Type0Track});
    const Bytes riff = RiffMidi(whole);
    const struct {
        const char* what;
        Bytes file;
        int32_t error;
    } cases[] = {
        {"cut inside its track", Bytes(whole.begin(), whole.end() - 3), MidiErrorCode::DamagedFile},
        {"an undefined status", MidiFile(0, 96, {Cat({NoteOn(0, 0, 60, 1), {0x00, 0xF4}, EndOfTrack()})}), 3},
        // Refused rather than written with a delta time no reader can take.
        {"a gap longer than a delta time holds",
         MidiFile(0, 96, {Cat({NoteOn(0x0FFFFFFF, 0, 60, 1), NoteOn(0x0FFFFFFF, 0, 60, 0), EndOfTrack()})}), 3},
        {"no track chunk", Cat({Header(0, 1, 96), Text("XFIH"), Be32(0)}), 3},
        {"a RIFF file with no MIDI data", Cat({Text("RIFF"), Be32(0), Text("RMIDLIST"), Be32(0)}), 1},
        {"a RIFF file cut inside the MIDI data", Bytes(riff.begin(), riff.end() - 4), 9},
    };
    for (const auto& c : cases) {
        MidiReader reader;
        reader.OpenMidiBuffer(c.file);
        if (reader.ReadMidiHeader()) reader.LoadTracks();
        EXPECT_EQ(reader.MidiError(), c.error) << c.what;
        TempDir dir;
        WriteBytes(dir.Path("song.mid"), c.file);
        EXPECT_EQ(ListTracks(dir.Path("song.mid"), ListKindPlainMidi).midiError, c.error) << c.what;
    }
}

TEST(FileImage, EveryReaderNumbersTheTracksOfAType0OrRiffFileAlike) {
    const Bytes type0 = MidiFile(0, 96, {Type0Track});
    const Bytes info = Cat({Text("LIST"), Be32(0)});
    for (const Bytes& file : {type0, RiffMidi(type0, info)}) {
        MidiReader reader;
        reader.OpenMidiBuffer(file);
        ASSERT_TRUE(reader.ReadMidiHeader() && reader.LoadTracks());
        EXPECT_EQ(reader.Header().TrackCount, 4);
        EXPECT_EQ(reader.Track(2).Data, Cat({NoteOn(10, 9, 36, 64), {0x02, 0x24, 0x00}, EndOfTrack()}));
        // The listing shows the channels that play notes, numbered as the tracks above.
        TempDir dir;
        WriteBytes(dir.Path("song.mid"), file);
        const TrackList list = ListTracks(dir.Path("song.mid"), ListKindPlainMidi);
        EXPECT_EQ(list.items, (std::vector<std::string>{"1    1   Chorused Piano           ",
                                                        "2    10  Drums                    "}));
    }
}

}  // namespace
}  // namespace sonkora
