#pragma once
// The lyric exports' AudioRenderer: the offline renderer writing Ogg Vorbis with the
// built-in synthesizer, as sonkorac render does for WAV.

#include <string>

#include "formats/KaraokeExport.h"

namespace sonkora {

class OfflineAudioRenderer final : public AudioRenderer {
public:
    // `soundFont` empty: the one FindSoundFont() finds.
    explicit OfflineAudioRenderer(std::string soundFont = {}) : soundFont_(std::move(soundFont)) {}
    bool RenderAudio(const std::string& midiFile, const std::string& audioFile, uint16_t mutedChannels,
                     UserInterface& ui) override;

private:
    std::string soundFont_;
};

}  // namespace sonkora
