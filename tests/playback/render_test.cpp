// Offline rendering: a known song comes out as sound with its notes where the score puts them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PlaybackFixture.h"
#include "playback/OfflineRender.h"
#include "playback/Synthesizer.h"

namespace sonkora::test {
namespace {

Bytes Le(uint32_t value, int size) {
    Bytes out;
    for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
}

// The left channel of a WAV file, after checking that its header is the one of 16-bit
// stereo PCM at 44.1 kHz with the sizes of the file.
std::vector<int16_t> ReadWav(const std::string& path) {
    const Bytes bytes = Text(ReadFile(path));
    std::vector<int16_t> left;
    const auto size = static_cast<uint32_t>(bytes.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + std::min<size_t>(size, 44)),
              Cat({Text("RIFF"), Le(size - 8, 4), Text("WAVEfmt "), Le(16, 4), Le(1, 2), Le(2, 2), Le(44100, 4),
                   Le(44100 * 4, 4), Le(4, 2), Le(16, 2), Text("data"), Le(size - 44, 4)}));
    for (size_t at = 44; at + 3 < bytes.size(); at += 4)
        left.push_back(static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8));
    return left;
}

// Frames where the sound rises sharply out of what went before: the peak of a 2 ms
// window is above `threshold` and above eight times the loudest of the 60 ms before.
std::vector<int64_t> Onsets(const std::vector<int16_t>& samples, int threshold = 500) {
    const size_t window = 44100 / 500, history = 30;
    std::vector<int> peaks;  // of the windows before
    std::vector<int64_t> onsets;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        int peak = 0;
        for (size_t i = start; i < start + window; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
        const auto recent = peaks.end() - static_cast<ptrdiff_t>(std::min(peaks.size(), history));
        const int before = recent == peaks.end() ? 0 : *std::max_element(recent, peaks.end());
        peaks.push_back(peak);
        if (peak <= threshold || peak <= 8 * before) continue;
        size_t i = start;  // the first sample of the window that is clearly above the noise
        while (std::abs(int{samples[i]}) <= threshold / 4) ++i;
        onsets.push_back(static_cast<int64_t>(i));
    }
    return onsets;
}

// A wood block hit `delta` ticks on, 12 ticks long.
Bytes Hit(uint32_t delta) {
    return Cat({NoteOn(delta, 9, 76, 127), NoteOff(12, 9, 76)});
}

// Hits at ticks 0, 96, 192 and 288; the tempo doubles at 192, the song ends at 384.
Bytes WoodBlockSong() {
    return MidiFile(1, 96,
                    {Cat({Tempo(0, 500000), Hit(0), Hit(84), Tempo(84, 250000), Hit(0), Hit(84), EndOfTrack(84)})});
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont on this machine";
    }
    TempFolder folder;
    RecordingUser ui;
};

TEST_F(RenderTest, SongsSoundWithTheirNotesWhereTheScorePutsThem) {
    const Bytes audition = MidiFile(
        1, 96,
        {Cat({Tempo(0, 500000), EndOfTrack()}), Cat({Hit(96), Hit(84), EndOfTrack()}), Cat({Hit(48), EndOfTrack()})});
    const struct {
        std::string name;
        Bytes song;
        int32_t startTime, track;
        std::vector<int64_t> onsets;  // in frames
        int64_t songFrames;           // to the end of the song
        uint32_t mutedChannels = 0;   // then nothing sounds, not even softly
    } cases[] = {
        {"whole", WoodBlockSong(), 0, 0, {0, 22050, 44100, 55125}, 66150},
        {"from a time, with the tempo in force there", WoodBlockSong(), 192, 0, {0, 11025}, 22050},
        {"one track from its first note", audition, 0, 1, {0, 22050}, 24806},  // its last event, 108 ticks on
        {"channel 10 muted", WoodBlockSong(), 0, 0, {}, 66150, 1 << 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RenderOptions options;
        options.midiFile = folder.Write("song.mid", c.song);
        options.wavFile = folder.Path("song.wav");
        options.startTime = c.startTime;
        options.track = c.track;
        options.mutedChannels = c.mutedChannels;
        RenderSummary summary;
        ASSERT_TRUE(RenderSong(options, ui, &summary)) << (ui.errors.empty() ? "" : ui.errors[0].first);
        const std::vector<int16_t> left = ReadWav(options.wavFile);
        EXPECT_EQ(static_cast<int64_t>(left.size()), summary.frames);
        // At most half a second of dying sound after the end of the song.
        EXPECT_GE(static_cast<int64_t>(left.size()), c.songFrames);
        EXPECT_LE(static_cast<int64_t>(left.size()), c.songFrames + 22050);
        const std::vector<int64_t> found = Onsets(left, c.mutedChannels ? 50 : 500);
        ASSERT_EQ(found.size(), c.onsets.size()) << ::testing::PrintToString(found);
        // FluidSynth starts a note at the next 64-sample block; the attack adds a little.
        for (size_t i = 0; i < found.size(); ++i) EXPECT_NEAR(found[i], c.onsets[i], 150) << "onset " << i;
    }
}

TEST_F(RenderTest, FailuresAreReportedAndLeaveNoFileBehindAndNoOldOneChanged) {
    const std::string wood = folder.Write("wood.mid", WoodBlockSong());
    const std::string bad = folder.Write("bad.mid", Cat({Header(1, 1, 96), Text("MTrk"), Be32(50)}));
    // 2^28 ticks at one tick per quarter note: some four years.
    const std::string tooLong = folder.Write(
        "long.mid", MidiFile(1, 1, {Cat({NoteOn(0, 0, 60, 100), NoteOff(0x0FFFFFFF, 0, 60), EndOfTrack()})}));
    const std::string old = folder.Write("old.wav", Text("keep me"));
    const struct {
        std::string midiFile, wavFile, soundFont, message;
        int64_t maxLengthMicros = RenderOptions{}.maxLengthMicros;
    } cases[] = {
        {bad, old, "", "Error in Midi file"},
        // Refused before rendering, unless the limit is raised; then the WAV format's own.
        {tooLong, folder.Path("long.wav"), "",
         tooLong + ": the song lasts days, longer than the limit of 120 minutes (--max-length MINUTES raises it)"},
        {tooLong, folder.Path("long.wav"), "", tooLong + ": the song is too long for a WAV file", INT64_MAX},
        {wood, wood, "", "The sound cannot be written over the song itself: " + wood},
        {wood, folder.Path("none/song.wav"), "", "Cannot create " + folder.Path("none/song.wav")},
        {wood, folder.Path("none.wav"), folder.Path("missing.sf2"),
         "Cannot open Midi output device Sonkora Synthesizer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ui.errors.clear();
        EXPECT_FALSE(RenderSong({.midiFile = c.midiFile,
                                 .wavFile = c.wavFile,
                                 .soundFont = c.soundFont,
                                 .maxLengthMicros = c.maxLengthMicros},
                                ui));
        ASSERT_EQ(ui.errors.size(), 1u);
        EXPECT_EQ(ui.errors[0].first.substr(0, c.message.size()), c.message);
    }
    EXPECT_EQ(Text(ReadFile(old)), Text("keep me"));
    EXPECT_EQ(Text(ReadFile(wood)), WoodBlockSong());
    // The four written above and nothing else: no sound file, no temporary one.
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"bad.mid", "long.mid", "old.wav", "wood.mid"}));
}

TEST_F(RenderTest, OggVorbisHasItsHeaderAndTheSongsLength) {
    RenderOptions options;
    options.midiFile = folder.Write("wood.mid", WoodBlockSong());
    options.wavFile = folder.Path("wood.ogg");
    RenderSummary summary;
    ASSERT_TRUE(RenderSong(options, ui, &summary));
    const Bytes ogg = Text(ReadFile(options.wavFile));
    ASSERT_GT(ogg.size(), 58u);
    // The first page holds the identification header alone: stereo, 44.1 kHz.
    EXPECT_EQ(Bytes(ogg.begin(), ogg.begin() + 6), Cat({Text("OggS"), {0, 2}}));
    EXPECT_EQ(Bytes(ogg.begin() + 28, ogg.begin() + 44), Cat({{1}, Text("vorbis"), Le(0, 4), {2}, Le(44100, 4)}));
    // The last page ends the stream, and its granule position is the number of frames.
    size_t last = ogg.size() - 27;
    while (last > 0 && !std::equal(ogg.begin() + last, ogg.begin() + last + 4, "OggS")) --last;
    EXPECT_EQ(ogg[last + 5] & 4, 4);
    EXPECT_EQ(Bytes(ogg.begin() + last + 6, ogg.begin() + last + 14),
              Cat({Le(static_cast<uint32_t>(summary.frames), 4), Le(0, 4)}));
    EXPECT_GE(summary.frames, 66150);  // the song's 1.5 s
}

}  // namespace
}  // namespace sonkora::test
