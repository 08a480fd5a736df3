#include "playback/OutputDevice.h"

#include <array>

namespace sonkora {

namespace {

void SendToAllChannels(OutputDevice& device, uint8_t controller, uint8_t value) {
    for (uint8_t channel = 0; channel < 16; ++channel) {
        const std::array<uint8_t, 3> message{static_cast<uint8_t>(0xB0 | channel), controller, value};
        device.Send(message);
    }
}

}  // namespace

void OutputDevice::Silence() {
    SendToAllChannels(*this, 64, 0);   // sustain pedal up, or held notes would ring on
    SendToAllChannels(*this, 120, 0);  // all sound off
    SendToAllChannels(*this, 123, 0);  // all notes off, for devices without 120
}

void OutputDevice::Prepare() {
    Silence();
    SendToAllChannels(*this, 121, 0);  // reset all controllers
}

}  // namespace sonkora
