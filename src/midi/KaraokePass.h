#pragma once
// The karaoke pass: one streaming pass over a type 1 MIDI file through a 64 KiB input
// buffer. It copies the file's track chunks to the output byte for byte, inserts the
// karaoke tracks, and writes lyric events at the note-on times of the voice track.
//
// Pass modes:
//   0  make a Soft Karaoke file (output gets input count + 2 tracks)
//   1  import: convert a .kar into a MIDI file and a song text (count - 2)
//   2  import: collect the voice note-on times of a .kar (no output)
//   4  read only (track listing, import checks, the timing of a song text: lyrics
//      go to the Words buffer only)
//   5  export a MIDI file with lyric events (count + 1)
//
// Compiler calling order for mode 0 or 5: OpenPass, ReadPassHeader, SelectVoiceTrack,
// WriteKaraokeTracks, WriteTextEvent per header line, then NextNoteLyric or WriteLyric
// per syllable (SwitchVoiceTrack where the text changes track), FinishWords when no
// error occurred, ClosePass. Test MidiError() after every step; on any error skip
// FinishWords, close, and delete the output.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "midi/ChunkReader.h"
#include "midi/MidiTypes.h"
#include "midi/SongTextConverter.h"
#include "midi/WordsTrackWriter.h"

namespace sonkora {

enum class PassMode : uint8_t { Make = 0, Convert = 1, Collect = 2, ReadOnly = 4, Export = 5 };

class KaraokePass {
public:
    static constexpr int MaxNoteTimes = 10000;

    KaraokePass();
    ~KaraokePass();  // closes whatever is still open
    KaraokePass(const KaraokePass&) = delete;
    KaraokePass& operator=(const KaraokePass&) = delete;

    void OpenPass(const std::string& inputName, const std::string& outputName, const std::string& songTextName,
                  PassMode mode, uint16_t voiceTrack, const std::string& midiFileRef,
                  const std::string& karaokeFileRef);
    void ReadPassHeader();
    void SelectVoiceTrack(int n);
    void WriteKaraokeTracks();
    void WriteTextEvent(int32_t delta, uint8_t metaType, const std::string& text);
    void WriteLyric(const std::string& text, int32_t time);
    void NextNoteLyric(const std::string& text, bool& found);
    void SwitchVoiceTrack(int n);
    // A time code bound to no text still moves the voice on: the next note search takes
    // only a note later than `time`, as if a lyric had been written there.
    void PassNotesThrough(int32_t time) { noteFloor_ = std::max(noteFloor_, time); }
    void FinishWords();
    void CopyRest();
    void ReadChunkHeader(bool copy);
    bool ReadPassEvent(MidiEvent& event);
    void ClosePass();

    // The reset of the modes that open no file (check, preview, print): lyric and note
    // times cleared, nothing opened.
    void ResetReadingState();

    // Track listing support: enters the chunk at the current input position, so that
    // ReadPassEvent reads its events. Returns where the next chunk starts, or -1 with
    // MidiError set when no track chunk starts here.
    int64_t EnterChunk();
    // Moves the input to `offset`, where a chunk starts.
    void MoveToChunk(int64_t offset);

    // Mode 1: the song text being written.
    SongTextConverter& SongText() { return songText_; }

    const MidiHeader& Header() const { return header_; }
    // Chunks the track listing shows, chunk 0 included: all of them, except in a split
    // type 0 file, whose channel tracks without notes come last and are not listed.
    int ListedTrackCount() const;
    int32_t MidiError() const { return midiError_; }
    void SetMidiError(int32_t code) { midiError_ = code; }
    PassMode Mode() const { return mode_; }
    int32_t CurrentTime() const { return currentTime_; }
    int32_t LastLyricTime() const { return lastLyricTime_; }
    int32_t LastNoteTime() const { return lastNoteTime_; }
    bool EndOfTrack() const { return endOfTrack_; }
    int CurrentTrack() const { return currentTrack_; }
    // Mode 2: voice note-on times collected, and their number.
    const std::vector<int32_t>& NoteTimes() const { return noteTimes_; }
    int NoteCount() const { return noteCount_; }

private:
    struct Source;  // the byte source of the event decoder over the input buffer

    // Where a track chunk is read from: its next unread byte, its end (the claimed end,
    // which may lie beyond the file), and the time and running status it was left with.
    struct TrackEntry {
        int64_t offset = 0;
        int64_t end = 0;
        int32_t time = 0;
        uint8_t runningStatus = 0;
    };

    void RequireOpen(const char* operation) const {
        if (!input_.IsOpen()) NotOpen(operation);
    }
    [[noreturn]] static void NotOpen(const char* operation);
    void ResetState();
    void WriteOutput(const uint8_t* data, size_t count);
    void CopyInput(int64_t count);
    void CloseFiles(bool reportErrors);

    ChunkReader input_;
    std::FILE* output_ = nullptr;
    std::string outputName_;
    WordsTrackWriter words_{midiError_};
    SongTextConverter songText_;
    uint8_t runningStatus_ = 0;
    // Indexed by chunk, for the chunks SelectVoiceTrack really found (entry 0 unused).
    std::vector<TrackEntry> trackTable_;
    bool indexed_ = false;  // the chunks were indexed by SelectVoiceTrack
    int64_t restOffset_ = 0;
    int64_t lastChunkLength_ = 0;
    int lyricIndex_ = 0;
    PassMode mode_ = PassMode::ReadOnly;
    MidiHeader header_;
    int32_t midiError_ = 0;
    int32_t currentTime_ = 0;
    int32_t lastLyricTime_ = -1;
    int32_t lastNoteTime_ = -1;
    int32_t noteFloor_ = -1;  // notes at or before this time are passed over
    bool endOfTrack_ = false;
    bool lineStart_ = true;
    int currentTrack_ = 0;
    std::vector<int32_t> noteTimes_;
    int noteCount_ = 0;
    MidiEvent searched_;  // NextNoteLyric's event, kept so its text keeps its room
};

}  // namespace sonkora
