#pragma once
// The timed event queue and the playback clock of the MIDI toolkit.
//
// Records arrive with delta times in ticks (EventRecord: ticks after the previously
// queued record, -1 "at once", status 0 a tempo change). The scheduler turns them into
// ticks since the start of playback and hands each message to the open output device
// when the clock reaches it. The clock counts ticks at the song's tempo: it starts at 0
// when the resolution is set after StartStepOne, and every tempo record changes its rate
// from the tick it stands at, exactly, however late it was dispatched.
//
// The queue refuses records that lie further ahead than a bounded look-ahead (or when it
// holds too many); the refused record is offered again later. "More events wanted" is
// posted once the refused record has come within the low-water mark of its time (or the
// queue has drained to its low count), and "ran out of events" once the clock runs, the
// queue is empty and nothing was refused. Example, 96 ticks per quarter at 120 bpm:
// records (0, note on), (96, note off) are due 0 ms and 500 ms after the start; a tempo
// record (96, 250000) between them makes every later tick last half as long.
//
// Nothing here sleeps. Service() dispatches what is due now and says when the next thing
// is due; the real-time thread (SchedulerThread) calls it on the steady clock, tests and
// the offline renderer call it after moving a ManualTimeSource.
//
// Thread-safety: every member may be called from any thread. Device calls happen inside
// Service, Stop, Prepare and ResetDevice only, never two at once. Notifications are
// delivered from the thread that calls Service, with no lock held.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "midi/MidiTypes.h"
#include "playback/OutputDevice.h"
#include "playback/TimeSource.h"

namespace sonkora {

enum class ToolkitNotification {
    MoreEventsWanted,  // the queue can take the refused record (and more) now
    RanOutOfEvents     // the clock runs and every queued record has been played
};

struct SchedulerLimits {
    int64_t lookAheadMicros = 1'000'000;  // a timed record due later than now + this is refused
    int64_t lowWaterMicros = 500'000;     // the feed request comes when the refused record is this close
    size_t maxQueued = 16384;             // refused beyond this many queued records
    size_t lowQueued = 4096;              // ... and the feed request comes at this many
    // Before the clock runs the resolution is unknown, so how far ahead a record lies
    // cannot be judged: the queue then takes at most this many, and asks for more as
    // soon as the clock starts.
    size_t maxQueuedBeforeStart = 1024;
};

class Scheduler {
public:
    static constexpr int64_t Never = std::numeric_limits<int64_t>::max();
    static constexpr uint32_t DefaultTempo = 500000;  // microseconds per quarter note: 120 bpm

    using NotificationHandler = std::function<void(ToolkitNotification)>;

    explicit Scheduler(const TimeSource& time, SchedulerLimits limits = {});
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void SetNotificationHandler(NotificationHandler handler);
    // Called (with no lock held) whenever the time of the next thing to do may have
    // moved earlier, so a sleeping driver thread looks again.
    void SetWakeHandler(std::function<void()> wake);

    // The device the events go to; nullptr for none. Waits for a dispatch under way.
    void AttachDevice(OutputDevice* device);
    // True when a device is attached and its reset succeeded.
    bool ResetDevice();
    // Why the attached device can no longer sound; empty while it works or with none.
    std::string DeviceLost() const;

    // Before the first record of a playback: empty queue, clock at 0 and stopped,
    // default tempo, device prepared.
    void Prepare();
    // 0 when the record was accepted, 1 when it is refused for now.
    int Queue(const EventRecord& record);
    // The clock starts counting from 0 once both steps have been made.
    void StartStepOne();
    void SetResolution(int ticksPerQuarter);
    // Ticks since the clock started; frozen once stopped; 0 before the first start.
    int32_t ReadClock() const;
    // The clock stops, the queue is emptied and the device falls silent.
    void Stop();

    // Dispatches everything due now; returns the time (TimeSource micros) at which
    // Service should next be called, or Never when only a new record, a start or a
    // stop can change that.
    int64_t Service();

    bool Running() const;
    size_t QueuedCount() const;
    // When the running clock reaches `tick` at the tempo in force now; Never when stopped.
    int64_t MicrosOfTick(int64_t tick) const;

private:
    struct Entry {
        int64_t tick = 0;
        bool immediate = false;  // "at once": due as soon as it reaches the head of the queue
        bool tempo = false;
        uint32_t tempoValue = 0;
        uint8_t length = 0;  // bytes of a short message in `bytes`
        std::array<uint8_t, 3> bytes{};
        std::vector<uint8_t> sysex;  // a whole system-exclusive message instead
    };
    struct Refusal {
        bool byCount = false;
        int64_t dueMicros = 0;
    };

    int64_t DueMicros(int64_t tick) const;      // on the clock's own tempo map
    int64_t TailDueMicros(int64_t tick) const;  // including tempo records still queued
    int64_t TicksAt(int64_t micros) const;
    void ApplyTempo(const Entry& entry, int64_t now);
    void RecomputeTail(int64_t now);
    void ResetQueue();
    bool FlushPendingSysex();  // true when the queue was empty before
    int64_t NextWake(int64_t now) const;

    const TimeSource& time_;
    const SchedulerLimits limits_;
    NotificationHandler notify_;
    std::function<void()> wake_;

    // Lock order: deviceMutex_ before queueMutex_.
    mutable std::mutex deviceMutex_;
    OutputDevice* device_ = nullptr;
    std::vector<Entry> batch_;  // records popped for dispatch, reused

    mutable std::mutex queueMutex_;
    std::deque<Entry> queue_;
    int64_t tailTick_ = 0;               // tick of the last timed record accepted
    std::vector<uint8_t> pendingSysex_;  // a system-exclusive message still arriving byte by byte
    int64_t pendingSysexTick_ = 0;
    bool pendingSysexImmediate_ = false;

    bool armed_ = false;
    bool running_ = false;
    int64_t division_ = 0;
    uint32_t tempo_ = DefaultTempo;
    int64_t anchorMicros_ = 0;  // the clock stood at anchorTick_ at anchorMicros_
    int64_t anchorTick_ = 0;
    int32_t frozenTicks_ = 0;

    // The clock's tempo map carried on through the tempo records still queued, used to
    // judge how far ahead a new record lies. Valid while running.
    uint32_t tailTempo_ = DefaultTempo;
    int64_t tailAnchorMicros_ = 0;
    int64_t tailAnchorTick_ = 0;

    std::optional<Refusal> refusal_;
    bool awaitingFeed_ = false;  // "more events wanted" posted, no record offered since
    bool ranOutPosted_ = false;
};

}  // namespace sonkora
