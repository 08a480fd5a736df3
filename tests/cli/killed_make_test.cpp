// A make killed with SIGKILL at any point of writing leaves the earlier karaoke file
// byte for byte; what it leaves is a hidden temporary, which the next make removes.
#include "cli_fixture.h"

namespace sonkora::clitest {

namespace {

class KilledMake : public SonkoracTest {
protected:
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path(""))) {
            if (entry.path().filename().string().find(".sonkora-tmp-") != std::string::npos)
                found.push_back(entry.path().string());
        }
        return found;
    }
};

TEST_F(KilledMake, LeavesTheEarlierFileAndTheNextMakeCleansUp) {
    Bytes voice;
    for (int i = 0; i < 200; ++i)
        voice = Cat({voice, NoteOn(i == 0 ? 0 : 240, 0, 60 + i % 12, 90), NoteOff(240, 0, 60 + i % 12)});
    Write("song.mid", MidiFile(1, 480, {Cat({Tempo(0, 500000), EndOfTrack()}), Cat({voice, EndOfTrack()})}));
    std::string lyrics;
    for (int i = 0; i < 200; ++i) lyrics += i % 2 == 0 ? "la-" : "li ";
    const std::string song = Write("song.stf", Text("\\t 1\n\n" + lyrics + "\n"));
    ASSERT_EQ(RunWithDeadline(dir, {"make", song}, {}, 10).exitCode, 0);
    const Bytes earlier = ReadBytes(dir.Path("song.kar"));
    Write("song.stf", Text("\\t 1\n@TA new title\n\n" + lyrics + "\n"));

    const std::vector<std::string> preload = {"LD_PRELOAD=" KILL_AT_WRITE_PATH,
                                              "ASAN_OPTIONS=verify_asan_link_order=0"};
    // Into the header, after it, into the Words track, near the end, and with the whole
    // file written but not yet renamed. (The new file is longer by its title line.)
    const size_t size = earlier.size();
    const std::vector<std::string> points = {"SONKORA_KILL_AFTER_BYTES=1", "SONKORA_KILL_AFTER_BYTES=14",
                                             "SONKORA_KILL_AFTER_BYTES=" + std::to_string(size / 2),
                                             "SONKORA_KILL_AFTER_BYTES=" + std::to_string(size - 1),
                                             "SONKORA_KILL_AT_RENAME=1"};
    for (const std::string& point : points) {
        std::vector<std::string> environment = preload;
        environment.push_back(point);
        const ProgramRun run = RunWithDeadline(dir, {"make", song}, environment, 10);
        EXPECT_EQ(run.exitCode, 128 + SIGKILL) << point;
        EXPECT_EQ(ReadBytes(dir.Path("song.kar")), earlier) << point;
        // What the killed run had written lies beside, hidden; never in the target.
        const std::vector<std::string> left = Temporaries();
        ASSERT_EQ(left.size(), 1U) << point;
        if (point.find("RENAME") == std::string::npos) {
            EXPECT_LT(ReadBytes(left[0]).size(), size) << point;
        }
    }
    // The next make finds the leftovers unlocked, removes them and puts the new file in place.
    const ProgramRun next = RunWithDeadline(dir, {"make", song}, {}, 10);
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_TRUE(Temporaries().empty());
    const Bytes made = ReadBytes(dir.Path("song.kar"));
    EXPECT_GT(made.size(), size);
}

}  // namespace
}  // namespace sonkora::clitest
