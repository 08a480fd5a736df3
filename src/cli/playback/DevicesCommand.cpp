// sonkorac devices: the MIDI output devices in index order, one name per line; the
// names --device and the MIDI setup accept.
#include <iostream>

#include "cli/Commands.h"
#include "cli/playback/PlaybackConsole.h"
#include "common/TerminalText.h"
#include "playback/SchedulerToolkit.h"
#include "playback/SystemDevices.h"
#include "playback/TimeSource.h"

namespace sonkora::cli {

int RunDevices(const Arguments& args) {
    if (!args.empty()) return UsageError("devices: no arguments expected");
    if (!playback::PlaybackModuleLoads()) return 1;
    SystemDeviceCatalog catalog;
    SteadyTimeSource steady;
    // Nothing is played, so no scheduler thread is needed.
    SchedulerToolkit toolkit(catalog, steady, SchedulerToolkit::Drive::ByHand);
    for (int index = 0;; ++index) {
        const std::optional<std::string> name = toolkit.DeviceName(index);
        if (!name || name->empty()) break;
        std::cout << TerminalSafe(*name) << "\n";
    }
    std::cout << std::flush;
    return std::cout ? 0 : 1;
}

}  // namespace sonkora::cli
