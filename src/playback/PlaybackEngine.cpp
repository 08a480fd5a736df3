#include "playback/PlaybackEngine.h"

#include <algorithm>
#include <limits>

namespace sonkora {

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

}  // namespace

PlaybackEngine::PlaybackEngine(MidiToolkit& toolkit, UserInterface& ui, PlaybackFrame& frame)
    : toolkit_(toolkit), ui_(ui), frame_(frame) {}

PlaybackEngine::~PlaybackEngine() {
    if (playing_) {
        playing_ = false;
        toolkit_.StopClock();
    }
    follower_.ClearLyricTimes();
    reader_.FreeTracks();
    if (midiOut_ != 0) {
        toolkit_.ResetDevice(midiOut_);
        toolkit_.CloseDevice(midiOut_);
        midiOut_ = 0;
    }
}

bool PlaybackEngine::OpenMidiOutput() {
    const std::string failure = OpenMidiOutputQuietly();
    if (failure.empty()) return true;
    ui_.ErrorBox(failure, HelpContext::General);
    return false;
}

std::string PlaybackEngine::OpenMidiOutputQuietly() {
    // An open device is closed first rather than forgotten while it still sounds.
    if (midiOut_ != 0) CloseMidiOutput();
    for (int index = 0; midiOut_ == 0; ++index) {
        const std::optional<std::string> name = toolkit_.DeviceName(index);
        if (!name || name->empty()) break;
        if (!midiOutDevice_.empty() && !SameNameIgnoringCase(midiOutDevice_, *name)) continue;
        midiOut_ = toolkit_.OpenDevice(index);
        if (midiOutDevice_.empty()) midiOutDevice_ = *name;
    }
    if (midiOut_ != 0 && toolkit_.ResetDevice(midiOut_) == 0) {
        deviceProblem_.clear();
        return {};
    }
    const std::string reason = midiOut_ == 0 ? toolkit_.OpenDeviceError() : std::string();
    if (midiOut_ != 0) toolkit_.CloseDevice(midiOut_);
    midiOut_ = 0;
    deviceProblem_ = "Cannot open Midi output device " + midiOutDevice_ + (reason.empty() ? "" : " (" + reason + ")");
    return WithAdvice(deviceProblem_);
}

std::string PlaybackEngine::WithAdvice(const std::string& message) const {
    return deviceAdvice_.empty() ? message : message + ".\n\n" + deviceAdvice_;
}

void PlaybackEngine::CloseMidiOutput() {
    if (midiOut_ == 0) return;
    toolkit_.ResetDevice(midiOut_);
    toolkit_.CloseDevice(midiOut_);
    midiOut_ = 0;
}

int32_t PlaybackEngine::CursorStartTime(const PlaybackEditor& editor) {
    const int32_t count = editor.LyricCount();
    if (count < 1) return 0;
    const int32_t caretLine = editor.CaretLineStart();
    int32_t index = 0;
    while (index < count && editor.LyricAt(index).Pos <= caretLine) ++index;
    if (index > 0) --index;
    // A lyric that never got a time must not turn the start into a track audition.
    return std::max(editor.LyricAt(index).Time, 0);
}

void PlaybackEngine::BeginPlay(PlaybackEditor* editor) {
    playEditor_ = editor;
    playing_ = true;
    frame_.UpdateFrameControls();
    if (editor != nullptr) editor->SetReadOnly(true);
}

void PlaybackEngine::PlaySong(const std::string& fileName, PlaybackEditor* editor, bool fromCursor) {
    StopPlaying();
    BeginPlay(editor);
    const int32_t start = fromCursor && editor != nullptr ? CursorStartTime(*editor) : 0;
    StartPlayback(start, fileName);
}

void PlaybackEngine::PlaySongFrom(const std::string& fileName, PlaybackEditor* editor, int32_t startTime) {
    StopPlaying();
    BeginPlay(editor);
    StartPlayback(std::max(startTime, 0), fileName);
}

void PlaybackEngine::PlayTrack(const std::string& fileName, int32_t track) {
    StopPlaying();
    BeginPlay(nullptr);
    StartPlayback(track > 0 ? -track : 0, fileName);
}

bool PlaybackEngine::MeasureSong() {
    reader_.RewindTracks();
    songTicks_ = 0;
    const int count = std::min<int>(reader_.Header().TrackCount, MaxTracks);
    MidiEvent event;
    for (int track = 0; track < count && reader_.MidiError() == 0; ++track) {
        // Every event takes at least one byte: the bound only guards the loop.
        const int64_t limit = int64_t{reader_.Track(track).Length} + 1;
        for (int64_t read = 0; read < limit; ++read) {
            const bool more = reader_.ReadEvent(static_cast<uint16_t>(track), event);
            if (reader_.MidiError() != 0) break;
            songTicks_ = std::max(songTicks_, event.Time);
            if (!more) break;
        }
    }
    return reader_.MidiError() == 0;
}

void PlaybackEngine::StartPlayback(int32_t start, const std::string& fileName) {
    if (start < 0) {
        startTime_ = -1;
        soloTrack_ = start == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : -start;
    } else {
        startTime_ = start;
        soloTrack_ = 0;
    }
    if (midiOut_ == 0 && !OpenMidiOutput()) {
        StopPlaying();
        return;
    }
    toolkit_.PrepareDevice(midiOut_);

    if (fileName.empty() || !reader_.OpenMidi(fileName)) {
        reader_.CloseMidi();
        StopPlaying();
        ui_.ErrorBox("Error opening Midi file " + fileName, HelpContext::General);
        return;
    }
    // A division of 0 gives ticks no length at all: nothing in such a file can be timed.
    if (!reader_.ReadMidiHeader() || reader_.Header().Division == 0) {
        reader_.CloseMidi();
        StopPlaying();
        ui_.ErrorBox("Error in Midi file header", HelpContext::General);
        return;
    }
    const bool loaded = reader_.LoadTracks() && MeasureSong();
    reader_.CloseMidi();  // the tracks stay in memory; the file is not held during playback
    if (!loaded) {
        StopPlaying();
        ui_.ErrorBox("Error in Midi file", HelpContext::General);
        return;
    }

    frame_.SetGauge(songTicks_, std::max(startTime_, 0));
    reader_.RewindTracks();
    lastTime_ = 0;
    if (startTime_ >= 0) {
        follower_.LoadLyricTimes(reader_);
        follower_.SkipLyricTimesBefore(startTime_);
    }
    reader_.RewindTracks();
    if (playing_) SendSongEvents();
    if (!playing_) return;
    toolkit_.StartClock();
    toolkit_.SetClockResolution(reader_.Header().Division);
    follower_.StartTicking();
    frame_.SetTimerEnabled(true);
}

void PlaybackEngine::StopPlaying() {
    if (!playing_) return;
    frame_.SetTimerEnabled(false);
    playing_ = false;
    toolkit_.StopClock();
    if (playEditor_ != nullptr) {
        playEditor_->CollapseSelectionToEnd();
        playEditor_->SetReadOnly(false);
    } else if (soloTrack_ > 0) {
        frame_.ClearTrackDialogStatus();
    }
    frame_.UpdateFrameControls();
    frame_.SetGauge(100, 100);
    follower_.ClearLyricTimes();
    reader_.FreeTracks();
    // The editor may close once its song has stopped; nothing here points at it after.
    playEditor_ = nullptr;
}

void PlaybackEngine::MidiFeedRequest() {
    frame_.ProcessPendingMessages();
    if (playing_) SendSongEvents();
}

void PlaybackEngine::SendSongEvents() {
    // Track numbers beyond the pump's range name no track, like any other missing one.
    const auto solo = static_cast<uint16_t>(std::clamp<int32_t>(soloTrack_, 0, 65535));
    reader_.SendEvents(startTime_, lastTime_, solo,
                       [this](const EventRecord& record) { return toolkit_.QueueEvent(midiOut_, record); });
}

void PlaybackEngine::MidiPlaybackEnded() {
    StopPlaying();
}

int PlaybackEngine::Tick() {
    if (playing_ && midiOut_ != 0) {
        const std::string lost = toolkit_.DeviceLost(midiOut_);
        if (!lost.empty()) {
            deviceProblem_ = "Playback stopped: " + lost;
            StopPlaying();
            CloseMidiOutput();  // the next Play opens it afresh, perhaps on a sound server started again
            ui_.ErrorBox(WithAdvice(deviceProblem_), HelpContext::General);
            return TimerMillis;
        }
    }
    follower_.Tick(
        playing_ && playEditor_ != nullptr && soloTrack_ == 0, startTime_, playEditor_,
        [this] { return toolkit_.ReadClock(); },
        [this](int32_t progress) {
            // The editor may have stopped the song while it was highlighting.
            if (playing_) frame_.SetGaugeProgress(progress);
        });
    const std::optional<int32_t> next = follower_.NextLyricTime();
    if (!playing_ || !next) return TimerMillis;
    const int64_t clockTicks = std::clamp<int64_t>(int64_t{*next} - startTime_, 0, std::numeric_limits<int32_t>::max());
    const std::optional<int64_t> micros = toolkit_.MicrosUntilClock(static_cast<int32_t>(clockTicks));
    if (!micros) return TimerMillis;
    return static_cast<int>(std::clamp<int64_t>((*micros + 999) / 1000, 1, TimerMillis));
}

}  // namespace sonkora
