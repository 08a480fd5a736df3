#pragma once
// The ALSA library prints its own complaints to standard error when a device or the
// sequencer is missing; the playback module reports the outcome itself instead.

namespace sonkora::backend {

// From now on ALSA's messages go nowhere.
void QuietAlsaMessages();

}  // namespace sonkora::backend
