#pragma once
// the MIDI toolkit the main window plays through, together with what it needs to live: the
// clock it runs on and the list of output devices. The running program uses the
// system's devices (the built-in synthesizer and the MIDI ports) on the steady clock
// with the real-time thread; a test hands the main window devices that record what they get
// and a clock it moves by hand.

#include <memory>

namespace sonkora {

class MidiToolkit;

class MidiSystem {
public:
    virtual ~MidiSystem() = default;
    virtual MidiToolkit& Toolkit() = 0;
};

// The devices of this machine, played in real time.
std::unique_ptr<MidiSystem> CreateSystemMidi();

}  // namespace sonkora
