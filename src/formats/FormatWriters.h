#pragma once
// The lyric formats written from a KaraokeSong, each as the complete UTF-8 text of its
// file (no byte order mark, LF line ends). Times come from the song's tempo map, so they
// are the times playback sounds.
//
// For the syllables "Hel" (1.00 s) "lo" (1.50 s) " world" (2.00 s), then a new line
// "Bye" (4.00 s):
//   LRC           [00:01.00]Hello world
//   enhanced LRC  [00:01.00]<00:01.00>Hel<00:01.50>lo <00:02.00>world
//   WebVTT        00:00:01.000 --> 00:00:04.000
//                 Hel<00:00:01.500>lo <00:00:02.000>world
//   UltraStar     : 0 2 5 Hel   (start, length, key - 60, text; see WriteUltraStar)

#include <string>

#include "formats/KaraokeSong.h"

namespace sonkora {

// "[ti:]", "[ar:]" and one line per lyric line; `enhanced` adds a tag per syllable.
std::string WriteLrc(const KaraokeSong& song, bool enhanced);

// One cue per lyric line, from its first syllable to the next line's first syllable (the
// last cue to its last note's end and one second more), a timestamp tag before each
// syllable after the first.
std::string WriteWebVtt(const KaraokeSong& song);

// An UltraStar song naming `audioFile` in #AUDIO and #MP3. Positions are beats of #BPM
// counted from #GAP, reached through seconds so tempo changes keep them in time; a
// syllable with no voice note is a freestyle note, a syllable that only holds a note
// continues the one before ("~").
std::string WriteUltraStar(const KaraokeSong& song, const std::string& audioFile);

}  // namespace sonkora
