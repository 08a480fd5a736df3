#pragma once
// The system's MIDI output ports through RtMidi and the ALSA sequencer. Without a
// sequencer (no /dev/snd/seq) there are none.

#include <memory>
#include <string>
#include <vector>

#include "playback/OutputDevice.h"

namespace sonkora::backend {

// The names of the system's MIDI output ports, in the sequencer's order.
std::vector<std::string> ListMidiPorts();

// Opens the port with this name; nothing when it is gone or cannot be opened.
std::unique_ptr<OutputDevice> OpenMidiPort(const std::string& name);

}  // namespace sonkora::backend
