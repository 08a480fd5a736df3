#include "playback/Scheduler.h"

#include <algorithm>
#include <utility>

namespace sonkora {

namespace {

// Far beyond any song (a MIDI time is a signed 32-bit value), small enough that a tick
// count times a tempo (below 2^24) never overflows 64 bits.
constexpr int64_t MaxTick = int64_t{1} << 36;

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

uint32_t TempoOf(const EventRecord& record) {
    return (uint32_t{record.Data1} << 16) | (uint32_t{record.Data2} << 8) | record.Data3;
}

}  // namespace

Scheduler::Scheduler(const TimeSource& time, SchedulerLimits limits) : time_(time), limits_(limits) {}

void Scheduler::SetNotificationHandler(NotificationHandler handler) {
    std::lock_guard lock(queueMutex_);
    notify_ = std::move(handler);
}

void Scheduler::SetWakeHandler(std::function<void()> wake) {
    std::lock_guard lock(queueMutex_);
    wake_ = std::move(wake);
}

void Scheduler::AttachDevice(OutputDevice* device) {
    std::lock_guard lock(deviceMutex_);
    device_ = device;
}

bool Scheduler::ResetDevice() {
    std::lock_guard lock(deviceMutex_);
    return device_ != nullptr && device_->Reset();
}

std::string Scheduler::DeviceLost() const {
    std::lock_guard lock(deviceMutex_);
    return device_ != nullptr ? device_->Lost() : std::string();
}

void Scheduler::ResetQueue() {
    queue_.clear();
    pendingSysex_.clear();
    refusal_.reset();
    awaitingFeed_ = false;
    ranOutPosted_ = false;
}

void Scheduler::Prepare() {
    std::function<void()> wake;
    {
        std::lock_guard deviceLock(deviceMutex_);
        {
            std::lock_guard lock(queueMutex_);
            ResetQueue();
            armed_ = running_ = false;
            division_ = 0;
            tempo_ = tailTempo_ = DefaultTempo;
            anchorMicros_ = anchorTick_ = 0;
            tailAnchorMicros_ = tailAnchorTick_ = 0;
            tailTick_ = 0;
            frozenTicks_ = 0;
            wake = wake_;
        }
        if (device_ != nullptr) device_->Prepare();
    }
    if (wake) wake();
}

void Scheduler::Stop() {
    std::function<void()> wake;
    {
        std::lock_guard deviceLock(deviceMutex_);
        {
            std::lock_guard lock(queueMutex_);
            if (running_) frozenTicks_ = ClampToInt32(TicksAt(time_.NowMicros()));
            armed_ = running_ = false;
            ResetQueue();
            wake = wake_;
        }
        if (device_ != nullptr) device_->Silence();
    }
    if (wake) wake();
}

void Scheduler::StartStepOne() {
    std::lock_guard lock(queueMutex_);
    armed_ = true;
}

void Scheduler::SetResolution(int ticksPerQuarter) {
    std::function<void()> wake;
    {
        std::lock_guard lock(queueMutex_);
        const int64_t now = time_.NowMicros();
        // A resolution of 0 would make every tick last forever.
        const int64_t division = std::max(ticksPerQuarter, 1);
        if (running_) {
            // A new resolution while running: the clock goes on from where it stands.
            anchorTick_ = TicksAt(now);
            anchorMicros_ = now;
            division_ = division;
            RecomputeTail(now);
            return;
        }
        division_ = division;
        if (!armed_) return;
        running_ = true;
        anchorMicros_ = now;
        anchorTick_ = 0;
        ranOutPosted_ = false;
        RecomputeTail(now);
        wake = wake_;
    }
    if (wake) wake();
}

void Scheduler::RecomputeTail(int64_t now) {
    tailTempo_ = tempo_;
    tailAnchorMicros_ = anchorMicros_;
    tailAnchorTick_ = anchorTick_;
    for (const Entry& entry : queue_) {
        if (!entry.tempo || entry.tempoValue == 0) continue;
        if (entry.immediate) {
            tailAnchorMicros_ = std::max(now, tailAnchorMicros_);
        } else {
            tailAnchorMicros_ = TailDueMicros(entry.tick);
            tailAnchorTick_ = entry.tick;
        }
        tailTempo_ = entry.tempoValue;
    }
}

int64_t Scheduler::DueMicros(int64_t tick) const {
    const int64_t ticks = tick - anchorTick_;
    if (ticks <= 0) return anchorMicros_;
    return anchorMicros_ + (ticks * tempo_ + division_ - 1) / division_;
}

int64_t Scheduler::TailDueMicros(int64_t tick) const {
    const int64_t ticks = tick - tailAnchorTick_;
    if (ticks <= 0) return tailAnchorMicros_;
    return tailAnchorMicros_ + (ticks * tailTempo_ + division_ - 1) / division_;
}

int64_t Scheduler::TicksAt(int64_t micros) const {
    return anchorTick_ + FloorDiv((micros - anchorMicros_) * division_, tempo_);
}

int32_t Scheduler::ReadClock() const {
    std::lock_guard lock(queueMutex_);
    if (!running_) return frozenTicks_;
    return ClampToInt32(TicksAt(time_.NowMicros()));
}

bool Scheduler::Running() const {
    std::lock_guard lock(queueMutex_);
    return running_;
}

size_t Scheduler::QueuedCount() const {
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

int64_t Scheduler::MicrosOfTick(int64_t tick) const {
    std::lock_guard lock(queueMutex_);
    return running_ ? DueMicros(std::min(tick, MaxTick)) : Never;
}

bool Scheduler::FlushPendingSysex() {
    if (pendingSysex_.empty()) return false;
    const bool wasEmpty = queue_.empty();
    Entry entry;
    entry.tick = pendingSysexTick_;
    entry.immediate = pendingSysexImmediate_;
    entry.sysex = std::move(pendingSysex_);
    pendingSysex_.clear();
    queue_.push_back(std::move(entry));
    return wasEmpty;
}

int Scheduler::Queue(const EventRecord& record) {
    bool wakeNeeded = false;
    int answer = 0;
    std::function<void()> wake;
    {
        std::lock_guard lock(queueMutex_);
        awaitingFeed_ = false;
        wake = wake_;
        if (record.Status == 0xF0) {
            // One byte of a system-exclusive message. The bytes of one message come one
            // after the other and are never refused (the caller cannot offer them
            // again), so the message is put together here and queued whole, at the time
            // of the record before it: the time field of these records does not count.
            if (record.Data1 == 0xF0) {
                wakeNeeded |= FlushPendingSysex();
                pendingSysex_.assign(1, 0xF0);
                pendingSysexTick_ = tailTick_;
                pendingSysexImmediate_ = record.Time < 0;
            } else if (!pendingSysex_.empty()) {
                pendingSysex_.push_back(record.Data1);
                if (record.Data1 == 0xF7) wakeNeeded |= FlushPendingSysex();
            }
            // A continuation byte with no message begun is dropped.
            ranOutPosted_ = false;
        } else {
            const bool immediate = record.Time < 0;
            const int64_t tick = immediate ? tailTick_ : std::min(tailTick_ + record.Time, MaxTick);
            const int64_t now = time_.NowMicros();
            const size_t capacity =
                running_ ? limits_.maxQueued : std::min(limits_.maxQueued, limits_.maxQueuedBeforeStart);
            if (queue_.size() >= capacity) {
                refusal_ = Refusal{true, 0};
                answer = 1;
            } else if (!immediate && running_) {
                const int64_t due = TailDueMicros(tick);
                if (due - now > limits_.lookAheadMicros) {
                    refusal_ = Refusal{false, due};
                    answer = 1;
                }
            }
            if (answer != 0) {
                wakeNeeded = true;  // the driver must learn when to ask for more
            } else {
                wakeNeeded |= FlushPendingSysex();
                Entry entry;
                entry.tick = tick;
                entry.immediate = immediate;
                if (record.Status == 0) {
                    entry.tempo = true;
                    entry.tempoValue = TempoOf(record);
                    // A tempo of 0 would stop the song for good: such a record is ignored.
                    if (entry.tempoValue != 0) {
                        if (running_ && !immediate) {
                            tailAnchorMicros_ = TailDueMicros(tick);
                            tailAnchorTick_ = tick;
                        }
                        tailTempo_ = entry.tempoValue;
                    }
                } else if (record.Status >= 0x80 && record.Status < 0xF0) {
                    entry.length = static_cast<uint8_t>(ChannelMessageLength(record.Status));
                    entry.bytes = {record.Status, static_cast<uint8_t>(record.Data1 & 0x7F),
                                   static_cast<uint8_t>(record.Data2 & 0x7F)};
                } else if (record.Status >= 0xF8) {
                    entry.length = 1;  // a real-time message
                    entry.bytes = {record.Status, 0, 0};
                }
                // Anything else (no MIDI message) keeps its place in time and sends nothing.
                if (!immediate) tailTick_ = tick;
                wakeNeeded |= queue_.empty();
                queue_.push_back(std::move(entry));
                ranOutPosted_ = false;
            }
        }
    }
    if (wakeNeeded && wake) wake();
    return answer;
}

void Scheduler::ApplyTempo(const Entry& entry, int64_t now) {
    if (entry.tempoValue == 0) return;
    if (running_) {
        if (entry.immediate) {
            anchorTick_ = TicksAt(now);
            anchorMicros_ = now;
        } else {
            // From the tick it stands at, not from when the thread got round to it.
            anchorMicros_ = DueMicros(entry.tick);
            anchorTick_ = entry.tick;
        }
    }
    tempo_ = entry.tempoValue;
}

int64_t Scheduler::NextWake(int64_t now) const {
    int64_t next = Never;
    if (!queue_.empty()) {
        const Entry& head = queue_.front();
        if (head.immediate) {
            next = now;
        } else if (running_) {
            next = DueMicros(head.tick);
        }
    }
    if (refusal_ && !refusal_->byCount && running_) next = std::min(next, refusal_->dueMicros - limits_.lowWaterMicros);
    return next;
}

int64_t Scheduler::Service() {
    std::vector<ToolkitNotification> posts;
    NotificationHandler notify;
    int64_t next = Never;
    {
        std::lock_guard deviceLock(deviceMutex_);
        batch_.clear();
        {
            std::lock_guard lock(queueMutex_);
            const int64_t now = time_.NowMicros();
            while (!queue_.empty()) {
                Entry& head = queue_.front();
                if (!head.immediate && (!running_ || DueMicros(head.tick) > now)) break;
                if (head.tempo) {
                    ApplyTempo(head, now);
                } else {
                    batch_.push_back(std::move(head));
                }
                queue_.pop_front();
            }
            if (refusal_) {
                const size_t lowCount =
                    running_
                        ? limits_.lowQueued
                        : std::min(limits_.lowQueued, std::min(limits_.maxQueued, limits_.maxQueuedBeforeStart) / 4);
                const bool ready = refusal_->byCount ? queue_.size() <= lowCount
                                                     : running_ && refusal_->dueMicros - now <= limits_.lowWaterMicros;
                if (ready) {
                    posts.push_back(ToolkitNotification::MoreEventsWanted);
                    refusal_.reset();
                    awaitingFeed_ = true;
                }
            }
            if (running_ && queue_.empty() && !refusal_ && !awaitingFeed_ && !ranOutPosted_) {
                if (!pendingSysex_.empty()) {
                    // A message that never got its 0xF7 and nothing after it: send it as
                    // it is before saying that the song is over.
                    FlushPendingSysex();
                } else {
                    posts.push_back(ToolkitNotification::RanOutOfEvents);
                    ranOutPosted_ = true;
                }
            }
            next = NextWake(now);
            if (!posts.empty()) notify = notify_;
        }
        if (device_ != nullptr) {
            for (const Entry& entry : batch_) {
                if (!entry.sysex.empty()) {
                    device_->Send(entry.sysex);
                } else if (entry.length > 0) {
                    device_->Send(std::span<const uint8_t>(entry.bytes.data(), entry.length));
                }
            }
        }
        batch_.clear();
    }
    if (notify) {
        for (ToolkitNotification post : posts) notify(post);
    }
    return next;
}

}  // namespace sonkora
