#pragma once
// The MIDI toolkit as the playback engine sees it: output devices by index, one timed
// event queue feeding the open device, one playback clock, and two notifications.
//
// Creating the toolkit object initialises it and creates its playback clock;
// destroying it destroys the clock. The remaining operations are the members below.
// Handles are never 0; 0 means "no device". Notifications may be delivered on another
// thread: whoever owns the engine turns them into calls on its own thread (a queued Qt
// event in the frame, an event loop in sonkorac) of MidiFeedRequest and
// MidiPlaybackEnded.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "midi/MidiTypes.h"
#include "playback/Scheduler.h"

namespace sonkora {

using MidiHandle = uint32_t;

class MidiToolkit {
public:
    virtual ~MidiToolkit() = default;

    // The name of output device n (from 0), at most 255 bytes; nothing when there is
    // no device n. Index 0 looks afresh at what is connected.
    virtual std::optional<std::string> DeviceName(int index) = 0;
    // 0 when the device cannot be opened. One device is open at a time.
    virtual MidiHandle OpenDevice(int index) = 0;
    // Why the last OpenDevice failed, when that is known; empty otherwise.
    virtual std::string OpenDeviceError() const { return {}; }
    // 0 when the device is ready; an open counts only if this succeeds.
    virtual int ResetDevice(MidiHandle device) = 0;
    virtual void CloseDevice(MidiHandle device) = 0;
    // Why the open device can no longer sound (its sound output went away), in words for
    // the user; empty while it works.
    virtual std::string DeviceLost(MidiHandle) { return {}; }
    // Before the first event of each playback.
    virtual void PrepareDevice(MidiHandle device) = 0;
    // 0: accepted; non-zero: refused for now, offer the same record at the next feed request.
    virtual int QueueEvent(MidiHandle device, const EventRecord& record) = 0;
    // Right after the first events are queued; the clock counts from 0 at the song's
    // tempo once SetClockResolution follows.
    virtual void StartClock() = 0;
    virtual void SetClockResolution(int ticksPerQuarter) = 0;
    // Ticks since playback started.
    virtual int32_t ReadClock() = 0;
    // Microseconds until the clock reaches `ticks` at the tempo in force now (0 when it
    // has); nothing while the clock does not run.
    virtual std::optional<int64_t> MicrosUntilClock(int32_t ticks) = 0;
    // Playback stops, sounding notes end, the clock no longer advances.
    virtual void StopClock() = 0;

    virtual void SetNotificationHandler(std::function<void(ToolkitNotification)> handler) = 0;
};

}  // namespace sonkora
