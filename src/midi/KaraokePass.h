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

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiTypes.h"

namespace sonkora {

enum class PassMode : uint8_t { Make = 0, Convert = 1, Collect = 2, ReadOnly = 4, Export = 5 };

class KaraokePass {
public:
    static constexpr int BufferSize = 65536;
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
    void FinishWords();
    void CopyRest();
    void ReadChunkHeader(bool copy);
    bool ReadPassEvent(MidiEvent& event);
    void ClosePass();

    // The reset of the modes that open no file (check, preview, print): lyric and note
    // times cleared, nothing opened.
    void ResetReadingState();

    // Track listing support: reads the chunk at the current input position and leaves
    // the input at the start of the next chunk.
    void ListTrack(std::string& name, std::string& line);

    const MidiHeader& Header() const { return header_; }
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
    struct Files;
    struct Source;  // the byte source of the event decoder over the input buffer

    // Where a track chunk is read from: its next unread byte, its end (the claimed end,
    // which may lie beyond the file), and the time and running status it was left with.
    struct TrackEntry {
        int64_t offset = 0;
        int64_t end = 0;
        int32_t time = 0;
        uint8_t runningStatus = 0;
    };

    void RequireOpen(const char* operation) const;
    void ResetState();
    void DropInputBuffer();
    void RefillInput();
    int64_t Tell() const;
    void Seek(int64_t offset);
    size_t ReadInput(uint8_t* target, size_t count);
    void WriteOutput(const uint8_t* data, size_t count);
    void CopyInput(int64_t count);
    void StoreByte(uint8_t byte);
    void StoreQuantity(uint32_t value);
    void AddTrailingSpace();
    bool LastWordsByteIsReturn() const;
    void ConvertWordsText(const MidiEvent& event);
    void WriteSongText(const std::string& text);
    void EndSongTextLine();
    void CloseFiles(bool reportErrors);

    std::unique_ptr<Files> files_;
    std::vector<uint8_t> input_;  // the input buffer (allocated while open)
    int inputFill_ = 0;
    int inputPos_ = 0;
    int64_t inputStart_ = 0;  // file offset of input_[0]
    int64_t fileSize_ = 0;
    int64_t chunkEnd_ = 0;        // reading stops here: the end of the current track chunk
    std::vector<uint8_t> words_;  // everything the pass composes (allocated while open)
    int wordsPos_ = 0;
    int wordsDataStart_ = -1;  // -1 until the Words chunk is started
    int lastLengthPos_ = -1;
    uint8_t lastTextType_ = 0;
    uint8_t runningStatus_ = 0;
    std::array<TrackEntry, MaxTracks> trackTable_{};
    bool indexed_ = false;  // the chunks were indexed by SelectVoiceTrack
    int64_t restOffset_ = 0;
    int64_t lastChunkLength_ = 0;
    int lyricIndex_ = 0;
    // Mode 1: where the conversion of the Words track stands.
    struct WordsConversion {
        int32_t lastTime = -1;      // the tick the last syllable written compiles to
        size_t syllableLength = 0;  // the characters of that syllable
        char pendingBreak = 0;      // ' ', '/' or '\\' owed to the next syllable
        uint8_t lastType = 0;       // meta type, tick and syllable of the last text taken
        int32_t lastTextTime = -1;
        std::string lastSyllable;
    };
    WordsConversion conversion_;
    PassMode mode_ = PassMode::ReadOnly;
    MidiHeader header_;
    int32_t midiError_ = 0;
    int32_t currentTime_ = 0;
    int32_t lastLyricTime_ = -1;
    int32_t lastNoteTime_ = -1;
    bool endOfTrack_ = false;
    bool lineStart_ = true;
    int currentTrack_ = 0;
    std::vector<int32_t> noteTimes_;
    int noteCount_ = 0;
};

}  // namespace sonkora
