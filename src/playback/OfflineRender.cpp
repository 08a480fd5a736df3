#include "playback/OfflineRender.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/FilePaths.h"
#include "common/FoldUpper.h"
#include "common/SafeSave.h"
#include "midi/MidiReader.h"
#include "playback/OggVorbisWriter.h"
#include "playback/PlaybackEngine.h"
#include "playback/SchedulerToolkit.h"
#include "playback/Synthesizer.h"
#include "playback/TimeSource.h"
#include "playback/WavWriter.h"

namespace sonkora {

namespace {

constexpr int64_t MicrosPerSecond = 1'000'000;
constexpr int64_t LongestTrailingSilence = 10 * MicrosPerSecond;
constexpr int64_t LongestRelease = MicrosPerSecond / 2;
// Below this peak (about -54 dB) a block counts as silent.
constexpr int QuietPeak = 64;
constexpr int64_t BlockFrames = 4096;

// Lends the offline synthesizer to the toolkit, which closes what it opens, while the
// renderer keeps pulling samples from it.
// Notes on muted channels are held back here, so a backing track keeps the voice's
// program changes and controllers but never sounds it.
class LentSynthesizer final : public OutputDevice {
public:
    LentSynthesizer(OfflineSynthesizer& synth, uint16_t mutedChannels) : synth_(synth), muted_(mutedChannels) {}
    bool Reset() override { return synth_.Reset(); }
    void Send(std::span<const uint8_t> message) override {
        if (!message.empty() && (message[0] & 0xF0) == 0x90 && (muted_ >> (message[0] & 0x0F) & 1) != 0) return;
        synth_.Send(message);
    }
    void Silence() override { synth_.Silence(); }
    void Prepare() override { synth_.Prepare(); }

private:
    OfflineSynthesizer& synth_;
    uint16_t muted_;
};

class OfflineCatalog final : public DeviceCatalog {
public:
    OfflineCatalog(OfflineSynthesizer* synth, uint16_t mutedChannels) : synth_(synth), muted_(mutedChannels) {}
    std::vector<std::string> DeviceNames() override { return {SynthesizerName}; }
    std::unique_ptr<OutputDevice> Open(int index) override {
        if (index != 0 || synth_ == nullptr) return nullptr;
        return std::make_unique<LentSynthesizer>(*synth_, muted_);
    }

private:
    OfflineSynthesizer* synth_;
    uint16_t muted_;
};

class Renderer {
public:
    Renderer(OfflineSynthesizer& synth, SampleWriter& wav)
        : synth_(synth), wav_(wav), samples_(static_cast<size_t>(BlockFrames) * 2) {}

    int64_t FrameAt(int64_t micros) const { return micros * synth_.SampleRate() / MicrosPerSecond; }
    int64_t Frames() const { return frames_; }

    void RenderTo(int64_t targetFrame) {
        while (frames_ < targetFrame) RenderBlock(std::min(targetFrame - frames_, BlockFrames));
    }
    // Renders one block and tells whether anything in it could be heard.
    bool RenderBlock(int64_t count) {
        std::span<int16_t> block(samples_.data(), static_cast<size_t>(count) * 2);
        synth_.Render(block);
        wav_.Write(block);
        frames_ += count;
        return std::any_of(block.begin(), block.end(), [](int16_t s) { return s > QuietPeak || s < -QuietPeak; });
    }

private:
    OfflineSynthesizer& synth_;
    SampleWriter& wav_;
    std::vector<int16_t> samples_;
    int64_t frames_ = 0;
};

// How long the song lasts from `startTick` to its last event, by its own tempo map;
// nothing when it cannot be read (the engine reports that).
std::optional<int64_t> SongMicros(const std::string& fileName, int32_t startTick) {
    MidiReader reader;
    if (!reader.OpenMidi(fileName) || !reader.ReadMidiHeader() || !reader.LoadTracks()) return std::nullopt;
    reader.CloseMidi();
    reader.RewindTracks();
    const int64_t division = reader.Header().Division;
    if (division == 0) return std::nullopt;
    std::vector<std::pair<int32_t, uint32_t>> tempos;  // tick, microseconds per quarter
    int32_t end = 0;
    const int count = std::min<int>(reader.Header().TrackCount, MaxTracks);
    MidiEvent event;
    for (int track = 0; track < count; ++track) {
        const int64_t limit = int64_t{reader.Track(track).Length} + 1;
        for (int64_t read = 0; read < limit; ++read) {
            const bool more = reader.ReadEvent(static_cast<uint16_t>(track), event);
            if (reader.MidiError() != 0) return std::nullopt;
            end = std::max(end, event.Time);
            const uint32_t tempo = (uint32_t{event.Data1} << 16) | (uint32_t{event.Data2} << 8) | event.Data3;
            if (event.Status == 0xFF && event.MetaType == 0x51 && tempo != 0) tempos.emplace_back(event.Time, tempo);
            if (!more) break;
        }
    }
    std::stable_sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    int64_t micros = 0;
    int64_t tick = startTick;
    uint32_t tempo = Scheduler::DefaultTempo;
    for (const auto& [at, value] : tempos) {
        if (at >= end) break;
        if (at > tick) {
            micros += (at - tick) * int64_t{tempo} / division;
            tick = at;
        }
        tempo = value;
    }
    if (end > tick) micros += (end - tick) * int64_t{tempo} / division;
    return micros;
}

}  // namespace

bool RenderSong(const RenderOptions& options, UserInterface& ui, RenderSummary* summary) {
    if (SameFile(options.midiFile, options.wavFile)) {
        ui.ErrorBox("The sound cannot be written over the song itself: " + options.wavFile, HelpContext::General);
        return false;
    }

    std::string synthError;
    std::unique_ptr<OfflineSynthesizer> synth = CreateOfflineSynthesizer(
        options.soundFont.empty() ? FindSoundFont() : options.soundFont, options.sampleRate, synthError);
    if (synth == nullptr) {
        ui.ErrorBox(std::string("Cannot open Midi output device ") + SynthesizerName + " (" + synthError + ")",
                    HelpContext::General);
        return false;
    }
    OfflineCatalog catalog(synth.get(), options.mutedChannels);
    ManualTimeSource time;
    SchedulerToolkit toolkit(catalog, time, SchedulerToolkit::Drive::ByHand);
    std::deque<ToolkitNotification> posted;
    toolkit.SetNotificationHandler([&posted](ToolkitNotification notification) { posted.push_back(notification); });
    WindowlessFrame frame;
    PlaybackEngine engine(toolkit, ui, frame);
    Scheduler& scheduler = toolkit.GetScheduler();

    if (options.track > 0) {
        engine.PlayTrack(options.midiFile, options.track);
    } else {
        engine.PlaySongFrom(options.midiFile, nullptr, options.startTime);
    }
    if (!engine.Playing()) return false;

    // A file may claim a song of days; nothing is written for what cannot be held.
    const std::optional<int64_t> length = SongMicros(options.midiFile, options.track > 0 ? 0 : options.startTime);
    if (length && *length > options.maxLengthMicros) {
        engine.StopPlaying();
        const int64_t minutes = (*length + 59 * MicrosPerSecond) / (60 * MicrosPerSecond);
        ui.ErrorBox(
            options.midiFile + ": the song lasts " + (minutes > 99999 ? "days" : std::to_string(minutes) + " minutes") +
                ", longer than the limit of " + std::to_string(options.maxLengthMicros / (60 * MicrosPerSecond)) +
                " minutes (--max-length MINUTES raises it)",
            HelpContext::General);
        return false;
    }
    if (length && static_cast<uint64_t>(*length + LongestRelease) / MicrosPerSecond * options.sampleRate * 4 >
                      WavWriter::MaxDataBytes) {
        engine.StopPlaying();
        ui.ErrorBox(options.midiFile + ": the song is too long for a WAV file", HelpContext::General);
        return false;
    }

    std::unique_ptr<SampleWriter> writer;
    if (FoldUpper(ExtensionOf(options.wavFile)) == ".OGG") {
        writer = std::make_unique<OggVorbisWriter>();
    } else {
        writer = std::make_unique<WavWriter>();
    }
    SampleWriter& wav = *writer;
    std::string wavError;
    if (!wav.Open(options.wavFile, options.sampleRate, 2, wavError)) {
        engine.StopPlaying();
        ui.ErrorBox("Cannot create " + options.wavFile + ": " + wavError, HelpContext::General);
        return false;
    }
    Renderer renderer(*synth, wav);

    try {
        // Play: feed when asked, move the clock to whatever is due next, render up to it.
        bool ranOut = false;
        while (!ranOut && engine.Playing()) {
            while (!posted.empty()) {
                const ToolkitNotification notification = posted.front();
                posted.pop_front();
                if (notification == ToolkitNotification::MoreEventsWanted) {
                    engine.MidiFeedRequest();
                } else {
                    ranOut = true;
                }
            }
            if (ranOut || !engine.Playing()) break;
            const int64_t next = scheduler.Service();
            if (!posted.empty()) continue;
            if (next == Scheduler::Never) break;  // nothing queued and nothing asked for: the song is over
            const int64_t target = std::max(next, time.NowMicros() + 1);
            renderer.RenderTo(renderer.FrameAt(target));
            time.Set(target);
        }

        if (engine.Playing()) {
            // On to the end of the song, then let the last notes ring out.
            const int64_t now = time.NowMicros();
            // An audition whose tracks hold no note never started: nothing to wait for.
            const int64_t startTick = engine.StartTime();
            const int64_t endMicros =
                startTick < 0 ? now : scheduler.MicrosOfTick(std::max<int64_t>(engine.SongTicks() - startTick, 0));
            const int64_t end = std::clamp(endMicros, now, now + LongestTrailingSilence);
            renderer.RenderTo(renderer.FrameAt(end));
            time.Set(end);
            const int64_t releaseEnd = renderer.Frames() + renderer.FrameAt(LongestRelease);
            const int64_t blockFrames = std::max<int64_t>(renderer.FrameAt(10'000), 1);  // 10 ms
            while (renderer.Frames() < releaseEnd &&
                   renderer.RenderBlock(std::min(blockFrames, releaseEnd - renderer.Frames()))) {
            }
            engine.MidiPlaybackEnded();
        }
        wav.Finish();
    } catch (const std::length_error& error) {
        engine.StopPlaying();
        ui.ErrorBox(options.wavFile + ": " + error.what(), HelpContext::General);
        return false;
    }
    if (summary != nullptr) summary->frames = renderer.Frames();
    return true;
}

}  // namespace sonkora
