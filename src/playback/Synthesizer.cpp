#include "playback/Synthesizer.h"

#include <filesystem>

#include "playback/PlaybackModule.h"

namespace sonkora {

std::string FindSoundFont() {
    for (const char* candidate : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored)) return candidate;
    }
    return {};
}

std::unique_ptr<OutputDevice> OpenSynthesizer(const std::string& soundFont, std::string& error,
                                              AudioObserver* observer) {
    PlaybackBackend* backend = PlaybackModule::Get(error);
    if (backend == nullptr) return nullptr;
    if (soundFont.empty()) {
        error = "no General MIDI soundfont found";
        return nullptr;
    }
    return backend->OpenSynthesizer(soundFont, observer, error);
}

std::unique_ptr<OfflineSynthesizer> CreateOfflineSynthesizer(const std::string& soundFont, int sampleRate,
                                                             std::string& error) {
    PlaybackBackend* backend = PlaybackModule::Get(error);
    if (backend == nullptr) return nullptr;
    return backend->CreateOfflineSynthesizer(soundFont, sampleRate, error);
}

}  // namespace sonkora
