// The in-memory reader used for playback: decoding, header and chunk checks, files that
// are cut, corrupt or lie about their lengths, the event pump, and time codes.
#include <sys/stat.h>

#include <stdexcept>
#include <thread>

#include "midi/MidiReader.h"
#include "midi/TimeCode.h"
#include "midi/pass_fixture.h"

namespace sonkora {
namespace {

using namespace test;

// Open, header, load, close, rewind: the order playback uses.
std::unique_ptr<MidiReader> Load(const Bytes& file) {
    auto reader = std::make_unique<MidiReader>();
    reader->OpenMidiBuffer(file);
    if (reader->ReadMidiHeader()) reader->LoadTracks();
    reader->CloseMidi();
    reader->RewindTracks();
    return reader;
}

std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value & 0xFF);
    return text;
}

// SendEvents into a toolkit stand-in that keeps what it accepts, as "time:ss d1 d2 d3"
// joined by ", "; it is full once it holds `capacity` records (negative: never).
// `duringCall` runs inside every call.
struct Pump {
    int32_t startTime = 0, baseTime = 0;
    uint16_t solo = 0;
    std::string accepted{};
    int count = 0, offered = 0, capacity = -1;
    std::function<void()> duringCall{};

    void Run(MidiReader& reader) {
        reader.SendEvents(startTime, baseTime, solo, [this](const EventRecord& r) {
            ++offered;
            if (duringCall) duringCall();
            if (capacity >= 0 && count >= capacity) return 1;
            ++count;
            accepted += (accepted.empty() ? "" : ", ") + std::to_string(r.Time) + ":" + Hex(r.Status) + " " +
                        Hex(r.Data1) + " " + Hex(r.Data2) + " " + Hex(r.Data3);
            return 0;
        });
    }
};

// "time:ss d1 d2" for channel events, "time:ffTT 'text'" for meta events, "time:f0 bytes..."
// for system-exclusive events.
std::string Describe(const MidiEvent& e) {
    std::string out = std::to_string(e.Time) + ":" + Hex(e.Status);
    if (e.Status < 0xF0) return out + " " + Hex(e.Data1) + " " + Hex(e.Data2);
    if (e.Status == 0xFF) return out + Hex(e.MetaType) + " '" + e.Text + "'";
    for (uint8_t byte : e.SysexData) out += " " + Hex(byte);
    return out;
}

// Reads a track to its end, the last event (delivered with false) included.
std::string ReadAll(MidiReader& reader) {
    std::string out;
    MidiEvent event;
    for (int guard = 0; guard < 1000; ++guard) {
        const bool more = reader.ReadEvent(0, event);
        out += (out.empty() ? "" : ", ") + Describe(event);
        EXPECT_EQ(static_cast<size_t>(event.SysexLength), event.SysexData.size());
        if (!more) break;
    }
    return out;
}

TEST(ReaderDecode, EventsOfEveryKindAndTracksThatEndInsideOne) {
    const std::string text300 = std::string(100, 'a') + std::string(100, 'b') + std::string(100, 'c');
    Bytes farTrack;
    std::string farEvents;
    for (int i = 1; i <= 9; ++i) {
        farTrack = Cat({farTrack, NoteOn(0x0FFFFFFF, 0, 60, 1)});
        if (i < 9) farEvents += std::to_string(i * 0x0FFFFFFF) + ":90 3c 01, ";
    }
    const struct {
        const char* what;
        Bytes track;
        std::string events;
        int32_t error;
    } cases[] = {
        {"running status note-on", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3C, 0x00}, "0:90 3c 40, 0:90 3c 00", 0},
        {"channel pressure", Bytes{0x00, 0xD3, 0x20, 0x10, 0x30, 0x81, 0x00, 0x40},
         "0:d3 20 00, 16:d3 30 00, 144:d3 40 00", 0},
        {"meta and sysex keep the running status",
         Cat({{0x00, 0x91, 0x3C, 0x40, 0x00, 0xF0, 0x01, 0xF7}, Meta(0, 0x01, "x"), {0x00, 0x3E, 0x41}, EndOfTrack()}),
         "0:91 3c 40, 0:f0 f0 f7, 0:ff01 'x', 0:91 3e 41, 0:ff2f ''", 0},
        {"text of 300 bytes keeps 255", Cat({Meta(0, 0x05, text300), NoteOn(7, 2, 64, 90)}),
         "0:ff05 '" + text300.substr(0, 255) + "', 7:92 40 5a", 0},
        {"text only for meta types 1 to 14",
         Cat({Meta(0, 0x00, "a"), Meta(0, 0x06, "b"), Meta(0, 0x0E, "c"), Meta(0, 0x0F, "d"), Meta(0, 0x7F, "f")}),
         "0:ff00 '', 0:ff06 'b', 0:ff0e 'c', 0:ff0f '', 0:ff7f ''", 0},
        {"sysex and escapes", Bytes{0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xF7, 0x02, 0x43, 0x12, 0x00, 0xF7, 0x00},
         "0:f0 f0 7e 7f f7, 0:f7 43 12, 0:f7", 0},
        {"empty track", {}, "0:00 00 00", 0},
        // Cut off by the end of the track: the end, not a fault, and nothing allocated
        // for what a length claims.
        {"note without velocity", {0x00, 0x90, 0x3C}, "0:90 3c 00", 0},
        {"delta without event", {0x00, 0x90, 0x3C, 0x40, 0x83}, "0:90 3c 40, 384:90 00 00", 0},
        {"stray byte after the end", {0x00, 0xFF, 0x2F, 0x00, 0x00}, "0:ff2f '', 0:00 00 00", 0},
        {"text longer than the track", {0x00, 0xFF, 0x01, 0x64, 'a', 'b'}, "0:ff01 'ab'", 0},
        {"sysex of a huge length", {0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02}, "0:f0 f0 01 02", 0},
        // Unknown codes stop the track.
        {"undefined status", Cat({NoteOn(0, 0, 60, 1), {0x00, 0xF4, 0x00}, EndOfTrack()}), "0:90 3c 01, 0:f4", 3},
        {"five-byte delta", {0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x40}, "0:00 00 00", 3},
        {"data byte before any status", {0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}, "0:00 00 00", 3},
        {"time past the last tick", farTrack, farEvents + "2147483640:00 00 00", 3},
    };
    for (const auto& c : cases) {
        auto reader = Load(MidiFile(1, 96, {c.track, Cat({NoteOn(0, 0, 60, 1), EndOfTrack()})}));
        EXPECT_EQ(ReadAll(*reader), c.events) << c.what;
        EXPECT_EQ(reader->MidiError(), c.error) << c.what;
        MidiEvent again;
        EXPECT_FALSE(reader->ReadEvent(0, again) || reader->ReadEvent(256, again))
            << c.what << ": reading past the end";
        EXPECT_EQ(reader->ReadEvent(1, again), c.error == 0) << c.what << ": an error ends every track";
        reader->RewindTracks();
        EXPECT_EQ(reader->Track(0).RunningStatus, 0)
            << c.what << ": a running status must not leak into the next reading";
    }
}

Bytes HeaderOfLength(uint32_t length, uint16_t tracks) {
    return Cat({Text("MThd"), Be32(length), Be16(1), Be16(tracks), Be16(96)});
}

const Bytes GoodChunk = Track(Cat({NoteOn(0, 0, 60, 1), EndOfTrack()}));

// Loads a file and does all that playback and the lyric display do with it: nothing
// may hang, crash, or hold more bytes than the file has.
int32_t LoadAndPlay(const Bytes& file) {
    auto reader = Load(file);
    const int32_t error = reader->MidiError();
    size_t held = 0;
    for (int track = 0; track < MaxTracks; ++track) {
        held += reader->Track(track).Data.capacity();
        MidiEvent event;
        int events = 0;
        while (reader->ReadEvent(static_cast<uint16_t>(track), event) && ++events < 1000) {
        }
        EXPECT_LT(events, 1000) << "reading track " << track << " does not end";
    }
    EXPECT_LE(held, file.size());
    for (int32_t start : {-1, 0, 50}) {
        reader->SetMidiError(error);
        reader->RewindTracks();
        Pump pump{.startTime = start};
        pump.Run(*reader);
        EXPECT_LT(pump.offered, 1000);
    }
    return error;
}

TEST(ReaderLoad, HeaderAndChunkErrors) {
    // The code, whether the header itself passed, and the slots that hold a track afterwards.
    const struct {
        const char* what;
        Bytes file;
        int32_t error;
        bool header;
        int loaded;
    } cases[] = {
        {"format 0, one track: the conductor and channel 1", Cat({Header(0, 1, 96), GoodChunk}), 0, true, 2},
        {"any format value", Cat({Header(9, 2, 96), GoodChunk, GoodChunk}), 0, true, 2},
        {"wrong identifier", Cat({Text("MThD"), Be32(6), Be16(1), Be16(1), Be16(96), GoodChunk}), 1, false, 0},
        {"header length 7", Cat({HeaderOfLength(7, 1), {0x00}, GoodChunk}), 2, false, 0},
        {"no tracks", HeaderOfLength(6, 0), 1, false, 0},
        {"257 tracks claimed, two there", Cat({HeaderOfLength(6, 257), GoodChunk, GoodChunk}), 2, true, 2},
        {"other chunk type is not skipped", Cat({HeaderOfLength(6, 2), GoodChunk, Text("XFIH"), Be32(0), GoodChunk}), 2,
         true, 1},
        {"length beyond the file", Cat({HeaderOfLength(6, 2), GoodChunk, Text("MTrk"), Be32(1000), {0x00, 0x90}}), -5,
         true, 1},
        {"largest length", Cat({HeaderOfLength(6, 2), GoodChunk, Text("MTrk"), Be32(0xFFFFFFFF), {0x00}}), -5, true, 1},
    };
    for (const auto& c : cases) {
        MidiReader headerOnly;
        headerOnly.OpenMidiBuffer(c.file);
        EXPECT_EQ(headerOnly.ReadMidiHeader(), c.header) << c.what;
        auto reader = Load(c.file);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(reader->Track(i).Present, i < c.loaded) << c.what << " slot " << i;
        EXPECT_EQ(LoadAndPlay(c.file), c.error) << c.what;
    }
}

TEST(ReaderLoad, CutOrCorruptSongsGiveTheirCodeAndNeverCrashOrHang) {
    const Bytes song = MidiFile(
        1, 96,
        {Cat({Meta(0, 0x03, "Song"), Tempo(0, 500000), EndOfTrack()}),
         Cat({Program(0, 0, 5), NoteOn(0, 0, 60, 100), {0x60, 0x3C, 0x00, 0x00, 0xF0, 0x01, 0xF7}, EndOfTrack()}),
         Cat({Meta(0, 0x05, "la"), NoteOn(48, 9, 36, 90), EndOfTrack(48)})});
    const size_t firstChunkEnd = 22 + song[21];
    for (size_t cut = 0; cut < song.size(); ++cut) {
        const int32_t error = LoadAndPlay(Bytes(song.begin(), song.begin() + static_cast<long>(cut)));
        if (cut < 14)
            EXPECT_EQ(error, 1) << cut;
        else if (cut < 22 || cut == firstChunkEnd)
            EXPECT_EQ(error, 2) << cut;
        else
            EXPECT_TRUE(error == 2 || error == -5) << cut << ": " << error;
    }
    for (size_t at = 0; at < song.size(); ++at) {
        for (uint8_t value : {0x00, 0x7F, 0x80, 0xF4, 0xFF}) {
            Bytes bad = song;
            bad[at] = value;
            LoadAndPlay(bad);
        }
    }
}

TEST(ReaderLoad, TracksOfManyBlocksFilesAndReloading) {
    Bytes data = {0x00, 0x90, 0x3C, 0x40};
    for (int i = 0; i < 70000; ++i) data.insert(data.end(), {0x01, 0x3C, 0x40});  // running-status notes
    data = Cat({data, EndOfTrack()});
    passtest::TempDir dir;
    dir.Write("song.mid", MidiFile(1, 96, {data, data}));
    MidiReader reader;
    EXPECT_FALSE(reader.ReadMidiHeader()) << "nothing is open";
    EXPECT_EQ(reader.MidiError(), -5);
    ASSERT_TRUE(reader.OpenMidi(dir.Path("song.mid")) && reader.ReadMidiHeader() && reader.LoadTracks());
    EXPECT_EQ(reader.Track(1).Data, data);
    for (const std::string& bad : {dir.Path("missing.mid"), dir.Path("")})
        EXPECT_TRUE(!reader.OpenMidi(bad) && reader.MidiError() == -5) << bad;
    // The tracks of the song before are gone, whether the next one loads or not.
    reader.OpenMidiBuffer(MidiFile(1, 96, {data}));
    ASSERT_TRUE(reader.ReadMidiHeader() && reader.LoadTracks());
    EXPECT_FALSE(reader.Track(1).Present);
    reader.FreeTracks();
    MidiEvent event;
    EXPECT_FALSE(reader.Track(0).Present || reader.ReadEvent(0, event));
}

TEST(ReaderLoad, AClaimedLengthIsNotAllocatedFromMemoryOrAPipe) {
#ifdef SONKORA_UNDER_ASAN
    GTEST_SKIP() << "the address space cannot be limited under the sanitizers";
#endif
    static const Bytes claim =
        Cat({HeaderOfLength(6, 2), GoodChunk, Text("MTrk"), Be32(0x7FFFFF00), {0x00, 0x90, 0x3C}});
    passtest::TempDir dir;
    const std::string pipe = dir.Path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // A pipe has no size to check a claim against: the reader can only grow with the data.
    for (const bool fromPipe : {false, true}) {
        EXPECT_EXIT(passtest::WithLittleMemory([&] {
                        MidiReader reader;
                        if (!fromPipe) reader.OpenMidiBuffer(claim);
                        if (fromPipe) {
                            std::thread([&pipe] { passtest::WriteBytes(pipe, claim); }).detach();
                            reader.OpenMidi(pipe);
                        }
                        return reader.ReadMidiHeader() && !reader.LoadTracks() && reader.MidiError() == -5;
                    }),
                    ::testing::ExitedWithCode(0), "");
    }
}

TEST(ReaderPump, MergesAndTimesTheRecords) {
    auto onChannel = [](uint8_t channel) { return Cat({NoteOn(channel, channel, 60, 1), EndOfTrack(10)}); };
    Bytes farEnd;
    for (int i = 0; i < 8; ++i) farEnd = Cat({farEnd, NoteOn(0x0FFFFFFF, 0, 60, 1)});
    // The start time and solo track handed in, the records sent, the start and base times after.
    const struct {
        const char* what;
        Bytes file;
        int32_t start, solo;
        std::string records;
        int32_t startAfter, baseAfter;
    } cases[] = {
        {"ties go to the lower track",
         MidiFile(1, 96,
                  {Cat({Tempo(0, 0x07A120), Meta(96, 0x01, "x"), EndOfTrack(104)}),
                   Cat({NoteOn(0, 0, 60, 100), NoteOff(96, 0, 60), EndOfTrack()}),
                   Cat({NoteOn(96, 1, 64, 90), NoteOff(96, 1, 64), EndOfTrack()})}),
         0, 0, "0:00 07 a1 20, 0:90 3c 64 00, 96:80 3c 00 00, 0:91 40 5a 00, 96:81 40 00 00", 0, 192},
        {"a solo track plays with track 0 only",
         MidiFile(1, 96, {onChannel(0), onChannel(1), onChannel(2), onChannel(3)}), 0, 2,
         "0:90 3c 01 00, 2:92 3c 01 00", 0, 2},
        {"a solo track past the last", MidiFile(1, 96, {onChannel(0), onChannel(1)}), 0, 65535, "0:90 3c 01 00", 0, 0},
        {"the last event of a track is never sent, whatever it is",
         MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 1), NoteOn(5, 0, 62, 1)}), Cat({NoteOn(1, 1, 60, 1), EndOfTrack(1)})}),
         0, 0, "0:90 3c 01 00, 1:91 3c 01 00", 0, 1},
        {"sysex byte by byte without moving the base, escapes only with a single real-time byte",
         MidiFile(1, 96,
                  {Cat({NoteOn(0, 0, 60, 1),
                        Bytes{0x05, 0xF0, 0x02, 0x7E, 0xF7, 0x05, 0xF7, 0x01, 0xFA, 0x00, 0xF7, 0x01, 0xF0},
                        Bytes{0x00, 0xF7, 0x01, 0xFF, 0x00, 0xF7, 0x02, 0xF8, 0xF8, 0x04, 0xF7, 0x01, 0xF8, 0x00, 0xF7,
                              0x01, 0xFE},
                        NoteOn(5, 0, 62, 1), EndOfTrack()})}),
         0, 0,
         "0:90 3c 01 00, 0:f0 f0 00 00, 0:f0 7e 00 00, 0:f0 f7 00 00, 10:fa 00 00 00, 4:f8 00 00 00, 0:fe 00 00 00, "
         "5:90 3e 01 00",
         0, 19},
        {"an event at the last tick", MidiFile(1, 96, {Cat({farEnd, NoteOn(7, 0, 62, 1), EndOfTrack()})}), 2147483646,
         0, "1:90 3e 01 00", 2147483646, 2147483647},
        {"an unknown code ends the song after what is pending",
         MidiFile(1, 96,
                  {Cat({NoteOn(0, 0, 60, 1), NoteOn(100, 0, 62, 1), NoteOn(100, 0, 64, 1), EndOfTrack()}),
                   Cat({NoteOn(50, 1, 60, 1), {0x0A, 0xF4}, NoteOn(0, 1, 62, 1), EndOfTrack()})}),
         0, 0, "0:90 3c 01 00, 50:91 3c 01 00, 50:90 3e 01 00", 0, 100},
    };
    for (const auto& c : cases) {
        auto reader = Load(c.file);
        Pump pump{.startTime = c.start, .solo = static_cast<uint16_t>(c.solo)};
        pump.Run(*reader);
        EXPECT_EQ(std::tuple(pump.accepted, pump.startTime, pump.baseTime),
                  std::tuple(c.records, c.startAfter, c.baseAfter))
            << c.what;
        pump.Run(*reader);
        EXPECT_EQ(pump.count, pump.offered) << c.what << ": nothing more after the end";
    }
}

TEST(ReaderPump, ARefusedEventIsOfferedAgainAndSysexAnswersAreNotWaitedFor) {
    auto reader = Load(MidiFile(1, 96,
                                {Cat({Program(0, 0, 1), NoteOn(30, 0, 60, 1), Bytes{0x00, 0xF0, 0x02, 0x01, 0xF7},
                                      NoteOff(20, 0, 60), EndOfTrack()})}));
    Pump pump{.startTime = -1, .capacity = 1};
    pump.Run(*reader);
    EXPECT_EQ(pump.offered, 2) << "the pump stops at the first refusal";
    EXPECT_EQ(pump.startTime, 30) << "the refused first note still sets the start";
    pump.capacity = 2;
    pump.Run(*reader);
    EXPECT_EQ(pump.offered, 7) << "the note, three sysex bytes though full, then the refused note-off";
    pump.capacity = -1;
    pump.Run(*reader);
    EXPECT_EQ(pump.accepted, "-1:c0 01 00 00, 0:90 3c 01 00, 20:80 3c 00 00");
    EXPECT_EQ(pump.offered, 8) << "the sysex is not sent twice";
}

TEST(ReaderPump, CallsFromInsideTheSinkAndFailuresOfTheSink) {
    const Bytes file = MidiFile(
        1, 96,
        {Cat({NoteOn(0, 0, 60, 1), {0x00, 0xF0, 0x01, 0xF7}, NoteOn(5, 0, 62, 1), NoteOn(5, 0, 64, 1), EndOfTrack()})});
    auto reader = Load(file);
    Pump pump;
    Pump nested;
    pump.duringCall = [&] {
        nested.Run(*reader);
        if (pump.offered == 1) throw std::runtime_error("device gone");
    };
    EXPECT_THROW(pump.Run(*reader), std::runtime_error);
    pump.Run(*reader);
    EXPECT_EQ(nested.offered, 0) << "a call made while the pump runs returns at once";
    EXPECT_EQ(pump.accepted, "0:90 3c 01 00, 0:f0 f0 00 00, 0:f0 f7 00 00, 5:90 3e 01 00, 5:90 40 01 00")
        << "the event that met the failure is offered again";
    // A sink that frees the song: nothing more is offered, whatever it was sending.
    for (int freeAt = 1; freeAt <= 4; ++freeAt) {
        reader = Load(file);
        Pump freeing;
        freeing.duringCall = [&] {
            if (freeing.offered == freeAt) reader->FreeTracks();
        };
        freeing.Run(*reader);
        EXPECT_EQ(freeing.offered, freeAt);
    }
}

TEST(ReaderTimeCode, BothWays) {
    using Code = std::tuple<const char*, uint16_t, int32_t>;  // the code, the division, the ticks
    const Code toCode[] = {
        {"1:1:0", 96, 0},     {"1:2:0", 96, 96}, {"2:1:0", 96, 384},     {"1:1:60", 96, 48},
        {"1:4:118", 96, 383}, {"1:1:0", 0, 100}, {"1:4:119", 480, 1919}, {"8193:1:59", 65535, 2147483647}};
    const Code toTicks[] = {
        {"2:1:0", 96, 384},       {"1:1:60", 96, 48},     {"1:1:1", 96, 0},        {"3:4:119", 480, 5756},
        {"2:1:0", 0, 0},          {"$A:1:$3c", 96, 3504}, {"  2: +1: 0", 96, 384}, {"559241:3:0", 960, 2147483520},
        {"559241:3:119", 960, -1}};
    // Out of range, not whole numbers, missing fields, or numbers that would wrap round to
    // valid fields in 32 bits.
    for (const char* code : {"2:5:0", "0:1:0", "2:1:120", "2:1", "2:0:0", "2:1:-1", "", "2 :1:0", "2:1:0:0", "$:1:0",
                             "\t2:1:0", "2:1:0x1", "4294967298:1:0", "2:4294967297:0", "$100000002:1:0"})
        EXPECT_EQ(StrToMidiTime(code, 96), -1) << '"' << code << '"';
    for (const auto& [code, division, ticks] : toCode) EXPECT_EQ(MidiTimeToStr(ticks, division), code) << ticks;
    for (const auto& [code, division, ticks] : toTicks) EXPECT_EQ(StrToMidiTime(code, division), ticks) << code;
    // With 120 ticks to the beat every tick has its own code.
    for (int32_t ticks = 0; ticks < 5000; ++ticks) ASSERT_EQ(StrToMidiTime(MidiTimeToStr(ticks, 120), 120), ticks);
}

TEST(ReaderTypes, MessagesAndInstrumentNames) {
    std::string messages;
    for (int code = -5; code <= 11; ++code) messages += std::string(MidiErrorMessage(code)) + "|";
    EXPECT_EQ(messages,
              "||||||Not a MIDI file.|Not a Type 1 MIDI file.|Unknown code in MIDI file.||Voice track too long.||"
              "Too many lyrics.|Too many tracks in MIDI file.|MIDI file is damaged: a track is cut short.|Type 2 MIDI "
              "file: its tracks are separate patterns, not one song. Save it as type 1 first.||");
    // The ends of the instrument table and its neighbours (a shifted table moves them); the
    // listing tests read others.
    std::string names;
    for (int index : {-1, 0, 127, 128, 129}) names += std::string(InstrumentName(index)) + "|";
    EXPECT_EQ(names, "|Acoustic Grand Piano|Gunshot|Drums||");
}

}  // namespace
}  // namespace sonkora
