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
using passtest::TempDir;
using passtest::WriteBytes;

namespace {

const std::vector<Timed> HelloWords = {{0, "@LENGL"}, {0, "@TSong"}, {96, "\\Hel"}, {192, "lo"},
                                       {288, " world"}, {384, "/Good"}, {480, "bye"}};
const std::vector<uint32_t> HelloNotes = {96, 192, 288, 384, 480};
const Bytes Bass = Cat({Meta(0, 0x03, "Bass"), Program(0, 1, 33), NoteOn(0, 1, 40, 80), NoteOn(48, 1, 40, 0),
                        NoteOn(48, 1, 43, 80), NoteOn(48, 1, 43, 0), EndOfTrack()});

struct ImportTest : ::testing::Test {
    TempDir dir;
    std::string kar = dir.File("song.kar");
    std::string stf = dir.File("song.stf");
    std::string mid = dir.File("song.mid");
    ScriptedUi ui;
    RecordingHost host;

    ImportResult Import(const ImportProposals& proposals = {}) { return ImportKaraoke(ui, host, kar, proposals); }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(kar).parent_path()))
            names.insert(entry.path().filename().string());
        return names;
    }
};

TEST_F(ImportTest, WritesTheSongTextAndTheMusicBesideTheKaraokeFile) {
    Bytes file = KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(HelloNotes), Bass});
    file = Cat({file, Text("trailing bytes")});
    WriteBytes(kar, file);

    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(result.midiError, 0);
    EXPECT_EQ(result.noteCount, 5);
    EXPECT_TRUE(ui.errors.empty());
    ASSERT_EQ(ui.trackLists.size(), 1u);
    EXPECT_EQ(ui.trackLists[0].size(), 2u);  // the voice and the bass; not the karaoke tracks
    EXPECT_EQ(host.opened, std::vector<std::string>{stf});

    EXPECT_EQ(ReadText(stf), "\\t 1\n\\m " + mid + "\n\\k " + dir.File("song_1.kar") +
                                 "\n@LENGL\n@TSong\n\nHel-lo world\nGood-bye\n");
    // Chunk 0 and the music chunks byte for byte, with what followed them; two tracks fewer.
    const ChunkedFile in = SplitChunks(file);
    const ChunkedFile out = SplitChunks(ReadBytes(mid));
    EXPECT_EQ(out.header, Header(1, 3, 96));
    ASSERT_EQ(out.chunks.size(), 3u);
    EXPECT_EQ(out.chunks[0], in.chunks[0]);
    EXPECT_EQ(out.chunks[1], in.chunks[3]);
    EXPECT_EQ(out.chunks[2], in.chunks[4]);
    EXPECT_EQ(out.trailing, Text("trailing bytes"));
    EXPECT_EQ(ReadBytes(kar), file);
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"}));
}

TEST_F(ImportTest, TheChosenItemIsTheVoiceTrackAndItsNumber) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack({{0, "\\la"}, {96, "la"}}), {VoiceTrack(HelloNotes), Bass}));
    ui.trackChoice = 1;  // the bass: notes at 0 and 96
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(result.noteCount, 2);
    EXPECT_EQ(ReadText(stf).substr(0, 5), "\\t 2\n");
    EXPECT_EQ(SongTextBody(ReadText(stf)), "\nla-la\n");
}

TEST_F(ImportTest, TheKaraokeReferenceSkipsNamesInUse) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack({}), {VoiceTrack({0})}));
    WriteBytes(dir.File("song_1.kar"), {});
    EXPECT_EQ(Import().karaokeReference, dir.File("song_2.kar"));
    EXPECT_NE(ReadText(stf).find("\n\\k " + dir.File("song_2.kar") + "\n"), std::string::npos);
}

TEST_F(ImportTest, RelativeNamesAreWrittenAsFullNames) {
    // The song text resolves a bare name against its own folder, which need not be the
    // working folder the names were given in.
    WriteBytes(kar, KaraokeFile(96, WordsTrack({}), {VoiceTrack({0})}));
    std::filesystem::create_directory(dir.File("out"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.File(""));
    ImportResult result = ImportKaraoke(ui, host, "song.kar", {"out/a.stf", "b.mid"});
    std::filesystem::current_path(before);
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(host.opened, std::vector<std::string>{"out/a.stf"});
    EXPECT_EQ(ReadText(dir.File("out/a.stf")).substr(0, 5 + 3 + dir.File("b.mid").size() + 1),
              "\\t 1\n\\m " + dir.File("b.mid") + "\n");
    EXPECT_EQ(result.karaokeReference, dir.File("song_1.kar"));
}

TEST_F(ImportTest, AMissingFileIsReportedBeforeAnythingIsAsked) {
    EXPECT_EQ(Import().outcome, ImportOutcome::NotFound);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"File " + kar + " not found."});
    EXPECT_TRUE(ui.trackLists.empty());
    std::filesystem::create_directory(kar);  // a folder is no karaoke file either
    ui.errors.clear();
    EXPECT_EQ(Import().outcome, ImportOutcome::NotFound);
    EXPECT_EQ(ui.errors.size(), 1u);
}

TEST_F(ImportTest, FilesThatAreNoSoftKaraokeFilesStopWithOneMessage) {
    struct Case {
        Bytes file;
        std::string message;
    };
    const Bytes voice = VoiceTrack({0});
    const std::vector<Case> cases = {
        {KaraokeFile(96, WordsTrack({}, "Lyrics"), {voice}), "Not a Soft Karaoke file"},
        {Cat({Header(1, 4, 96), Track(Conductor()), Track(InformationTrack("Soft-Karaoke")), Track(WordsTrack({})),
              Track(voice)}),
         "Not a Soft Karaoke file"},
        {Text("RIFF....WAVEfmt "), "Not a MIDI file."},
        {Cat({Header(0, 1, 96), Track(voice)}), "Not a Type 1 MIDI file."},
        {Cat({Header(1, 4, 96), Track(Conductor()), Track(InformationTrack()), Track(WordsTrack({})), Text("MTrx"),
              Be32(0)}),
         "Unknown code in MIDI file."},
    };
    for (const Case& c : cases) {
        WriteBytes(kar, c.file);
        ui.errors.clear();
        const ImportResult result = Import();
        EXPECT_EQ(result.outcome, ImportOutcome::Failed) << c.message;
        EXPECT_EQ(ui.errors, std::vector<std::string>{c.message});
        EXPECT_TRUE(ui.trackLists.empty());
        EXPECT_EQ(Files(), std::set<std::string>{"song.kar"}) << c.message;
        EXPECT_TRUE(host.opened.empty());
    }
}

TEST_F(ImportTest, KaraokeTrackNamesAreComparedWithoutCase) {
    Bytes file = Cat({Header(1, 4, 96), Track(Conductor()), Track(InformationTrack("soft karaoke")),
                      Track(WordsTrack({{0, "\\la"}}, "words")), Track(VoiceTrack({0}))});
    WriteBytes(kar, file);
    EXPECT_EQ(Import().outcome, ImportOutcome::Imported);
}

TEST_F(ImportTest, CancellingAnyQuestionWritesNothing) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(HelloNotes)}));
    WriteBytes(stf, Text("mine"));
    ui.confirmAnswers = {Answer::Cancel};
    EXPECT_EQ(Import().outcome, ImportOutcome::Cancelled);
    EXPECT_TRUE(ui.trackLists.empty());

    WriteBytes(mid, Text("mine too"));
    ui.confirmAnswers = {Answer::Yes, Answer::No};
    ui.saveAnswers = {std::nullopt};
    EXPECT_EQ(Import().outcome, ImportOutcome::Cancelled);
    EXPECT_TRUE(ui.trackLists.empty());

    ui.confirmAnswers = {Answer::Yes, Answer::Yes};
    ui.trackChoice = std::nullopt;
    EXPECT_EQ(Import().outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(ui.trackLists.size(), 1u);

    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(ReadText(stf), "mine");
    EXPECT_EQ(ReadText(mid), "mine too");
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"}));
}

TEST_F(ImportTest, ConfirmedOutputsAreReplacedAndOtherNamesTakenFromTheDialog) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(HelloNotes)}));
    WriteBytes(stf, Text("old"));
    WriteBytes(mid, Text("old"));
    std::filesystem::permissions(mid, std::filesystem::perms(0640));
    ui.confirmAnswers = {Answer::No, Answer::Yes};
    ui.saveAnswers = {dir.File("other.stf")};
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(result.songTextName, dir.File("other.stf"));
    EXPECT_EQ(ReadText(stf), "old");
    EXPECT_EQ(SongTextBody(ReadText(dir.File("other.stf"))), "@LENGL\n@TSong\n\nHel-lo world\nGood-bye\n");
    EXPECT_EQ(SplitChunks(ReadBytes(mid)).chunks.size(), 2u);
    // The replaced file keeps who may read it.
    EXPECT_EQ(std::filesystem::status(mid).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(ui.saveDialogs.at(0).filter, "STF files (*.stf)|*.stf");
}

TEST_F(ImportTest, TheTenThousandAndFirstVoiceNoteIsTooMany) {
    std::vector<uint32_t> notes;
    for (uint32_t i = 0; i < 10000; ++i) notes.push_back(i * 2);
    WriteBytes(kar, KaraokeFile(96, WordsTrack({{0, "\\la"}}), {VoiceTrack(notes)}));
    const ImportResult full = Import();
    EXPECT_EQ(full.outcome, ImportOutcome::Imported);
    EXPECT_EQ(full.noteCount, 10000);
    std::filesystem::remove(stf);
    std::filesystem::remove(mid);

    notes.push_back(20000);
    WriteBytes(kar, KaraokeFile(96, WordsTrack({{0, "\\la"}}), {VoiceTrack(notes)}));
    const ImportResult over = Import();
    EXPECT_EQ(over.outcome, ImportOutcome::Failed);
    EXPECT_EQ(over.midiError, MidiErrorCode::TooManyLyrics);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Too many lyrics."});
    EXPECT_EQ(Files(), std::set<std::string>{"song.kar"});
}

TEST_F(ImportTest, AnOutputThatCannotBeCreatedIsNamedAndNothingIsLeft) {
    WriteBytes(kar, KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(HelloNotes)}));
    const std::string nowhere = dir.File("missing/x");

    ImportResult result = Import({"", nowhere + ".mid"});
    EXPECT_EQ(result.midiError, MidiErrorCode::CannotCreateOutput);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Error writing file " + nowhere + ".mid."});
    EXPECT_EQ(Files(), std::set<std::string>{"song.kar"});

    ui.errors.clear();
    result = Import({nowhere + ".stf", ""});
    EXPECT_EQ(result.midiError, MidiErrorCode::CannotCreateSongText);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Error writing file " + nowhere + ".stf."});
    EXPECT_EQ(Files(), std::set<std::string>{"song.kar"});

    // A folder under the chosen name is not replaced.
    std::filesystem::create_directory(mid);
    ui.errors.clear();
    result = Import();
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Error writing file " + mid + "."});
    EXPECT_TRUE(std::filesystem::is_directory(mid));
    EXPECT_TRUE(host.opened.empty());
}

TEST_F(ImportTest, TheKaraokeFileIsNeverAnOutput) {
    const Bytes file = KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(HelloNotes)});
    WriteBytes(kar, file);
    ui.confirmAnswers = {Answer::Yes};
    EXPECT_EQ(Import({"", kar}).midiError, MidiErrorCode::CannotCreateOutput);
    ui.confirmAnswers = {Answer::Yes};
    EXPECT_EQ(Import({dir.File("./song.kar"), ""}).midiError, MidiErrorCode::CannotCreateSongText);
    // Nor may both outputs share one name.
    EXPECT_EQ(Import({dir.File("both"), dir.File("both")}).midiError, MidiErrorCode::CannotCreateSongText);
    EXPECT_EQ(ui.errors, (std::vector<std::string>{"Error writing file " + kar + ".",
                                                   "Error writing file " + dir.File("./song.kar") + ".",
                                                   "Error writing file " + dir.File("both") + "."}));
    EXPECT_EQ(ReadBytes(kar), file);
    EXPECT_EQ(Files(), std::set<std::string>{"song.kar"});
}

TEST_F(ImportTest, AFailedConversionLeavesReplacedFilesAsTheyWere) {
    // An undefined status byte in the Words track: the listing and the collecting pass
    // get by, the converting pass does not.
    Bytes words = Cat({Meta(0, 0x03, "Words"), Meta(0, 0x01, "\\la"), {0x00, 0xF4}, EndOfTrack()});
    WriteBytes(kar, KaraokeFile(96, words, {VoiceTrack({0})}));
    WriteBytes(stf, Text("old song text"));
    WriteBytes(mid, Text("old music"));
    ui.confirmAnswers = {Answer::Yes, Answer::Yes};
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Failed);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Unknown code in MIDI file."});
    EXPECT_EQ(ReadText(stf), "old song text");
    EXPECT_EQ(ReadText(mid), "old music");
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"}));
    EXPECT_TRUE(host.opened.empty());
}

TEST_F(ImportTest, ACutShortFileIsReportedAsDamaged) {
    Bytes file = KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(HelloNotes)});
    file.resize(file.size() - 6);  // into the voice track's last events
    WriteBytes(kar, file);
    const ImportResult result = Import();
    EXPECT_EQ(result.outcome, ImportOutcome::Failed);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"File " + kar + " is damaged: a track ends inside an event."});
    EXPECT_EQ(Files(), std::set<std::string>{"song.kar"});
}

// Lets a test run with a limit on the size of files this process writes, so writing an
// output fails part way as on a full disk.
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

TEST_F(ImportTest, AWriteFailureOfEitherOutputLeavesNoHalfWrittenFile) {
    // Music far larger than the limit, lyrics well within it.
    std::vector<uint32_t> notes;
    for (uint32_t i = 0; i < 9000; ++i) notes.push_back(i * 4);
    WriteBytes(kar, KaraokeFile(96, WordsTrack(HelloWords), {VoiceTrack(notes)}));
    WriteBytes(mid, Text("old music"));
    ui.confirmAnswers = {Answer::Yes};
    {
        FileSizeLimit limit(20000);
        EXPECT_THROW(Import(), IoError);
    }
    EXPECT_EQ(ReadText(mid), "old music");
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.mid"}));

    // Lyrics far larger than the limit, music well within it.
    std::vector<Timed> many = {{0, "\\first"}};
    for (uint32_t i = 1; i < 3000; ++i) many.push_back({i, " many letters in a long word"});
    WriteBytes(kar, KaraokeFile(96, WordsTrack(many), {VoiceTrack({0})}));
    WriteBytes(stf, Text("old song text"));
    ui.confirmAnswers = {Answer::Yes, Answer::Yes};
    {
        FileSizeLimit limit(60000);
        EXPECT_THROW(Import(), IoError);
    }
    EXPECT_EQ(ReadText(stf), "old song text");
    EXPECT_EQ(ReadText(mid), "old music");
    EXPECT_EQ(Files(), (std::set<std::string>{"song.kar", "song.stf", "song.mid"}));
    EXPECT_TRUE(host.opened.empty());
}

}  // namespace
