// Soft Karaoke files as other programs write them (made by tests/data/kar/make_kar.py),
// imported with sonkorac import and compiled back with sonkorac make: the Words track
// made from the import against the file's own.
#include <functional>

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

using Texts = std::vector<Timed>;

// What the Words track compiled from the import holds, given the file's own.
struct Case {
    const char* file;
    std::function<Texts(Texts)> expected;
};

Texts Same(Texts texts) {
    return texts;
}

const Case Cases[] = {
    {"classic.kar", Same},
    // Header texts of the information track are not imported.
    {"headers_in_information.kar", Same},
    {"more_lyrics_than_notes.kar", Same},
    // Lyric events repeating the text events are taken once.
    {"lyric_events.kar",
     [](Texts texts) {
         std::erase_if(texts, [](const Timed& t) { return t.type == 0x05; });
         return texts;
     }},
    // Lyric events alone: their blanks and carriage returns become the marks of texts.
    {"lyric_events_only.kar",
     [](Texts texts) {
         std::erase_if(texts, [](const Timed& t) { return t.text == "\r"; });
         std::string mark = "\\";
         for (Timed& t : texts) {
             t.type = 0x01;
             if (t.text[0] == '@') continue;
             const bool word = t.text.back() == ' ';
             if (word) t.text.pop_back();
             t.text = mark + t.text;
             mark = word ? " " : "";
         }
         for (const size_t lineStart : {7, 13, 18}) texts.at(lineStart).text.insert(0, "/");
         return texts;
     }},
    // Two texts at tick 0 cannot both have it: they become one.
    {"texts_before_notes.kar",
     [](Texts texts) {
         texts.at(1).text += " " + texts.at(2).text.substr(1);
         texts.erase(texts.begin() + 2);
         return texts;
     }},
    {"long_texts.kar",
     [](Texts texts) {
         for (Timed& t : texts) t.text = t.text.substr(0, 121);
         return texts;
     }},
    // Five ticks early, a lyric moves onto its note; no time code is written.
    {"lyrics_off_their_notes.kar",
     [](Texts texts) {
         for (Timed& t : texts) t.time += t.text[0] == '@' ? 0 : 5;
         return texts;
     }},
    // Texts at one tick joined, empty texts and line ends taking no note.
    {"same_tick_texts.kar",
     [](Texts texts) {
         Texts joined;
         bool lineBreak = false;
         for (const Timed& t : texts) {
             if (t.text.empty() || t.text == "\n") {
                 lineBreak = lineBreak || t.text == "\n";
                 continue;
             }
             if (!joined.empty() && joined.back().time == t.time) {
                 joined.back().text += t.text;
             } else {
                 joined.push_back(t);
                 if (lineBreak) joined.back().text.insert(0, "/");
             }
             lineBreak = false;
         }
         return joined;
     }},
};

TEST(RealFiles, ImportedAndCompiledBackTheWordsKeepTheirTicks) {
    for (const Case& c : Cases) {
        TempDir dir;
        const std::string kar = dir.Path(c.file);
        const std::string stem = kar.substr(0, kar.size() - 4);
        std::filesystem::copy_file(std::string(SONKORA_TEST_DATA_DIR) + "/kar/" + c.file, kar);
        const ProgramRun import = RunProgram(dir, {SONKORAC_PATH, "import", kar, "--track", "1"});
        EXPECT_EQ(import.exitCode, 0) << c.file << import.err;
        const std::string songText = ReadText(stem + ".stf");
        const ProgramRun make = RunProgram(dir, {SONKORAC_PATH, "make", stem + ".stf"});
        EXPECT_EQ(make.exitCode, 0) << c.file << make.err << songText;

        const ChunkedFile original = SplitChunks(ReadBytes(kar));
        const ChunkedFile again = SplitChunks(ReadBytes(stem + "_1.kar"));
        ASSERT_EQ(again.chunks.size(), original.chunks.size()) << c.file;
        EXPECT_EQ(MetaTexts(again.chunks[2]), c.expected(MetaTexts(original.chunks[2]))) << c.file << "\n" << songText;
        for (size_t i = 0; i < original.chunks.size(); ++i) {
            if (i == 1 || i == 2) continue;  // the karaoke tracks are made anew
            EXPECT_EQ(again.chunks[i], original.chunks[i]) << c.file << " chunk " << i;
        }
        EXPECT_EQ(again.trailing, original.trailing) << c.file;
    }
}

}  // namespace
}  // namespace sonkora::clitest
