#pragma once
// The output devices of this machine: the built-in synthesizer first, then every MIDI
// output port of the ALSA sequencer. Both come from the playback module, loaded on first
// use; without it, or without a sequencer, the list holds the synthesizer alone, and
// opening it fails with the reason in OpenError().
//
// Opening the synthesizer (loading the module and the soundfont, connecting to the sound
// server) takes a while. A program that wants its window up first starts it early and
// off its own thread, and Open(0) later takes what it got, waiting only for what is left:
//
//   catalog.OpenSynthesizerInBackground();   // at start-up
//   ...
//   catalog.WaitForSynthesizer();            // optional: Open(0) waits by itself

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "playback/OutputDevice.h"

namespace sonkora {

class SystemDeviceCatalog final : public DeviceCatalog {
public:
    // `soundFont` empty: the one FindSoundFont finds.
    explicit SystemDeviceCatalog(std::string soundFont = {});
    ~SystemDeviceCatalog() override;

    std::vector<std::string> DeviceNames() override;
    std::unique_ptr<OutputDevice> Open(int index) override;

    // Starts opening the synthesizer on a helper thread, unless that has begun already.
    // The synthesizer stays idle (rendering nothing) until a song is prepared.
    void OpenSynthesizerInBackground();
    // Waits until what OpenSynthesizerInBackground started is done; at once without it.
    void WaitForSynthesizer() const;
    // True unless what OpenSynthesizerInBackground started is still under way; never waits.
    bool SynthesizerReady() const;

    std::string OpenError() const override { return lastError_; }

private:
    struct Opened {
        std::unique_ptr<OutputDevice> device;
        std::string error;
    };
    Opened OpenSynthesizerNow() const;

    std::string soundFont_;
    std::vector<std::string> names_;
    std::string lastError_;
    std::shared_future<std::shared_ptr<Opened>> pending_;
};

}  // namespace sonkora
