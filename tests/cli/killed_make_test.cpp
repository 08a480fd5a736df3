// A make killed with SIGKILL at any point of writing leaves the earlier karaoke file
// byte for byte; what it leaves is a hidden temporary, which the next make removes.
#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

using KilledMake = SonkoracTest;

TEST_F(KilledMake, LeavesTheEarlierFileAndTheNextMakeCleansUp) {
    Bytes voice;
    std::string lyrics;
    for (int i = 0; i < 200; ++i) {
        voice = Cat({voice, NoteOn(i == 0 ? 0 : 240, 0, 60 + i % 12, 90), NoteOff(240, 0, 60 + i % 12)});
        lyrics += i % 2 == 0 ? "la-" : "li ";
    }
    Write("song.mid", MidiFile(1, 480, {Tempo120, Cat({voice, EndOfTrack()})}));
    const std::string song = Write("song.stf", "\\t 1\n\n" + lyrics + "\n");
    ASSERT_EQ(Sonkorac({"make", song}).exitCode, 0);
    const Bytes earlier = ReadBytes(dir.Path("song.kar"));
    Write("song.stf", "\\t 1\n@TA new title\n\n" + lyrics + "\n");

    // Into the header, after it, into the Words track, near the end, and with the whole
    // file written but not yet renamed. (The new file is longer by its title line.)
    const size_t size = earlier.size();
    for (const std::string& point : std::vector<std::string>{
             "KILL_AFTER_BYTES=1", "KILL_AFTER_BYTES=14", "KILL_AFTER_BYTES=" + std::to_string(size / 2),
             "KILL_AFTER_BYTES=" + std::to_string(size - 1), "KILL_AT_RENAME=1"}) {
        const ProgramRun run = Sonkorac({"make", song}, {"LD_PRELOAD=" KILL_AT_WRITE_PATH,
                                                         "ASAN_OPTIONS=verify_asan_link_order=0", "SONKORA_" + point});
        EXPECT_EQ(run.exitCode, 128 + SIGKILL) << point;
        EXPECT_EQ(ReadBytes(dir.Path("song.kar")), earlier) << point;
        // What the killed run had written lies beside, hidden; never in the target.
        const std::vector<std::string> left = Temporaries();
        ASSERT_EQ(left.size(), 1U) << point;
        EXPECT_TRUE(point.find("RENAME") != std::string::npos || ReadBytes(left[0]).size() < size) << point;
    }
    // The next make finds the leftovers unlocked, removes them and puts the new file in place.
    const ProgramRun next = Sonkorac({"make", song});
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_TRUE(Temporaries().empty());
    EXPECT_GT(ReadBytes(dir.Path("song.kar")).size(), size);
}

}  // namespace
}  // namespace sonkora::clitest
