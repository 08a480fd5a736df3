#pragma once
// The import's conversion of a Words track back into song text, one text or lyric event
// at a time, while the karaoke pass reads the track. Each syllable is bound to the voice
// note at its tick (collected by an earlier pass), or written with a time code where no
// note takes it, so the song text compiles back to the same lyrics at the same ticks.
//
// The song text begins with the "\t", "\m" and "\k" lines, then the header lines ("@"),
// an empty line, and the lyrics. Its lines end in CR LF, as every song text's do.
//
// Every text is kept. Where the song text format forces a change (a text longer than a
// syllable may be, a line break inside a syllable, a character the code page cannot
// hold), the change is made and described in Changes(), for the user to be told.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "midi/MidiTypes.h"

namespace sonkora {

class SongTextConverter {
public:
    SongTextConverter() = default;
    ~SongTextConverter();
    SongTextConverter(const SongTextConverter&) = delete;
    SongTextConverter& operator=(const SongTextConverter&) = delete;

    // Creates the song text and writes its "\t", "\m" and "\k" lines (empty references
    // are left out). False when the file cannot be created.
    bool Open(const std::string& fileName, uint16_t voiceTrack, const std::string& midiFileRef,
              const std::string& karaokeFileRef);
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& FileName() const { return fileName_; }
    // Ends the song text with a line end and closes it. False when that failed; `reason`
    // then says why.
    bool Close(std::string& reason);

    // Back to the start of the lyrics, before the first text of the Words track.
    void Reset() { state_ = State{}; }

    // Writes the header lines given (the "@" texts gathered from the whole file); the
    // "@" texts met while converting are then passed over, having been written here.
    void WriteHeaderLines(const std::vector<std::string>& lines);
    // The texts are UTF-8 and are converted to the song text's code page.
    void SetUtf8(bool utf8) { utf8_ = utf8; }
    // The time codes in the descriptions of changes need the division.
    const std::vector<std::string>& Changes() const { return changes_; }

    // One text (01) or lyric (05) meta event of the Words track. `noteTimes` are the
    // voice notes (the first `noteCount` count); `lyricIndex` is the next note not yet
    // given a syllable.
    void Convert(const MidiEvent& event, const std::vector<int32_t>& noteTimes, int noteCount, int& lyricIndex,
                 uint16_t division);

private:
    void Write(const std::string& text);
    void EndLine() { Write("\r\n"); }
    // The text in the song text's code page, with a change noted for what it cannot hold.
    std::string CodePageText(const std::string& text, int32_t time, uint16_t division);
    void NoteChange(const std::string& text, int32_t time, uint16_t division, const std::string& what);

    // Where the conversion stands.
    struct State {
        bool lineStart = true;      // no syllable written yet
        int32_t lastTime = -1;      // the tick the last syllable written compiles to
        size_t syllableLength = 0;  // the characters of that syllable
        char pendingBreak = 0;      // ' ', '/' or '\\' owed to the next syllable
        uint8_t lastType = 0;       // meta type, tick and syllable of the last text taken
        int32_t lastTextTime = -1;
        std::string lastSyllable;
    };

    std::FILE* file_ = nullptr;
    std::string fileName_;
    State state_;
    bool headerGiven_ = false;
    bool utf8_ = false;
    std::vector<std::string> changes_;
};

}  // namespace sonkora
