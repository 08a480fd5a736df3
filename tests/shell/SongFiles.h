#pragma once
// Songs for the shell's tests: a MIDI file whose voice notes fall on known ticks and a
// song text with one syllable for each, so every lyric has a known time.

#include <QByteArray>

#include "support/MidiBytes.h"

namespace sonkora::test {

// Format 1, 96 ticks a quarter, 120 beats a minute (96 ticks = 500 ms). Track 1, the
// voice, sounds a note on every quarter from tick 0 to tick 480; track 2, a bass on
// channel 2 with its own program, sounds at ticks 0 and 192.
inline QByteArray SixNoteSong() {
    Bytes voice = Program(0, 0, 52);
    for (uint8_t i = 0; i < 6; ++i) voice = Cat({voice, NoteOn(i == 0 ? 0 : 48, 0, 60 + i, 100), NoteOff(48, 0, 60 + i)});
    const Bytes bytes = MidiFile(
        1, 96,
        {Cat({Meta(0, 0x03, "Conductor"), Tempo(0, 500000), EndOfTrack()}),
         Cat({Meta(0, 0x03, "Voice"), voice, EndOfTrack()}),
         Cat({Meta(0, 0x03, "Bass"), Program(0, 1, 33), NoteOn(0, 1, 40, 90), NoteOff(96, 1, 40), NoteOn(96, 1, 43, 90),
              NoteOff(96, 1, 43), EndOfTrack()})});
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Six syllables for the six notes: Hel 0, lo 96, world 192 on the first lyric line, how
// 288, are 384, you 480 on the second.
inline const QByteArray SixSyllables = "\\t 1\n\\m song.mid\n@TSix\n\nHel-lo world\nhow are you\n";

}  // namespace sonkora::test
