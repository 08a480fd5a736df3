// Make and Export from song text to file: the bytes written, the binding of syllables
// to notes and time codes, track changes, the lyric count questions, and what is left
// behind (nothing) when anything goes wrong.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "common/IoError.h"

#include "compiler/SongCompiler.h"
#include "compiler_fixture.h"

namespace sonkora {
namespace {

using namespace compilertest;
using test::Cat;

class MakeTest : public ::testing::Test {
protected:
    // A type 1 file with division 480: the conductor track and the given tracks.
    void WriteSong(const std::vector<Bytes>& tracks) {
        Bytes file = Cat({test::Header(1, static_cast<uint16_t>(tracks.size() + 1), 480), test::Track(ConductorTrack())});
        for (const Bytes& data : tracks) file = Cat({file, test::Track(data)});
        midi = file;
        folder.WriteMidi(midi);
    }

    int32_t Run(TCompileKind kind, const std::vector<std::string>& lines) {
        document = std::make_unique<MemorySongDocument>(folder.Document(lines));
        ui = std::make_unique<RecordingUi>(document.get());
        ui->answer = answer;
        ui->batch = batch;
        ui->trackChoice = trackChoice;
        CompileAndAct(compiler, kind, fromCursor, external, *document, *ui, host);
        return compiler.MidiError();
    }

    // The Words track of the output: chunk 2 of a karaoke file, chunk 1 of an export.
    std::vector<MetaEvent> Words(int chunk = 2) {
        const std::vector<Chunk> chunks = TrackChunks(ReadBytes(compiler.KarFileName()));
        EXPECT_GT(chunks.size(), static_cast<size_t>(chunk));
        if (chunks.size() <= static_cast<size_t>(chunk)) return {};
        return MetaEvents(chunks[static_cast<size_t>(chunk)].data);
    }

    // "time:text" for every lyric event of the Words track (type 1 events not starting
    // with "@", or type 5 events), at absolute times.
    std::vector<std::string> Lyrics(int chunk = 2) {
        std::vector<std::string> out;
        uint32_t time = 0;
        for (const MetaEvent& event : Words(chunk)) {
            time += event.delta;
            if ((event.type == 0x01 && (event.text.empty() || event.text[0] != '@')) || event.type == 0x05)
                out.push_back(std::to_string(time) + ":" + event.text);
        }
        return out;
    }

    std::vector<std::string> Errors() const { return ui->Messages("error"); }
    std::vector<std::string> Information() const { return ui->Messages("information"); }
    std::vector<std::string> Questions() const { return ui->Messages("query"); }

    SongFolder folder;
    Bytes midi;
    SongCompiler compiler;
    RecordingHost host;
    std::unique_ptr<MemorySongDocument> document;
    std::unique_ptr<RecordingUi> ui;
    bool answer = true;
    bool batch = false;
    bool fromCursor = false;
    bool external = false;
    std::optional<int> trackChoice;
};

const std::vector<std::string> WorkedExample = {
    "\\t 2", "\\m song.mid", "@LENGL", "@TMy Song", "", "Hel-lo world,", "how are you", "", "Fine_ty $3:1:0$thanks",
};

TEST_F(MakeTest, WorkedExampleWritesTheKaraokeFileByteForByte) {
    const Bytes accompaniment = Cat({test::Program(0, 1, 0), test::NoteOn(0, 1, 48, 80), test::NoteOff(960, 1, 48),
                                     test::EndOfTrack()});
    WriteSong({accompaniment, VoiceTrack(EveryBeat(8))});
    ASSERT_EQ(Run(ckMake, WorkedExample), 0);
    EXPECT_EQ(Information(), (std::vector<std::string>{"Karaoke file made succesfully"}));
    EXPECT_EQ(ui->log[0].helpContext, 20000);
    EXPECT_EQ(compiler.KarFileName(), folder.File("song.kar"));

    const Bytes written = ReadBytes(compiler.KarFileName());
    const std::vector<Chunk> chunks = TrackChunks(written);
    ASSERT_EQ(chunks.size(), 5u);
    // The header with two tracks more, the rest of it as it was.
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 14), test::Header(1, 5, 480));
    const std::vector<Chunk> input = TrackChunks(midi);
    EXPECT_EQ(chunks[0].data, input[0].data);
    EXPECT_EQ(chunks[3].data, input[1].data);
    EXPECT_EQ(chunks[4].data, input[2].data);
    EXPECT_EQ(chunks[1].data, Cat({test::Meta(0, 0x03, "Soft karaoke"), test::Meta(0, 0x01, "@KMIDI KARAOKE FILE"),
                                   test::EndOfTrack()}));
    EXPECT_EQ(chunks[1].data.size() + 8, 51u);

    const std::vector<MetaEvent> expected = {
        {0, 0x03, "Words"},   {0, 0x01, "@LENGL"}, {0, 0x01, "@TMy Song"}, {0, 0x01, "\\Hel"},
        {480, 0x01, "lo"},    {480, 0x01, " world,"}, {480, 0x01, "/how"}, {480, 0x01, " are"},
        {480, 0x01, " you"},  {480, 0x01, "\\Fine"}, {480, 0x01, "ty"},    {480, 0x01, " thanks"},
        {0, 0x2F, ""},
    };
    EXPECT_EQ(Words(), expected);
    EXPECT_TRUE(Questions().empty());
    // The records carry the bound times.
    ASSERT_EQ(compiler.LyricCount(), 9);
    EXPECT_EQ(compiler.Lyrics()[8].Time, 3840);
    EXPECT_EQ(compiler.Lyrics()[7].Time, 3360);
    // The preview went to the editor.
    EXPECT_EQ(host.preview, (std::vector<std::string>{"", "Hello world,", "how are you", "", "Finety thanks"}));
    EXPECT_TRUE(compiler.PreviewLines().empty());
}

TEST_F(MakeTest, ExportWritesLyricEventsWithSpacesAndCarriageReturns) {
    WriteSong({VoiceTrack(EveryBeat(8)), Cat({test::NoteOn(0, 1, 40, 90), test::EndOfTrack(100)})});
    std::vector<std::string> lines = WorkedExample;
    lines[0] = "\\t 1";
    lines.insert(lines.begin() + 1, "\\k out.mid");
    lines.insert(lines.begin() + 5, "@WWords: trad.");
    ASSERT_EQ(Run(ckExport, lines), 0);
    EXPECT_EQ(Information(), (std::vector<std::string>{"Karaoke file made succesfully"}));
    const std::vector<Chunk> chunks = TrackChunks(ReadBytes(folder.File("out.mid")));
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(ReadBytes(folder.File("out.mid"))[11], 4);  // one track more
    const std::vector<MetaEvent> expected = {
        {0, 0x03, "Words"}, {0, 0x05, "My Song "}, {0, 0x05, "\r"},   {0, 0x05, "Words: trad. "}, {0, 0x05, "\r"},
        {0, 0x05, "Hel"},   {480, 0x05, "lo "},    {480, 0x05, "world, "}, {0, 0x05, "\r"},      {480, 0x05, "how "},
        {480, 0x05, "are "}, {480, 0x05, "you "},  {0, 0x05, "\r"},   {480, 0x05, "Fine"},        {480, 0x05, "ty "},
        {480, 0x05, "thanks "}, {0, 0x2F, ""},
    };
    EXPECT_EQ(MetaEvents(chunks[1].data), expected);
    const std::vector<Chunk> input = TrackChunks(midi);
    EXPECT_EQ(chunks[2].data, input[1].data);
    EXPECT_EQ(chunks[3].data, input[2].data);
}

TEST_F(MakeTest, ChordsAndDoubledNotesTakeOneSyllableAndSilentNotesNone) {
    const Bytes voice = Cat({test::NoteOn(0, 0, 60, 0),      // velocity 0: never a lyric
                             test::NoteOn(480, 0, 60, 90), test::NoteOn(0, 0, 64, 90), test::NoteOn(0, 0, 67, 90),
                             test::NoteOn(120, 0, 62, 90), test::NoteOn(0, 0, 62, 90),  // the same pitch twice
                             test::NoteOn(0, 3, 62, 90),                                 // on another channel
                             test::NoteOff(100, 0, 62), test::NoteOn(200, 0, 65, 90), test::EndOfTrack()});
    WriteSong({voice});
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "one two three"}), 0);
    EXPECT_EQ(Lyrics(), (std::vector<std::string>{"480:\\one", "600: two", "900: three"}));
}

TEST_F(MakeTest, EmptySyllablesTakeANoteWithoutAnEvent) {
    WriteSong({VoiceTrack(EveryBeat(5))});
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "Hel--lo wor- ld"}), 0);
    EXPECT_EQ(Lyrics(), (std::vector<std::string>{"0:\\Hel", "960:lo", "1440: wor"}));
    // The empty syllable after "wor-" took the last note; "ld" found none.
    EXPECT_EQ(Questions(), (std::vector<std::string>{
                               "More lyrics than vocal notes.\r(6 lyric(s) and 5 note(s)/time-code(s) counted)\rContinue?"}));
}

TEST_F(MakeTest, MoreLyricsThanNotesAsksAndYesLeavesTheLastSyllablesOutNoTheFile) {
    WriteSong({VoiceTrack(EveryBeat(10))});
    const std::vector<std::string> lines = {"\\t 1", "", "a b c d e f g h i j k l"};
    ASSERT_EQ(Run(ckMake, lines), 0);
    EXPECT_EQ(Questions(), (std::vector<std::string>{
                               "More lyrics than vocal notes.\r(12 lyric(s) and 10 note(s)/time-code(s) counted)\rContinue?"}));
    EXPECT_EQ(ui->log[0].helpContext, 25000);
    const std::vector<std::string> lyrics = Lyrics();
    ASSERT_EQ(lyrics.size(), 10u);
    EXPECT_EQ(lyrics.back(), "4320: j");
    // The two left over keep the time of the last event read.
    EXPECT_EQ(compiler.Lyrics()[11].Time, compiler.Lyrics()[10].Time);

    // No: the file made before is gone too, and Make says so.
    answer = false;
    EXPECT_EQ(Run(ckMake, lines), -2);
    EXPECT_FALSE(Exists(folder.File("song.kar")));
    EXPECT_EQ(Information(), (std::vector<std::string>{"Karaoke file not made"}));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MakeTest, FewerLyricsThanNotesNamesTheMissingCount) {
    WriteSong({VoiceTrack(EveryBeat(12))});
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b c d e f g h i j"}), 0);
    EXPECT_EQ(Questions(), (std::vector<std::string>{"2 lyric(s) missing.\rContinue?"}));

    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b c d e f g h i j k l"}), 0);
    EXPECT_TRUE(Questions().empty());
}

TEST_F(MakeTest, WarningsSwitchedOffOrABatchRunAskNothing) {
    WriteSong({VoiceTrack(EveryBeat(3))});
    host.settings.CompilerMoreLyrics = false;
    answer = false;
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b c d"}), 0);
    EXPECT_TRUE(Questions().empty());
    host.settings.CompilerLessLyrics = false;
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b"}), 0);
    EXPECT_TRUE(Questions().empty());

    host.settings = {};
    batch = true;
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b c d"}), 0);
    EXPECT_TRUE(ui->log.empty());
    EXPECT_TRUE(Exists(folder.File("song.kar")));
}

TEST_F(MakeTest, TimeCodeBindsTheNextSyllableAndTheOneAfterTakesTheNextNote) {
    WriteSong({VoiceTrack(EveryBeat(8))});
    // 2:1:60 is tick 1920 + 240; the notes at 1920 and 2160 lie at or before it.
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b $2:1:60$c d $1:1:1$"}), 0);
    EXPECT_EQ(Lyrics(), (std::vector<std::string>{"0:\\a", "480: b", "2160: c", "2400: d"}));
    EXPECT_EQ(compiler.Lyrics()[2].Time, 2160);
}

TEST_F(MakeTest, TimeCodeAtThePreviousLyricTimeFallsBeforeIt) {
    WriteSong({VoiceTrack(EveryBeat(8))});
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a b", "  $1:2:0$c"}), -1);
    ASSERT_EQ(Errors(), (std::vector<std::string>{"MIDI time 1:2:0 falls before time of previous lyric (1:2:0)"}));
    // The caret stands just after the "$".
    EXPECT_EQ(ui->log[0].caretLine, 3);
    EXPECT_EQ(ui->log[0].caretColumn, 3);
    EXPECT_FALSE(Exists(folder.File("song.kar")));

    // One unit later (4 ticks at division 480) is accepted.
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b", "  $1:2:1$c"}), 0);
    EXPECT_EQ(Lyrics().back(), "484:/c");
}

TEST_F(MakeTest, InvalidTimeCodesIncludingNegativeBarsAreRefused) {
    WriteSong({VoiceTrack(EveryBeat(8))});
    for (const std::string code : {"-1:1:0", "0:1:0", "1:5:0", "1:1:120", "1:1", "x", "99999999:1:0"}) {
        EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a $" + code + "$b"}), -1) << code;
        EXPECT_EQ(Errors(), (std::vector<std::string>{"Invalid MIDI time $" + code + "$."})) << code;
        EXPECT_EQ(ui->log[0].caretColumn, 3) << code;
        EXPECT_FALSE(Exists(folder.File("song.kar"))) << code;
    }
}

TEST_F(MakeTest, TimeQueryNamesTheTimeOfTheSyllableAndStops) {
    WriteSong({VoiceTrack(EveryBeat(4))});
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "Hel-$$lo"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"MIDI time of 'lo' is 1:2:0."}));
    EXPECT_EQ(ui->log[0].caretLine, 2);
    EXPECT_EQ(ui->log[0].caretColumn, 5);
    EXPECT_FALSE(Exists(folder.File("song.kar")));

    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a b c d e $$f"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"MIDI time of 'f' is unknown (no note event found)."}));
}

TEST_F(MakeTest, TrackChangesSwitchVoiceAndReturnWhereTheyLeft) {
    WriteSong({VoiceTrack(EveryBeat(4)), VoiceTrack(EveryBeat(4, 240))});
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b $\\t 2$c d $\\t 1$e f"}), 0);
    // Track 2 starts from its beginning but passes over its notes up to the last lyric;
    // back on track 1 the reading goes on after b.
    EXPECT_EQ(Lyrics(), (std::vector<std::string>{"0:\\a", "480: b", "720: c", "1200: d", "1440: e"}));
    EXPECT_EQ(Questions(), (std::vector<std::string>{
                               "More lyrics than vocal notes.\r(6 lyric(s) and 5 note(s)/time-code(s) counted)\rContinue?"}));
}

TEST_F(MakeTest, TrackChangeErrorsPutTheCaretAfterTheClosingDollar) {
    WriteSong({VoiceTrack(EveryBeat(4)), VoiceTrack(EveryBeat(4))});
    struct Case {
        std::string change, message;
    };
    for (const Case& c : {Case{"$\\t 0$", "Track number \\t must be greater than 0."},
                          Case{"$\\t -2$", "Track number \\t must be greater than 0."},
                          Case{"$\\t x$", "Invalid Track number \\t x"},
                          Case{"$\\t 3$", "Track number \\t 3 greater than number of tracks (MIDI file contains 2 tracks)."}}) {
        EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a " + c.change + "b"}), -1) << c.change;
        EXPECT_EQ(Errors(), (std::vector<std::string>{c.message})) << c.change;
        EXPECT_EQ(ui->log[0].caretColumn, 2 + static_cast<int>(c.change.size())) << c.change;
        EXPECT_FALSE(Exists(folder.File("song.kar")));
    }
}

TEST_F(MakeTest, TrackNumberMustBeBelowTheTrackCount) {
    WriteSong({VoiceTrack(EveryBeat(1)), VoiceTrack(EveryBeat(1)), VoiceTrack(EveryBeat(1))});
    EXPECT_EQ(Run(ckMake, {"\\t 4", "@TTitle", "", "a"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{
                            "Track number \\t 4 greater than number of tracks (MIDI file contains 3 tracks)."}));
    EXPECT_EQ(ui->log[0].caretLine, 1);
    EXPECT_FALSE(Exists(folder.File("song.kar")));
    EXPECT_EQ(Run(ckMake, {"\\t 3", "@TTitle", "", "a"}), 0);
}

TEST_F(MakeTest, WithoutATrackLineTheChosenTrackIsInsertedFirst) {
    WriteSong({VoiceTrack(EveryBeat(2)), VoiceTrack(EveryBeat(2, 100))});
    trackChoice = 1;
    ASSERT_EQ(Run(ckMake, {"@TTitle", "\\t 1", "", "a b"}), 0);
    EXPECT_EQ(ui->selectTrackCalls, 1);
    ASSERT_EQ(ui->listed.size(), 2u);
    EXPECT_EQ(document->Lines().front(), "\\t 2");
    EXPECT_EQ(Lyrics(), (std::vector<std::string>{"100:\\a", "580: b"}));
    // Record positions count the inserted line.
    EXPECT_EQ(compiler.Lyrics()[0].Pos, 4 + 1 + 7 + 1 + 4 + 1 + 1);

    trackChoice.reset();
    EXPECT_EQ(Run(ckMake, {"\\m song.mid", "", "a b"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Track number \\t missing."}));
    EXPECT_EQ(ui->log[0].caretLine, 1);
    EXPECT_EQ(document->Lines().front(), "\\m song.mid");
}

TEST_F(MakeTest, VoiceTrackSelectionReplacesOrInsertsTheTrackLine) {
    WriteSong({VoiceTrack(EveryBeat(2)), VoiceTrack(EveryBeat(2)), VoiceTrack(EveryBeat(2))});
    trackChoice = 2;
    // The scan passes over @-lines.
    Run(ckSelectTrack, {"@LENGL", "  \\t 1", "", "a"});
    EXPECT_EQ(document->Lines(), (std::vector<std::string>{"@LENGL", "\\t 3", "", "a"}));
    Run(ckSelectTrack, {"\\m song.mid", "  \\t 1", "@LENGL", "", "a"});
    EXPECT_EQ(document->Lines(), (std::vector<std::string>{"\\m song.mid", "\\t 3", "@LENGL", "", "a"}));
    // An empty first line ends the scan at once, even with a track line below.
    Run(ckSelectTrack, {"", "\\t 1", "", "a"});
    EXPECT_EQ(document->Lines(), (std::vector<std::string>{"\\t 3", "", "\\t 1", "", "a"}));
    EXPECT_FALSE(Exists(folder.File("song.kar")));

    trackChoice.reset();
    EXPECT_EQ(Run(ckSelectTrack, {"\\t 1", "", "a"}), 0);
    EXPECT_EQ(document->Lines().front(), "\\t 1");
    EXPECT_TRUE(ui->log.empty());
}

TEST_F(MakeTest, MidiFileErrorsAreShownAfterwardsAndLeaveNoFile) {
    folder.WriteMidi(Cat({test::Header(0, 1, 480), test::Track(VoiceTrack(EveryBeat(2)))}));
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a"}), 2);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Not a Type 1 MIDI file."}));
    EXPECT_FALSE(Exists(folder.File("song.kar")));

    folder.WriteMidi(test::Text("RIFF and nothing like a MIDI file"));
    EXPECT_EQ(Run(ckExport, {"\\t 1", "\\k out.mid", "", "a"}), 1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Not a MIDI file."}));
    EXPECT_FALSE(Exists(folder.File("out.mid")));
}

TEST_F(MakeTest, UndefinedStatusInTheVoiceTrackStopsTheSearch) {
    WriteSong({Cat({test::NoteOn(0, 0, 60, 90), Bytes{0x10, 0xF4}, test::EndOfTrack()})});
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a b"}), 3);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Unknown code in MIDI file."}));
    EXPECT_FALSE(Exists(folder.File("song.kar")));
}

TEST_F(MakeTest, TruncatedVoiceTrackIsReportedAndLeavesNoFile) {
    WriteSong({VoiceTrack(EveryBeat(4))});
    midi.resize(midi.size() - 12);  // the last chunk now claims more than the file holds
    folder.WriteMidi(midi);
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a b c d"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Unexpected end of MIDI file."}));
    EXPECT_FALSE(Exists(folder.File("song.kar")));
}

TEST_F(MakeTest, VoiceTrackWithoutEndOfTrackEndsWithItsData) {
    const Bytes open = Cat({test::NoteOn(0, 0, 60, 90), test::NoteOn(480, 0, 62, 90), test::NoteOn(480, 0, 64, 90)});
    WriteSong({open, VoiceTrack(EveryBeat(9))});
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a"}), 0);
    EXPECT_EQ(Questions(), (std::vector<std::string>{"2 lyric(s) missing.\rContinue?"}));
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b c d"}), 0);
    EXPECT_EQ(Lyrics(), (std::vector<std::string>{"0:\\a", "480: b", "960: c"}));
}

TEST_F(MakeTest, WordsTrackFullIsVoiceTrackTooLong) {
    WriteSong({VoiceTrack(EveryBeat(700, 0, 10))});
    std::string line;
    for (int i = 0; i < 600; ++i) line += std::string(110, 'a') + " ";
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", line}), 5);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Voice track too long."}));
    EXPECT_FALSE(Exists(folder.File("song.kar")));
}

TEST_F(MakeTest, OutputNamingTheMidiFileOrTheSongTextIsRefusedBeforeAnythingIsWritten) {
    WriteSong({VoiceTrack(EveryBeat(2))});
    EXPECT_EQ(Run(ckMake, {"\\t 1", "\\k ./song.mid", "", "a"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Output file " + folder.File("./song.mid") +
                                                  " would overwrite the MIDI file."}));
    EXPECT_EQ(ReadBytes(folder.File("song.mid")), midi);

    EXPECT_EQ(Run(ckExport, {"\\t 1", "\\k song.stf", "", "a"}), -1);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Output file " + folder.File("song.stf") +
                                                  " would overwrite the song text."}));
    EXPECT_EQ(ReadBytes(folder.File("song.stf")), test::Text("\\t 1\n\\k song.stf\n\na\n"));
}

TEST_F(MakeTest, OutputThatCannotBeCreatedIsReportedEvenInABatchRunAndNotDeleted) {
    WriteSong({VoiceTrack(EveryBeat(2))});
    std::filesystem::create_directory(folder.File("taken.kar"));
    batch = true;
    EXPECT_EQ(Run(ckMake, {"\\t 1", "\\k taken.kar", "", "a"}), -3);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Error writing file " + folder.File("taken.kar") + "."}));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("taken.kar")));

    batch = false;
    EXPECT_EQ(Run(ckMake, {"\\t 1", "\\k no/such/folder/x.kar", "", "a"}), -3);
    EXPECT_TRUE(Information().empty());
}

TEST_F(MakeTest, ErrorsBeforeTheOutputIsOpenedLeaveAnEarlierFileAlone) {
    WriteSong({VoiceTrack(EveryBeat(2))});
    ASSERT_EQ(Run(ckMake, {"\\t 1", "", "a b"}), 0);
    EXPECT_EQ(Run(ckMake, {"\\t one", "", "a b"}), -1);
    EXPECT_TRUE(Exists(folder.File("song.kar")));
    trackChoice.reset();
    Run(ckSelectTrack, {"\\t 1", "", "a b"});
    EXPECT_TRUE(Exists(folder.File("song.kar")));
    // An error after it was opened removes it.
    EXPECT_EQ(Run(ckMake, {"\\t 1", "", "a $0:0:0$b"}), -1);
    EXPECT_FALSE(Exists(folder.File("song.kar")));
}

TEST_F(MakeTest, AWriteFailureRemovesTheHalfWrittenFileAndIsRaised) {
    WriteSong({VoiceTrack(EveryBeat(2)), Bytes(200000, 0)});
    const std::vector<std::string> lines = {"\\t 1", "", "a b"};
    folder.Document(lines);
    // Files may grow to 4096 bytes only, so copying the large track fails.
    struct FileSizeLimit {
        FileSizeLimit() {
            getrlimit(RLIMIT_FSIZE, &saved);
            signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        ~FileSizeLimit() {
            setrlimit(RLIMIT_FSIZE, &saved);
            signal(SIGXFSZ, SIG_DFL);
        }
        rlimit saved{};
    };
    MemorySongDocument song(folder.File("song.stf"), lines);
    RecordingUi quiet(&song);
    {
        FileSizeLimit limit;
        EXPECT_THROW(CompileAndAct(compiler, ckMake, false, false, song, quiet, host), IoError);
    }
    EXPECT_NE(compiler.MidiError(), 0);
    EXPECT_FALSE(Exists(folder.File("song.kar")));
    EXPECT_TRUE(quiet.Messages("information").empty());
}

TEST_F(MakeTest, PlayHandsTheFileToPlaybackFromTheStartOrTheCursor) {
    WriteSong({VoiceTrack(EveryBeat(2))});
    ASSERT_EQ(Run(ckPlay, {"\\t 1", "", "a b"}), 0);
    fromCursor = true;
    ASSERT_EQ(Run(ckPlay, {"\\t 1", "", "a b"}), 0);
    EXPECT_EQ(host.played, (std::vector<std::string>{folder.File("song.kar"), folder.File("song.kar") + " from cursor"}));
    EXPECT_TRUE(ui->log.empty());

    answer = false;
    EXPECT_EQ(Run(ckPlay, {"\\t 1", "", "a b c"}), -2);
    EXPECT_EQ(host.played.size(), 2u);
    EXPECT_EQ(ui->log.size(), 1u);  // the question only
}

TEST_F(MakeTest, ExternalPlayerGetsTheParameterStringInItsFolder) {
    WriteSong({VoiceTrack(EveryBeat(2))});
    external = true;
    host.settings.KaraokePlayer = "/opt/player/kplay";
    host.settings.Parameters = "/play %";
    ASSERT_EQ(Run(ckPlay, {"\\t 1", "", "a b"}), 0);
    const std::string kar = folder.File("song.kar");
    EXPECT_EQ(host.started, (std::vector<std::string>{"/opt/player/kplay|/play " + kar + "|/opt/player/"}));
    EXPECT_EQ(host.stops, 1);
    EXPECT_TRUE(host.played.empty());

    host.startSucceeds = false;
    host.settings.Parameters = "%%";
    ASSERT_EQ(Run(ckPlay, {"\\t 1", "", "a b"}), 0);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Error executing \"/opt/player/kplay " + kar + kar +
                                                  "\" in \"/opt/player/\"."}));
    EXPECT_EQ(ui->log[0].helpContext, 0);
    EXPECT_TRUE(Exists(kar));
}

}  // namespace
}  // namespace sonkora
