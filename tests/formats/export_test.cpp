// The lyric exports: golden files, the times read back from what we wrote, and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>

#include "common/FilePaths.h"
#include "compiler/compiler_fixture.h"
#include "formats/KaraokeExport.h"

namespace sonkora::compilertest {
namespace {

// Tempo 120 bpm, 240 bpm from tick 384, 80 bpm from tick 768 (division 96).
Bytes TempoChangingSong() {
    const Bytes conductor = Cat({Tempo(0, 500000), Tempo(384, 250000), Tempo(384, 750000), EndOfTrack()});
    struct Note {
        uint32_t on, length;
        uint8_t key;
    };
    const Note notes[] = {{0, 96, 60},   {96, 96, 62},  {192, 192, 64}, {384, 48, 65},  {432, 48, 67},
                          {480, 96, 69}, {768, 96, 72}, {864, 96, 71},  {1152, 192, 67}};
    Bytes voice = Program(0, 0, 52);
    uint32_t now = 0;
    for (const Note& note : notes) {
        voice = Cat({voice, NoteOn(note.on - now, 0, note.key, 100), NoteOff(note.length, 0, note.key)});
        now = note.on + note.length;
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

// Each syllable as players must show it: text and seconds from the song's start.
struct Timed {
    std::string text;
    double seconds;
};
const std::vector<Timed> TempoChangingTimes = {{"Caf", 0}, {"é", 0.5},    {"o", 1.0},    {"lé,", 2.0}, {"m", 2.125},
                                               {"y", 3.0}, {"R&B", 3.75}, {"end", 5.25}, {"now", 6.0}};

class ExportTest : public ::testing::Test {
protected:
    std::string Export(ExportFormat format, const std::string& song, std::vector<std::string>* shown = nullptr) {
        std::unique_ptr<MemorySongDocument> document;
        if (song.ends_with(".stf")) {
            std::istringstream text(ReadText(song));
            Lines lines;
            for (std::string line; std::getline(text, line);) lines.push_back(line);
            document = std::make_unique<MemorySongDocument>(song, lines);
        }
        MemorySongDocument none("", {});
        RecordingUi ui(document ? *document : none);
        ui.trackChoice = 0;
        ExportRequest request;
        request.format = format;
        request.inputFile = song;
        request.songText = document.get();
        request.withVoice = true;
        request.outputFile = dir.Path("out" + ExportExtension(format));
        const ExportResult result = ExportKaraoke(request, ui);
        if (shown != nullptr) *shown = ui.log;
        return result.written ? ReadText(result.outputFile) : std::string();
    }
    std::string WriteSong(const Lines& lines, const Bytes& midi) {
        WriteBytes(dir.Path("song.mid"), midi);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        WriteBytes(dir.Path("song.stf"), Bytes(text.begin(), text.end()));
        return dir.Path("song.stf");
    }

    TempDir dir;
};

// Set SONKORA_UPDATE_GOLDEN=1 to write the golden files anew after a deliberate change.
void ExpectGolden(const std::string& text, const std::string& name) {
    const std::string path = std::string(SONKORA_GOLDEN_DIR) + "/" + name;
    if (std::getenv("SONKORA_UPDATE_GOLDEN") != nullptr) WriteBytes(path, Bytes(text.begin(), text.end()));
    EXPECT_EQ(text, ReadText(path)) << name;
}

TEST_F(ExportTest, EachFormatMatchesItsGoldenFile) {
    const std::string example = dir.Path("jingle_bells.stf");
    std::filesystem::copy_file(std::string(SONKORA_EXAMPLES_DIR) + "/jingle_bells.stf", example);
    std::filesystem::copy_file(std::string(SONKORA_EXAMPLES_DIR) + "/jingle_bells.mid", dir.Path("jingle_bells.mid"));
    const std::string generated = WriteSong(TempoChangingText, TempoChangingSong());
    const struct {
        ExportFormat format;
        const char* suffix;
    } formats[] = {{ExportFormat::Lrc, ".lrc"},
                   {ExportFormat::EnhancedLrc, ".enhanced.lrc"},
                   {ExportFormat::WebVtt, ".vtt"},
                   {ExportFormat::UltraStar, ".txt"}};
    for (const auto& [format, suffix] : formats) {
        ExpectGolden(Export(format, example), std::string("jingle_bells") + suffix);
        ExpectGolden(Export(format, generated), std::string("tempo_changes") + suffix);
    }
}

// Our files read back by the rules of each format give every syllable its time.
TEST_F(ExportTest, TimesReadBackFromEachFormatAreTheSungTimes) {
    const std::string song = WriteSong(TempoChangingText, TempoChangingSong());
    std::vector<Timed> read;
    const std::regex tag(R"(<(\d+):(\d+)\.(\d+)>([^<]*))");
    std::istringstream lrc(Export(ExportFormat::EnhancedLrc, song));
    for (std::string line; std::getline(lrc, line);) {
        for (std::sregex_iterator it(line.begin(), line.end(), tag), end; it != end; ++it) {
            const std::string text = std::regex_replace((*it)[4].str(), std::regex(" $"), "");
            read.push_back({text, std::stoi((*it)[1]) * 60 + std::stoi((*it)[2]) + std::stoi((*it)[3]) / 100.0});
        }
    }
    const std::regex cue(R"((\d+):(\d+):(\d+)\.(\d+) --> .*\n([^\n]*))");
    const std::regex vttTag(R"(<(\d+):(\d+):(\d+)\.(\d+)>)");
    const std::string vtt = Export(ExportFormat::WebVtt, song);
    std::vector<Timed> readVtt;
    for (std::sregex_iterator it(vtt.begin(), vtt.end(), cue), end; it != end; ++it) {
        // The cue's start, then each tag, belong to the text up to the next tag.
        std::string rest = "<" + (*it)[1].str() + ":" + (*it)[2].str() + ":" + (*it)[3].str() + "." + (*it)[4].str() +
                           ">" + (*it)[5].str();
        for (std::smatch m; std::regex_search(rest, m, vttTag);) {
            const std::string after = m.suffix();
            const size_t next = after.find('<');
            std::string text = std::regex_replace(after.substr(0, next), std::regex(" $"), "");
            text = std::regex_replace(text, std::regex("&#38;"), "&");
            readVtt.push_back(
                {text, std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]) + std::stoi(m[4]) / 1000.0});
            rest = next == std::string::npos ? "" : after.substr(next);
        }
    }
    std::vector<Timed> readUltraStar;
    std::istringstream ultraStar(Export(ExportFormat::UltraStar, song));
    double bpm = 0, gap = 0;
    for (std::string line; std::getline(ultraStar, line);) {
        if (line.starts_with("#BPM:")) bpm = std::stod(line.substr(5));
        if (line.starts_with("#GAP:")) gap = std::stod(line.substr(5));
        std::smatch m;
        if (std::regex_match(line, m, std::regex(R"([:F] (-?\d+) (\d+) (-?\d+) ?(.*))")) && m[4] != "~")
            // A blank before the text starts a word: the syllable is what follows.
            readUltraStar.push_back(
                {std::regex_replace(m[4].str(), std::regex("^ "), ""), gap / 1000 + std::stoi(m[1]) * 15 / bpm});
    }
    const struct {
        const char* format;
        const std::vector<Timed>& read;
        double tolerance;
    } rows[] = {{"enhanced LRC", read, 0.005}, {"WebVTT", readVtt, 0.0005}, {"UltraStar", readUltraStar, 0}};
    for (const auto& row : rows) {
        ASSERT_EQ(row.read.size(), TempoChangingTimes.size()) << row.format;
        // UltraStar positions are whole beats: half a beat is as near as the format can be.
        const double tolerance = row.tolerance > 0 ? row.tolerance : 7.5 / bpm;
        for (size_t i = 0; i < row.read.size(); ++i) {
            EXPECT_EQ(row.read[i].text, TempoChangingTimes[i].text) << row.format << " syllable " << i;
            EXPECT_NEAR(row.read[i].seconds, TempoChangingTimes[i].seconds, tolerance) << row.format << " " << i;
        }
    }
}

TEST_F(ExportTest, AKaraokeFileExportsAsItsSongTextDoes) {
    const std::string song = WriteSong(TempoChangingText, TempoChangingSong());
    MemorySongDocument document(song, TempoChangingText);
    RecordingUi ui(document);
    SongCompiler compiler;
    compiler.CompileSongText(CompileKind::Make, document, ui);
    ASSERT_EQ(compiler.MidiError(), 0);
    for (const ExportFormat format : {ExportFormat::EnhancedLrc, ExportFormat::WebVtt})
        EXPECT_EQ(Export(format, dir.Path("song.kar")), Export(format, song));
    // The .kar keeps no empty syllable, so UltraStar loses only the held note "~".
    std::string fromText = Export(ExportFormat::UltraStar, song);
    fromText = std::regex_replace(fromText, std::regex(": \\d+ \\d+ -?\\d+ ~\n"), "");
    EXPECT_EQ(Export(ExportFormat::UltraStar, dir.Path("song.kar")), fromText);
}

TEST_F(ExportTest, BadInputIsReportedAndWritesNothing) {
    const std::string song = WriteSong(TempoChangingText, TempoChangingSong());
    WriteBytes(dir.Path("plain.kar"), TempoChangingSong());
    Lines broken = TempoChangingText;
    broken.back() = "m $9:9:9$y";
    const std::string brokenSong = dir.Path("broken.stf");
    std::string brokenText;
    for (const std::string& line : broken) brokenText += line + "\n";
    WriteBytes(brokenSong, Bytes(brokenText.begin(), brokenText.end()));
    const struct {
        std::string input;
        std::string output;
        std::string shown;
    } rows[] = {
        {dir.Path("plain.kar"), dir.Path("out.lrc"), "Not a Soft Karaoke file"},
        {brokenSong, dir.Path("out.lrc"), "Invalid MIDI time $9:9:9$."},
        {song, dir.Path("song.mid"), "would overwrite the input file"},
        {song, song, "would overwrite the input file"},
    };
    for (const auto& row : rows) {
        const Bytes midiBefore = ReadBytes(dir.Path("song.mid"));
        const Bytes songBefore = ReadBytes(song);
        std::filesystem::remove(dir.Path("out.lrc"));
        MemorySongDocument document(
            row.input, row.input.ends_with(".stf") ? (row.input == song ? TempoChangingText : broken) : Lines{});
        RecordingUi ui(document);
        ExportRequest request;
        request.inputFile = row.input;
        request.songText = row.input.ends_with(".stf") ? &document : nullptr;
        request.outputFile = row.output;
        EXPECT_FALSE(ExportKaraoke(request, ui).written) << row.input;
        ASSERT_FALSE(ui.log.empty()) << row.input;
        EXPECT_NE(ui.log.back().find(row.shown), std::string::npos) << ui.log.back();
        EXPECT_FALSE(std::filesystem::exists(dir.Path("out.lrc")));
        EXPECT_EQ(ReadBytes(dir.Path("song.mid")), midiBefore);
        EXPECT_EQ(ReadBytes(song), songBefore);
        // Nothing else stays behind: no scratch file, no half-written output.
        for (const auto& entry : std::filesystem::directory_iterator(DirectoryOf(song)))
            EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace sonkora::compilertest
