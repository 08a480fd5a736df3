#pragma once
// Loads the playback back-end (PlaybackBackend) from the module beside the running
// program, once, on first use:
//
//   std::string error;
//   PlaybackBackend* backend = PlaybackModule::Get(error);
//   if (backend == nullptr) report(error);  // "the playback module ... cannot be loaded: ..."
//
// Safe to call from any thread; a failed load is not tried again.

#include <string>

#include "playback/PlaybackBackend.h"

namespace sonkora {

class PlaybackModule {
public:
    // The back-end, or nullptr with `error` saying which file is missing or broken.
    static PlaybackBackend* Get(std::string& error);
    // Where the module is looked for: the folder of the running program.
    static std::string Path();
};

}  // namespace sonkora
