// The playback module's entry point: the back-end the playback layer loads on first use.
#include "playback/PlaybackBackend.h"
#include "playback/backend/FluidOfflineSynthesizer.h"
#include "playback/backend/MidiPorts.h"
#include "playback/backend/OggVorbisEncoder.h"
#include "playback/backend/RealtimeSynthesizer.h"

namespace sonkora::backend {

namespace {

class SystemBackend final : public PlaybackBackend {
public:
    std::unique_ptr<OutputDevice> OpenSynthesizer(const std::string& soundFont, AudioObserver* observer,
                                                  std::string& error) override {
        return RealtimeSynthesizer::Open(soundFont, observer, error);
    }
    std::unique_ptr<OfflineSynthesizer> CreateOfflineSynthesizer(const std::string& soundFont, int sampleRate,
                                                                 std::string& error) override {
        std::shared_ptr<FluidCore> core = CreateFluidCore(soundFont, sampleRate, error);
        if (core == nullptr) return nullptr;
        return std::make_unique<FluidOfflineSynthesizer>(std::move(core), sampleRate);
    }
    std::vector<std::string> MidiPortNames() override { return ListMidiPorts(); }
    std::unique_ptr<OutputDevice> OpenMidiPort(const std::string& name) override { return backend::OpenMidiPort(name); }
    std::unique_ptr<AudioEncoder> CreateOggVorbisEncoder() override { return std::make_unique<OggVorbisEncoder>(); }
};

}  // namespace

}  // namespace sonkora::backend

extern "C" __attribute__((visibility("default"))) sonkora::PlaybackBackend* SonkoraPlaybackBackend(int version) {
    static sonkora::backend::SystemBackend backend;
    return version == sonkora::PlaybackBackendVersion ? &backend : nullptr;
}
