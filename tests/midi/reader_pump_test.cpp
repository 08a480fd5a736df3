// The event pump: what it hands to the toolkit, in which order and with which times,
// from the start, from the middle and for an audition; how it treats a full toolkit,
// a failing one, and calls that arrive while it is still running.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "reader_fixture.h"

namespace sonkora {
namespace {

using readertest::Describe;
using readertest::Load;
using readertest::RecordingSink;
using test::Bytes;
using test::Cat;
using test::EndOfTrack;
using test::Meta;
using test::NoteOff;
using test::NoteOn;
using test::Program;
using test::Tempo;

Bytes Channel(uint8_t delta, uint8_t status, uint8_t data1, uint8_t data2) { return {delta, status, data1, data2}; }

struct Pump {
    int32_t startTime = 0;
    int32_t baseTime = 0;
    uint16_t solo = 0;
    RecordingSink sink;
    void Run(MidiReader& reader) { reader.SendEvents(startTime, baseTime, solo, sink.AsSink()); }
};

TEST(ReaderPump, MergesAndTimesTheRecords) {
    const Bytes conductor = Cat({Tempo(0, 0x07A120), Meta(96, 0x01, "verse"), Tempo(54, 0x0F4240), EndOfTrack(250)});
    const Bytes melody = Cat({Program(0, 0, 5), NoteOn(0, 0, 60, 100), NoteOff(100, 0, 60), Channel(20, 0xB0, 7, 90),
                              Channel(10, 0xE0, 0, 0x50), Channel(10, 0xA0, 60, 20), {5, 0xD0, 0x30},
                              NoteOn(55, 0, 62, 100), NoteOff(50, 0, 62), EndOfTrack()});
    auto onChannel = [](uint8_t channel) { return Cat({NoteOn(channel, channel, 60, 1), EndOfTrack(10)}); };
    Bytes farEnd;
    for (int i = 0; i < 8; ++i) farEnd = Cat({farEnd, NoteOn(0x0FFFFFFF, 0, 60, 1)});
    struct Case {
        const char* what;
        Bytes file;
        int32_t start;
        uint16_t solo;
        std::string records;
        int32_t startAfter;
        int32_t baseAfter;
    };
    const Case cases[] = {
        {"ties go to the lower track",
         test::MidiFile(1, 96, {Cat({Tempo(0, 0x07A120), Meta(96, 0x01, "x"), EndOfTrack(104)}),
                                Cat({NoteOn(0, 0, 60, 100), NoteOff(96, 0, 60), EndOfTrack()}),
                                Cat({NoteOn(96, 1, 64, 90), NoteOff(96, 1, 64), EndOfTrack()})}),
         0, 0, "0:00 07 a1 20, 0:90 3c 64 00, 96:80 3c 00 00, 0:91 40 5a 00, 96:81 40 00 00", 0, 192},
        {"from the middle: earlier notes dropped, channel state and tempo at once",
         test::MidiFile(1, 96, {conductor, melody}), 200, 0,
         "0:00 07 a1 20, -1:c0 05 00 00, -1:b0 07 5a 00, -1:e0 00 50 00, 0:00 0f 42 40, 0:90 3e 64 00, 50:80 3e 00 00",
         200, 250},
        {"audition: state before the first note at once, playback from that note",
         test::MidiFile(1, 96, {conductor, Cat({Program(0, 0, 5), Channel(10, 0xB0, 7, 100), NoteOn(38, 0, 60, 100),
                                                NoteOff(48, 0, 60), EndOfTrack()})}),
         -1, 1, "0:00 07 a1 20, -1:c0 05 00 00, -1:b0 07 64 00, 0:90 3c 64 00, 48:80 3c 00 00, 54:00 0f 42 40", 48, 150},
        {"a solo track plays with track 0 only",
         test::MidiFile(1, 96, {onChannel(0), onChannel(1), onChannel(2), onChannel(3)}), 0, 2,
         "0:90 3c 01 00, 2:92 3c 01 00", 0, 2},
        {"a solo track past the last", test::MidiFile(1, 96, {onChannel(0), onChannel(1)}), 0, 65535, "0:90 3c 01 00", 0, 0},
        {"the last event of a track is never sent, whatever it is",
         test::MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 1), NoteOn(5, 0, 62, 1)}), Cat({NoteOn(1, 1, 60, 1), EndOfTrack(1)})}),
         0, 0, "0:90 3c 01 00, 1:91 3c 01 00", 0, 1},
        {"sysex byte by byte without moving the base",
         test::MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 1), {0x05, 0xF0, 0x02, 0x7E, 0xF7}, NoteOn(5, 0, 62, 1), EndOfTrack()})}),
         0, 0, "0:90 3c 01 00, 0:f0 f0 00 00, 0:f0 7e 00 00, 0:f0 f7 00 00, 10:90 3e 01 00", 0, 10},
        {"an escape sends only a single real-time byte",
         test::MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 1), {0x0A, 0xF7, 0x01, 0xFA, 0x00, 0xF7, 0x01, 0xF0, 0x00, 0xF7, 0x01, 0xFF},
                                     {0x00, 0xF7, 0x02, 0xF8, 0xF8, 0x04, 0xF7, 0x01, 0xF8, 0x00, 0xF7, 0x01, 0xFE}, EndOfTrack()})}),
         0, 0, "0:90 3c 01 00, 10:fa 00 00 00, 4:f8 00 00 00, 0:fe 00 00 00", 0, 14},
        {"an event at the last tick", test::MidiFile(1, 96, {Cat({farEnd, NoteOn(7, 0, 62, 1), EndOfTrack()})}), 2147483646, 0,
         "1:90 3e 01 00", 2147483646, 2147483647},
        {"an unknown code ends the song after what is pending",
         test::MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 1), NoteOn(100, 0, 62, 1), NoteOn(100, 0, 64, 1), EndOfTrack()}),
                                Cat({NoteOn(50, 1, 60, 1), {0x0A, 0xF4}, NoteOn(0, 1, 62, 1), EndOfTrack()})}),
         0, 0, "0:90 3c 01 00, 50:91 3c 01 00, 50:90 3e 01 00", 0, 100},
    };
    for (const Case& c : cases) {
        auto reader = Load(c.file);
        Pump pump;
        pump.startTime = c.start;
        pump.solo = c.solo;
        pump.Run(*reader);
        EXPECT_EQ(Describe(pump.sink.accepted), c.records) << c.what;
        EXPECT_EQ(pump.startTime, c.startAfter) << c.what;
        EXPECT_EQ(pump.baseTime, c.baseAfter) << c.what;
        pump.Run(*reader);
        EXPECT_EQ(static_cast<int>(pump.sink.accepted.size()), pump.sink.offered) << c.what << ": nothing more after the end";
    }
}

TEST(ReaderPump, ARefusedEventIsOfferedAgainAndSysexAnswersAreNotWaitedFor) {
    auto reader = Load(test::MidiFile(1, 96, {Cat({Program(0, 0, 1), NoteOn(30, 0, 60, 1), {0x00, 0xF0, 0x02, 0x01, 0xF7},
                                                   NoteOff(20, 0, 60), EndOfTrack()})}));
    Pump pump;
    pump.startTime = -1;
    pump.sink.capacity = 1;
    pump.Run(*reader);
    EXPECT_EQ(pump.sink.offered, 2) << "the pump stops at the first refusal";
    EXPECT_EQ(pump.startTime, 30) << "the refused first note still sets the start";
    EXPECT_EQ(pump.baseTime, 30);
    pump.sink.capacity = 2;
    pump.Run(*reader);
    EXPECT_EQ(pump.sink.offered, 7) << "the note, three sysex bytes though full, then the refused note-off";
    pump.sink.capacity = -1;
    pump.Run(*reader);
    EXPECT_EQ(Describe(pump.sink.accepted), "-1:c0 01 00 00, 0:90 3c 01 00, 20:80 3c 00 00");
    EXPECT_EQ(pump.sink.offered, 8) << "the sysex is not sent twice";
}

TEST(ReaderPump, CallsFromInsideTheSinkAndFailuresOfTheSink) {
    const Bytes file = test::MidiFile(1, 96, {Cat({NoteOn(0, 0, 60, 1), {0x00, 0xF0, 0x01, 0xF7}, NoteOn(5, 0, 62, 1),
                                                   NoteOn(5, 0, 64, 1), EndOfTrack()})});
    auto reader = Load(file);
    Pump pump;
    Pump nested;
    pump.sink.duringCall = [&] {
        nested.Run(*reader);
        if (pump.sink.offered == 1) throw std::runtime_error("device gone");
    };
    EXPECT_THROW(pump.Run(*reader), std::runtime_error);
    pump.Run(*reader);
    EXPECT_EQ(nested.sink.offered, 0) << "a call made while the pump runs returns at once";
    EXPECT_EQ(Describe(pump.sink.accepted),
              "0:90 3c 01 00, 0:f0 f0 00 00, 0:f0 f7 00 00, 5:90 3e 01 00, 5:90 40 01 00")
        << "the event that met the failure is offered again";

    // A sink that frees the song: nothing more is offered, whatever it was sending.
    for (int freeAt = 1; freeAt <= 4; ++freeAt) {
        reader = Load(file);
        Pump freeing;
        freeing.sink.duringCall = [&] {
            if (freeing.sink.offered == freeAt) reader->FreeTracks();
        };
        freeing.Run(*reader);
        EXPECT_EQ(freeing.sink.offered, freeAt);
    }
}

}  // namespace
}  // namespace sonkora
