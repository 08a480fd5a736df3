#pragma once
// Helpers of the karaoke import tests: a user interface that answers from a script and
// records what it was shown, Soft Karaoke files built from timed texts and notes, and a
// reader of the chunks and meta texts of the files an import writes.

#include <algorithm>
#include <deque>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "common/UserInterface.h"
#include "midi/KaraokeImport.h"
#include "midi/pass_fixture.h"

namespace sonkora::importtest {

using test::Bytes;

// Answers the import's questions from queues; an unexpected question fails the test.
class ScriptedUi : public UserInterface {
public:
    std::vector<std::string> errors;
    std::vector<std::string> confirmations;
    std::vector<SaveDialogRequest> saveDialogs;
    std::vector<std::vector<std::string>> trackLists;

    std::deque<Answer> confirmAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::optional<int> trackChoice = 0;

    void ErrorBox(const std::string& message, int helpContext) override {
        EXPECT_EQ(helpContext, HelpContext::ErrorMessages) << message;
        errors.push_back(message);
    }
    void InformationBox(const std::string& message, int) override { ADD_FAILURE() << "information: " << message; }
    bool QueryBox(const std::string& message, int) override {
        ADD_FAILURE() << "question: " << message;
        return false;
    }
    Answer ConfirmBox(const std::string& message, int helpContext) override {
        EXPECT_EQ(helpContext, HelpContext::ErrorMessages);
        confirmations.push_back(message);
        if (confirmAnswers.empty()) {
            ADD_FAILURE() << "unexpected confirmation: " << message;
            return Answer::Cancel;
        }
        const Answer answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    std::optional<int> SelectTrack(const std::string&, const std::vector<std::string>& items) override {
        trackLists.push_back(items);
        return trackChoice;
    }
    std::optional<std::string> AskSaveFileName(const SaveDialogRequest& request) override {
        saveDialogs.push_back(request);
        if (saveAnswers.empty()) {
            ADD_FAILURE() << "unexpected save dialog for " << request.proposedName;
            return std::nullopt;
        }
        std::optional<std::string> answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    bool Batch() const override { return false; }
};

class RecordingHost : public ImportHost {
public:
    std::vector<std::string> opened;
    void OpenSongText(const std::string& fileName) override { opened.push_back(fileName); }
};

// A meta text at an absolute time: type 1 (text) unless said otherwise.
struct Timed {
    uint32_t time;
    std::string text;
    uint8_t type = 0x01;
};

// The Words track: its name, then the texts in order (times must not go back).
inline Bytes WordsTrack(const std::vector<Timed>& texts, const std::string& name = "Words") {
    Bytes data = test::Meta(0, 0x03, name);
    uint32_t now = 0;
    for (const Timed& t : texts) {
        data = test::Cat({data, test::Meta(t.time - now, t.type, t.text)});
        now = t.time;
    }
    return test::Cat({data, test::EndOfTrack()});
}

// A voice track: one note-on per time (each followed by its note-off 1 tick later when
// there is room), on `channel`.
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

inline const Bytes& Conductor() {
    static const Bytes conductor = test::Cat({test::Meta(0, 0x03, "Tempo"), test::Tempo(0, 500000), test::EndOfTrack()});
    return conductor;
}

inline Bytes InformationTrack(const std::string& name = "Soft Karaoke") {
    return test::Cat({test::Meta(0, 0x03, name), test::Meta(0, 0x01, "@KMIDI KARAOKE FILE"), test::EndOfTrack()});
}

// A Soft Karaoke file: conductor, information track, Words track, then `music`.
inline Bytes KaraokeFile(uint16_t division, const Bytes& words, const std::vector<Bytes>& music) {
    Bytes file = test::Header(1, static_cast<uint16_t>(3 + music.size()), division);
    for (const Bytes& data : std::vector<Bytes>{Conductor(), InformationTrack(), words}) file = test::Cat({file, test::Track(data)});
    for (const Bytes& data : music) file = test::Cat({file, test::Track(data)});
    return file;
}

// The chunks of a MIDI file, "MTrk" and length included, and whatever follows them.
struct ChunkedFile {
    Bytes header;
    std::vector<Bytes> chunks;
    Bytes trailing;
};

inline ChunkedFile SplitChunks(const Bytes& file) {
    ChunkedFile split;
    if (file.size() < 14) return split;
    split.header.assign(file.begin(), file.begin() + 14);
    size_t offset = 14;
    while (offset + 8 <= file.size() && std::equal(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                                   file.begin() + static_cast<std::ptrdiff_t>(offset + 4), "MTrk")) {
        const size_t length = (size_t{file[offset + 4]} << 24) | (size_t{file[offset + 5]} << 16) |
                              (size_t{file[offset + 6]} << 8) | file[offset + 7];
        const size_t end = std::min(file.size(), offset + 8 + length);
        split.chunks.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                  file.begin() + static_cast<std::ptrdiff_t>(end));
        offset = end;
    }
    split.trailing.assign(file.begin() + static_cast<std::ptrdiff_t>(offset), file.end());
    return split;
}

// The meta events of types 1 and 5 of a chunk (header included), at absolute times.
// Written independently of the program's decoder, so the two check each other.
inline std::vector<Timed> MetaTexts(const Bytes& chunk) {
    std::vector<Timed> texts;
    size_t i = 8;
    uint32_t now = 0;
    uint8_t running = 0;
    auto quantity = [&]() {
        uint32_t value = 0;
        while (i < chunk.size()) {
            const uint8_t byte = chunk[i++];
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
        }
        return value;
    };
    while (i < chunk.size()) {
        now += quantity();
        if (i >= chunk.size()) break;
        uint8_t status = chunk[i];
        if (status == 0xFF) {
            const uint8_t type = chunk[i + 1];
            i += 2;
            const uint32_t length = quantity();
            const std::string text(chunk.begin() + static_cast<std::ptrdiff_t>(i),
                                   chunk.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(chunk.size(), i + length)));
            if (type == 0x01 || type == 0x05) texts.push_back({now, text, type});
            i += length;
        } else if (status == 0xF0 || status == 0xF7) {
            ++i;
            i += quantity();
        } else {
            if (status >= 0x80) {
                running = status;
                ++i;
            }
            const uint8_t kind = running & 0xF0;
            i += (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        }
    }
    return texts;
}

inline bool operator==(const Timed& a, const Timed& b) {
    return a.time == b.time && a.text == b.text && a.type == b.type;
}
inline std::ostream& operator<<(std::ostream& out, const Timed& t) {
    return out << "{" << t.time << ", \"" << t.text << "\", " << int{t.type} << "}";
}

// The song text an import wrote, after its three directive lines.
inline std::string SongTextBody(const std::string& songText) {
    size_t start = 0;
    for (int line = 0; line < 3 && start != std::string::npos; ++line) {
        start = songText.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    return start == std::string::npos ? std::string() : songText.substr(start);
}

}  // namespace sonkora::importtest
