// Decoding events from loaded tracks: running status, meta texts, system-exclusive
// bytes, unknown codes, and tracks that end inside an event.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader_fixture.h"

namespace sonkora {
namespace {

using readertest::Hex;
using readertest::Load;
using test::Bytes;
using test::Cat;
using test::EndOfTrack;
using test::Meta;
using test::NoteOn;

// "time:ss d1 d2" for channel events, "time:ffTT 'text'" for meta events (tempo with its
// three bytes), "time:f0 bytes..." for system-exclusive events; joined by ", ".
std::string Describe(const MEvent& e) {
    std::string out = std::to_string(e.Time) + ":" + Hex(e.Status);
    if (e.Status < 0xF0) return out + " " + Hex(e.Data1) + " " + Hex(e.Data2);
    if (e.Status == 0xFF) {
        out += Hex(e.MetaType);
        if (e.MetaType == 0x51) return out + " " + Hex(e.Data1) + " " + Hex(e.Data2) + " " + Hex(e.Data3);
        return out + " '" + e.Text + "'";
    }
    for (uint8_t byte : e.SysexData) out += " " + Hex(byte);
    return out;
}

// Reads a track to its end, the last event (delivered with false) included.
std::string ReadAll(MidiReader& reader, uint16_t track = 0) {
    std::string out;
    MEvent event;
    for (int guard = 0; guard < 1000; ++guard) {
        const bool more = reader.ReadEvent(track, event);
        if (!out.empty()) out += ", ";
        out += Describe(event);
        EXPECT_EQ(static_cast<size_t>(event.SysexLength), event.SysexData.size());
        if (!more) break;
    }
    return out;
}

TEST(ReaderDecode, EventsOfEveryKind) {
    const std::string text300 = std::string(100, 'a') + std::string(100, 'b') + std::string(100, 'c');
    struct Case {
        const char* what;
        Bytes track;
        std::string events;
        int32_t error;
    };
    const Case cases[] = {
        {"running status note-on", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3C, 0x00}, "0:90 3c 40, 0:90 3c 00", 0},
        {"running status program change", {0x00, 0xC0, 0x05, 0x00, 0x07}, "0:c0 05 00, 0:c0 07 00", 0},
        {"running status channel pressure", {0x00, 0xD3, 0x20, 0x10, 0x30, 0x81, 0x00, 0x40}, "0:d3 20 00, 16:d3 30 00, 144:d3 40 00", 0},
        {"meta and sysex keep the running status",
         Cat({{0x00, 0x91, 0x3C, 0x40, 0x00, 0xF0, 0x01, 0xF7}, Meta(0, 0x01, "x"), {0x00, 0x3E, 0x41}, EndOfTrack()}),
         "0:91 3c 40, 0:f0 f0 f7, 0:ff01 'x', 0:91 3e 41, 0:ff2f ''", 0},
        {"text of 300 bytes keeps 255", Cat({Meta(0, 0x05, text300), NoteOn(7, 2, 64, 90)}),
         "0:ff05 '" + text300.substr(0, 255) + "', 7:92 40 5a", 0},
        {"text only for meta types 1 to 14",
         Cat({Meta(0, 0x00, "a"), Meta(0, 0x06, "b"), Meta(0, 0x0E, "c"), Meta(0, 0x0F, "d"), Meta(0, 0x59, "e"), Meta(0, 0x7F, "f")}),
         "0:ff00 '', 0:ff06 'b', 0:ff0e 'c', 0:ff0f '', 0:ff59 '', 0:ff7f ''", 0},
        {"tempo", Cat({test::Tempo(3, 0x07A120), EndOfTrack()}), "3:ff51 07 a1 20, 3:ff2f ''", 0},
        {"sysex and escapes", {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xF7, 0x02, 0x43, 0x12, 0x00, 0xF7, 0x00},
         "0:f0 f0 7e 7f f7, 0:f7 43 12, 0:f7", 0},
        {"four-byte delta", Cat({NoteOn(0x0FFFFFFF, 0, 60, 1), NoteOn(0x80, 0, 61, 1)}), "268435455:90 3c 01, 268435583:90 3d 01", 0},
        {"empty track", {}, "0:00 00 00", 0},
        // Cut off by the end of the track: the end, not a fault.
        {"note without velocity", {0x00, 0x90, 0x3C}, "0:90 3c 00", 0},
        {"delta without event", {0x00, 0x90, 0x3C, 0x40, 0x83}, "0:90 3c 40, 384:90 00 00", 0},
        {"stray byte after the end", {0x00, 0xFF, 0x2F, 0x00, 0x00}, "0:ff2f '', 0:00 00 00", 0},
        {"text longer than the track", {0x00, 0xFF, 0x01, 0x64, 'a', 'b'}, "0:ff01 'ab'", 0},
        {"sysex of a huge length", {0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02}, "0:f0 f0 01 02", 0},
        {"tempo without its bytes", {0x00, 0xFF, 0x51, 0x03, 0x07}, "0:ff51 07 00 00", 0},
        // Unknown codes stop the track.
        {"undefined status F4", Cat({NoteOn(0, 0, 60, 1), {0x00, 0xF4, 0x00}, EndOfTrack()}), "0:90 3c 01, 0:f4", 3},
        {"undefined status FE", {0x00, 0xFE, 0x00, 0x00, 0xFF, 0x2F, 0x00}, "0:fe", 3},
        {"five-byte delta", {0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x40}, "0:00 00 00", 3},
        {"five-byte meta length", {0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x01, 0x00}, "0:ff01 ''", 3},
        {"data byte before any status", {0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}, "0:00 00 00", 3},
    };
    for (const Case& c : cases) {
        auto reader = Load(test::MidiFile(1, 96, {c.track}));
        EXPECT_EQ(ReadAll(*reader), c.events) << c.what;
        EXPECT_EQ(reader->MidiError(), c.error) << c.what;
        MEvent again;
        EXPECT_FALSE(reader->ReadEvent(0, again)) << c.what << ": reading past the end";
        EXPECT_EQ(reader->MidiError(), c.error) << c.what;
    }
}

TEST(ReaderDecode, TimesThatWouldPassTheLastTickAreUnknownCodes) {
    Bytes track;
    for (int i = 0; i < 9; ++i) track = Cat({track, NoteOn(0x0FFFFFFF, 0, 60, 1)});
    auto reader = Load(test::MidiFile(1, 96, {Cat({track, EndOfTrack()}), Cat({NoteOn(0, 0, 60, 1), EndOfTrack()})}));
    MEvent event;
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(reader->ReadEvent(0, event));
    EXPECT_EQ(event.Time, 8 * 0x0FFFFFFF);
    EXPECT_FALSE(reader->ReadEvent(0, event));
    EXPECT_EQ(reader->MidiError(), 3);
    EXPECT_FALSE(reader->ReadEvent(1, event)) << "an error ends the reading of every track";
}

TEST(ReaderDecode, PositionsDeltasAndRewinding) {
    auto reader = Load(test::MidiFile(1, 96, {Cat({NoteOn(0x81, 3, 60, 100), {0x05, 0x3E, 0x02}, EndOfTrack()})}));
    MEvent event;
    ASSERT_TRUE(reader->ReadEvent(0, event));
    ASSERT_TRUE(reader->ReadEvent(0, event));
    EXPECT_EQ(event.Position, 5);
    EXPECT_EQ(event.Delta, 5);
    EXPECT_EQ(event.Time, 0x86);

    reader->RewindTracks();
    const TTrackData& slot = reader->Track(0);
    EXPECT_EQ(slot.ReadPos, 0);
    EXPECT_EQ(slot.Time, 0);
    EXPECT_EQ(slot.RunningStatus, 0) << "a running status must not leak into the next reading";
    EXPECT_EQ(slot.State, 0);
    EXPECT_EQ(ReadAll(*reader), "129:93 3c 64, 134:93 3e 02, 134:ff2f ''");

    for (uint16_t outside : {1, 256, 65535}) {
        EXPECT_FALSE(reader->ReadEvent(outside, event));
        reader->FetchEvent(outside);
    }
    EXPECT_EQ(reader->MidiError(), 0);
}

}  // namespace
}  // namespace sonkora
