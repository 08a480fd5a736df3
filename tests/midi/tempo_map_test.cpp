// The tempo map must count time exactly as playback's clock does, or a tapped syllable and
// an exported lyric drift away from the sound.

#include <gtest/gtest.h>

#include "midi/MidiReader.h"
#include "midi/TempoMap.h"
#include "support/MidiBytes.h"

namespace sonkora {
namespace {

using namespace test;

TEST(TempoMap, ConvertsEachStretchAtItsOwnTempoBothWays) {
    // 120 bpm, 240 bpm from tick 96, 60 bpm from tick 192 (given out of order, with a zero
    // tempo that playback ignores and two changes at one tick of which the last counts).
    const TempoMap map(96, {{192, 999}, {96, 250000}, {150, 0}, {192, 1000000}});
    const std::pair<int64_t, int64_t> ticksAndMicros[] = {{-5, 0},       {0, 0},        {48, 250000},  {96, 500000},
                                                          {144, 625000}, {192, 750000}, {193, 760417}, {288, 1750000}};
    for (const auto& [tick, micros] : ticksAndMicros) {
        EXPECT_EQ(map.MicrosAt(tick), micros) << tick;
        if (tick >= 0 && micros % 1000 == 0) {
            EXPECT_DOUBLE_EQ(map.TickAt(static_cast<double>(micros)), tick);
        }
    }
    EXPECT_DOUBLE_EQ(map.TickAt(-1), 0);
    EXPECT_DOUBLE_EQ(map.TickAt(1250000), 240);  // half-way through the 60 bpm stretch
    EXPECT_EQ(map.Changes().size(), 3u);         // the zero tempo and the overridden change dropped
}

// A song without tempo events runs at 120 bpm: the retime command's tests pin that.
TEST(TempoMap, ReadsTheTempoEventsOfEveryTrack) {
    MidiReader reader;
    reader.OpenMidiBuffer(MidiFile(1, 480,
                                   {Cat({Tempo(0, 600000), EndOfTrack()}),
                                    Cat({NoteOn(0, 0, 60, 90), Tempo(960, 300000), NoteOff(0, 0, 60), EndOfTrack()})}));
    ASSERT_TRUE(reader.ReadMidiHeader() && reader.LoadTracks());
    const TempoMap map = TempoMap::FromSong(reader);
    EXPECT_EQ(map.MicrosAt(960), 1200000);
    EXPECT_EQ(map.MicrosAt(1440), 1500000);
}

}  // namespace
}  // namespace sonkora
