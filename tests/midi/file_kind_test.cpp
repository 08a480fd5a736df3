#include "midi/FileKind.h"

#include <gtest/gtest.h>

#include <string>

#include "common/IoError.h"
#include "support/MidiBytes.h"
#include "support/TempFolder.h"

namespace sonkora {
namespace {

using test::Bytes;

std::string AsString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string Le32(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
}

// The RIFF form of a MIDI file, as .rmi files hold it, optionally after a LIST chunk.
std::string RiffMidi(const std::string& midi, const std::string& before = {}) {
    const std::string body = "RMID" + before + "data" + Le32(static_cast<uint32_t>(midi.size())) + midi;
    return "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
}

TEST(FileKind, IsToldByTheBytesAndOnlyThenByTheName) {
    const std::string midi = AsString(test::MidiFile(1, 96, {test::EndOfTrack()}));
    const std::string karaoke = AsString(test::MidiFile(
        1, 96, {test::EndOfTrack(), test::Cat({test::Meta(0, 1, "@KMIDI KARAOKE FILE"), test::EndOfTrack()})}));
    const std::string info = "LIST" + Le32(4) + "INFO";
    const struct {
        std::string head;
        const char* name;
        FileKind kind;
    } rows[] = {
        {midi, "/songs/song.mid", FileKind::Midi},
        {midi, "/songs/song", FileKind::Midi},
        {midi, "/songs/SONG.MIDI", FileKind::Midi},
        {RiffMidi(midi), "/songs/song.rmi", FileKind::Midi},
        {RiffMidi(midi, info), "/songs/song.RMI", FileKind::Midi},
        {RiffMidi(midi), "/songs/song.Kar", FileKind::Karaoke},
        {midi, "/songs/song.kar", FileKind::Karaoke},
        {karaoke, "/songs/song.mid", FileKind::Karaoke},
        {"\\t 1\r\n\\m song.mid\r\n", "/songs/song.stf", FileKind::SongText},
        {"\\t 1\r\n", "/songs/song.mid.txt", FileKind::SongText},
        {"", "/songs/empty.stf", FileKind::SongText},
        {"\\t 1\r\n", "/songs/song.mid", FileKind::NotMidi},
        {"", "/songs/song.kar", FileKind::NotMidi},
        // A RIFF file of another kind (a wave file) is no MIDI file.
        {"RIFF" + Le32(40) + "WAVEfmt " + std::string(32, '\0'), "/songs/song.rmi", FileKind::NotMidi},
        {"RIFF" + Le32(4) + "RMID", "/songs/short.rmi", FileKind::NotMidi},
        {"MTh", "/songs/cut.mid", FileKind::NotMidi},
    };
    for (const auto& row : rows) EXPECT_EQ(DetectFileKind(row.head, row.name), row.kind) << row.name;
}

TEST(FileKind, OfAFileReadsItsHeadAndReportsWhatCannotBeRead) {
    test::TempFolder folder;
    const std::string midi = AsString(test::MidiFile(0, 96, {test::EndOfTrack()}));
    EXPECT_EQ(DetectFileKindOfFile(folder.Write("wrapped.rmi", RiffMidi(midi))), FileKind::Midi);
    EXPECT_EQ(DetectFileKindOfFile(folder.Write("song.stf", std::string("\\t 1\r\n"))), FileKind::SongText);
    EXPECT_THROW(DetectFileKindOfFile(folder.Path("missing.mid")), IoError);
    EXPECT_THROW(DetectFileKindOfFile(folder.Directory()), IoError);
}

}  // namespace
}  // namespace sonkora
