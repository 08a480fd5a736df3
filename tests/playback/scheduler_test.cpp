// The toolkit's queue and clock, driven by hand: what reaches the device, and when.
#include <gtest/gtest.h>

#include <condition_variable>
#include <limits>
#include <mutex>

#include "PlaybackFixture.h"
#include "playback/SchedulerThread.h"

namespace sonkora::test {
namespace {

using Times = std::vector<int64_t>;
using Posts = std::vector<ToolkitNotification>;
constexpr ToolkitNotification More = ToolkitNotification::MoreEventsWanted;
constexpr ToolkitNotification RanOut = ToolkitNotification::RanOutOfEvents;

EventRecord Note(int32_t time, uint8_t status, uint8_t key, uint8_t velocity = 100) {
    return EventRecord{time, status, key, velocity, 0};
}
EventRecord TempoRecord(int32_t time, uint32_t micros) {
    return EventRecord{time, 0, static_cast<uint8_t>(micros >> 16), static_cast<uint8_t>(micros >> 8),
                       static_cast<uint8_t>(micros)};
}
EventRecord SysexByte(uint8_t byte) {
    return EventRecord{0, 0xF0, byte, 0, 0};
}

class SchedulerTest : public ::testing::Test {
protected:
    explicit SchedulerTest(SchedulerLimits limits = {}) : scheduler(time, limits), device(time, log) {
        scheduler.AttachDevice(&device);
        scheduler.SetNotificationHandler([this](ToolkitNotification n) { posted.push_back(n); });
        scheduler.Prepare();
    }
    void Start(int division = 96) {
        scheduler.StartStepOne();
        scheduler.SetResolution(division);
    }
    void RunTo(int64_t until) { RunUntil(scheduler, time, until); }

    ManualTimeSource time;
    Scheduler scheduler;
    DeviceLog log;
    RecordingDevice device;
    Posts posted;
};

TEST_F(SchedulerTest, TempoRecordChangesTheRateFromItsOwnTickHoweverLateItIsDispatched) {
    // 96 ticks per quarter at the default 120 bpm: a tick lasts 5208.33 us.
    scheduler.Queue(Note(0, 0x90, 60));
    scheduler.Queue(Note(96, 0x80, 60, 0));
    scheduler.Queue(TempoRecord(0, 250000));  // twice as fast from tick 96
    scheduler.Queue(Note(96, 0x90, 62));
    scheduler.Queue(Note(48, 0x80, 62, 0));
    time.Set(1000);
    Start();
    scheduler.Service();
    time.Set(504'000);  // tick 96 was due at 501 ms: the thread woke 3 ms late
    scheduler.Service();
    RunTo(601'000);
    // 96 ticks at 500000 us, then 38.4 ticks in the 100 ms at 250000 us per quarter.
    EXPECT_EQ(scheduler.ReadClock(), 134);
    RunTo(3'000'000);
    EXPECT_EQ(log.Times(), (Times{1000, 504'000, 751'000, 876'000}));
    EXPECT_EQ(log.Messages()[2], (Bytes{0x90, 62, 100}));
}

TEST_F(SchedulerTest, BeforeTheClockRunsOnlyRecordsAtOnceGoOutAndATempoAtOnceSetsTheStartingRate) {
    // Stray high bits in the data bytes never reach the device.
    scheduler.Queue(EventRecord{-1, 0xC3, 0x85, 0, 0});
    scheduler.Queue(EventRecord{-1, 0xB3, 7, 0xFF, 0});
    scheduler.Queue(TempoRecord(-1, 1'000'000));  // 60 bpm
    scheduler.Queue(Note(0, 0x93, 60));
    scheduler.Queue(TempoRecord(0, 0));  // would stop time for good: ignored
    scheduler.Queue(Note(96, 0x83, 60, 0));
    scheduler.Service();
    EXPECT_EQ(log.Messages(), (std::vector<Bytes>{{0xC3, 5}, {0xB3, 7, 0x7F}}));

    time.Set(5000);
    scheduler.StartStepOne();
    scheduler.Service();
    EXPECT_EQ(log.sent.size(), 2u) << "the clock counts only once the resolution is set";
    EXPECT_EQ(scheduler.ReadClock(), 0);
    scheduler.SetResolution(96);
    RunTo(5'000'000);
    EXPECT_EQ(log.Times(), (Times{0, 0, 5000, 1'005'000}));
}

// A scheduler with small limits: look-ahead, its low water, queue sizes (before the start too).
template <int64_t Ahead, int64_t Low, size_t Count, size_t LowCount, size_t BeforeStart = 1024>
class Limited : public SchedulerTest {
protected:
    Limited() : SchedulerTest(SchedulerLimits{Ahead, Low, Count, LowCount, BeforeStart}) {}
};
using LookAheadTest = Limited<1'000'000, 500'000, 100, 10>;
using CountLimitTest = Limited<1'000'000'000, 500'000, 4, 2>;
using BeforeStartTest = Limited<1'000'000, 500'000, 100, 10, 8>;

TEST_F(LookAheadTest, RefusedRecordIsAskedForOnceWhenItNearsAndTheEmptiedQueueWaitsForIt) {
    Start();
    EXPECT_EQ(scheduler.Queue(Note(0, 0x90, 60)), 0);
    EXPECT_EQ(scheduler.Queue(Note(192, 0x90, 61)), 0);  // 1.0 s: just within the look-ahead
    EXPECT_EQ(scheduler.Queue(Note(192, 0x90, 62)), 1);  // 2.0 s: refused
    EXPECT_EQ(scheduler.Queue(Note(192, 0x90, 62)), 1);  // and again while nothing moved
    RunTo(1'499'999);
    EXPECT_TRUE(posted.empty()) << "the queue is empty, yet a refused record waits";
    time.Set(1'500'000);
    scheduler.Service();
    scheduler.Service();
    RunTo(1'800'000);
    EXPECT_EQ(posted, (Posts{More}));
    EXPECT_EQ(scheduler.Queue(Note(192, 0x90, 62)), 0);
    // Four times as fast from here: 480 ticks on is 0.625 s, not 2.5 s, within the look-ahead.
    scheduler.Queue(TempoRecord(0, 125000));
    EXPECT_EQ(scheduler.Queue(Note(480, 0x90, 63)), 0);
    RunTo(3'000'000);
    EXPECT_EQ(log.Times(), (Times{0, 1'000'000, 2'000'000, 2'625'000}));
    EXPECT_EQ(posted, (Posts{More, RanOut}));
}

TEST_F(CountLimitTest, FullQueueRefusesUntilItHasDrainedToItsLowCountButNeverRefusesSysex) {
    for (int32_t i = 0; i < 4; ++i) ASSERT_EQ(scheduler.Queue(Note(i == 0 ? 0 : 10, 0x90, 60)), 0);
    EXPECT_EQ(scheduler.Queue(Note(10, 0x90, 61)), 1);
    // System-exclusive bytes cannot be offered again.
    EXPECT_EQ(scheduler.Queue(SysexByte(0xF0)), 0);
    EXPECT_EQ(scheduler.Queue(SysexByte(0xF7)), 0);
    scheduler.Service();
    EXPECT_TRUE(posted.empty());
    Start();
    RunTo(53'000);  // ticks 0 and 10 played: two notes and the message left
    EXPECT_TRUE(posted.empty());
    RunTo(105'000);  // tick 20 played: two left
    EXPECT_EQ(posted, (Posts{More}));
}

TEST_F(BeforeStartTest, QueueTakesABoundedAmountBeforeTheStartAndAsksForMoreOnceRunning) {
    for (int32_t i = 0; i < 8; ++i) ASSERT_EQ(scheduler.Queue(Note(i == 0 ? 0 : 1, 0x90, 60)), 0);
    EXPECT_EQ(scheduler.Queue(Note(1, 0x90, 61)), 1);
    scheduler.Service();
    EXPECT_TRUE(posted.empty());
    Start();
    scheduler.Service();
    EXPECT_EQ(posted, (Posts{More}));
    EXPECT_EQ(scheduler.Queue(Note(1, 0x90, 61)), 0);
}

TEST_F(SchedulerTest, StopFreezesTheClockAndPrepareStartsTheNextSongFromZeroAtTheDefaultTempo) {
    scheduler.Queue(TempoRecord(0, 250000));
    scheduler.Queue(Note(0, 0x90, 60));
    scheduler.Queue(Note(96, 0x80, 60, 0));
    Start();
    RunTo(125'000);
    EXPECT_EQ(scheduler.ReadClock(), 48);
    scheduler.Stop();
    EXPECT_EQ(log.silences, 1);
    EXPECT_EQ(scheduler.QueuedCount(), 0u) << "the stopped song's records are let go";
    RunTo(2'000'000);
    EXPECT_EQ(scheduler.ReadClock(), 48);
    EXPECT_TRUE(posted.empty()) << "a stopped song does not run out";

    scheduler.Prepare();
    EXPECT_EQ(scheduler.ReadClock(), 0);
    scheduler.Queue(Note(96, 0x90, 61));
    Start();
    RunTo(3'000'000);
    EXPECT_EQ(log.Times(), (Times{0, 2'500'000}));
}

TEST_F(SchedulerTest, SystemExclusiveBytesBecomeOneMessageAtTheTimeOfTheRecordBefore) {
    scheduler.Queue(SysexByte(0x41));  // no message begun: dropped
    scheduler.Queue(Note(0, 0x90, 60));
    for (uint8_t byte : {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}) scheduler.Queue(SysexByte(byte));
    scheduler.Queue(Note(96, 0x80, 60, 0));
    scheduler.Queue(SysexByte(0xF0));
    scheduler.Queue(SysexByte(0x43));                 // never terminated: goes out before what follows
    scheduler.Queue(EventRecord{48, 0xFC, 0, 0, 0});  // stop, as a one-byte message
    scheduler.Queue(EventRecord{48, 0x12, 0, 0, 0});  // no message: nothing sent, time still counts
    scheduler.Queue(SysexByte(0xF0));
    scheduler.Queue(SysexByte(0x44));  // the song's very last bytes, unterminated
    Start();
    RunTo(2'000'000);
    EXPECT_EQ(
        log.Messages(),
        (std::vector<Bytes>{
            {0x90, 60, 100}, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {0x80, 60, 0}, {0xF0, 0x43}, {0xFC}, {0xF0, 0x44}}));
    EXPECT_EQ(log.Times(), (Times{0, 0, 500'000, 500'000, 750'000, 1'000'000}));
    EXPECT_EQ(posted, (Posts{RanOut}));
}

TEST_F(SchedulerTest, ClockReadingStaysWithin32BitsAndAZeroResolutionDoesNotStopTime) {
    scheduler.Queue(TempoRecord(-1, 1));  // one microsecond per quarter note
    Start(65535);
    scheduler.Service();
    scheduler.Service();
    EXPECT_EQ(posted, (Posts{RanOut})) << "an empty song runs out as soon as the clock starts";
    time.Set(10'000'000);
    EXPECT_EQ(scheduler.ReadClock(), std::numeric_limits<int32_t>::max());

    scheduler.Stop();
    scheduler.Prepare();
    Start(0);
    time.Set(11'000'000);
    EXPECT_EQ(scheduler.ReadClock(), 2);  // treated as one tick per quarter at 120 bpm
}

TEST(SchedulerToolkitTest, DevicesAreNamedByIndexOpenedOneAtATimeAndHandlesChecked) {
    ManualTimeSource time;
    RecordingCatalog catalog(time, {"First", std::string(300, 'x')});
    SchedulerToolkit toolkit(catalog, time, SchedulerToolkit::Drive::ByHand);
    EXPECT_EQ(toolkit.DeviceName(0), "First");
    EXPECT_EQ(toolkit.DeviceName(1)->size(), 255u);
    EXPECT_FALSE(toolkit.DeviceName(2).has_value());
    EXPECT_FALSE(toolkit.DeviceName(-1).has_value());

    const MidiHandle first = toolkit.OpenDevice(0);
    EXPECT_EQ(toolkit.OpenDevice(1), 0u) << "one device at a time";
    EXPECT_EQ(toolkit.ResetDevice(first), 0);
    EXPECT_NE(toolkit.QueueEvent(first + 1, Note(-1, 0x90, 60)), 0);
    toolkit.CloseDevice(first);
    EXPECT_EQ(catalog.log.closes, 1);
    EXPECT_NE(toolkit.ResetDevice(first), 0) << "a closed handle is no longer valid";

    catalog.failReset.insert(1);
    const MidiHandle second = toolkit.OpenDevice(1);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_NE(toolkit.ResetDevice(second), 0);
}

TEST(SchedulerThreadTest, DispatchesOnItsOwnAndPostsNotifications) {
    SteadyTimeSource steady;
    Scheduler scheduler(steady);
    DeviceLog log;
    RecordingDevice device(steady, log);
    std::mutex mutex;
    std::condition_variable changed;
    Posts posted;
    scheduler.AttachDevice(&device);
    scheduler.SetNotificationHandler([&](ToolkitNotification n) {
        std::lock_guard lock(mutex);
        posted.push_back(n);
        changed.notify_all();
    });
    SchedulerThread thread(scheduler);
    scheduler.Prepare();
    scheduler.Queue(Note(-1, 0xC0, 1));
    scheduler.Queue(Note(0, 0x90, 60));
    scheduler.StartStepOne();
    scheduler.SetResolution(96);

    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return !posted.empty(); }));
    EXPECT_EQ(posted.front(), RanOut);
    EXPECT_EQ(log.sent.size(), 2u);
    lock.unlock();
    scheduler.AttachDevice(nullptr);
}

}  // namespace
}  // namespace sonkora::test
