// The lyric exports: golden files, the times read back from what we wrote, and bad input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <tuple>

#include "compiler/compiler_fixture.h"
#include "formats/KaraokeExport.h"

namespace sonkora::compilertest {
namespace {

using ::testing::HasSubstr;
using enum ExportFormat;

// Tempo 120 bpm, 240 bpm from tick 384, 80 bpm from tick 768 (division 96).
Bytes TempoChangingSong() {
    const Bytes conductor = Cat({Tempo(0, 500000), Tempo(384, 250000), Tempo(384, 750000), EndOfTrack()});
    Bytes voice = Program(0, 0, 52);
    uint32_t now = 0;
    // Start, length and key of each note.
    for (const auto& [on, length, key] : std::vector<std::tuple<uint32_t, uint32_t, uint8_t>>{{0, 96, 60},
                                                                                              {96, 96, 62},
                                                                                              {192, 192, 64},
                                                                                              {384, 48, 65},
                                                                                              {432, 48, 67},
                                                                                              {480, 96, 69},
                                                                                              {768, 96, 72},
                                                                                              {864, 96, 71},
                                                                                              {1152, 192, 67}}) {
        voice = Cat({voice, NoteOn(on - now, 0, key, 100), NoteOff(length, 0, key)});
        now = on + length;
    }
    return MidiFile(1, 96, {conductor, Cat({voice, EndOfTrack()})});
}

// Accented letters in Windows-1252, an "_" group, an empty syllable ("m--y"), a character
// WebVTT must escape, and a time code where no note sounds.
const Lines TempoChangingText = {
    "\\t 1",
    "\\m song.mid",
    "@LENGL",
    "@TCaf\xE9 No\xEBl",
    "@TZo\xEB",
    "",
    "Caf-\xE9 o_l\xE9,",
    "m--y R&B $3:4:0$end now",
};

class ExportTest : public ::testing::Test {
protected:
    // The file written, or "not written: " and the last box shown.
    std::string Export(ExportFormat format, const std::string& song, const std::string& output = "") {
        const bool text = song.ends_with(".stf");
        MemorySongDocument document(song, text ? SplitSongLines(ReadText(song)) : Lines{});
        RecordingUi ui(document);
        ui.trackChoice = 0;
        ExportRequest request;
        request.format = format;
        request.inputFile = song;
        request.songText = text ? &document : nullptr;
        request.withVoice = true;
        request.outputFile = output.empty() ? dir.Path("out" + ExportExtension(format)) : output;
        const ExportResult result = ExportKaraoke(request, ui);
        return result.written ? ReadText(result.outputFile) : "not written: " + (ui.log.empty() ? "" : ui.log.back());
    }
    std::string WriteSong(const Lines& lines, const std::string& name = "song.stf",
                          const Bytes& music = TempoChangingSong()) {
        WriteBytes(dir.Path("song.mid"), music);
        WriteBytes(dir.Path(name), Text(JoinLines(lines)));
        return dir.Path(name);
    }

    TempDir dir;
};

// Set SONKORA_UPDATE_GOLDEN=1 to write the golden files anew after a deliberate change.
void ExpectGolden(const std::string& text, const std::string& name) {
    const std::string path = std::string(SONKORA_GOLDEN_DIR) + "/" + name;
    if (std::getenv("SONKORA_UPDATE_GOLDEN") != nullptr) WriteBytes(path, Text(text));
    EXPECT_EQ(text, ReadText(path)) << name;
}

TEST_F(ExportTest, EachFormatMatchesItsGoldenFile) {
    const std::string example = dir.Path("jingle_bells.stf");
    std::filesystem::copy_file(std::string(SONKORA_EXAMPLES_DIR) + "/jingle_bells.stf", example);
    std::filesystem::copy_file(std::string(SONKORA_EXAMPLES_DIR) + "/jingle_bells.mid", dir.Path("jingle_bells.mid"));
    const std::string generated = WriteSong(TempoChangingText);
    for (const auto& [format, suffix] : std::vector<std::pair<ExportFormat, std::string>>{
             {Lrc, ".lrc"}, {EnhancedLrc, ".enhanced.lrc"}, {WebVtt, ".vtt"}, {UltraStar, ".txt"}}) {
        ExpectGolden(Export(format, example), "jingle_bells" + suffix);
        ExpectGolden(Export(format, generated), "tempo_changes" + suffix);
    }
}

// Our WebVTT read back by its rules gives every syllable the time it is sung at, worked
// out by hand from the tempo changes (the golden files hold the other formats to the same
// times).
TEST_F(ExportTest, TimesReadBackFromWebVttAreTheSungTimes) {
    // A cue's start belongs to its first syllable, each tag to the text after it.
    const std::string vtt =
        std::regex_replace(Export(WebVtt, WriteSong(TempoChangingText)), std::regex(R"(([\d:.]+) --> .*\n)"), "<$1>");
    const std::regex tagged(R"(<([\d:.]+)>([^<\n]*?) ?(?=<|\n))");
    Lines read;
    for (std::sregex_iterator it(vtt.begin(), vtt.end(), tagged), end; it != end; ++it)
        read.push_back((*it)[1].str() + " " + (*it)[2].str());
    EXPECT_EQ(read, (Lines{"00:00:00.000 Caf", "00:00:00.500 é", "00:00:01.000 o", "00:00:02.000 lé,", "00:00:02.125 m",
                           "00:00:03.000 y", "00:00:03.750 R&#38;B", "00:00:05.250 end", "00:00:06.000 now"}));
}

// The games place every note after #GAP, so it is the first syllable's time rounded to the
// millisecond: at 120 bpm and division 480 ticks 11 and 13 fall at 11.46 and 13.54 ms.
TEST_F(ExportTest, UltraStarGapIsTheFirstSyllableToTheNearestMillisecond) {
    for (const auto& [tick, gap] :
         std::vector<std::pair<uint32_t, std::string>>{{11, "#GAP:11\n"}, {13, "#GAP:14\n"}}) {
        const Bytes music = MidiFile(1, 480, {Cat({Tempo(0, 500000), EndOfTrack()}), Beats(2, tick)});
        const std::string song = WriteSong({"\\t 1", "\\m song.mid", "", "la li"}, "song.stf", music);
        EXPECT_THAT(Export(UltraStar, song), HasSubstr(gap)) << tick;
    }
}

TEST_F(ExportTest, AKaraokeFileExportsAsItsSongTextDoes) {
    const std::string song = WriteSong(TempoChangingText);
    ASSERT_EQ(InMemoryCompile(Make, TempoChangingText, false, song).compiler.MidiError(), 0);
    for (const ExportFormat format : {EnhancedLrc, WebVtt})
        EXPECT_EQ(Export(format, dir.Path("song.kar")), Export(format, song));
    // The .kar keeps no empty syllable, so UltraStar loses only the held note "~".
    std::string fromText = Export(UltraStar, song);
    fromText = std::regex_replace(fromText, std::regex(": \\d+ \\d+ -?\\d+ ~\n"), "");
    EXPECT_EQ(Export(UltraStar, dir.Path("song.kar")), fromText);
}

TEST_F(ExportTest, BadInputIsReportedAndWritesNothing) {
    const std::string song = WriteSong(TempoChangingText);
    WriteBytes(dir.Path("plain.kar"), TempoChangingSong());
    Lines broken = TempoChangingText;
    broken.back() = "m $9:9:9$y";
    const Bytes midiBefore = ReadBytes(dir.Path("song.mid")), songBefore = ReadBytes(song);
    const std::string brokenSong = WriteSong(broken, "broken.stf");
    const std::set<std::string> folder = dir.Names();
    const std::string rows[][3] = {
        {dir.Path("plain.kar"), "", "Not a Soft Karaoke file"},
        {brokenSong, "", "Invalid MIDI time $9:9:9$."},
        {song, dir.Path("song.mid"), "would overwrite the input file"},
        {song, song, "would overwrite the input file"},
    };
    for (const auto& [input, output, shown] : rows) {
        const std::string outcome = Export(Lrc, input, output);
        EXPECT_THAT(outcome, HasSubstr("not written: ")) << input;
        EXPECT_THAT(outcome, HasSubstr(shown));
        // Nothing else stays behind: no scratch file, no half-written output.
        EXPECT_EQ(dir.Names(), folder) << input;
        EXPECT_EQ(ReadBytes(dir.Path("song.mid")), midiBefore);
        EXPECT_EQ(ReadBytes(song), songBefore);
    }
}

}  // namespace
}  // namespace sonkora::compilertest
