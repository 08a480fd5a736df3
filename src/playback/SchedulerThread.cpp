#include "playback/SchedulerThread.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace sonkora {

namespace {

// Above ordinary threads, below the audio threads of sound servers.
constexpr int RealtimePriority = 20;

}  // namespace

SchedulerThread::SchedulerThread(Scheduler& scheduler) : scheduler_(scheduler) {
    scheduler_.SetWakeHandler([this] { Wake(); });
    thread_ = std::thread([this] { Run(); });
}

SchedulerThread::~SchedulerThread() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wakeUp_.notify_one();
    thread_.join();
    scheduler_.SetWakeHandler(nullptr);
}

void SchedulerThread::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_one();
}

void SchedulerThread::Run() {
#ifdef __linux__
    // 1 ns: wake-ups as exact as the kernel can make them. Failure only costs precision.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    // Where the system allows it, a busy machine must not delay the music: the thread
    // does little and sleeps between events, so a real-time priority takes nothing from
    // anyone. Without the permission it runs as an ordinary thread.
    sched_param priority{};
    priority.sched_priority = std::min(RealtimePriority, sched_get_priority_max(SCHED_FIFO));
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    for (;;) {
        const int64_t next = scheduler_.Service();
        std::unique_lock lock(mutex_);
        if (quit_) return;
        if (!woken_) {
            const auto ready = [this] { return woken_ || quit_; };
            if (next == Scheduler::Never) {
                wakeUp_.wait(lock, ready);
            } else {
                const std::chrono::steady_clock::time_point due{std::chrono::microseconds(next)};
                wakeUp_.wait_until(lock, due, ready);
            }
        }
        if (quit_) return;
        woken_ = false;
    }
}

}  // namespace sonkora
