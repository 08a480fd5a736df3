#pragma once
// Shared helpers of the compiler tests: a user interface and a host that write down what
// they were shown and answer as told. Files, chunks and meta texts are read with the
// helpers of the MIDI layer's tests.

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/UserInterface.h"
#include "compiler/CompileHost.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "midi/import_fixture.h"

namespace sonkora::compilertest {

using namespace sonkora::test;
using importtest::MetaTexts;
using importtest::SplitChunks;
using passtest::ReadBytes;
using passtest::ReadText;
using passtest::TempDir;
using passtest::WriteBytes;
using Lines = std::vector<std::string>;
using enum CompileKind;

// Numbers and texts joined into one string, so that a row of a table is one comparison.
template <typename... Parts>
std::string Join(const Parts&... parts) {
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

// The lines as the bytes of a file, each ended by a line feed.
inline std::string JoinLines(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The song text most tests start from: header lines, three lines of lyrics on voice track 2.
inline const Lines ExampleSong = {
    "\\t 2", "\\m song.mid", "@LENGL", "@TMy Song", "", "Hel-lo world,", "how are you", "", "Fine_ty $3:1:0$thanks",
};

// Every box as one line: "error 25000 @3:5 text" (the caret's line and column when an
// error was shown), "query 25000 text", "information 20000 text".
class RecordingUi : public UserInterface {
public:
    explicit RecordingUi(const SongDocument& document) : document_(document) {}

    void ErrorBox(const std::string& message, int help) override {
        Record("error", help, Join("@", document_.CaretLine(), ":", document_.CaretColumn(), " ", message));
    }
    void InformationBox(const std::string& message, int help) override { Record("information", help, message); }
    bool QueryBox(const std::string& message, int help) override { return Record("query", help, message), answer; }
    Answer ConfirmBox(const std::string&, int) override { return Answer::Cancel; }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        listed = items.size();
        return trackChoice;
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return batch; }

    bool answer = true, batch = false;
    std::optional<int> trackChoice;
    size_t listed = 0;  // the items of the last track list
    std::vector<std::string> log;

private:
    void Record(const std::string& kind, int help, const std::string& text) {
        log.push_back(kind + " " + std::to_string(help) + " " + text);
    }
    const SongDocument& document_;
};

// Writes down what the compile command asked of the editor window and the frame.
class RecordingHost : public CompileHost {
public:
    CompilerSettings Settings() const override { return settings; }
    void TakePreviewLines(const std::vector<std::string>& lines) override { preview = lines; }
    void StopPlayback() override { calls.push_back("stop"); }
    void PlaySong(const std::string& kar, bool fromCursor) override {
        calls.push_back("play " + kar + (fromCursor ? " from cursor" : ""));
    }
    bool StartProgram(const std::string& program, const std::string& parameters, const std::string& folder) override {
        calls.push_back("start " + program + "|" + parameters + "|" + folder);
        return startSucceeds;
    }

    CompilerSettings settings;
    bool startSucceeds = true;
    std::vector<std::string> preview;
    std::vector<std::string> calls;
};

// A compilation of a song text held in memory, for the kinds that write no file (Make
// writes beside `fileName`).
struct InMemoryCompile {
    InMemoryCompile(CompileKind kind, const Lines& lines, bool batch = false,
                    const std::string& fileName = "/songs/song.stf")
        : document(fileName, lines), ui(document) {
        ui.batch = batch;
        compiler.CompileSongText(kind, document, ui, {}, &printed);
    }
    MemorySongDocument document;
    RecordingUi ui;
    std::ostringstream printed;
    SongCompiler compiler;
};

// A voice of `count` notes (key 60), one every beat of 480 ticks from `start`, each ended
// 10 ticks later.
inline Bytes Beats(int count, uint32_t start = 0, uint8_t channel = 0) {
    Bytes data;
    for (int i = 0; i < count; ++i)
        data = Cat({data, NoteOn(i == 0 ? start : 470, channel, 60, 100), NoteOff(10, channel, 60)});
    return Cat({data, EndOfTrack()});
}

}  // namespace sonkora::compilertest
