#include "playback/backend/MidiPorts.h"

#include <RtMidi.h>
#include <unistd.h>

#include <atomic>
#include <utility>

#include "playback/backend/AlsaMessages.h"

namespace sonkora::backend {

namespace {

bool SequencerAvailable() {
    QuietAlsaMessages();
    return access("/dev/snd/seq", R_OK | W_OK) == 0;
}

std::unique_ptr<RtMidiOut> ConnectSequencer() {
    if (!SequencerAvailable()) return nullptr;
    try {
        return std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Sonkora");
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

class MidiPort final : public OutputDevice {
public:
    explicit MidiPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
        // Errors after opening are remembered, not thrown across the scheduler thread.
        out_->setErrorCallback(
            [](RtMidiError::Type type, const std::string&, void* failed) {
                if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
                    static_cast<std::atomic<bool>*>(failed)->store(true);
            },
            &failed_);
    }
    ~MidiPort() override {
        try {
            out_->closePort();
        } catch (const RtMidiError&) {
        }
    }

    bool Reset() override {
        if (failed_.load() || !out_->isPortOpen()) return false;
        OutputDevice::Prepare();
        return !failed_.load();
    }
    void Send(std::span<const uint8_t> message) override {
        if (message.empty()) return;
        try {
            if (message[0] == 0xF0 && message.back() != 0xF7) {
                // A system-exclusive message that lacked its end byte in the file: a port
                // must see one, or the receiver waits for it.
                std::vector<unsigned char> whole(message.begin(), message.end());
                whole.push_back(0xF7);
                out_->sendMessage(whole.data(), whole.size());
            } else {
                out_->sendMessage(message.data(), message.size());
            }
        } catch (const RtMidiError&) {
            failed_.store(true);
        }
    }

private:
    std::unique_ptr<RtMidiOut> out_;
    std::atomic<bool> failed_{false};
};

}  // namespace

std::vector<std::string> ListMidiPorts() {
    std::vector<std::string> names;
    std::unique_ptr<RtMidiOut> out = ConnectSequencer();
    if (out == nullptr) return names;
    try {
        const unsigned int count = out->getPortCount();
        for (unsigned int port = 0; port < count; ++port) names.push_back(out->getPortName(port));
    } catch (const RtMidiError&) {
        names.clear();
    }
    return names;
}

std::unique_ptr<OutputDevice> OpenMidiPort(const std::string& name) {
    std::unique_ptr<RtMidiOut> out = ConnectSequencer();
    if (out == nullptr) return nullptr;
    try {
        // Ports come and go: look for the name again in what is there now, and only
        // open an index below the count the sequencer gives.
        const unsigned int count = out->getPortCount();
        for (unsigned int port = 0; port < count; ++port) {
            if (out->getPortName(port) != name) continue;
            out->openPort(port, "Sonkora Output");
            if (!out->isPortOpen()) return nullptr;
            return std::make_unique<MidiPort>(std::move(out));
        }
    } catch (const RtMidiError&) {
    }
    return nullptr;
}

}  // namespace sonkora::backend
