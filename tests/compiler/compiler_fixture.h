#pragma once
// Shared helpers of the compiler tests: a user interface that records what it was
// shown and answers as told, a private folder for files, a small reader of the chunks
// and meta events of the files the compiler writes, and MIDI files built from notes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/UserInterface.h"
#include "compiler/CompileHost.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "support/MidiBytes.h"

namespace sonkora::compilertest {

using test::Bytes;

struct Shown {
    std::string kind;  // "error", "information", "query"
    std::string message;
    int helpContext = 0;
    int caretLine = -1;  // where the song text caret stood when it was shown
    int caretColumn = -1;
};

class RecordingUi : public UserInterface {
public:
    explicit RecordingUi(const SongDocument* document = nullptr) : document_(document) {}

    void ErrorBox(const std::string& message, int help) override { Record("error", message, help); }
    void InformationBox(const std::string& message, int help) override { Record("information", message, help); }
    bool QueryBox(const std::string& message, int help) override { return Record("query", message, help), answer; }
    Answer ConfirmBox(const std::string& message, int help) override {
        return Record("confirm", message, help), answer ? Answer::Yes : Answer::No;
    }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        listed = items;
        ++selectTrackCalls;
        return trackChoice;
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest&) override { return std::nullopt; }
    bool Batch() const override { return batch; }

    std::vector<std::string> Messages(const std::string& kind) const {
        std::vector<std::string> result;
        for (const Shown& shown : log)
            if (shown.kind == kind) result.push_back(shown.message);
        return result;
    }

    bool answer = true;
    bool batch = false;
    std::optional<int> trackChoice;
    int selectTrackCalls = 0;
    std::vector<std::string> listed;
    std::vector<Shown> log;

private:
    void Record(const std::string& kind, const std::string& message, int help) {
        log.push_back({kind, message, help, document_ ? document_->CaretLine() : -1,
                       document_ ? document_->CaretColumn() : -1});
    }
    const SongDocument* document_;
};

class RecordingHost : public CompileHost {
public:
    CompilerSettings Settings() const override { return settings; }
    void TakePreviewLines(const std::vector<std::string>& lines) override { preview = lines; }
    void StopPlayback() override { ++stops; }
    void PlaySong(const std::string& karFileName, bool fromCursor) override {
        played.push_back(karFileName + (fromCursor ? " from cursor" : ""));
    }
    bool StartProgram(const std::string& program, const std::string& parameters,
                      const std::string& workingDirectory) override {
        started.push_back(program + "|" + parameters + "|" + workingDirectory);
        return startSucceeds;
    }

    CompilerSettings settings;
    bool startSucceeds = true;
    std::vector<std::string> preview;
    std::vector<std::string> played;
    std::vector<std::string> started;
    int stops = 0;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonkora-compiler-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

struct Chunk {
    std::string id;
    Bytes data;
};

// The track chunks of a MIDI file after its header, read independently of the code
// under test; anything but whole chunks after the header is an error.
inline std::vector<Chunk> TrackChunks(const Bytes& file) {
    std::vector<Chunk> chunks;
    size_t offset = 14;
    if (file.size() < offset || std::string(file.begin(), file.begin() + 4) != "MThd")
        throw std::runtime_error("no header chunk");
    while (offset + 8 <= file.size()) {
        const size_t length = (size_t{file[offset + 4]} << 24) | (size_t{file[offset + 5]} << 16) |
                              (size_t{file[offset + 6]} << 8) | file[offset + 7];
        if (offset + 8 + length > file.size()) throw std::runtime_error("chunk runs past the end of the file");
        const auto at = file.begin() + static_cast<std::ptrdiff_t>(offset);
        chunks.push_back({std::string(at, at + 4), Bytes(at + 8, at + 8 + static_cast<std::ptrdiff_t>(length))});
        offset += 8 + length;
    }
    if (offset != file.size()) throw std::runtime_error("bytes after the last chunk");
    return chunks;
}

struct MetaEvent {
    uint32_t delta = 0;
    uint8_t type = 0;
    std::string text;
    bool operator==(const MetaEvent&) const = default;
};

// The events of a track made of meta events only, as the composed tracks are.
inline std::vector<MetaEvent> MetaEvents(const Bytes& data) {
    std::vector<MetaEvent> events;
    size_t i = 0;
    auto quantity = [&] {
        uint32_t value = 0;
        for (int n = 0; n < 4; ++n) {
            const uint8_t byte = data.at(i++);
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return value;
        }
        throw std::runtime_error("bad quantity");
    };
    while (i < data.size()) {
        MetaEvent event;
        event.delta = quantity();
        if (data.at(i++) != 0xFF) throw std::runtime_error("not a meta event");
        event.type = data.at(i++);
        const uint32_t length = quantity();
        if (i + length > data.size()) throw std::runtime_error("meta event runs past its track");
        event.text.assign(data.begin() + static_cast<std::ptrdiff_t>(i),
                          data.begin() + static_cast<std::ptrdiff_t>(i + length));
        i += length;
        events.push_back(event);
    }
    return events;
}

// A voice track of notes at the given ticks (one note-on each, key 60, with a note-off
// half way to the next), closed by an end-of-track event.
inline Bytes VoiceTrack(const std::vector<uint32_t>& ticks, uint8_t channel = 0) {
    Bytes data = test::Meta(0, 0x03, "Voice");
    uint32_t now = 0;
    for (uint32_t tick : ticks) {
        data = test::Cat({data, test::NoteOn(tick - now, channel, 60, 100), test::NoteOff(10, channel, 60)});
        now = tick + 10;
    }
    return test::Cat({data, test::EndOfTrack()});
}

inline Bytes ConductorTrack() {
    return test::Cat({test::Meta(0, 0x03, "Conductor"), test::Tempo(0, 500000), test::EndOfTrack()});
}

inline std::vector<uint32_t> EveryBeat(int count, uint32_t start = 0, uint32_t step = 480) {
    std::vector<uint32_t> ticks;
    for (int i = 0; i < count; ++i) ticks.push_back(start + static_cast<uint32_t>(i) * step);
    return ticks;
}

// A folder with a song text "song.stf" beside its MIDI file "song.mid".
class SongFolder {
public:
    void WriteMidi(const Bytes& bytes, const std::string& name = "song.mid") { WriteBytes(dir.File(name), bytes); }
    MemorySongDocument Document(std::vector<std::string> lines, const std::string& name = "song.stf") {
        const std::string path = dir.File(name);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        WriteBytes(path, Bytes(text.begin(), text.end()));
        return MemorySongDocument(path, std::move(lines));
    }
    std::string File(const std::string& name) const { return dir.File(name); }

    TempDir dir;
};

}  // namespace sonkora::compilertest
