#pragma once
// The one playback of the program: a compiled karaoke file of an editor window, from its
// beginning or from the caret's line, with the lyrics followed in the editor; or one
// track of a MIDI file as an audition while the voice track is chosen.
//
// The song is loaded into memory, handed to the MIDI toolkit piece by piece as the
// toolkit asks for more (MidiFeedRequest), and timed by the toolkit's clock. All members
// are called on one thread; the owner turns the toolkit's notifications into calls of
// MidiFeedRequest and MidiPlaybackEnded on that thread, and calls Tick while the frame's
// timer is enabled, each time after the milliseconds the previous Tick returned.
//
// Every failure shows its message through the UserInterface (help context 20000) and
// returns to idle through StopPlaying, so a song text is never left read-only.

#include <cstdint>
#include <string>

#include "common/UserInterface.h"
#include "midi/MidiReader.h"
#include "playback/LyricFollower.h"
#include "playback/MidiToolkit.h"
#include "playback/PlaybackInterfaces.h"

namespace sonkora {

class PlaybackEngine {
public:
    PlaybackEngine(MidiToolkit& toolkit, UserInterface& ui, PlaybackFrame& frame);
    // Frees the song, stops the clock and closes the device, without calling back into
    // the frame, which may already be on its way out.
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Opens the device named by MidiOutDevice (the first device when that is empty, whose
    // name then becomes the setting); tells the user when it cannot.
    bool OpenMidiOutput();
    // The same without a word: what the user would be told, empty when the device opened.
    std::string OpenMidiOutputQuietly();
    // Said after every message about a device that failed: where another one is chosen
    // ("Choose another device in ..."). Empty: nothing is added.
    void SetDeviceAdvice(std::string advice) { deviceAdvice_ = std::move(advice); }
    // What went wrong with the output device last (it did not open, or it lost its
    // sound), without the advice; empty once a device is open and sounding.
    const std::string& DeviceProblem() const { return deviceProblem_; }
    void CloseMidiOutput();

    // Plays a compiled karaoke file for an editor window, from the start or from the
    // lyric of the caret's line.
    void PlaySong(const std::string& fileName, PlaybackEditor* editor, bool fromCursor);
    // The same from a given song time in ticks (sonkorac's --from). `editor` may be null.
    void PlaySongFrom(const std::string& fileName, PlaybackEditor* editor, int32_t startTime);
    // Auditions one track (numbers from 1) together with track 0.
    void PlayTrack(const std::string& fileName, int32_t track);
    // The common start: `start` >= 0 plays all tracks from that tick, -n auditions track n.
    void StartPlayback(int32_t start, const std::string& fileName);
    void StopPlaying();

    // The toolkit wants more events / ran out of events.
    void MidiFeedRequest();
    void MidiPlaybackEnded();
    // The frame's timer period when no lyric falls due sooner.
    static constexpr int TimerMillis = 20;
    // One tick of the frame's timer. Returns the milliseconds to the next tick: the
    // period, or less when the next lyric falls due sooner, so that its highlight does not
    // wait for the period to come round (1 to TimerMillis). A device that can no longer
    // sound (its sound server went away) stops the playback, is closed and is reported.
    int Tick();

    // The start time play from cursor would use for this editor.
    static int32_t CursorStartTime(const PlaybackEditor& editor);

    bool Playing() const { return playing_; }
    PlaybackEditor* PlayEditor() const { return playEditor_; }
    int32_t SoloTrack() const { return soloTrack_; }
    int32_t StartTime() const { return startTime_; }
    int32_t LastTime() const { return lastTime_; }
    int32_t SongTicks() const { return songTicks_; }
    MidiHandle MidiOut() const { return midiOut_; }
    uint16_t Division() const { return reader_.Header().Division; }
    const std::string& MidiOutDevice() const { return midiOutDevice_; }
    void SetMidiOutDevice(std::string name) { midiOutDevice_ = std::move(name); }
    const LyricFollower& Follower() const { return follower_; }

private:
    void BeginPlay(PlaybackEditor* editor);
    bool MeasureSong();
    void SendSongEvents();
    std::string WithAdvice(const std::string& message) const;

    MidiToolkit& toolkit_;
    UserInterface& ui_;
    PlaybackFrame& frame_;
    MidiReader reader_;
    LyricFollower follower_;

    bool playing_ = false;
    PlaybackEditor* playEditor_ = nullptr;
    int32_t soloTrack_ = 0;
    int32_t startTime_ = 0;
    int32_t lastTime_ = 0;
    int32_t songTicks_ = 0;
    MidiHandle midiOut_ = 0;
    std::string midiOutDevice_;
    std::string deviceAdvice_;
    std::string deviceProblem_;
};

}  // namespace sonkora
