#pragma once
// Where the scheduler's events end up: one open MIDI output (the built-in synthesizer, a
// system MIDI port, or a recording device in tests), and the list of outputs that can
// be opened, in the order the user sees them.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace sonkora {

class OutputDevice {
public:
    virtual ~OutputDevice() = default;

    // Puts the device into a known state (all sound off, controllers reset). True when
    // the device is ready to sound; an output that lost its connection answers false.
    virtual bool Reset() = 0;

    // One complete MIDI message: a channel message (2 or 3 bytes), a system-exclusive
    // message from 0xF0 up to and including its 0xF7 when it has one, or a one-byte
    // real-time message. Data bytes are already below 0x80.
    virtual void Send(std::span<const uint8_t> message) = 0;

    // Playback stopped: every sounding note ends now. The default sends sustain off,
    // all sound off and all notes off on all sixteen channels.
    virtual void Silence();

    // A new song is about to start: controllers back to their defaults, nothing sounding.
    virtual void Prepare();

    // Why the device can no longer sound, once that is so (the sound server of the
    // built-in synthesizer went away), in words for the user; empty while it works.
    // Called from any thread.
    virtual std::string Lost() const { return {}; }
};

class DeviceCatalog {
public:
    virtual ~DeviceCatalog() = default;

    // Looks at what is there now and returns the names, index order.
    virtual std::vector<std::string> DeviceNames() = 0;

    // Opens output `index` of the last DeviceNames() answer; nothing when it cannot be
    // opened. Never blocks for long: a device that does not answer counts as failed.
    virtual std::unique_ptr<OutputDevice> Open(int index) = 0;

    // Why the last Open failed, when the catalog knows; empty otherwise.
    virtual std::string OpenError() const { return {}; }
};

// The number of bytes in a channel message with this status (0x80 to 0xEF): 2 for
// program change and channel pressure, 3 for the others.
inline int ChannelMessageLength(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

}  // namespace sonkora
