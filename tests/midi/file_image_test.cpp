// MIDI files as they come: their kind told by the bytes and then the name, type 0 files
// split by channel and RIFF MIDI files unwrapped as every reader sees them, and the files
// that are refused.
#include <sys/stat.h>
#include <unistd.h>

#include "common/IoError.h"
#include "midi/FileKind.h"
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
const Bytes Type0Track =
    Cat({Tempo(0, 500000), Meta(0, 0x03, "Song"), Program(0, 0, 5), NoteOn(0, 0, 60, 64), Bytes{0x05, 0xB5, 0x07, 0x64},
         NoteOn(5, 9, 36, 64), Bytes{0x02, 0x24, 0x00}, Bytes{0x03}, Sysex, NoteOff(5, 0, 60), EndOfTrack(10)});

Bytes Le32(size_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

// The RIFF form of a MIDI file, as .rmi files hold it, optionally after another chunk.
Bytes RiffMidi(const Bytes& smf, const Bytes& before = {}) {
    Bytes data = Cat({Text("data"), Le32(smf.size()), smf});
    if (smf.size() % 2 != 0) data.push_back(0);
    const Bytes body = Cat({Text("RMID"), before, data});
    return Cat({Text("RIFF"), Le32(body.size()), body});
}

TEST(FileKind, IsToldByTheBytesAndOnlyThenByTheName) {
    const Bytes midi = MidiFile(1, 96, {EndOfTrack()});
    const Bytes karaoke = MidiFile(1, 96, {EndOfTrack(), Cat({Meta(0, 1, "@KMIDI KARAOKE FILE"), EndOfTrack()})});
    const std::tuple<Bytes, const char*, FileKind> rows[] = {
        {midi, "/songs/song", FileKind::Midi},
        {midi, "/songs/SONG.MIDI", FileKind::Midi},
        {RiffMidi(midi, Cat({Text("LIST"), Le32(4), Text("INFO")})), "/songs/song.RMI", FileKind::Midi},
        {RiffMidi(midi), "/songs/song.Kar", FileKind::Karaoke},
        {karaoke, "/songs/song.mid", FileKind::Karaoke},
        {Text("\\t 1\r\n"), "/songs/song.mid.txt", FileKind::SongText},
        {{}, "/songs/empty.stf", FileKind::SongText},
        {Text("\\t 1\r\n"), "/songs/song.mid", FileKind::NotMidi},
        {{}, "/songs/song.kar", FileKind::NotMidi},
        // A RIFF file of another kind (a wave file) is no MIDI file.
        {Cat({Text("RIFF"), Le32(40), Text("WAVEfmt "), Bytes(32, 0)}), "/songs/song.rmi", FileKind::NotMidi},
        {Cat({Text("RIFF"), Le32(4), Text("RMID")}), "/songs/short.rmi", FileKind::NotMidi},
        {Text("MTh"), "/songs/cut.mid", FileKind::NotMidi},
    };
    for (const auto& [head, name, kind] : rows)
        EXPECT_EQ(DetectFileKind(std::string(head.begin(), head.end()), name), kind) << name;
    TempFolder folder;
    EXPECT_EQ(DetectFileKindOfFile(folder.Write("wrapped.rmi", RiffMidi(midi))), FileKind::Midi);
    EXPECT_THROW(DetectFileKindOfFile(folder.Path("missing.mid")), IoError);
    EXPECT_THROW(DetectFileKindOfFile(folder.Directory()), IoError);
    // A named pipe would make open() wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(folder.Path("pipe.mid").c_str(), 0600), 0);
    ::alarm(20);  // a regression blocks in open(); end the test run instead of hanging it
    EXPECT_THROW(ListTracks(folder.Path("pipe.mid"), ListKindPlainMidi), IoError);
    ::alarm(0);
}

// A type 0 file is split into a conductor and a track per channel; the reader and the
// listing number the tracks of a type 0 or RIFF file alike, and refuse the same files with
// the same code.
TEST(FileImage, EveryReaderSplitsUnwrapsAndRefusesAlike) {
    const Bytes whole = MidiFile(0, 96, {Type0Track});
    const Bytes riff = RiffMidi(whole);
    // The conductor keeps the meta and system events, then the channels that play notes,
    // then those that do not; every event keeps its time.
    EXPECT_EQ(SplitType0(whole.data(), whole.size()).noteTracks, 2);
    const Bytes Split[] = {Cat({Tempo(0, 500000), Meta(0, 0x03, "Song"), {0x0F}, Sysex, EndOfTrack(15)}),
                           Cat({Program(0, 0, 5), NoteOn(0, 0, 60, 64), NoteOff(20, 0, 60), EndOfTrack()}),
                           Cat({NoteOn(10, 9, 36, 64), {0x02, 0x24, 0x00}, EndOfTrack()}),
                           Cat({{0x05, 0xB5, 0x07, 0x64}, EndOfTrack()})};
    const struct {
        const char* what;
        Bytes file;
        int32_t error;
    } cases[] = {
        {"type 0", whole, 0},
        {"type 0 in RIFF after an odd-sized chunk", RiffMidi(whole, Cat({Text("LIST"), Le32(3), Text("abc"), {0}})), 0},
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
        const TrackList list = ListTracks(dir.Write("song.mid", c.file), ListKindPlainMidi);
        EXPECT_EQ(list.midiError, c.error) << c.what;
        if (c.error != 0) continue;
        EXPECT_EQ(reader.Header().TrackCount, 4) << c.what;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(reader.Track(i).Data, Split[i]) << c.what << " track " << i;
        // The listing shows the channels that play notes, numbered as the tracks above.
        EXPECT_EQ(list.items, (std::vector<std::string>{"1    1   Chorused Piano           ",
                                                        "2    10  Drums                    "}))
            << c.what;
    }
}

}  // namespace
}  // namespace sonkora
