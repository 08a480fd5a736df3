#pragma once
// A source MIDI file that already carries words (lyric events, or the texts of a Soft
// Karaoke file used as a source): copied along, they would stand beside the new Words
// track and players would show both sets, or the wrong one. Make and Export count them
// (see midi/KaraokeTexts.h for what counts), ask, and on Yes read a copy of the source
// without them.
//
// The question, in the style of the lyric count questions:
//   "280 lyric or karaoke text event(s) already in the MIDI file.\rLeave them out?"
// Yes: left out; No: copied as they are; Cancel: the file is not made.

#include <memory>
#include <string>

#include "common/SafeSave.h"

namespace sonkora {

class UserInterface;

struct SourceLyrics {
    bool declined = false;  // Cancel: nothing is to be made
    std::string passInput;  // the file the karaoke pass reads
    int count = 0;          // karaoke texts found in the source
    // The copy without them, beside the output; removed with this object.
    std::unique_ptr<SafeSave> strippedCopy;
};

// The question's text for `count` events.
std::string SourceLyricsQuestion(int count);

// Surveys `midiFile` and asks when it carries words. Without `ask` (Play) and in a batch
// run they are kept, as before. Throws IoError when a file cannot be read or the copy written.
SourceLyrics CheckSourceLyrics(UserInterface& ui, const std::string& midiFile, const std::string& outputFile, bool ask);

}  // namespace sonkora
