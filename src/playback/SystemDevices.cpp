#include "playback/SystemDevices.h"

#include <chrono>
#include <utility>

#include "playback/PlaybackModule.h"
#include "playback/Synthesizer.h"

namespace sonkora {

SystemDeviceCatalog::SystemDeviceCatalog(std::string soundFont) : soundFont_(std::move(soundFont)) {}

SystemDeviceCatalog::~SystemDeviceCatalog() {
    // The helper thread must not outlive the catalog it belongs to.
    WaitForSynthesizer();
}

std::vector<std::string> SystemDeviceCatalog::DeviceNames() {
    names_.assign(1, SynthesizerName);
    std::string ignored;  // without the module there are no ports; opening the synthesizer tells why
    if (PlaybackBackend* backend = PlaybackModule::Get(ignored))
        for (std::string& port : backend->MidiPortNames()) names_.push_back(std::move(port));
    return names_;
}

SystemDeviceCatalog::Opened SystemDeviceCatalog::OpenSynthesizerNow() const {
    Opened opened;
    opened.device = OpenSynthesizer(soundFont_.empty() ? FindSoundFont() : soundFont_, opened.error);
    return opened;
}

void SystemDeviceCatalog::OpenSynthesizerInBackground() {
    if (pending_.valid()) return;
    pending_ = std::async(std::launch::async, [this] {
                   auto opened = std::make_shared<Opened>(OpenSynthesizerNow());
                   // Opened ahead of any song: nothing to render until one is prepared.
                   if (opened->device != nullptr) opened->device->Silence();
                   return opened;
               }).share();
}

void SystemDeviceCatalog::WaitForSynthesizer() const {
    if (pending_.valid()) pending_.wait();
}

bool SystemDeviceCatalog::SynthesizerReady() const {
    return !pending_.valid() || pending_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::unique_ptr<OutputDevice> SystemDeviceCatalog::Open(int index) {
    lastError_.clear();
    if (index == 0) {
        Opened opened;
        if (pending_.valid()) {
            opened = std::move(*pending_.get());
            pending_ = {};
        }
        if (opened.device == nullptr) opened = OpenSynthesizerNow();
        lastError_ = std::move(opened.error);
        return std::move(opened.device);
    }
    if (index < 0 || static_cast<size_t>(index) >= names_.size()) return nullptr;
    PlaybackBackend* backend = PlaybackModule::Get(lastError_);
    if (backend == nullptr) return nullptr;
    std::unique_ptr<OutputDevice> port = backend->OpenMidiPort(names_[static_cast<size_t>(index)]);
    if (port == nullptr) lastError_ = "the port is gone or did not open";
    return port;
}

}  // namespace sonkora
