// Opening, header checks and track loading: the codes a bad file gets, and that no cut
// or corrupted file makes the reader crash, hang or hold more than the file.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <functional>
#include <thread>

#include "reader_fixture.h"

namespace sonkora {
namespace {

using readertest::Load;
using readertest::RecordingSink;
using test::Be16;
using test::Be32;
using test::Bytes;
using test::Cat;
using test::EndOfTrack;
using test::Meta;
using test::NoteOn;
using test::Text;

Bytes Header(uint32_t length, uint16_t tracks) {
    return Cat({Text("MThd"), Be32(length), Be16(1), Be16(tracks), Be16(96)});
}

const Bytes GoodChunk = test::Track(Cat({NoteOn(0, 0, 60, 1), EndOfTrack()}));

Bytes SmallSong() {
    return test::MidiFile(1, 96,
                          {Cat({Meta(0, 0x03, "Song"), test::Tempo(0, 500000), EndOfTrack()}),
                           Cat({test::Program(0, 0, 5), NoteOn(0, 0, 60, 100), {0x60, 0x3C, 0x00, 0x00, 0xF0, 0x01, 0xF7},
                                EndOfTrack()}),
                           Cat({Meta(0, 0x05, "la"), NoteOn(48, 9, 36, 90), EndOfTrack(48)})});
}

size_t BytesHeld(const MidiReader& reader) {
    size_t held = 0;
    for (int i = 0; i < MaxTracks; ++i) held += reader.Track(i).Data.capacity();
    return held;
}

// Loads a file and then does all that playback and the lyric display do with it.
int32_t LoadAndPlay(const Bytes& file) {
    auto reader = Load(file);
    const int32_t error = reader->MidiError();
    EXPECT_LE(BytesHeld(*reader), file.size());
    for (int track = 0; track < MaxTracks; ++track) {
        MEvent event;
        int events = 0;
        while (reader->ReadEvent(static_cast<uint16_t>(track), event) && ++events < 1000) {
        }
        EXPECT_LT(events, 1000) << "reading track " << track << " does not end";
    }
    for (int32_t start : {-1, 0, 50}) {
        reader->SetMidiError(error);
        reader->RewindTracks();
        RecordingSink sink;
        int32_t startTime = start, baseTime = 0;
        reader->SendEvents(startTime, baseTime, 0, sink.AsSink());
        EXPECT_LT(sink.offered, 1000);
    }
    return error;
}

TEST(ReaderLoad, HeaderAndChunkErrors) {
    struct Case {
        const char* what;
        Bytes file;
        int32_t error;
        bool header;  // the header itself passed
        int loaded;   // slots that hold a track afterwards
    };
    const Case cases[] = {
        {"format 0, one track", Cat({test::Header(0, 1, 96), GoodChunk}), 0, true, 1},
        {"any format value", Cat({test::Header(9, 2, 96), GoodChunk, GoodChunk}), 0, true, 2},
        {"empty file", {}, 1, false, 0},
        {"thirteen bytes", Bytes(13, 'M'), 1, false, 0},
        {"wrong identifier", Cat({Text("MThD"), Be32(6), Be16(1), Be16(1), Be16(96), GoodChunk}), 1, false, 0},
        {"header length 7", Cat({Header(7, 1), {0x00}, GoodChunk}), 2, false, 0},
        {"no tracks", Header(6, 0), 1, false, 0},
        {"257 tracks", Header(6, 257), 8, false, 0},
        {"65535 tracks", Header(6, 65535), 8, false, 0},
        {"256 tracks, two chunks", Cat({Header(6, 256), GoodChunk, GoodChunk}), 2, true, 2},
        {"chunk header cut short", Cat({Header(6, 2), GoodChunk, Text("MTr")}), 2, true, 1},
        {"other chunk type is not skipped", Cat({Header(6, 2), GoodChunk, Text("XFIH"), Be32(0), GoodChunk}), 2, true, 1},
        {"length beyond the file", Cat({Header(6, 2), GoodChunk, Text("MTrk"), Be32(1000), {0x00, 0x90}}), -5, true, 1},
        {"largest length", Cat({Header(6, 2), GoodChunk, Text("MTrk"), Be32(0xFFFFFFFF), {0x00}}), -5, true, 1},
    };
    for (const Case& c : cases) {
        MidiReader headerOnly;
        headerOnly.OpenMidiBuffer(c.file);
        EXPECT_EQ(headerOnly.ReadMidiHeader(), c.header) << c.what;
        auto reader = Load(c.file);
        EXPECT_EQ(reader->MidiError(), c.error) << c.what;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(reader->Track(i).Present, i < c.loaded) << c.what << " slot " << i;
        EXPECT_EQ(LoadAndPlay(c.file), c.error) << c.what;
    }
    EXPECT_STREQ(MidiErrorMessage(Load(Header(6, 257))->MidiError()), "Too many tracks in MIDI file.");
}

TEST(ReaderLoad, TracksOfManyBlocksAndReloading) {
    Bytes data = {0x00, 0x90, 0x3C, 0x40};
    for (int i = 0; i < 70000; ++i) data.insert(data.end(), {0x01, 0x3C, 0x40});  // running-status notes
    data = Cat({data, EndOfTrack()});
    auto reader = Load(test::MidiFile(1, 96, {data, data}));
    ASSERT_EQ(reader->MidiError(), 0);
    EXPECT_EQ(reader->Track(1).Data, data);

    reader->OpenMidiBuffer(test::MidiFile(0, 96, {data}));
    ASSERT_TRUE(reader->ReadMidiHeader() && reader->LoadTracks());
    EXPECT_FALSE(reader->Track(1).Present) << "the tracks of the song before are gone";
    reader->FreeTracks();
    EXPECT_FALSE(reader->Track(0).Present);
    MEvent event;
    EXPECT_FALSE(reader->ReadEvent(0, event));
}

TEST(ReaderLoad, FilesOpenLikeTheirBytesAndFailuresAreMinusFive) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("sonkora_reader_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const Bytes song = SmallSong();
    const std::string path = (dir / "song.mid").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(song.data()), static_cast<long>(song.size()));

    MidiReader reader;
    EXPECT_FALSE(reader.ReadMidiHeader()) << "nothing is open";
    EXPECT_EQ(reader.MidiError(), -5);
    for (const std::string& bad : {(dir / "missing.mid").string(), dir.string(), std::string()}) {
        EXPECT_FALSE(reader.OpenMidi(bad)) << bad;
        EXPECT_EQ(reader.MidiError(), -5) << bad;
    }
    ASSERT_TRUE(reader.OpenMidi(path));
    ASSERT_TRUE(reader.ReadMidiHeader() && reader.LoadTracks());
    reader.CloseMidi();
    std::filesystem::remove_all(dir);
    auto fromMemory = Load(song);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reader.Track(i).Data, fromMemory->Track(i).Data) << i;
}

TEST(ReaderLoad, EveryCutOfASongGivesItsCode) {
    const Bytes song = SmallSong();
    const size_t firstChunkEnd = 22 + song[21];
    for (size_t cut = 0; cut <= song.size(); ++cut) {
        const int32_t error = LoadAndPlay(Bytes(song.begin(), song.begin() + static_cast<long>(cut)));
        if (cut < 14) {
            EXPECT_EQ(error, 1) << cut;
        } else if (cut == song.size()) {
            EXPECT_EQ(error, 0) << cut;
        } else if (cut < 22 || cut == firstChunkEnd) {
            EXPECT_EQ(error, 2) << cut;
        } else {
            EXPECT_TRUE(error == 2 || error == -5) << cut << ": " << error;
        }
    }
}

TEST(ReaderLoad, CorruptBytesAnywhereNeverCrashOrHang) {
    const Bytes song = SmallSong();
    for (size_t at = 0; at < song.size(); ++at) {
        for (uint8_t value : {0x00, 0x7F, 0x80, 0xF4, 0xFF}) {
            Bytes bad = song;
            bad[at] = value;
            LoadAndPlay(bad);
        }
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define SONKORA_READER_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SONKORA_READER_UNDER_ASAN 1
#endif
#endif

// Runs in a child process that may map only 256 MiB more than it has: a file claiming
// a 2 GiB chunk must load to -5, where allocating the claim would abort the child.
[[noreturn, maybe_unused]] void LoadClaimWithLittleMemory(const std::function<void(MidiReader&)>& open) {
    unsigned long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%lu", &pages) != 1) std::_Exit(3);
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (256u << 20);
    const rlimit bounds{limit, limit};
    if (setrlimit(RLIMIT_AS, &bounds) != 0) std::_Exit(4);
    MidiReader reader;
    open(reader);
    std::_Exit(reader.ReadMidiHeader() && !reader.LoadTracks() && reader.MidiError() == -5 ? 0 : 5);
}

TEST(ReaderLoad, AClaimedLengthIsNotAllocatedFromMemoryFileOrPipe) {
#ifdef SONKORA_READER_UNDER_ASAN
    GTEST_SKIP() << "the sanitizers hold most of the address space, so it cannot be limited";
#endif
    static const Bytes claim = Cat({Header(6, 2), GoodChunk, Text("MTrk"), Be32(0x7FFFFF00), {0x00, 0x90, 0x3C}});
    const std::string file = std::filesystem::temp_directory_path() / ("sonkora_claim_" + std::to_string(getpid()));
    const std::string pipe = file + ".pipe";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(claim.data()), static_cast<long>(claim.size()));
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto fromMemory = [](MidiReader& reader) { reader.OpenMidiBuffer(claim); };
    auto fromFile = [&file](MidiReader& reader) { reader.OpenMidi(file); };
    // A pipe has no size to check a claim against: the reader can only grow with the data.
    auto fromPipe = [&pipe](MidiReader& reader) {
        std::thread([&pipe] {
            std::FILE* out = std::fopen(pipe.c_str(), "wb");
            if (out == nullptr || std::fwrite(claim.data(), 1, claim.size(), out) != claim.size()) std::_Exit(7);
            std::fclose(out);
        }).detach();
        reader.OpenMidi(pipe);
    };
    EXPECT_EXIT(LoadClaimWithLittleMemory(fromMemory), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(LoadClaimWithLittleMemory(fromFile), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(LoadClaimWithLittleMemory(fromPipe), ::testing::ExitedWithCode(0), "");
    std::filesystem::remove(file);
    std::filesystem::remove(pipe);
}

}  // namespace
}  // namespace sonkora
