#include "shell/MidiSystem.h"

#include "playback/SchedulerToolkit.h"
#include "playback/SystemDevices.h"
#include "playback/TimeSource.h"

namespace sonkora {

namespace {

class SystemMidi final : public MidiSystem {
public:
    SystemMidi() : toolkit_(catalog_, steady_, SchedulerToolkit::Drive::Thread) {}
    MidiToolkit& Toolkit() override { return toolkit_; }
    void OpenOutputInBackground() override { catalog_.OpenSynthesizerInBackground(); }
    void WaitForOutput() override { catalog_.WaitForSynthesizer(); }
    bool OutputReady() const override { return catalog_.SynthesizerReady(); }

private:
    // Declared before the toolkit, which uses both until it is gone.
    SystemDeviceCatalog catalog_;
    SteadyTimeSource steady_;
    SchedulerToolkit toolkit_;
};

}  // namespace

std::unique_ptr<MidiSystem> CreateSystemMidi() {
    return std::make_unique<SystemMidi>();
}

}  // namespace sonkora
