#pragma once
// Drives a Scheduler in real time: one thread that sleeps until the next record is due
// on the steady clock, dispatches it and sleeps again. Queueing, starting and stopping
// wake it, so it never polls. On Linux the thread asks for the smallest timer slack, so
// the kernel does not round its wake-ups up by the default 50 microseconds, and for a
// real-time priority where the system grants one.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "playback/Scheduler.h"
#include "playback/TimeSource.h"

namespace sonkora {

class SchedulerThread {
public:
    // `scheduler` must run on a SteadyTimeSource: the thread sleeps on the steady clock.
    explicit SchedulerThread(Scheduler& scheduler);
    ~SchedulerThread();
    SchedulerThread(const SchedulerThread&) = delete;
    SchedulerThread& operator=(const SchedulerThread&) = delete;

private:
    void Wake();
    void Run();

    Scheduler& scheduler_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool woken_ = false;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace sonkora
