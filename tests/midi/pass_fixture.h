#pragma once
// Helpers of the MIDI layer's tests (and of the sonkorac tests, which include this):
// a private folder, whole-file reads and writes, program runs, a process short of
// memory, a scripted user, and Soft Karaoke files built from timed texts.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>  // environ

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/UserInterface.h"
#include "midi/KaraokeImport.h"
#include "midi/KaraokePass.h"
#include "support/MidiBytes.h"
#include "support/TempFolder.h"

namespace sonkora::passtest {

using test::Bytes;

using TempDir = test::TempFolder;

#if defined(__SANITIZE_ADDRESS__)
#define SONKORA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SONKORA_UNDER_ASAN 1
#endif
#endif

// For a death test's child: lets the process map only 64 MiB more than it has, so that
// allocating what a file merely claims aborts it, then exits 0 when `check` holds. The
// sanitizers hold most of the address space, so under them it cannot be limited.
[[noreturn]] inline void WithLittleMemory(const std::function<bool()>& check) {
    unsigned long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%lu", &pages) != 1) std::_Exit(3);
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
    const rlimit bounds{limit, limit};
    if (setrlimit(RLIMIT_AS, &bounds) != 0) std::_Exit(4);
    std::_Exit(check() ? 0 : 5);
}

using test::ReadFile;
using test::WriteFile;
inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    WriteFile(path, bytes);
}
inline Bytes ReadBytes(const std::string& path) {
    const std::string text = ReadFile(path);
    return Bytes(text.begin(), text.end());
}
inline constexpr auto& ReadText = ReadFile;

// What a program run left behind; exitCode -1 when it could not be started.
struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    bool operator==(const ProgramRun&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const ProgramRun& run) {
    return out << "exit code " << run.exitCode << ", output \"" << run.out << "\", errors \"" << run.err << "\"";
}

// Runs a program (found on the PATH when the name has no folder) with `environment` added,
// no standard input and its output and error sent to files in `dir`, never through a
// shell. A run still going after `seconds` is killed and reported as blocked (exit code
// -2), so a regression that waits on a FIFO fails its test instead of hanging the suite.
inline ProgramRun RunProgram(const TempDir& dir, std::vector<std::string> args,
                             std::vector<std::string> environment = {}, int seconds = 60) {
    std::vector<char*> argv, envp;
    for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
    for (std::string& arg : args) argv.push_back(arg.data());
    for (std::string& setting : environment) envp.push_back(setting.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const std::string outName = dir.Path("program.out"), errName = dir.Path("program.err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    ProgramRun run;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    const int processHandle = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    pollfd ended{processHandle, POLLIN, 0};
    const bool blocked = processHandle < 0 || ::poll(&ended, 1, seconds * 1000) != 1;
    if (blocked) ::kill(child, SIGKILL);
    if (processHandle >= 0) ::close(processHandle);
    int status = 0;
    ::waitpid(child, &status, 0);
    // posix_spawnp may report a missing program only through the child's exit code 127.
    run.exitCode = blocked ? -2 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadText(outName);
    run.err = ReadText(errName);
    return run;
}

// The steps of a compilation up to the first lyric, each only while no error is set.
inline void StartPass(KaraokePass& pass, const std::string& input, const std::string& output, PassMode mode,
                      int voiceTrack) {
    pass.OpenPass(input, output, "", mode, 0, "", "");
    if (pass.MidiError() == 0) pass.ReadPassHeader();
    if (pass.MidiError() == 0) pass.SelectVoiceTrack(voiceTrack);
    if (pass.MidiError() == 0 && (mode == PassMode::Make || mode == PassMode::Export)) pass.WriteKaraokeTracks();
}

}  // namespace sonkora::passtest

namespace sonkora::importtest {

using test::Bytes;

// The front of a queue of answers, or `dry` once it has run dry.
template <typename T>
T Take(std::deque<T>& queue, T dry) {
    if (queue.empty()) return dry;
    T answer = queue.front();
    queue.pop_front();
    return answer;
}

// Answers from queues (Cancel and no name when they run dry) and the track choice;
// every message must carry the error messages' help context.
class ScriptedUi : public UserInterface {
public:
    std::vector<std::string> errors;
    std::vector<std::string> confirmations;
    std::vector<std::string> changes;
    std::vector<SaveDialogRequest> saveDialogs;
    std::vector<std::vector<std::string>> trackLists;
    std::deque<Answer> confirmAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::optional<int> trackChoice = 0;

    void ErrorBox(const std::string& message, int helpContext) override {
        EXPECT_EQ(helpContext, HelpContext::ErrorMessages) << message;
        errors.push_back(message);
    }
    void InformationBox(const std::string& message, int) override { ADD_FAILURE() << message; }
    void ReportChanges(const std::string&, const std::vector<std::string>& reported) override {
        changes.insert(changes.end(), reported.begin(), reported.end());
    }
    bool QueryBox(const std::string& message, int) override {
        ADD_FAILURE() << message;
        return false;
    }
    Answer ConfirmBox(const std::string& message, int helpContext) override {
        EXPECT_EQ(helpContext, HelpContext::ErrorMessages);
        confirmations.push_back(message);
        return Take(confirmAnswers, Answer::Cancel);
    }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        trackLists.push_back(items);
        return trackChoice;
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) override {
        saveDialogs.push_back(request);
        return Take(saveAnswers, std::optional<std::string>());
    }
    bool Batch() const override { return false; }
};

class RecordingHost : public ImportHost {
public:
    std::vector<std::string> opened;
    void OpenSongText(const std::string& fileName) override { opened.push_back(fileName); }
};

// A meta text at an absolute tick: a text event (type 1) unless said otherwise.
struct Timed {
    uint32_t time;
    std::string text;
    uint8_t type = 0x01;
    bool operator==(const Timed&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Timed& t) {
    return out << "{" << t.time << ", \"" << t.text << "\", " << int{t.type} << "}";
}

inline Bytes WordsTrack(const std::vector<Timed>& texts, const std::string& name = "Words") {
    Bytes data = test::Meta(0, 0x03, name);
    uint32_t now = 0;
    for (const Timed& t : texts) {
        data = test::Cat({data, test::Meta(t.time - now, t.type, t.text)});
        now = t.time;
    }
    return test::Cat({data, test::EndOfTrack()});
}

// One note-on per tick, each ended a tick later when there is room.
inline Bytes VoiceTrack(const std::vector<uint32_t>& times, uint8_t channel = 0, const std::string& name = "Melody") {
    Bytes data = test::Meta(0, 0x03, name);
    uint32_t now = 0;
    for (size_t i = 0; i < times.size(); ++i) {
        data = test::Cat({data, test::NoteOn(times[i] - now, channel, 60, 90)});
        now = times[i];
        if (i + 1 == times.size() || times[i + 1] > now + 1) {
            data = test::Cat({data, test::NoteOff(1, channel, 60)});
            now += 1;
        }
    }
    return test::Cat({data, test::EndOfTrack(10)});
}

inline Bytes Conductor() {
    return test::Cat({test::Tempo(0, 500000), test::EndOfTrack()});
}

// Conductor, information track, Words track, then the music.
inline Bytes KaraokeFile(uint16_t division, const Bytes& words, const std::vector<Bytes>& music) {
    const Bytes information = test::Cat(
        {test::Meta(0, 0x03, "Soft Karaoke"), test::Meta(0, 0x01, "@KMIDI KARAOKE FILE"), test::EndOfTrack()});
    Bytes file = test::Cat({test::Header(1, static_cast<uint16_t>(3 + music.size()), division),
                            test::Track(Conductor()), test::Track(information), test::Track(words)});
    for (const Bytes& data : music) file = test::Cat({file, test::Track(data)});
    return file;
}

// A MIDI file's header, its chunks ("MTrk" and length included) and what follows them.
struct ChunkedFile {
    Bytes header;
    std::vector<Bytes> chunks;
    Bytes trailing;
};

inline ChunkedFile SplitChunks(const Bytes& file) {
    ChunkedFile split;
    size_t at = std::min<size_t>(14, file.size());
    split.header.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at));
    while (at + 8 <= file.size() && std::equal(file.begin() + static_cast<std::ptrdiff_t>(at),
                                               file.begin() + static_cast<std::ptrdiff_t>(at + 4), "MTrk")) {
        const size_t length = size_t{file[at + 4]} << 24 | file[at + 5] << 16 | file[at + 6] << 8 | file[at + 7];
        const size_t end = std::min(file.size(), at + 8 + length);
        split.chunks.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at),
                                  file.begin() + static_cast<std::ptrdiff_t>(end));
        at = end;
    }
    split.trailing.assign(file.begin() + static_cast<std::ptrdiff_t>(at), file.end());
    return split;
}

// The text (1) and lyric (5) events of a chunk, read independently of the program's
// decoder so that the two check each other.
inline std::vector<Timed> MetaTexts(const Bytes& chunk) {
    std::vector<Timed> texts;
    size_t i = 8;
    uint32_t now = 0;
    uint8_t running = 0;
    auto quantity = [&] {
        uint32_t value = 0;
        for (uint8_t byte = 0x80; (byte & 0x80) != 0 && i < chunk.size();)
            value = (value << 7) | ((byte = chunk[i++]) & 0x7F);
        return value;
    };
    while (i < chunk.size()) {
        now += quantity();
        if (i >= chunk.size()) break;
        const uint8_t status = chunk[i];
        if (status == 0xFF) {
            const uint8_t type = chunk[i + 1];
            i += 2;
            const size_t end = std::min<size_t>(chunk.size(), quantity() + i);
            if (type == 0x01 || type == 0x05)
                texts.push_back({now, std::string(chunk.begin() + i, chunk.begin() + end), type});
            i = end;
        } else if (status == 0xF0 || status == 0xF7) {
            ++i;
            i += quantity();
        } else {
            if (status >= 0x80) running = chunk[i++];
            i += (running & 0xF0) == 0xC0 || (running & 0xF0) == 0xD0 ? 1 : 2;
        }
    }
    return texts;
}

// The song text an import wrote, after its three directive lines, with LF line ends.
inline std::string SongTextBody(std::string text) {
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
    size_t start = 0;
    for (int line = 0; line < 3 && start != std::string::npos; ++line)
        if ((start = text.find('\n', start)) != std::string::npos) ++start;
    return start == std::string::npos ? std::string() : text.substr(start);
}

}  // namespace sonkora::importtest
