// Importing a Soft Karaoke file: what the texts of its Words track become in the song
// text, the names asked for, both passes over the file, and what is left when anything
// goes wrong.

#include <filesystem>
#include <set>
#include <sstream>

#include "common/IoError.h"
#include "midi/pass_fixture.h"
#include "support/FileSizeLimit.h"

namespace sonkora {
namespace {

using namespace test;
using namespace importtest;
using namespace passtest;

const std::string X120(120, 'x'), X100(100, 'x'), Y50(50, 'y'), Bye = "\nHel-lo world\nGood-bye\n";

// Meta texts written "TICK TEXT|TICK TEXT...", text events unless the tick is followed by
// "L" for a lyric event.
std::vector<Timed> Texts(const std::string& list) {
    std::vector<Timed> texts;
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, '|');) {
        const size_t gap = item.find(' ');
        const uint8_t type = item[gap - 1] == 'L' ? 0x05 : 0x01;
        texts.push_back({static_cast<uint32_t>(std::stoul(item)), item.substr(gap + 1), type});
    }
    return texts;
}

const struct {
    const char* what;
    std::vector<uint32_t> notes;
    std::string texts;  // as Texts() reads them
    std::string body;   // the song text after its directive lines
    uint16_t division = 96;
    size_t changes = 0;  // reported
} Conversions[] = {
    {"marks", {96, 192, 288, 384, 480}, "96 \\Hel|192 lo|288  world|384 /Good|480 bye", Bye},
    {"paragraph", {10, 20, 30}, "10 \\a|20 \\b|30 /c", "\na\n\nb\nc\n"},
    {"first syllable's own mark", {10, 20}, "10  Hel|20 /lo", "\nHel\nlo\n"},
    {"escapes", {10, 20, 30}, "10 \\Go|20  rock 'n' roll|30  1st_-", "\nGo rock\\ 'n'\\ roll \\1st\\_\\-\n"},
    {"more escapes", {10}, "10 \\$5\\x\tz\none\rtwo", "\n\\$\\5\\\\x\\\tz\\\nonetwo\n"},
    {"placeholders", {10, 20, 30, 40, 50, 60, 70}, "10 \\a|30  b|50 c|70 /d", "\na- b--c-\nd\n"},
    {"placeholders first", {0, 48, 96}, "0 @TSong|96 \\Hel", "@TSong\n\n--Hel\n"},
    {"headers", {0, 10}, "0 @LENGL|0 @TTitle\r\n|0 \\la|10 @Tlate|10  li", "@LENGL\n@TTitle\n@Tlate\n\nla li\n", 96, 1},
    {"empty texts", {10, 20}, "10 \\a|10 |20  b|20 ", "\na b\n"},
    // Texts on no voice note keep their tick with a time code; the compiler passes over
    // the notes before it by itself.
    {"no note", {768, 864}, "0 \\Title|768 \\la|864 la|1000 /end", "\n$1:1:0$Title\n\nla-la\n$3:3:50$end\n"},
    {"between notes", {0, 48, 96, 144}, "0 \\a|120  b|144  c", "\na $1:2:30$b c\n"},
    // Where no code names the tick (units of four ticks at 480), a note a 32nd note (60
    // ticks) away takes the text: the nearer of two, the earlier of two as near. An exact
    // code is preferred to a near note, and a note farther away takes no text.
    {"near", {480, 960, 1440}, "475 \\a|1001  b|1004  c|1430  d", "\na b $1:3:11$c d\n", 480},
    {"nearer", {100, 130, 137}, "0 \\x|135  y", "\n$1:1:0$x-- y\n", 480},
    {"as near", {100, 130, 141}, "0 \\x|135  y", "\n$1:1:0$x- y\n", 480},
    {"far", {1080}, "1001 \\a", "\n$1:3:10$a\n", 480},
    // Every tick has a code at 96; at 480 a tick between units takes the unit before it,
    // or after it when that is taken, and a text left without a tick joins the one before.
    {"every tick", {}, "1 \\a|2  b|3  c", "\n$1:1:2$a $1:1:3$b $1:1:4$c\n"},
    {"units", {}, "1 \\a|2  b|3  c|1917  d", "\n$1:1:0$a $1:1:1$b\\ c $1:4:119$d\n", 480},
    {"unit after", {}, "1916 \\a|1917  b", "\n$1:4:119$a $2:1:0$b\n", 480},
    {"one tick", {0, 10}, "0 \\Title|0 /by Me|10  o|10 n", "\nTitle\\ by\\ Me on\n", 96, 1},
    {"one tick, cut", {0}, "0 \\" + X100 + "|0  " + Y50, "\n" + X100 + "\\ " + Y50.substr(31) + "\n", 96, 1},
    {"too long", {10, 20}, "10 \\" + X120 + "abc|20  " + X120 + "y", "\n" + X120 + " " + X120 + "\n", 96, 2},
    // Text and lyric events with the same words at one tick are one lyric; the closing
    // blank and the line ends of lyric events are their breaks.
    {"repeats", {10, 20, 30}, "10 \\Hel|10L Hel|20L lo |20 lo|30  world|30L world\r|30L ld", "\nHel-lo worldld\n"},
    {"lyric", {10, 20, 30, 40, 50}, "10L Hel|20L lo |30L world|30L \r|40L Good|50L bye\r\n", Bye},
    {"text event blanks", {10, 20}, "10 \\a |20 \nb", "\na\\ \nb\n"},
};

TEST(ImportConversion, WritesEachTextWhereTheCompilerReadsItBack) {
    for (const auto& c : Conversions) {
        TempDir dir;
        const std::string kar =
            dir.Write("song.kar", KaraokeFile(c.division, WordsTrack(Texts(c.texts)), {VoiceTrack(c.notes)}));
        ScriptedUi ui;
        RecordingHost host;
        EXPECT_EQ(ImportKaraoke(ui, host, kar).outcome, ImportOutcome::Imported) << c.what;
        const std::string songText = ReadText(dir.Path("song.stf"));
        EXPECT_EQ(SongTextBody(songText), c.body) << c.what;
        EXPECT_EQ(songText.find("\n\n"), std::string::npos) << c.what << ": every line ends in CR LF";
        EXPECT_EQ(ui.changes.size(), c.changes) << c.what << testing::PrintToString(ui.changes);
    }
}

const std::vector<Timed> Hello = {{0, "@TSong"}, {96, "\\Hel"}, {192, "lo"}, {288, " world"}};
const Bytes HelloVoice = VoiceTrack({96, 192, 288});

std::vector<uint32_t> ManyNotes(uint32_t count) {
    std::vector<uint32_t> notes;
    for (uint32_t i = 0; i < count; ++i) notes.push_back(i * 4);
    return notes;
}

struct ImportTest : ::testing::Test {
    TempDir dir;
    std::string kar = dir.Path("song.kar");
    std::string stf = dir.Path("song.stf");
    std::string mid = dir.Path("song.mid");
    ScriptedUi ui;
    RecordingHost host;

    ImportResult Import(const ImportProposals& proposals = {}) { return ImportKaraoke(ui, host, kar, proposals); }
    // The song of Hello on its voice.
    void WriteHello() { WriteBytes(kar, KaraokeFile(96, WordsTrack(Hello), {HelloVoice})); }
};

TEST_F(ImportTest, WritesTheSongTextAndTheMusicBesideTheKaraokeFile) {
    const Bytes bass = Cat({Meta(0, 0x03, "Bass"), NoteOn(0, 1, 40, 80), NoteOn(48, 1, 40, 0), EndOfTrack()});
    const Bytes file = Cat({KaraokeFile(96, WordsTrack(Hello), {HelloVoice, bass}), Text("trailing")});
    WriteBytes(kar, file);
    // Any name in use is passed over for the karaoke reference, even a folder or a dangling link.
    WriteBytes(dir.Path("song_1.kar"), {});
    std::filesystem::create_directory(dir.Path("song_2.kar"));
    std::filesystem::create_symlink(dir.Path("nowhere"), dir.Path("song_3.kar"));
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(result.noteCount, 3);
    EXPECT_TRUE(ui.errors.empty());
    ASSERT_EQ(ui.trackLists.size(), 1u);
    EXPECT_EQ(ui.trackLists[0].size(), 2u);  // the voice and the bass, not the karaoke tracks
    EXPECT_EQ(host.opened, std::vector<std::string>{stf});
    EXPECT_EQ(ReadText(stf),
              "\\t 1\r\n\\m " + mid + "\r\n\\k " + dir.Path("song_4.kar") + "\r\n@TSong\r\n\r\nHel-lo world\r\n");
    // Chunk 0 and the music byte for byte, with what followed them; two tracks fewer.
    const ChunkedFile in = SplitChunks(file);
    const ChunkedFile out = SplitChunks(ReadBytes(mid));
    EXPECT_EQ(out.header, Header(1, 3, 96));
    EXPECT_EQ(out.chunks, (std::vector<Bytes>{in.chunks[0], in.chunks[3], in.chunks[4]}));
    EXPECT_EQ(out.trailing, Text("trailing"));
    EXPECT_EQ(ReadBytes(kar), file);
    EXPECT_EQ(dir.Names(),
              (std::set<std::string>{"song.kar", "song_1.kar", "song_2.kar", "song_3.kar", "song.stf", "song.mid"}));
}

TEST_F(ImportTest, RelativeNamesAreWrittenAsFullNamesInTheSongTextsCodePage) {
    // A song text resolves a bare name against its own folder, not the working folder; its
    // names are in Windows-1252, which holds an e acute.
    WriteBytes(kar, KaraokeFile(96, WordsTrack({}), {VoiceTrack({0})}));
    std::filesystem::create_directory(dir.Path("out"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path(""));
    ImportKaraoke(ui, host, "song.kar", {"out/a.stf", "K\xC3\xA9r.mid"});
    std::filesystem::current_path(before);
    EXPECT_EQ(host.opened, std::vector<std::string>{"out/a.stf"});
    EXPECT_EQ(ReadText(dir.Path("out/a.stf")),
              "\\t 1\r\n\\m " + dir.Path("K\xE9r.mid") + "\r\n\\k " + dir.Path("song_1.kar") + "\r\n\r\n");
}

TEST_F(ImportTest, FailuresStopWithOneMessageWriteNothingAndLeaveTheKaraokeFileAlone) {
    EXPECT_EQ(Import().outcome, ImportOutcome::NotFound);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"File " + kar + " not found."});
    const Bytes hello = KaraokeFile(96, WordsTrack(Hello), {HelloVoice}), cut(hello.begin(), hello.end() - 6);
    const Bytes noLyrics = Cat({Header(1, 4, 96), Track(Conductor()), Track(WordsTrack({}, "Karaoke")),
                                Track(WordsTrack({{0, "la"}}, "Lyrics")), Track(VoiceTrack({0}))});
    const std::string nowhere = dir.Path("missing/x"), folder = dir.Path("folder.mid"), self = dir.Path("./song.kar");
    std::filesystem::create_directory(folder);
    // A song text names its files in Windows-1252: a name it cannot hold is refused, not
    // written as "?" to be not found later.
    const std::string odd = dir.Path("K\xC5\x91r.mid");  // o with double acute
    const auto writing = [](const std::string& name) { return "Error writing file " + name + "."; };
    const struct {
        Bytes file;
        ImportProposals names;
        std::string message;
    } cases[] = {
        {noLyrics, {}, "Not a Soft Karaoke file, and no track holds lyric events"},
        {KaraokeFile(96, WordsTrack({}), {VoiceTrack(ManyNotes(10001))}), {}, "Too many lyrics."},
        {cut, {}, "MIDI file is damaged: a track is cut short."},
        {hello,
         {"", odd},
         "The file name " + odd +
             " holds characters that a song text (Windows-1252) cannot hold; choose another name."},
        {hello, {"", nowhere + ".mid"}, writing(nowhere + ".mid")},
        {hello, {nowhere + ".stf", ""}, writing(nowhere + ".stf")},
        {hello, {"", folder}, writing(folder)},
        {hello, {"", kar}, writing(kar)},
        {hello, {self, ""}, writing(self)},
        {hello, {dir.Path("both"), dir.Path("both")}, writing(dir.Path("both"))},
    };
    for (const auto& c : cases) {
        WriteBytes(kar, c.file);
        ui.errors.clear();
        ui.confirmAnswers = {Answer::Yes};
        EXPECT_EQ(Import(c.names).outcome, ImportOutcome::Failed) << c.message;
        EXPECT_EQ(ui.errors, std::vector<std::string>{c.message});
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"song.kar", "folder.mid"})) << c.message;
        EXPECT_EQ(ReadBytes(kar), c.file) << c.message;
    }
    EXPECT_TRUE(host.opened.empty());
    // Ten thousand notes are not too many, and a chord counts as one.
    std::vector<uint32_t> notes = ManyNotes(10000);
    notes.insert(notes.begin() + 1, 4);
    WriteBytes(kar, KaraokeFile(96, WordsTrack({}), {VoiceTrack(notes)}));
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(result.noteCount, 10000);
}

TEST_F(ImportTest, CancellingAnyQuestionWritesNothing) {
    WriteHello();
    WriteBytes(stf, Text("mine"));
    WriteBytes(mid, Text("mine too"));
    // Cancel; No and an empty name; No and a cancelled dialog; a cancelled track choice.
    ui.confirmAnswers = {Answer::Cancel, Answer::Yes, Answer::No, Answer::Yes, Answer::No, Answer::Yes, Answer::Yes};
    ui.saveAnswers = {"", std::nullopt};
    ui.trackChoice = std::nullopt;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Import().outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(ui.trackLists.size(), 1u);  // asked only once both names were settled
    EXPECT_TRUE(ui.errors.empty() && host.opened.empty());
    EXPECT_EQ(ReadText(stf) + ReadText(mid), "minemine too");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"}));
}

TEST_F(ImportTest, ConfirmedOutputsAreReplacedKeepingTheirPermissionsAndOtherNamesAreCheckedAgain) {
    WriteHello();
    const std::string other = dir.Path("other.stf");
    for (const std::string& name : {stf, mid, other}) WriteBytes(name, Text("old"));
    std::filesystem::permissions(mid, std::filesystem::perms(0640));
    ui.confirmAnswers = {Answer::No, Answer::No, Answer::Yes};
    ui.saveAnswers = {other, dir.Path("free.stf")};
    EXPECT_EQ(Import().songTextName, dir.Path("free.stf"));
    const auto asked = [](const std::string& name) { return "File " + name + " already exists. \rOverwrite?"; };
    EXPECT_EQ(ui.confirmations, (std::vector<std::string>{asked(stf), asked(other), asked(mid)}));
    ASSERT_EQ(ui.saveDialogs.size(), 2u);
    const SaveDialogRequest& request = ui.saveDialogs[0];
    EXPECT_EQ(request.title + "|" + request.filter + "|" + request.defaultExtension + "|" + request.proposedName,
              "Save file as|STF files (*.stf)|*.stf|stf|" + stf);
    EXPECT_EQ(request.helpContext, HelpContext::General);
    EXPECT_EQ(ReadText(stf) + ReadText(other), "oldold");
    EXPECT_EQ(SongTextBody(ReadText(dir.Path("free.stf"))), "@TSong\n\nHel-lo world\n");
    EXPECT_EQ(SplitChunks(ReadBytes(mid)).chunks.size(), 2u);
    EXPECT_EQ(std::filesystem::status(mid).permissions(), std::filesystem::perms(0640));
}

TEST_F(ImportTest, AFailureWhileConvertingLeavesReplacedFilesAsTheyWere) {
    WriteBytes(stf, Text("old song text"));
    WriteBytes(mid, Text("old music"));
    std::vector<Timed> many;
    for (uint32_t i = 0; i < 3000; ++i) many.push_back({i, " many letters in a long word"});
    const struct {
        const char* what;
        Bytes file;
        rlim_t limit;
    } cases[] = {
        // An undefined status byte in the Words track, which only the converting pass reads.
        {"unknown code", KaraokeFile(96, Cat({Meta(0, 0x03, "Words"), {0x00, 0xF4}, EndOfTrack()}), {VoiceTrack({0})}),
         0},
        {"music beyond the disk", KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(ManyNotes(9000))}), 20000},
        {"song text beyond the disk", KaraokeFile(96, WordsTrack(many), {VoiceTrack({0})}), 60000},
    };
    for (const auto& c : cases) {
        WriteBytes(kar, c.file);
        ui.confirmAnswers = {Answer::Yes, Answer::Yes};
        if (c.limit == 0)  // no limit
            EXPECT_EQ(Import().outcome, ImportOutcome::Failed);
        else
            test::WithFileSizeLimit(c.limit, [&] { EXPECT_THROW(Import(), IoError) << c.what; });
        EXPECT_EQ(ReadText(stf) + "|" + ReadText(mid), "old song text|old music") << c.what;
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"})) << c.what;
        EXPECT_TRUE(host.opened.empty());
    }
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Unknown code in MIDI file."});
}

}  // namespace
}  // namespace sonkora
