#pragma once
// An engine on a hand-driven toolkit with recording devices, and songs written to a
// temporary folder: the frame's message loop is played by Run().

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlaybackFakes.h"
#include "playback/PlaybackEngine.h"
#include "playback/SchedulerToolkit.h"
#include "support/MidiBytes.h"

namespace sonkora::test {

inline Bytes Controller(uint32_t delta, uint8_t channel, uint8_t controller, uint8_t value) {
    return Cat({Quantity(delta), {static_cast<uint8_t>(0xB0 | channel), controller, value}});
}

// Microseconds of `ticks` at 96 ticks per quarter and 120 bpm.
constexpr int64_t At120(int64_t ticks) { return (ticks * 500000 + 95) / 96; }

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonkora-playback-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        path_ = name.data();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + file.string());
        return file.string();
    }
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(SchedulerLimits limits = {})
        : catalog(time, {"Test Synth", "Port B"}),
          toolkit(catalog, time, SchedulerToolkit::Drive::ByHand, limits),
          engine(toolkit, ui, frame) {
        toolkit.SetNotificationHandler([this](ToolkitNotification n) { posted.push_back(n); });
    }

    // Hands the toolkit's notifications to the engine, as the frame's message loop does.
    void Deliver() {
        while (!posted.empty()) {
            const ToolkitNotification notification = posted.front();
            posted.erase(posted.begin());
            if (notification == ToolkitNotification::MoreEventsWanted) {
                ++feedRequests;
                engine.MidiFeedRequest();
            } else {
                engine.MidiPlaybackEnded();
            }
        }
    }

    // Moves time to `until`, dispatching every record at its moment and delivering
    // every notification as it comes.
    void Run(int64_t until) {
        Scheduler& scheduler = toolkit.GetScheduler();
        for (int guard = 0; guard < 1000000; ++guard) {
            Deliver();
            const int64_t next = scheduler.Service();
            if (!posted.empty()) continue;
            if (next > until || next <= time.NowMicros()) break;
            time.Set(next);
        }
        time.Set(until);
        scheduler.Service();
        Deliver();
    }

    // Idle as StopPlaying leaves it.
    void ExpectIdle() {
        EXPECT_FALSE(engine.Playing());
        EXPECT_FALSE(frame.timerEnabled);
        EXPECT_EQ(frame.gaugeMaximum, 100);
        EXPECT_EQ(frame.gaugeProgress, 100);
        EXPECT_EQ(engine.Follower().LyricIndex(), 0);
        EXPECT_TRUE(engine.Follower().LyricTimes().empty());
    }

    TempFolder folder;
    ManualTimeSource time;
    RecordingCatalog catalog;
    SchedulerToolkit toolkit;
    RecordingUi ui;
    RecordingFrame frame;
    RecordingEditor editor;
    PlaybackEngine engine;
    std::vector<ToolkitNotification> posted;
    int feedRequests = 0;
};

}  // namespace sonkora::test
