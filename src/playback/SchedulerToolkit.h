#pragma once
// The MIDI toolkit built from our parts: the devices of a DeviceCatalog, one Scheduler
// for the queue and the clock, and optionally the real-time thread that drives it.
//
//   SteadyTimeSource steady;
//   SchedulerToolkit toolkit(catalog, steady, SchedulerToolkit::Drive::Thread);
//
// With Drive::ByHand nothing happens until the owner calls GetScheduler().Service() after
// moving its ManualTimeSource: that is how tests and the offline renderer run it.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "playback/MidiToolkit.h"
#include "playback/OutputDevice.h"
#include "playback/Scheduler.h"
#include "playback/SchedulerThread.h"
#include "playback/TimeSource.h"

namespace sonkora {

class SchedulerToolkit final : public MidiToolkit {
public:
    enum class Drive { Thread, ByHand };

    SchedulerToolkit(DeviceCatalog& catalog, const TimeSource& time, Drive drive, SchedulerLimits limits = {});
    ~SchedulerToolkit() override;

    std::optional<std::string> DeviceName(int index) override;
    MidiHandle OpenDevice(int index) override;
    std::string OpenDeviceError() const override { return catalog_.OpenError(); }
    int ResetDevice(MidiHandle device) override;
    void CloseDevice(MidiHandle device) override;
    std::string DeviceLost(MidiHandle device) override;
    void PrepareDevice(MidiHandle device) override;
    int QueueEvent(MidiHandle device, const EventRecord& record) override;
    void StartClock() override;
    void SetClockResolution(int ticksPerQuarter) override;
    int32_t ReadClock() override;
    std::optional<int64_t> MicrosUntilClock(int32_t ticks) override;
    void StopClock() override;
    void SetNotificationHandler(std::function<void(ToolkitNotification)> handler) override;

    Scheduler& GetScheduler() { return scheduler_; }

private:
    DeviceCatalog& catalog_;
    const TimeSource& time_;
    Scheduler scheduler_;
    std::unique_ptr<SchedulerThread> thread_;
    std::vector<std::string> names_;
    bool namesRead_ = false;
    std::unique_ptr<OutputDevice> device_;
    MidiHandle handle_ = 0;
    MidiHandle lastHandle_ = 0;
};

}  // namespace sonkora
