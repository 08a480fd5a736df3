// The toolkit's queue and clock, driven by hand: what reaches the device, and when.
#include <gtest/gtest.h>

#include <future>
#include <limits>

#include "PlaybackFixture.h"

namespace sonkora::test {
namespace {

using Posts = std::vector<ToolkitNotification>;
using Answers = std::vector<int>;
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
    // What the queue answered to each record in turn.
    Answers QueueAll(std::initializer_list<EventRecord> records) {
        Answers answers;
        for (const EventRecord& record : records) answers.push_back(scheduler.Queue(record));
        return answers;
    }

    ManualTimeSource time;
    Scheduler scheduler;
    DeviceLog log;
    RecordingDevice device;
    Posts posted;
};

TEST_F(SchedulerTest, TempoRecordChangesTheRateFromItsOwnTickHoweverLateItIsDispatched) {
    // 96 ticks per quarter at the default 120 bpm (a tick lasts 5208.33 us), twice as fast from tick 96.
    QueueAll(
        {Note(0, 0x90, 60), Note(96, 0x80, 60, 0), TempoRecord(0, 250000), Note(96, 0x90, 62), Note(48, 0x80, 62, 0)});
    time.Set(1000);
    Start();
    scheduler.Service();
    time.Set(504'000);  // tick 96 was due at 501 ms: the thread woke 3 ms late
    scheduler.Service();
    RunTo(601'000);
    // 96 ticks at 500000 us, then 38.4 ticks in the 100 ms at 250000 us per quarter.
    EXPECT_EQ(scheduler.ReadClock(), 134);
    RunTo(3'000'000);
    const SentList expected{
        {1000, {0x90, 60, 100}}, {504'000, {0x80, 60, 0}}, {751'000, {0x90, 62, 100}}, {876'000, {0x80, 62, 0}}};
    EXPECT_EQ(log.sent, expected);
}

TEST_F(SchedulerTest, BeforeTheClockRunsOnlyRecordsAtOnceGoOutAndATempoAtOnceSetsTheStartingRate) {
    // Stray high bits in the data bytes never reach the device; 60 bpm at once; a tempo of 0
    // would stop time for good: it is ignored.
    QueueAll({EventRecord{-1, 0xC3, 0x85, 0, 0}, EventRecord{-1, 0xB3, 7, 0xFF, 0}, TempoRecord(-1, 1'000'000),
              Note(0, 0x93, 60), TempoRecord(0, 0), Note(96, 0x83, 60, 0)});
    scheduler.Service();
    time.Set(5000);
    scheduler.StartStepOne();
    scheduler.Service();
    EXPECT_EQ(log.sent.size(), 2u) << "the clock counts only once the resolution is set";
    scheduler.SetResolution(96);
    RunTo(5'000'000);
    EXPECT_EQ(log.sent,
              (SentList{{0, {0xC3, 5}}, {0, {0xB3, 7, 0x7F}}, {5000, {0x93, 60, 100}}, {1'005'000, {0x83, 60, 0}}}));
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
    // 1.0 s is just within the look-ahead, 2.0 s is refused, again while nothing moved.
    EXPECT_EQ(QueueAll({Note(0, 0x90, 60), Note(192, 0x90, 61), Note(192, 0x90, 62), Note(192, 0x90, 62)}),
              (Answers{0, 0, 1, 1}));
    RunTo(1'499'999);
    EXPECT_TRUE(posted.empty()) << "the queue is empty, yet a refused record waits";
    RunTo(1'800'000);
    EXPECT_EQ(posted, (Posts{More}));
    // Taken now; then four times as fast: 480 ticks on is 0.625 s, not 2.5 s, within the look-ahead.
    QueueAll({Note(192, 0x90, 62), TempoRecord(0, 125000), Note(480, 0x90, 63)});
    RunTo(3'000'000);
    const SentList expected{
        {0, {0x90, 60, 100}}, {1'000'000, {0x90, 61, 100}}, {2'000'000, {0x90, 62, 100}}, {2'625'000, {0x90, 63, 100}}};
    EXPECT_EQ(log.sent, expected);
    EXPECT_EQ(posted, (Posts{More, RanOut}));
}

TEST_F(CountLimitTest, FullQueueRefusesUntilItHasDrainedToItsLowCountButNeverRefusesSysex) {
    // System-exclusive bytes cannot be offered again: a full queue takes them all the same.
    EXPECT_EQ(QueueAll({Note(0, 0x90, 60), Note(10, 0x90, 60), Note(10, 0x90, 60), Note(10, 0x90, 60),
                        Note(10, 0x90, 61), SysexByte(0xF0), SysexByte(0xF7)}),
              (Answers{0, 0, 0, 0, 1, 0, 0}));
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
    QueueAll({TempoRecord(0, 250000), Note(0, 0x90, 60), Note(96, 0x80, 60, 0)});
    Start();
    RunTo(125'000);
    scheduler.Stop();
    EXPECT_EQ(scheduler.QueuedCount(), 0u) << "the stopped song's records are let go";
    RunTo(2'000'000);
    EXPECT_EQ(scheduler.ReadClock(), 48);
    EXPECT_TRUE(posted.empty()) << "a stopped song does not run out";

    scheduler.Prepare();
    EXPECT_EQ(scheduler.ReadClock(), 0);
    scheduler.Queue(Note(96, 0x90, 61));
    Start();
    RunTo(3'000'000);
    EXPECT_EQ(log.sent, (SentList{{0, {0x90, 60, 100}}, {2'500'000, {0x90, 61, 100}}}));
}

TEST_F(SchedulerTest, SystemExclusiveBytesBecomeOneMessageAtTheTimeOfTheRecordBefore) {
    // A continuation byte with no message begun is dropped; a message never terminated goes
    // out before what follows it, or at the end; 0xFC is a one-byte message, 0x12 none:
    // nothing is sent, yet its time counts.
    QueueAll({SysexByte(0x41), Note(0, 0x90, 60), SysexByte(0xF0), SysexByte(0x7E), SysexByte(0x7F), SysexByte(0x09),
              SysexByte(0x01), SysexByte(0xF7), Note(96, 0x80, 60, 0), SysexByte(0xF0), SysexByte(0x43),
              EventRecord{48, 0xFC, 0, 0, 0}, EventRecord{48, 0x12, 0, 0, 0}, SysexByte(0xF0), SysexByte(0x44)});
    Start();
    RunTo(2'000'000);
    const SentList expected{{0, {0x90, 60, 100}},     {0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                            {500'000, {0x80, 60, 0}}, {500'000, {0xF0, 0x43}},
                            {750'000, {0xFC}},        {1'000'000, {0xF0, 0x44}}};
    EXPECT_EQ(log.sent, expected);
    EXPECT_EQ(posted, (Posts{RanOut}));
}

TEST_F(SchedulerTest, ClockReadingStaysWithin32BitsAndAZeroResolutionDoesNotStopTime) {
    scheduler.Queue(TempoRecord(-1, 1));  // one microsecond per quarter note
    Start(65535);
    scheduler.Service();
    time.Set(10'000'000);
    EXPECT_EQ(scheduler.ReadClock(), std::numeric_limits<int32_t>::max());

    scheduler.Prepare();
    Start(0);
    time.Set(11'000'000);
    EXPECT_EQ(scheduler.ReadClock(), 2);  // treated as one tick per quarter at 120 bpm
}

TEST_F(EngineTest, ToolkitNamesDevicesByIndexOpensOneAtATimeAndChecksHandles) {
    catalog.names[1] = std::string(300, 'x');
    EXPECT_EQ(toolkit.DeviceName(0), "Test Synth");
    EXPECT_EQ(toolkit.DeviceName(1)->size(), 255u);
    EXPECT_FALSE(toolkit.DeviceName(2).has_value());

    const MidiHandle first = toolkit.OpenDevice(0);
    EXPECT_EQ(toolkit.OpenDevice(1), 0u) << "one device at a time";
    EXPECT_NE(toolkit.QueueEvent(first + 1, Note(-1, 0x90, 60)), 0);
    toolkit.CloseDevice(first);
    EXPECT_NE(toolkit.ResetDevice(first), 0) << "a closed handle is no longer valid";
    const MidiHandle second = toolkit.OpenDevice(1);
    EXPECT_TRUE(second != 0 && second != first) << "nor does it name the next device";
}

TEST(SchedulerThreadTest, DispatchesOnItsOwnAndPostsNotifications) {
    SteadyTimeSource steady;
    std::promise<void> ranOut;
    std::future<void> ranOutSeen = ranOut.get_future();
    RecordingCatalog catalog(steady, {"Synth"});
    SchedulerToolkit toolkit(catalog, steady, SchedulerToolkit::Drive::Thread);
    toolkit.SetNotificationHandler([&](ToolkitNotification n) {
        if (n == RanOut) ranOut.set_value();
    });
    const MidiHandle device = toolkit.OpenDevice(0);
    toolkit.PrepareDevice(device);
    toolkit.QueueEvent(device, Note(-1, 0xC0, 1));
    toolkit.QueueEvent(device, Note(0, 0x90, 60));
    toolkit.StartClock();
    toolkit.SetClockResolution(96);
    ASSERT_EQ(ranOutSeen.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(catalog.log.sent.size(), 2u);
}

}  // namespace
}  // namespace sonkora::test
