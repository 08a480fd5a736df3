#include "playback/SchedulerToolkit.h"

#include <utility>

namespace sonkora {

namespace {

// The toolkit's name buffer holds 256 bytes with the terminating NUL.
constexpr size_t MaxNameLength = 255;

}  // namespace

SchedulerToolkit::SchedulerToolkit(DeviceCatalog& catalog, const TimeSource& time, Drive drive, SchedulerLimits limits)
    : catalog_(catalog), time_(time), scheduler_(time, limits) {
    if (drive == Drive::Thread) thread_ = std::make_unique<SchedulerThread>(scheduler_);
}

SchedulerToolkit::~SchedulerToolkit() {
    scheduler_.Stop();
    scheduler_.AttachDevice(nullptr);
    thread_.reset();
    device_.reset();
}

std::optional<std::string> SchedulerToolkit::DeviceName(int index) {
    if (index == 0 || !namesRead_) {
        names_ = catalog_.DeviceNames();
        namesRead_ = true;
    }
    if (index < 0 || static_cast<size_t>(index) >= names_.size()) return std::nullopt;
    std::string name = names_[static_cast<size_t>(index)];
    if (name.size() > MaxNameLength) name.resize(MaxNameLength);
    return name;
}

MidiHandle SchedulerToolkit::OpenDevice(int index) {
    if (device_ != nullptr) return 0;  // one device at a time
    if (!namesRead_) {
        names_ = catalog_.DeviceNames();
        namesRead_ = true;
    }
    if (index < 0 || static_cast<size_t>(index) >= names_.size()) return 0;
    std::unique_ptr<OutputDevice> device = catalog_.Open(index);
    if (device == nullptr) return 0;
    device_ = std::move(device);
    scheduler_.AttachDevice(device_.get());
    if (++lastHandle_ == 0) ++lastHandle_;
    handle_ = lastHandle_;
    return handle_;
}

int SchedulerToolkit::ResetDevice(MidiHandle device) {
    if (device == 0 || device != handle_) return 1;
    return scheduler_.ResetDevice() ? 0 : 1;
}

void SchedulerToolkit::CloseDevice(MidiHandle device) {
    if (device == 0 || device != handle_) return;
    scheduler_.AttachDevice(nullptr);
    device_.reset();
    handle_ = 0;
}

std::string SchedulerToolkit::DeviceLost(MidiHandle device) {
    if (device == 0 || device != handle_) return {};
    return scheduler_.DeviceLost();
}

void SchedulerToolkit::PrepareDevice(MidiHandle device) {
    if (device == 0 || device != handle_) return;
    scheduler_.Prepare();
}

int SchedulerToolkit::QueueEvent(MidiHandle device, const EventRecord& record) {
    if (device == 0 || device != handle_) return 1;
    return scheduler_.Queue(record);
}

void SchedulerToolkit::StartClock() {
    scheduler_.StartStepOne();
}

void SchedulerToolkit::SetClockResolution(int ticksPerQuarter) {
    scheduler_.SetResolution(ticksPerQuarter);
}

int32_t SchedulerToolkit::ReadClock() {
    return scheduler_.ReadClock();
}

std::optional<int64_t> SchedulerToolkit::MicrosUntilClock(int32_t ticks) {
    const int64_t due = scheduler_.MicrosOfTick(ticks);
    if (due == Scheduler::Never) return std::nullopt;
    return std::max<int64_t>(due - time_.NowMicros(), 0);
}

void SchedulerToolkit::StopClock() {
    scheduler_.Stop();
}

void SchedulerToolkit::SetNotificationHandler(std::function<void(ToolkitNotification)> handler) {
    scheduler_.SetNotificationHandler(std::move(handler));
}

}  // namespace sonkora
