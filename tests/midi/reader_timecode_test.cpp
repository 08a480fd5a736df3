// Time codes both ways, the error messages and the instrument names.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "midi/MidiTypes.h"
#include "midi/TimeCode.h"

namespace sonkora {
namespace {

TEST(ReaderTimeCode, TicksToCode) {
    struct Case {
        int32_t ticks;
        uint16_t division;
        const char* code;
    };
    const Case cases[] = {
        {0, 96, "1:1:0"},   {96, 96, "1:2:0"},     {384, 96, "2:1:0"},  {48, 96, "1:1:60"},
        {383, 96, "1:4:118"}, {1919, 480, "1:4:119"}, {100, 0, "1:1:0"},
        {2147483647, 1, "536870912:4:0"}, {2147483647, 65535, "8193:1:59"},
    };
    for (const Case& c : cases) EXPECT_EQ(MidiTimeToStr(c.ticks, c.division), c.code) << c.ticks << "/" << c.division;
}

TEST(ReaderTimeCode, CodeToTicks) {
    struct Case {
        const char* code;
        uint16_t division;
        int32_t ticks;
    };
    const Case cases[] = {
        {"2:1:0", 96, 384},   {"1:1:60", 96, 48},    {"1:1:1", 96, 0},        {"3:4:119", 480, 5756},
        {"  2: +1: 0", 96, 384}, {"$A:1:$3c", 96, 3504}, {"2:1:0", 0, 0},    {"559241:3:0", 960, 2147483520},
        // Invalid: out of range, not whole numbers, missing fields, past the last tick.
        {"2:5:0", 96, -1},    {"0:1:0", 96, -1},     {"2:1:120", 96, -1},     {"2:1", 96, -1},
        {"-1:1:0", 96, -1},   {"2:0:0", 96, -1},     {"2:1:-1", 96, -1},      {"", 96, -1},
        {"::", 96, -1},       {"2 :1:0", 96, -1},    {"2:1:0:0", 96, -1},     {"$:1:0", 96, -1},
        {"-:1:0", 96, -1},    {"\t2:1:0", 96, -1},   {"2:1:0x1", 96, -1},     {"-$0:1:0", 96, -1},
        {"559241:3:119", 960, -1}, {"2147483647:4:119", 65535, -1},
        // Numbers that would wrap round to valid fields in 32 bits.
        {"4294967298:1:0", 96, -1}, {"2:4294967297:0", 96, -1}, {"2:1:4294967296", 96, -1},
        {"$100000002:1:0", 96, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(StrToMidiTime(c.code, c.division), c.ticks) << '"' << c.code << '"';

    // With 120 ticks to the beat every tick has its own code.
    for (int32_t ticks = 0; ticks < 5000; ++ticks) ASSERT_EQ(StrToMidiTime(MidiTimeToStr(ticks, 120), 120), ticks);
}

TEST(ReaderTypes, MessagesAndInstrumentNames) {
    const char* const messages[] = {"",      "Not a MIDI file.",      "Not a Type 1 MIDI file.", "Unknown code in MIDI file.",
                                    "",      "Voice track too long.", "",
                                    "Too many lyrics.", "Too many tracks in MIDI file.", ""};
    for (int code = 0; code <= 9; ++code) EXPECT_STREQ(MidiErrorMessage(code), messages[code]) << code;
    EXPECT_STREQ(MidiErrorMessage(-5), "");

    const std::pair<int, const char*> names[] = {
        {-1, ""},  {0, "Acoustic Grand Piano"}, {4, "Rhodes Piano"}, {5, "Chorused Piano"}, {7, "Clavinet"},
        {16, "Hammond Organ"}, {31, "Guitar Harmonics"}, {38, "Synth Bass 1"}, {62, "Synth Brass 1"},
        {63, "Synth Brass 2"}, {76, "Bottle Blow"}, {82, "Lead 3 (calliope lead)"}, {83, "Lead 4 (chiff lead)"},
        {87, "Lead 8 (bass + lead)"}, {109, "Bagpipe"}, {127, "Gunshot"}, {128, "Drums"}, {129, ""}, {-2, ""}};
    for (const auto& [index, name] : names) EXPECT_STREQ(InstrumentName(index), name) << index;

    // The listing's instrument column is 23 wide: the guitars with a parenthesis fill it.
    for (int index = 0; index <= 128; ++index) {
        const size_t width = std::strlen(InstrumentName(index));
        const bool widest = index == 24 || index == 25 || index == 27 || index == 28;
        EXPECT_TRUE(width > 0 && width <= 23 && (width == 23) == widest) << InstrumentName(index);
        for (int other = 0; other < index; ++other) EXPECT_STRNE(InstrumentName(index), InstrumentName(other));
    }
}

}  // namespace
}  // namespace sonkora
