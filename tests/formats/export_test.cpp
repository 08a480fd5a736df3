// The lyric exports: golden files, the times read back from what we wrote, and bad input.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

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
    std::string Export(ExportFormat format, const std::string& song) {
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
        return result.written ? ReadText(result.outputFile) : std::string();
    }
    std::string WriteSong(const Lines& lines, const std::string& name = "song.stf") {
        WriteBytes(dir.Path("song.mid"), TempoChangingSong());
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        WriteBytes(dir.Path(name), Bytes(text.begin(), text.end()));
        return dir.Path(name);
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
    const std::string generated = WriteSong(TempoChangingText);
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

// Our WebVTT read back by its rules gives every syllable its time (the golden files hold
// the other formats to the same times).
TEST_F(ExportTest, TimesReadBackFromWebVttAreTheSungTimes) {
    const std::string song = WriteSong(TempoChangingText);
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
    ASSERT_EQ(readVtt.size(), TempoChangingTimes.size());
    for (size_t i = 0; i < readVtt.size(); ++i) {
        EXPECT_EQ(readVtt[i].text, TempoChangingTimes[i].text) << "syllable " << i;
        EXPECT_NEAR(readVtt[i].seconds, TempoChangingTimes[i].seconds, 0.0005) << "syllable " << i;
    }
}

TEST_F(ExportTest, AKaraokeFileExportsAsItsSongTextDoes) {
    const std::string song = WriteSong(TempoChangingText);
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
    const std::string song = WriteSong(TempoChangingText);
    WriteBytes(dir.Path("plain.kar"), TempoChangingSong());
    Lines broken = TempoChangingText;
    broken.back() = "m $9:9:9$y";
    const std::string brokenSong = WriteSong(broken, "broken.stf");
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
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(song).parent_path()))
            EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace sonkora::compilertest
