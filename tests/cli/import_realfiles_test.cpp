// Soft Karaoke files as other programs write them (made by tests/data/kar/make_kar.py),
// imported with sonkorac import and compiled back with sonkorac make: the Words track
// made from the import against the file's own.
#include <functional>
#include <set>

#include "common/CodePage.h"

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

using Texts = std::vector<Timed>;

// The warning lines the import gives (only what had to change is reported, one line
// each), and what the Words track compiled from the import holds, given the file's own.
struct Case {
    const char* file;
    size_t warnings;
    std::function<Texts(Texts)> expected;
};

const auto Same = [](Texts texts) { return texts; };

// Header lines at tick 0, after those before the first lyric.
std::function<Texts(Texts)> WithHeaderLines(std::vector<std::string> lines, std::set<std::string> moved = {}) {
    return [=](Texts texts) {
        std::erase_if(texts, [&](const Timed& t) { return moved.contains(t.text); });
        auto at = std::find_if(texts.begin(), texts.end(), [](const Timed& t) { return t.text[0] != '@'; });
        for (const std::string& line : lines) at = texts.insert(at, Timed{0, line}) + 1;
        return texts;
    };
}

// Each text changed by `change`.
std::function<Texts(Texts)> Each(std::function<void(Timed&)> change) {
    return [=](Texts texts) {
        for (Timed& t : texts) change(t);
        return texts;
    };
}

const Case Cases[] = {
    // The information track's lines join the header lines (the marker is Make's own).
    {"classic.kar", 0, WithHeaderLines({"@V0100", "@IMade for the import tests"})},
    {"headers_in_information.kar", 0, WithHeaderLines({"@V0100", "@TNobody in particular", "@IFree to use"})},
    {"marker_other_names.kar", 0, Same},
    // Header lines among the lyrics are moved to the header.
    {"late_texts.kar", 2,
     WithHeaderLines({"@TSecond verse", "@ITyped in by nobody", "@KV0100", "@IFree to use"},
                     {"@TSecond verse", "@ITyped in by nobody"})},
    // UTF-8 becomes Windows-1252, a letter it lacks a question mark.
    {"utf8_texts.kar", 1, Each([](Timed& t) { t.text = Utf8ToCp1252(t.text).text; })},
    {"more_lyrics_than_notes.kar", 0, Same},
    // Lyric events repeating the text events are taken once.
    {"lyric_events.kar", 0,
     [](Texts texts) {
         std::erase_if(texts, [](const Timed& t) { return t.type == 0x05; });
         return texts;
     }},
    // Lyric events alone: their blanks and carriage returns become the marks of texts.
    {"lyric_events_only.kar", 0,
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
    {"texts_before_notes.kar", 1,
     [](Texts texts) {
         texts.at(1).text += " " + texts.at(2).text.substr(1);
         texts.erase(texts.begin() + 2);
         return texts;
     }},
    {"long_texts.kar", 2, Each([](Timed& t) { t.text = t.text.substr(0, 121); })},
    // Five ticks early, a lyric moves onto its note; no time code is written.
    {"lyrics_off_their_notes.kar", 0, Each([](Timed& t) { t.time += t.text[0] == '@' ? 0 : 5; })},
    // " o" and "n" at one tick joined, the empty text gone, the text holding only a line
    // end the mark of the next line.
    {"same_tick_texts.kar", 0,
     [](Texts texts) {
         std::erase_if(texts, [](const Timed& t) { return t.text.empty(); });
         for (size_t i = 1; i < texts.size(); ++i) {
             if (texts[i].text == "\n")
                 texts.at(i + 1).text.insert(0, "/");
             else if (texts[i].time == texts[i - 1].time)
                 texts[i - 1].text += texts[i].text;
             else
                 continue;
             texts.erase(texts.begin() + i);
         }
         return texts;
     }},
};

using RealFiles = SonkoracTest;

TEST_F(RealFiles, ImportedAndCompiledBackTheWordsKeepTheirTicks) {
    for (const Case& c : Cases) {
        const std::string kar = CopyData(std::string("kar/") + c.file), stem = kar.substr(0, kar.size() - 4);
        const ProgramRun import = Sonkorac({"import", kar, "--track", "1"});
        EXPECT_EQ(import.exitCode, 0) << c.file << import.err;
        EXPECT_EQ(std::count(import.err.begin(), import.err.end(), '\n'), c.warnings) << c.file << import.err;
        EXPECT_TRUE(c.warnings == 0 || import.err.rfind(kar + ": warning: The text \"", 0) == 0) << import.err;
        if (std::string(c.file) == "utf8_texts.kar") {
            EXPECT_EQ(import.err, kar +
                                      ": warning: The text \" \xC5\x91r\" at 3:2:0: characters Windows-1252 cannot "
                                      "hold (U+0151) were written as \"?\".\n");
        }
        const std::string songText = ReadText(stem + ".stf");
        const ProgramRun make = Sonkorac({"make", stem + ".stf"});
        EXPECT_EQ(make.exitCode, 0) << c.file << make.err << songText;

        const ChunkedFile original = SplitChunks(ReadBytes(kar));
        ChunkedFile again = SplitChunks(ReadBytes(stem + "_1.kar"));
        ASSERT_EQ(again.chunks.size(), original.chunks.size()) << c.file;
        EXPECT_EQ(MetaTexts(again.chunks[2]), c.expected(MetaTexts(original.chunks[2]))) << c.file << "\n" << songText;
        // The karaoke tracks are made anew; every other byte is the file's own.
        std::copy_n(original.chunks.begin() + 1, 2, again.chunks.begin() + 1);
        EXPECT_EQ(again.chunks, original.chunks) << c.file;
        EXPECT_EQ(again.trailing, original.trailing) << c.file;
    }
}

// The other form: lyric events in the melody track. Imported and made, its words are
// those of the same verse imported from lyric events in a Words track, or from the same
// song as a type 0 file; the music keeps every byte but the words; and the export of
// the import imports to the same again.
TEST_F(RealFiles, LyricEventsInAMusicTrackImportAndRoundTripThroughExport) {
    const auto run = [&](std::vector<std::string> args) {
        EXPECT_EQ(Sonkorac(args).exitCode, 0) << args[0] << " " << args[1];
    };
    // Imports the karaoke file on its first track, makes the song text and reads the words made.
    const auto madeWords = [&](const std::string& kar) {
        const std::string stem = kar.substr(0, kar.size() - 4);
        run({"import", kar, "--track", "1"});
        run({"make", stem + ".stf"});
        const ChunkedFile made = SplitChunks(ReadBytes(stem + "_1.kar"));
        return made.chunks.size() > 2 ? MetaTexts(made.chunks[2]) : Texts{};
    };
    const std::string reference = CopyData("kar/lyric_events_only.kar"), melody = CopyData("kar/lyrics_in_melody.kar");
    const Texts words = madeWords(melody);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words, madeWords(reference));
    // As one type 0 track the words lie among the notes of every channel; split, they
    // are in the conductor track, and the song comes out the same.
    EXPECT_EQ(madeWords(CopyData("kar/lyrics_type0.kar")), words);
    // The music: the reference's melody holds no words; that of the import lost only its own.
    const ChunkedFile music = SplitChunks(ReadBytes(dir.Path("lyrics_in_melody.mid")));
    ASSERT_EQ(music.chunks.size(), 3u);
    EXPECT_EQ(music.chunks[1], SplitChunks(ReadBytes(reference)).chunks[3]);
    EXPECT_EQ(music.chunks[2], SplitChunks(ReadBytes(melody)).chunks[2]);

    // Exported, the song comes back as it went: a Words track that the import leaves out.
    run({"export", dir.Path("lyrics_in_melody.stf")});
    const std::string exported = dir.Path("exported.kar");
    std::filesystem::rename(dir.Path("lyrics_in_melody_1.kar"), exported);
    EXPECT_EQ(madeWords(exported), words);
    EXPECT_EQ(ReadBytes(dir.Path("exported.mid")), ReadBytes(dir.Path("lyrics_in_melody.mid")));
}

}  // namespace
}  // namespace sonkora::clitest
