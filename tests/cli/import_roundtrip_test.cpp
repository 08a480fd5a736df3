// Make, import the karaoke file on its voice track, make again: the second karaoke file
// has the same Words track events and the same music chunks as the first.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

// A voice of `count` notes `step` ticks apart from `start`, a chord every fourth note.
Bytes Voice(uint32_t start, uint32_t step, int count, uint8_t channel = 0) {
    Bytes data = Cat({Meta(0, 0x03, "Voice"), Program(0, channel, 52)});
    uint32_t now = 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t time = start + step * static_cast<uint32_t>(i);
        data = Cat({data, NoteOn(time - now, channel, static_cast<uint8_t>(60 + i % 12), 90)});
        if (i % 4 == 3) data = Cat({data, NoteOn(0, channel, static_cast<uint8_t>(64 + i % 12), 90)});
        data = Cat({data, NoteOff(step / 2, channel, static_cast<uint8_t>(60 + i % 12))});
        now = time + step / 2;
    }
    return Cat({data, EndOfTrack(step)});
}

using RoundTrip = SonkoracTest;

TEST_F(RoundTrip, TheSecondKaraokeFileIsTheFirst) {
    // The example song, for its paragraphs, lines, words, title lines and punctuation. Its
    // own \m and \k lines name files beside it; here the test's folder has them.
    const std::string examples = std::string(SONKORA_TEST_DATA_DIR) + "/../../examples/";
    std::string example = ReadText(examples + "jingle_bells.stf");
    ASSERT_FALSE(example.empty());
    example.replace(example.find("jingle_bells.mid"), 16, "song.mid");
    example.replace(example.find("jingle_bells.kar"), 16, "song.kar");
    const Bytes bass = VoiceTrack({0, 120, 240, 360, 480, 600, 720, 840}, 1, "Bass");
    // Song text, music, the list item of its voice track.
    const std::tuple<std::string, Bytes, const char*> rows[] = {
        // Skipped notes and a first syllable after the first note.
        {"\\t 2\n\n--Hel--lo- world\nsing-ing- \nla-la_la\n", MidiFile(1, 120, {Conductor(), bass, Voice(60, 60, 20)}),
         "2"},
        // Division 96 names every tick; the codes land on notes, between notes, before the
        // first note and after the last.
        {"\\t 1\n\n$1:1:0$In-$1:3:0$tro\nHel-lo $2:2:60$there, $3:1:0$you\nand-$3:3:0$me\n$9:1:0$end\n",
         MidiFile(1, 96, {Conductor(), Voice(384, 96, 12)}), "1"},
        // Division 480: units of four ticks.
        {"\\t 1\n@TSong\n\nA $1:2:7$b $1:3:0$c d\n$2:4:119$e\n", MidiFile(1, 480, {Conductor(), Voice(480, 240, 12)}),
         "1"},
        // Codes a little off the notes around them keep their own ticks.
        {"\\t 1\n\nA $1:2:10$b c $1:2:110$d e\n", MidiFile(1, 480, {Conductor(), Voice(480, 100, 8)}), "1"},
        // A track change takes the notes of the second track for a while; imported on the
        // first, those syllables keep their ticks with time codes.
        {"\\t 1\n\nOne two three $\\t 2$four five $\\t 1$six seven\n",
         MidiFile(1, 96, {Conductor(), Voice(0, 96, 8), Voice(48, 96, 8, 1)}), "1"},
        {example, ReadBytes(examples + "jingle_bells.mid"), "1"},
    };
    for (const auto& [songText, music, item] : rows) {
        SCOPED_TRACE(songText);
        for (const char* old : {"song.kar", "song_1.kar", "back.stf", "back.mid"})
            std::filesystem::remove(dir.Path(old));
        Write("song.mid", music);
        const ProgramRun make = Sonkorac({"make", Write("song.stf", songText)});
        const ProgramRun import = Sonkorac({"import", dir.Path("song.kar"), "--track", item, "--stf",
                                            dir.Path("back.stf"), "--mid", dir.Path("back.mid")});
        const std::string imported = Read("back.stf");
        const ProgramRun again = Sonkorac({"make", dir.Path("back.stf")});
        EXPECT_EQ(std::tuple(make.exitCode, import.exitCode, again.exitCode), std::tuple(0, 0, 0))
            << make.err << import.err << again.err << imported;
        // The same notes without lyrics, if any, are counted again.
        EXPECT_EQ(again.err, make.err) << imported;
        // The Words tracks hold the same texts at the same ticks; all else is the same bytes.
        const ChunkedFile first = SplitChunks(ReadBytes(dir.Path("song.kar")));
        ChunkedFile second = SplitChunks(ReadBytes(dir.Path("song_1.kar")));
        ASSERT_TRUE(second.chunks.size() == first.chunks.size() && first.chunks.size() >= 3);
        EXPECT_EQ(MetaTexts(second.chunks[2]), MetaTexts(first.chunks[2])) << imported;
        second.chunks[2] = first.chunks[2];
        EXPECT_EQ(std::tie(second.header, second.chunks, second.trailing),
                  std::tie(first.header, first.chunks, first.trailing));
        EXPECT_EQ(ReadBytes(dir.Path("back.mid")), music);  // the imported music is the original MIDI file
    }
}

}  // namespace
}  // namespace sonkora::clitest
