// The compilations that write no file (check, print, language) and the errors of the
// header, with the place the caret is put for each.
#include <gtest/gtest.h>

#include <sstream>

#include "compiler/SongCompiler.h"
#include "compiler_fixture.h"

namespace sonkora {
namespace {

using compilertest::RecordingUi;
using compilertest::SongFolder;

struct Outcome {
    int32_t code = 0;
    std::vector<compilertest::Shown> shown;
    std::string printed;
    int lyrics = 0;
};

Outcome Compile(TCompileKind kind, const std::vector<std::string>& lines, bool batch = false) {
    MemorySongDocument document("/songs/song.stf", lines);
    RecordingUi ui(&document);
    ui.batch = batch;
    SongCompiler compiler;
    std::ostringstream printed;
    compiler.CompileSongText(kind, document, ui, {}, &printed);
    return {compiler.MidiError(), ui.log, printed.str(), compiler.LyricCount()};
}

// The one error box of an outcome, with the caret's line and column when it showed.
std::string Error(const Outcome& outcome) {
    if (outcome.shown.size() != 1 || outcome.shown[0].kind != "error") return "(not one error box)";
    const compilertest::Shown& shown = outcome.shown[0];
    EXPECT_EQ(shown.helpContext, 25000);
    return std::to_string(shown.caretLine) + ":" + std::to_string(shown.caretColumn) + " " + shown.message;
}

const std::vector<std::string> WorkedExample = {
    "\\t 2", "\\m song.mid", "@LENGL", "@TMy Song", "", "Hel-lo world,", "how are you", "", "Fine_ty $3:1:0$thanks",
};

TEST(PrintSongText, WritesTitleLinesThenTheLyricsAsTheyAreSung) {
    const Outcome outcome = Compile(ckPrintText, WorkedExample);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.printed, "My Song\n\n\nHello world,\nhow are you\n\nFinety thanks\n");
    // Printing leaves no lyrics behind.
    EXPECT_EQ(outcome.lyrics, 0);
}

TEST(PrintSongText, OnlyTitleAndWriterLinesArePrintedAndEmptySyllablesWriteNothing) {
    const Outcome outcome = Compile(ckPrintText, {"@LENGL", "@TTitle", "@", "@WWords by", "@Vx", "", "la--li $$ lo\\", "lu"});
    EXPECT_EQ(outcome.printed, "Title\nWords by\n\n\nlali lo\nlu\n");
}

TEST(Check, IgnoresDirectivesTimeCodesAndTrackChanges) {
    const Outcome outcome = Compile(ckCheck, {"\\t x", "\\t 0", "\\m", "", "la $9:9:9$ $$li $\\t 0$ $\\t x$"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_TRUE(outcome.shown.empty());
    EXPECT_EQ(outcome.lyrics, 0);
}

TEST(Check, TooLongSyllableIsReportedNextToIts121stCharacter) {
    const Outcome outcome = Compile(ckCheck, {"\\t 1", "", "la", "  " + std::string(130, 'x')});
    EXPECT_EQ(outcome.code, -1);
    EXPECT_EQ(Error(outcome), "3:123 Syllable too long.");
}

TEST(Check, BatchRunStopsAtTheErrorWithoutABoxOrCaretMove) {
    const Outcome outcome = Compile(ckCheck, {"\\t 1", "", std::string(121, 'x')}, true);
    EXPECT_EQ(outcome.code, -1);
    EXPECT_TRUE(outcome.shown.empty());
}

TEST(Language, ReadsTheLastLanguageLineAndFindsTheLyrics) {
    MemorySongDocument document("/songs/song.stf",
                                {"", "\\t x", "@LENGL", "@TMy Song", "@Lfran\xE7" "ais", "", "", "  la", "@Lnot here"});
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckLanguage, document, ui);
    EXPECT_EQ(compiler.MidiError(), 0);
    EXPECT_EQ(compiler.Language(), "fran\xE7" "ais");
    EXPECT_EQ(compiler.LyricStartLine(), 7);

    MemorySongDocument headerOnly("/songs/song.stf", {"\\t 1", "@TTitle"});
    compiler.CompileSongText(ckLanguage, headerOnly, ui);
    EXPECT_EQ(compiler.Language(), "");
    EXPECT_EQ(compiler.LyricStartLine(), 2);
    EXPECT_TRUE(ui.log.empty());
}

TEST(Language, TheHeaderEndsAtTheFirstAtLineSoDirectivesBelowItAreIgnored) {
    // "\m" after an @-line belongs to the @-block: Make looks for the default name.
    SongFolder folder;
    MemorySongDocument document = folder.Document({"\\t 1", "@TTitle", "\\m other.mid", "", "la"});
    RecordingUi ui(&document);
    SongCompiler compiler;
    compiler.CompileSongText(ckMake, document, ui);
    EXPECT_EQ(ui.Messages("error"), (std::vector<std::string>{"File " + folder.File("song.mid") + " not found."}));
}

TEST(HeaderErrors, InvalidTrackNumberPutsTheCaretOneCharacterIntoTheNextLine) {
    EXPECT_EQ(Error(Compile(ckMake, {"\\m a.mid", "\\t two", "@TTitle", "", "la"})),
              "2:1 Invalid Track number \\t two");
    EXPECT_EQ(Error(Compile(ckMake, {"\\t", "", "la"})), "1:0 Invalid Track number \\t");
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 2147483648", "", "la"})), "1:0 Invalid Track number \\t 2147483648");
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 3 4"})), "0:1 Invalid Track number \\t 3 4");
    EXPECT_EQ(Error(Compile(ckSelectTrack, {"\\t 1x", "", "la"})), "1:0 Invalid Track number \\t 1x");
}

TEST(HeaderErrors, TrackNumberBelowOneIsRefusedWhereTheHeaderStopped) {
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 0", "", "la"})), "1:0 Track number \\t must be greater than 0.");
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 0", "@TTitle", "", "la"})), "1:1 Track number \\t must be greater than 0.");
    // A negative number must not reach the track selection either.
    EXPECT_EQ(Error(Compile(ckExport, {"\\t -3", "\\k out.mid", "", "la"})),
              "2:0 Track number \\t must be greater than 0.");
    // A later line replaces an earlier one.
    const Outcome replaced = Compile(ckMake, {"\\t 0", "\\t +2"});
    EXPECT_EQ(replaced.shown.size(), 1u);
    EXPECT_EQ(replaced.shown[0].message, "File /songs/song.mid not found.");
}

TEST(HeaderErrors, ExportNeedsAnOutputNameBeforeTheMidiFileIsLookedAt) {
    EXPECT_EQ(Error(Compile(ckExport, {"", "\\t 1", "\\m missing.mid", "", "la"})), "3:0 Karaoke file not specified.");
}

TEST(HeaderErrors, MissingMidiFileIsNamedAsResolved) {
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 1", "", "la"})), "1:0 File /songs/song.mid not found.");
    EXPECT_EQ(Error(Compile(ckPlay, {"\\t 1", "\\m  other.mid ", "@T", "", "la"})),
              "2:1 File /songs/other.mid not found.");
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 1", "\\m /elsewhere/x.mid"})), "1:1 File /elsewhere/x.mid not found.");
    // A relative name with a folder is taken from the song text's folder too.
    EXPECT_EQ(Error(Compile(ckMake, {"\\t 1", "\\m midi/x.mid"})), "1:1 File /songs/midi/x.mid not found.");
    // A folder is not a MIDI file.
    EXPECT_EQ(Error(Compile(ckSelectTrack, {"\\m /"})), "0:1 File / not found.");
}

}  // namespace
}  // namespace sonkora
