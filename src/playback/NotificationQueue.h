#pragma once
// Carries the toolkit's notifications from the scheduler thread to a thread that waits
// for them: sonkorac's playback loop and the benchmarks. The windowed program posts
// them as queued Qt events instead.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "playback/Scheduler.h"

namespace sonkora {

class NotificationQueue {
public:
    using Clock = std::chrono::steady_clock;

    void Post(ToolkitNotification notification) {
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(notification);
        }
        arrived_.notify_one();
    }

    // The oldest notification, or nothing once the deadline passed without one.
    std::optional<ToolkitNotification> WaitUntil(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_until(lock, deadline, [this] { return !posted_.empty(); })) return std::nullopt;
        const ToolkitNotification notification = posted_.front();
        posted_.pop_front();
        return notification;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<ToolkitNotification> posted_;
};

}  // namespace sonkora
