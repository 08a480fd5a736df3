#include "playback/OfflineAudioRenderer.h"

#include "playback/OfflineRender.h"

namespace sonkora {

bool OfflineAudioRenderer::RenderAudio(const std::string& midiFile, const std::string& audioFile,
                                       uint16_t mutedChannels, UserInterface& ui) {
    RenderOptions options;
    options.midiFile = midiFile;
    options.wavFile = audioFile;
    options.soundFont = soundFont_;
    options.mutedChannels = mutedChannels;
    return RenderSong(options, ui);
}

}  // namespace sonkora
