// Offline rendering: a known song comes out as sound with its notes where the score puts them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "EngineFixture.h"
#include "playback/OfflineRender.h"
#include "playback/Synthesizer.h"

namespace sonkora::test {
namespace {

struct Wav {
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
    std::vector<int16_t> left;  // the left channel
};

uint32_t Le32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

Wav ReadWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav wav;
    if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF") return wav;
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le16(bytes, 20), 1);
    wav.channels = Le16(bytes, 22);
    wav.sampleRate = static_cast<int>(Le32(bytes, 24));
    wav.bits = Le16(bytes, 34);
    EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44);
    for (size_t at = 44; at + 3 < bytes.size(); at += 4) wav.left.push_back(static_cast<int16_t>(Le16(bytes, at)));
    return wav;
}

// Frames where the sound rises sharply out of what went before: the peak of a 2 ms
// window is above `threshold` and above eight times the loudest of the 60 ms before.
std::vector<int64_t> Onsets(const std::vector<int16_t>& samples, int sampleRate, int threshold) {
    const size_t window = static_cast<size_t>(sampleRate) / 500;
    const size_t history = 30;
    std::vector<int> peaks;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        int peak = 0;
        for (size_t i = start; i < start + window; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
        peaks.push_back(peak);
    }
    std::vector<int64_t> onsets;
    for (size_t w = 0; w < peaks.size(); ++w) {
        int before = 0;
        for (size_t h = w >= history ? w - history : 0; h < w; ++h) before = std::max(before, peaks[h]);
        if (peaks[w] > threshold && peaks[w] > 8 * before) {
            // The first sample of the window that is clearly above the noise.
            size_t i = w * window;
            while (std::abs(int{samples[i]}) <= threshold / 4) ++i;
            onsets.push_back(static_cast<int64_t>(i));
        }
    }
    return onsets;
}

// Wood block hits at ticks 0, 96, 192 and 288; the tempo doubles at 192, the song ends at 384.
Bytes WoodBlockSong() {
    return MidiFile(1, 96,
                    {Cat({Tempo(0, 500000), NoteOn(0, 9, 76, 127), NoteOff(12, 9, 76), NoteOn(84, 9, 76, 127),
                          NoteOff(12, 9, 76), Tempo(84, 250000), NoteOn(0, 9, 76, 127), NoteOff(12, 9, 76),
                          NoteOn(84, 9, 76, 127), NoteOff(12, 9, 76), EndOfTrack(84)})});
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont on this machine";
    }
    TempFolder folder;
    RecordingUi ui;
};

void ExpectOnsetsNear(const std::vector<int64_t>& found, const std::vector<int64_t>& expected) {
    ASSERT_EQ(found.size(), expected.size()) << ::testing::PrintToString(found);
    for (size_t i = 0; i < found.size(); ++i) {
        // FluidSynth starts a note at the next 64-sample block; the attack adds a little.
        EXPECT_NEAR(found[i], expected[i], 150) << "onset " << i;
    }
}

TEST_F(RenderTest, KnownSongSoundsWithItsNotesWhereTheScorePutsThem) {
    RenderOptions options;
    options.midiFile = folder.Write("wood.mid", WoodBlockSong());
    options.wavFile = folder.PathOf("wood.wav");
    RenderSummary summary;
    ASSERT_TRUE(RenderSong(options, ui, &summary)) << (ui.errors.empty() ? "" : ui.errors[0].first);

    const Wav wav = ReadWav(options.wavFile);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.sampleRate, 44100);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(static_cast<int64_t>(wav.left.size()), summary.frames);
    // To the end of the song (1.5 s) and at most half a second of dying sound after it.
    EXPECT_GE(wav.left.size(), 66150u);
    EXPECT_LE(wav.left.size(), 66150u + 22050u);
    EXPECT_GT(*std::max_element(wav.left.begin(), wav.left.end()), 1000) << "a wood block hit is clearly heard";
    ExpectOnsetsNear(Onsets(wav.left, 44100, 500), {0, 22050, 44100, 55125});
}

TEST_F(RenderTest, RenderingFromATimeStartsThereWithTheTempoInForce) {
    RenderOptions options;
    options.midiFile = folder.Write("wood.mid", WoodBlockSong());
    options.wavFile = folder.PathOf("from.wav");
    options.startTime = 192;
    ASSERT_TRUE(RenderSong(options, ui));
    const Wav wav = ReadWav(options.wavFile);
    ExpectOnsetsNear(Onsets(wav.left, 44100, 500), {0, 11025});
}

TEST_F(RenderTest, AuditionRendersOneTrackFromItsFirstNote) {
    RenderOptions options;
    options.midiFile = folder.Write(
        "two.mid", MidiFile(1, 96,
                            {Cat({Tempo(0, 500000), EndOfTrack()}),
                             Cat({NoteOn(96, 9, 76, 127), NoteOff(12, 9, 76), NoteOn(84, 9, 76, 127), NoteOff(12, 9, 76),
                                  EndOfTrack()}),
                             Cat({NoteOn(48, 9, 76, 127), NoteOff(12, 9, 76), EndOfTrack()})}));
    options.wavFile = folder.PathOf("audition.wav");
    options.track = 1;
    ASSERT_TRUE(RenderSong(options, ui));
    ExpectOnsetsNear(Onsets(ReadWav(options.wavFile).left, 44100, 500), {0, 22050});
}

TEST_F(RenderTest, FailureLeavesNoFileBehindAndTheOldOneUntouched) {
    RenderOptions options;
    options.midiFile = folder.Write("bad.mid", Cat({Header(1, 1, 96), Text("MTrk"), Be32(50)}));
    options.wavFile = folder.Write("old.wav", Text("keep me"));
    EXPECT_FALSE(RenderSong(options, ui));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].first, "Error in Midi file");
    std::ifstream in(options.wavFile);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");

    // Nothing but the two files in the folder: no temporary file left over.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(options.wavFile).parent_path()))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST_F(RenderTest, SongLongerThanAWavFileCanHoldIsRefusedBeforeWritingAnything) {
    RenderOptions options;
    // 2^28 ticks at one tick per quarter note: some four years.
    options.midiFile = folder.Write(
        "long.mid", MidiFile(1, 1, {Cat({NoteOn(0, 0, 60, 100), NoteOff(0x0FFFFFFF, 0, 60), EndOfTrack()})}));
    options.wavFile = folder.PathOf("long.wav");
    EXPECT_FALSE(RenderSong(options, ui));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].first, options.midiFile + ": the song is too long for a WAV file");
    EXPECT_FALSE(std::filesystem::exists(options.wavFile));
}

TEST_F(RenderTest, SongIsNeverWrittenOverByItsOwnSound) {
    RenderOptions options;
    options.midiFile = folder.Write("wood.mid", WoodBlockSong());
    options.wavFile = options.midiFile;
    EXPECT_FALSE(RenderSong(options, ui));
    ASSERT_EQ(ui.errors.size(), 1u);
    std::ifstream in(options.midiFile, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), WoodBlockSong());
}

TEST_F(RenderTest, MissingSoundFontIsReportedAsTheSynthesizerNotOpening) {
    RenderOptions options;
    options.midiFile = folder.Write("wood.mid", WoodBlockSong());
    options.wavFile = folder.PathOf("none.wav");
    options.soundFont = folder.PathOf("missing.sf2");
    EXPECT_FALSE(RenderSong(options, ui));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].first.rfind("Cannot open Midi output device Sonkora Synthesizer", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(options.wavFile));
}

}  // namespace
}  // namespace sonkora::test
