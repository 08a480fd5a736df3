// How late the scheduler thread hands each event of a dense song to the device, against
// how late a bare thread at ordinary priority wakes up for the same moments in the same
// run (what the operating system gives without the scheduler's care). Measured idle, and
// again while a second process keeps one core busy. Goal: the scheduler's p99 lateness
// at most 1 ms.
//
//   playback_lateness_bench [seconds]      (default 6 per run)

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/OutputDevice.h"
#include "playback/Scheduler.h"
#include "playback/SchedulerThread.h"
#include "playback/TimeSource.h"

namespace {

using namespace sonkora;

constexpr int Division = 960;  // 0.52 ms per tick at 120 bpm
constexpr int StepTicks = 4;   // a chord of three events every 2.08 ms

struct Stats {
    double p50 = 0, p99 = 0, max = 0;
};

Stats Summarise(std::vector<int64_t> values) {
    Stats stats;
    if (values.empty()) return stats;
    std::sort(values.begin(), values.end());
    auto at = [&](double q) { return static_cast<double>(values[static_cast<size_t>(q * (values.size() - 1))]); };
    stats.p50 = at(0.50);
    stats.p99 = at(0.99);
    stats.max = static_cast<double>(values.back());
    return stats;
}

// Notes the moment each message arrives.
class StampingDevice final : public OutputDevice {
public:
    explicit StampingDevice(const TimeSource& time) : time_(time) {}
    bool Reset() override { return true; }
    void Send(std::span<const uint8_t>) override { stamps.push_back(time_.NowMicros()); }
    void Silence() override {}
    void Prepare() override {}
    std::vector<int64_t> stamps;

private:
    const TimeSource& time_;
};

class Notifications {
public:
    void Post(ToolkitNotification n) {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(n);
        }
        arrived_.notify_one();
    }
    ToolkitNotification Wait() {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [this] { return !posted_.empty(); });
        const ToolkitNotification n = posted_.front();
        posted_.pop_front();
        return n;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<ToolkitNotification> posted_;
};

// The dense song played through the scheduler thread; lateness of every event in us.
std::vector<int64_t> SchedulerLateness(int seconds) {
    SteadyTimeSource steady;
    Scheduler scheduler(steady);
    StampingDevice device(steady);
    Notifications notifications;
    scheduler.AttachDevice(&device);
    scheduler.SetNotificationHandler([&](ToolkitNotification n) { notifications.Post(n); });
    SchedulerThread thread(scheduler);
    scheduler.Prepare();

    const int steps = seconds * 1'000'000 / (StepTicks * 500'000 / Division);
    std::vector<int64_t> ticks;
    int step = 0;
    int pending = 0;  // events of the current step already queued
    auto feed = [&] {
        while (step < steps) {
            const uint8_t key = static_cast<uint8_t>(48 + step % 24);
            const EventRecord records[3] = {{step == 0 && pending == 0 ? 0 : StepTicks, 0x90, key, 90, 0},
                                            {0, 0x91, static_cast<uint8_t>(key + 4), 90, 0},
                                            {0, 0x80, static_cast<uint8_t>(48 + (step + 23) % 24), 0, 0}};
            for (; pending < 3; ++pending) {
                if (scheduler.Queue(records[pending]) != 0) return;
                ticks.push_back(int64_t{step} * StepTicks);
            }
            pending = 0;
            ++step;
        }
    };
    feed();
    scheduler.StartStepOne();
    scheduler.SetResolution(Division);
    for (;;) {
        if (notifications.Wait() == ToolkitNotification::RanOutOfEvents) break;
        feed();
    }
    std::vector<int64_t> lateness;
    for (size_t i = 0; i < ticks.size() && i < device.stamps.size(); ++i)
        lateness.push_back(device.stamps[i] - scheduler.MicrosOfTick(ticks[i]));
    scheduler.Stop();
    scheduler.AttachDevice(nullptr);
    return lateness;
}

// The same moments waited for by a bare thread on a condition variable, with the same
// timer slack but ordinary priority.
std::vector<int64_t> BaselineLateness(int seconds) {
    std::vector<int64_t> lateness;
    std::thread waiter([&] {
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        SteadyTimeSource steady;
        std::mutex mutex;
        std::condition_variable never;
        std::unique_lock lock(mutex);
        const int64_t start = steady.NowMicros() + 1000;
        const int64_t step = int64_t{StepTicks} * 500'000 / Division;
        for (int64_t due = start; due < start + int64_t{seconds} * 1'000'000; due += step) {
            never.wait_until(lock, std::chrono::steady_clock::time_point{std::chrono::microseconds(due)},
                             [] { return false; });
            lateness.push_back(steady.NowMicros() - due);
        }
    });
    waiter.join();
    return lateness;
}

// A second process that keeps one core busy until killed.
pid_t StartBusyProcess() {
    const pid_t child = fork();
    if (child == 0) {
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
    }
    return child;
}

void StopBusyProcess(pid_t child) {
    if (child <= 0) return;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

void Report(const char* label, const std::vector<int64_t>& scheduler, const std::vector<int64_t>& baseline) {
    const Stats s = Summarise(scheduler);
    const Stats b = Summarise(baseline);
    std::printf("%-6s scheduler  p50 %7.0f us  p99 %7.0f us  max %7.0f us  (%zu events)\n", label, s.p50, s.p99, s.max,
                scheduler.size());
    std::printf("%-6s bare wait  p50 %7.0f us  p99 %7.0f us  max %7.0f us\n", label, b.p50, b.p99, b.max);
    std::printf("%-6s p99 ratio scheduler/bare wait %.2f; goal p99 <= 1000 us: %s\n", label,
                b.p99 > 0 ? s.p99 / b.p99 : 0.0, s.p99 <= 1000 ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
    {
        const auto scheduler = SchedulerLateness(seconds);
        const auto baseline = BaselineLateness(seconds);
        Report("idle", scheduler, baseline);
    }
    {
        const pid_t busy = StartBusyProcess();
        const auto scheduler = SchedulerLateness(seconds);
        const auto baseline = BaselineLateness(seconds);
        StopBusyProcess(busy);
        Report("busy", scheduler, baseline);
    }
    return 0;
}
