// The whole import over a Soft Karaoke file: the names, the track choice, both passes,
// what is written where, and what is left when anything goes wrong.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <set>

#include "common/IoError.h"
#include "midi/import_fixture.h"

using namespace sonkora;
using namespace sonkora::importtest;
using namespace sonkora::test;
using passtest::ReadBytes;
using passtest::ReadText;
using passtest::WriteBytes;

namespace {

const std::vector<Timed> Hello = {{0, "@TSong"}, {96, "\\Hel"}, {192, "lo"}, {288, " world"}};
const std::vector<uint32_t> HelloNotes = {96, 192, 288};
const Bytes Bass = Cat({Meta(0, 0x03, "Bass"), NoteOn(0, 1, 40, 80), NoteOn(48, 1, 40, 0), EndOfTrack()});

std::vector<uint32_t> ManyNotes(uint32_t count) {
    std::vector<uint32_t> notes;
    for (uint32_t i = 0; i < count; ++i) notes.push_back(i * 4);
    return notes;
}

struct ImportTest : ::testing::Test {
    passtest::TempDir dir;
    std::string kar = dir.File("song.kar");
    std::string stf = dir.File("song.stf");
    std::string mid = dir.File("song.mid");
    ScriptedUi ui;
    RecordingHost host;

    ImportResult Import(const ImportProposals& proposals = {}) { return ImportKaraoke(ui, host, kar, proposals); }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.File(""))) names.insert(entry.path().filename());
        return names;
    }
};

TEST_F(ImportTest, WritesTheSongTextAndTheMusicBesideTheKaraokeFile) {
    const Bytes file = Cat({KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(HelloNotes), Bass}), Text("trailing")});
    WriteBytes(kar, file);
    WriteBytes(dir.File("song_1.kar"), {});
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(result.noteCount, 3);
    EXPECT_TRUE(ui.errors.empty());
    ASSERT_EQ(ui.trackLists.size(), 1u);
    EXPECT_EQ(ui.trackLists[0].size(), 2u);  // the voice and the bass, not the karaoke tracks
    EXPECT_EQ(host.opened, std::vector<std::string>{stf});
    // The karaoke reference takes the smallest number not in use.
    EXPECT_EQ(ReadText(stf), "\\t 1\n\\m " + mid + "\n\\k " + dir.File("song_2.kar") + "\n@TSong\n\nHel-lo world\n");
    // Chunk 0 and the music byte for byte, with what followed them; two tracks fewer.
    const ChunkedFile in = SplitChunks(file);
    const ChunkedFile out = SplitChunks(ReadBytes(mid));
    EXPECT_EQ(out.header, Header(1, 3, 96));
    EXPECT_EQ(out.chunks, (std::vector<Bytes>{in.chunks[0], in.chunks[3], in.chunks[4]}));
    EXPECT_EQ(out.trailing, Text("trailing"));
    EXPECT_EQ(ReadBytes(kar), file);
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song_1.kar", "song.stf", "song.mid"}));
}

TEST_F(ImportTest, RelativeNamesAreWrittenAsFullNames) {
    // A song text resolves a bare name against its own folder, not the working folder.
    WriteBytes(kar, KaraokeFile(96, WordsTrack({}), {VoiceTrack({0})}));
    std::filesystem::create_directory(dir.File("out"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.File(""));
    const ImportResult result = ImportKaraoke(ui, host, "song.kar", {"out/a.stf", "b.mid"});
    std::filesystem::current_path(before);
    EXPECT_EQ(host.opened, std::vector<std::string>{"out/a.stf"});
    EXPECT_EQ(ReadText(dir.File("out/a.stf")), "\\t 1\n\\m " + dir.File("b.mid") + "\n\\k " + dir.File("song_1.kar") + "\n\n");
    EXPECT_EQ(result.karaokeReference, dir.File("song_1.kar"));
}

TEST_F(ImportTest, FilesThatCannotBeImportedStopWithOneMessageAndNoFile) {
    const Bytes voice = VoiceTrack({0});
    Bytes cut = KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(HelloNotes)});
    cut.resize(cut.size() - 6);
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {KaraokeFile(96, WordsTrack({}, "Lyrics"), {voice}), "Not a Soft Karaoke file"},
        {Text("RIFF....WAVEfmt "), "Not a MIDI file."},
        {Cat({Header(1, 5, 96), Track(Conductor()), Track(InformationTrack()), Track(WordsTrack({})), Track(voice),
              Text("MTrx"), Be32(0)}),
         "Unknown code in MIDI file."},
        {KaraokeFile(96, WordsTrack({}), {VoiceTrack(ManyNotes(10001))}), "Too many lyrics."},
        {cut, "File " + kar + " is damaged: a track ends inside an event."},
    };
    EXPECT_EQ(Import().outcome, ImportOutcome::NotFound);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"File " + kar + " not found."});
    for (const auto& [file, message] : cases) {
        WriteBytes(kar, file);
        ui.errors.clear();
        EXPECT_EQ(Import().outcome, ImportOutcome::Failed) << message;
        EXPECT_EQ(ui.errors, std::vector<std::string>{message});
        EXPECT_EQ(Files(), std::set<std::string>{"song.kar"}) << message;
    }
    EXPECT_TRUE(host.opened.empty());
    // Ten thousand notes are not too many.
    WriteBytes(kar, KaraokeFile(96, WordsTrack({}), {VoiceTrack(ManyNotes(10000))}));
    EXPECT_EQ(Import().noteCount, 10000);
}

TEST_F(ImportTest, CancellingAnyQuestionWritesNothing) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(HelloNotes)}));
    WriteBytes(stf, Text("mine"));
    WriteBytes(mid, Text("mine too"));
    ui.confirmAnswers = {Answer::Cancel, Answer::Yes, Answer::No, Answer::Yes, Answer::Yes};
    ui.saveAnswers = {std::nullopt};
    ui.trackChoice = std::nullopt;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Import().outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(ui.trackLists.size(), 1u);  // asked only once both names were settled
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(ReadText(stf), "mine");
    EXPECT_EQ(ReadText(mid), "mine too");
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"}));
}

TEST_F(ImportTest, ConfirmedOutputsAreReplacedAndOtherNamesTakenFromTheDialog) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(HelloNotes)}));
    WriteBytes(stf, Text("old"));
    WriteBytes(mid, Text("old"));
    std::filesystem::permissions(mid, std::filesystem::perms(0640));
    ui.confirmAnswers = {Answer::No, Answer::Yes};
    ui.saveAnswers = {dir.File("other.stf")};
    EXPECT_EQ(Import().songTextName, dir.File("other.stf"));
    EXPECT_EQ(ReadText(stf), "old");
    EXPECT_EQ(SongTextBody(ReadText(dir.File("other.stf"))), "@TSong\n\nHel-lo world\n");
    EXPECT_EQ(SplitChunks(ReadBytes(mid)).chunks.size(), 2u);
    EXPECT_EQ(std::filesystem::status(mid).permissions(), std::filesystem::perms(0640));
}

TEST_F(ImportTest, OutputsThatCannotBeWrittenAreNamedAndTheKaraokeFileIsNeverOne) {
    const Bytes file = KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(HelloNotes)});
    WriteBytes(kar, file);
    const std::string nowhere = dir.File("missing/x");
    std::filesystem::create_directory(dir.File("folder.mid"));
    const std::vector<std::pair<ImportProposals, std::string>> cases = {
        {{"", nowhere + ".mid"}, nowhere + ".mid"},
        {{nowhere + ".stf", ""}, nowhere + ".stf"},
        {{"", dir.File("folder.mid")}, dir.File("folder.mid")},
        {{"", kar}, kar},
        {{dir.File("./song.kar"), ""}, dir.File("./song.kar")},
        {{dir.File("both"), dir.File("both")}, dir.File("both")},
    };
    for (const auto& [names, failing] : cases) {
        ui.errors.clear();
        ui.confirmAnswers = {Answer::Yes};
        EXPECT_EQ(Import(names).outcome, ImportOutcome::Failed) << failing;
        EXPECT_EQ(ui.errors, std::vector<std::string>{"Error writing file " + failing + "."});
        EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "folder.mid"})) << failing;
    }
    EXPECT_EQ(ReadBytes(kar), file);
}

// Runs a test with a limit on the size of the files this process writes, so that
// writing an output fails part way, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(ImportTest, AFailureWhileConvertingLeavesReplacedFilesAsTheyWere) {
    WriteBytes(stf, Text("old song text"));
    WriteBytes(mid, Text("old music"));
    auto check = [&](const char* what) {
        EXPECT_EQ(ReadText(stf), "old song text") << what;
        EXPECT_EQ(ReadText(mid), "old music") << what;
        EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"})) << what;
        EXPECT_TRUE(host.opened.empty());
    };
    // An undefined status byte in the Words track, which only the converting pass reads.
    WriteBytes(kar, KaraokeFile(96, Cat({Meta(0, 0x03, "Words"), {0x00, 0xF4}, EndOfTrack()}), {VoiceTrack({0})}));
    ui.confirmAnswers = {Answer::Yes, Answer::Yes};
    EXPECT_EQ(Import().outcome, ImportOutcome::Failed);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Unknown code in MIDI file."});
    check("unknown code");

    // Music far beyond the limit, then lyrics far beyond it.
    WriteBytes(kar, KaraokeFile(96, WordsTrack(Hello), {VoiceTrack(ManyNotes(9000))}));
    ui.confirmAnswers = {Answer::Yes, Answer::Yes};
    {
        FileSizeLimit limit(20000);
        EXPECT_THROW(Import(), IoError);
    }
    check("music");
    std::vector<Timed> many;
    for (uint32_t i = 0; i < 3000; ++i) many.push_back({i, " many letters in a long word"});
    WriteBytes(kar, KaraokeFile(96, WordsTrack(many), {VoiceTrack({0})}));
    ui.confirmAnswers = {Answer::Yes, Answer::Yes};
    {
        FileSizeLimit limit(60000);
        EXPECT_THROW(Import(), IoError);
    }
    check("song text");
}

}  // namespace
