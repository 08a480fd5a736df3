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
    // Starts opening the default output off the calling thread, so that a window can
    // show at once and the first Play finds it ready; opening it on Play still works
    // without this, and waits for what was started.
    virtual void OpenOutputInBackground() {}
    // Waits until what OpenOutputInBackground started is done.
    virtual void WaitForOutput() {}
    // False while what OpenOutputInBackground started is still under way; never waits.
    virtual bool OutputReady() const { return true; }
};

// The devices of this machine, played in real time.
std::unique_ptr<MidiSystem> CreateSystemMidi();

}  // namespace sonkora
