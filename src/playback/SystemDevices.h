#pragma once
// The output devices of this machine: the built-in synthesizer first, then every MIDI
// output port of the ALSA sequencer. Without a sequencer (no /dev/snd/seq) the list
// holds the synthesizer alone.

#include <memory>
#include <string>
#include <vector>

#include "playback/OutputDevice.h"

namespace sonkora {

class SystemDeviceCatalog final : public DeviceCatalog {
public:
    // `soundFont` empty: the one FindSoundFont finds.
    explicit SystemDeviceCatalog(std::string soundFont = {});

    std::vector<std::string> DeviceNames() override;
    std::unique_ptr<OutputDevice> Open(int index) override;

private:
    std::string soundFont_;
    std::vector<std::string> names_;
};

// The names of the system's MIDI output ports, in the sequencer's order.
std::vector<std::string> ListMidiPorts();

// Opens the port with this name; nothing when it is gone or cannot be opened.
std::unique_ptr<OutputDevice> OpenMidiPort(const std::string& name);

}  // namespace sonkora
