// Soft Karaoke files as other programs write them (made by tests/data/kar/make_kar.py),
// imported with sonkorac import and compiled back with sonkorac make: the Words track
// made from the import against the file's own.
#include <functional>
#include <map>
#include <set>

#include "common/CodePage.h"

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

// Header lines at tick 0, after those before the first lyric.
std::function<Texts(Texts)> WithHeaderLines(std::vector<std::string> lines, std::set<std::string> moved = {}) {
    return [=](Texts texts) {
        std::erase_if(texts, [&](const Timed& t) { return moved.contains(t.text); });
        auto at = std::find_if(texts.begin(), texts.end(), [](const Timed& t) { return t.text[0] != '@'; });
        for (const std::string& line : lines) at = texts.insert(at, Timed{0, line}) + 1;
        return texts;
    };
}

const Case Cases[] = {
    // The information track's lines join the header lines (the marker is Make's own).
    {"classic.kar", WithHeaderLines({"@V0100", "@IMade for the import tests"})},
    {"headers_in_information.kar", WithHeaderLines({"@V0100", "@TNobody in particular", "@IFree to use"})},
    {"marker_other_names.kar", Same},
    // Header lines among the lyrics are moved to the header.
    {"late_texts.kar", WithHeaderLines({"@TSecond verse", "@ITyped in by nobody", "@KV0100", "@IFree to use"},
                                       {"@TSecond verse", "@ITyped in by nobody"})},
    // UTF-8 becomes Windows-1252, a letter it lacks a question mark.
    {"utf8_texts.kar",
     [](Texts texts) {
         for (Timed& t : texts) t.text = Utf8ToCp1252(t.text).text;
         return texts;
     }},
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
        // Only what had to change is reported, one warning line each.
        const std::map<std::string, size_t> warned = {
            {"utf8_texts.kar", 1}, {"late_texts.kar", 2}, {"long_texts.kar", 2}, {"texts_before_notes.kar", 1}};
        const size_t warnings = warned.contains(c.file) ? warned.at(c.file) : 0;
        EXPECT_EQ(std::count(import.err.begin(), import.err.end(), '\n'), warnings) << c.file << import.err;
        if (warnings > 0) {
            EXPECT_EQ(import.err.rfind(kar + ": warning: The text \"", 0), 0u) << import.err;
        }
        if (std::string(c.file) == "utf8_texts.kar") {
            EXPECT_EQ(import.err, kar +
                                      ": warning: The text \" \xC5\x91r\" at 3:2:0: characters Windows-1252 cannot "
                                      "hold (U+0151) were written as \"?\".\n");
        }
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

namespace sonkora::clitest {
namespace {

// The other form: lyric events in the melody track. Imported and made, its words are
// those of the same verse imported from lyric events in a Words track, or from the same
// song as a type 0 file; the music keeps every byte but the words; and the export of
// the import imports to the same again.
TEST(RealFiles, LyricEventsInAMusicTrackImportAndRoundTripThroughExport) {
    TempDir dir;
    const auto copy = [&](const std::string& name) {
        std::filesystem::copy_file(std::string(SONKORA_TEST_DATA_DIR) + "/kar/" + name, dir.Path(name));
        return dir.Path(name);
    };
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), SONKORAC_PATH);
        const ProgramRun ran = RunProgram(dir, args);
        EXPECT_EQ(ran.exitCode, 0) << args[1] << " " << args[2] << ran.err;
        return ran;
    };
    const std::string reference = copy("lyric_events_only.kar");
    const std::string melody = copy("lyrics_in_melody.kar");
    const std::string type0 = copy("lyrics_type0.kar");
    for (const std::string& kar : {reference, melody, type0}) {
        run({"import", kar, "--track", "1"});
        run({"make", kar.substr(0, kar.size() - 4) + ".stf"});
    }
    const auto madeWords = [&](const std::string& kar) {
        const ChunkedFile made = SplitChunks(ReadBytes(kar.substr(0, kar.size() - 4) + "_1.kar"));
        return made.chunks.size() > 2 ? MetaTexts(made.chunks[2]) : Texts{};
    };
    const Texts words = madeWords(melody);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words, madeWords(reference));
    // As one type 0 track the words lie among the notes of every channel; split, they
    // are in the conductor track, and the song comes out the same.
    EXPECT_EQ(madeWords(type0), words);
    // The music: the reference's melody holds no words; that of the import lost only its own.
    const ChunkedFile music = SplitChunks(ReadBytes(dir.Path("lyrics_in_melody.mid")));
    ASSERT_EQ(music.chunks.size(), 3u);
    EXPECT_EQ(music.chunks[1], SplitChunks(ReadBytes(reference)).chunks[3]);
    EXPECT_EQ(music.chunks[2], SplitChunks(ReadBytes(melody)).chunks[2]);

    // Exported, the song comes back as it went: a Words track that the import leaves out.
    run({"export", dir.Path("lyrics_in_melody.stf")});
    const std::string exported = dir.Path("exported.kar");
    std::filesystem::rename(dir.Path("lyrics_in_melody_1.kar"), exported);
    run({"import", exported, "--track", "1"});
    EXPECT_EQ(ReadBytes(dir.Path("exported.mid")), ReadBytes(dir.Path("lyrics_in_melody.mid")));
    run({"make", dir.Path("exported.stf")});
    EXPECT_EQ(madeWords(exported), words);
}

}  // namespace
}  // namespace sonkora::clitest
