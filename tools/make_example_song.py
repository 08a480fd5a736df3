#!/usr/bin/env python3
"""Writes the example song that Sonkora ships: "Jingle Bells" (words and music by James
Lord Pierpont, 1857; public domain).

Two files come out of one table, so they cannot drift apart:

  jingle_bells.mid  a type 1 standard MIDI file: a conductor track (track name, tempo,
                    time and key signature), the sung melody as track 1 ("Melody",
                    Voice Oohs), then bass, chords and drums on their own channels;
  jingle_bells.stf  its song text (Windows-1252, LF line ends): the \\t, \\m and \\k
                    lines, the @L and @T lines, and the lyrics split into syllables,
                    one syllable for every melody note, with one time code.

The bytes are written here with the standard library alone, and the same table always
gives the same bytes.

    make_example_song.py [--out-dir DIR]   write both files (default: examples/)
    make_example_song.py --check           exit 1 unless examples/ holds exactly what
                                           this script writes
"""

import argparse
import pathlib
import struct
import sys

NAME = "jingle_bells"
DIVISION = 480                     # ticks per quarter note
EIGHTH = DIVISION // 2
BAR = 4 * DIVISION                 # the song is in 4/4, so time codes count real bars
BEATS_PER_MINUTE = 132
INTRO_BARS = 2                     # accompaniment alone before the first syllable

# Channels (0-based) and General MIDI programs (0-based program change values).
MELODY_CHANNEL, BASS_CHANNEL, CHORD_CHANNEL, DRUM_CHANNEL = 0, 1, 2, 9
VOICE_OOHS, FINGERED_BASS, GRAND_PIANO = 53, 33, 0

# Durations in eighth notes.
DURATIONS = {"e": 1, "q": 2, "q.": 3, "h": 4, "h.": 6, "w": 8}

# The melody, one entry per line of lyrics: the line as the song text writes it and one
# note for every syllable (pitch and duration). Pick-up notes belong to the line they
# start, so a line may begin in the bar before. The melody lies an octave above the
# usual C major notation so that it sounds clearly over the chords.
VERSE_1 = [
    ("Dash-ing through the snow",
     "G4 q  E5 q  D5 q  C5 q  G4 h."),
    ("in a one\\--horse o-pen sleigh,",
     "G4 e  G4 e  G4 q  E5 q  D5 q  C5 q  A4 w"),
    ("O'er the fields we go,",
     "A4 q  F5 q  E5 q  D5 q  B4 w"),
    ("laugh-ing all the way;",
     "G5 q  G5 q  F5 q  D5 q  E5 w"),
    ("Bells on bob-tail ring,",
     "G4 q  E5 q  D5 q  C5 q  G4 w"),
    ("mak-ing spir-its bright,",
     "G4 q  E5 q  D5 q  C5 q  A4 h."),
    ("What fun it is to ride and sing",
     "A4 q  A4 q  F5 q  E5 q  D5 q  G5 q  G5 q  G5 q"),
    ("a sleigh-ing song to-night!",
     "G5 q  A5 q  G5 q  F5 q  D5 q  C5 w"),
]

VERSE_2 = [
    ("A day or two a-go",
     "G4 q  G4 q  E5 q  D5 q  C5 q  G4 h."),
    ("I thought I'd take a ride,",
     "G4 q  G4 q  E5 q  D5 q  C5 q  A4 h."),
    ("And soon, Miss Fan-ny Bright",
     "A4 q  A4 q  F5 q  E5 q  D5 q  B4 h."),
    ("Was seat-ed by my side;",
     "G5 q  G5 q  G5 q  F5 q  D5 q  E5 h."),
    ("The horse was lean and lank,",
     "G4 q  G4 q  E5 q  D5 q  C5 q  G4 h."),
    ("Mis-for-tune seemed his lot,",
     "G4 q  G4 q  E5 q  D5 q  C5 q  A4 h."),
    ("He got in-to a drift-ed bank,",
     "A4 q  A4 q  F5 q  E5 q  D5 q  G5 q  G5 q  G5 q"),
    ("And we, we got up-sot.",
     "G5 q  A5 q  G5 q  F5 q  D5 q  C5 w"),
]


def chorus(last_note):
    """The chorus; last_note is the length of its final "sleigh!", shortened when the
    next verse begins with a pick-up."""
    return [
        ("Jin-gle bells, jin-gle bells,",
         "E5 q  E5 q  E5 h  E5 q  E5 q  E5 h"),
        ("jin-gle all the way!",
         "E5 q  G5 q  C5 q.  D5 e  E5 w"),
        ("Oh, what fun it is to ride",
         "F5 q  F5 q  F5 q.  F5 e  F5 q  E5 q  E5 q"),
        ("in a one\\--horse o-pen sleigh, hey!",
         "E5 e  E5 e  E5 q  D5 q  D5 q  E5 q  D5 h  G5 h"),
        ("Jin-gle bells, jin-gle bells,",
         "E5 q  E5 q  E5 h  E5 q  E5 q  E5 h"),
        ("jin-gle all the way!",
         "E5 q  G5 q  C5 q.  D5 e  E5 w"),
        ("Oh, what fun it is to ride",
         "F5 q  F5 q  F5 q.  F5 e  F5 q  E5 q  E5 q"),
        ("in a one\\--horse o-pen sleigh!",
         "E5 e  E5 e  G5 q  G5 q  F5 q  D5 q  C5 " + last_note),
    ]


# Paragraphs of the song text in singing order. The second chorus starts with a time
# code on its first syllable, which shows how a syllable can be tied to a bar and beat.
SECTIONS = [
    ("verse", VERSE_1),
    ("chorus", chorus("h.")),  # the second verse's pick-up takes its last beat
    ("verse", VERSE_2),
    ("chorus", chorus("w")),
]
TIME_CODED_SECTION = 3         # index in SECTIONS: the second chorus

SECTION_HARMONY = {
    "verse": "C C C F  F G G7 C  C C C F  F G G7 C",
    "chorus": "C C C C  F C D7 G  C C C C  F C G7 C",
}
INTRO_HARMONY = "C G7"
ENDING_HARMONY = "C"

CHORDS = {  # root first, then the notes of the chord
    "C": ("C", ["C", "E", "G"]),
    "F": ("F", ["F", "A", "C"]),
    "G": ("G", ["G", "B", "D"]),
    "G7": ("G", ["G", "B", "D", "F"]),
    "D7": ("D", ["D", "F#", "A", "C"]),
}
PITCH_CLASS = {"C": 0, "C#": 1, "D": 2, "D#": 3, "E": 4, "F": 5, "F#": 6, "G": 7,
               "G#": 8, "A": 9, "A#": 10, "B": 11}

TITLE_LINES = [
    "Jingle Bells",
    "Words and music: James Lord Pierpont, 1857",
    "This song is in the public domain",
]


def key_number(name):
    """MIDI key of a note name such as "C5" (C4 is middle C, 60) or "F#3"."""
    return 12 * (int(name[-1]) + 1) + PITCH_CLASS[name[:-1]]


def syllables_of(line):
    """The syllables of one lyric line, split the way Sonkora reads lyrics: blanks end a
    word, "-" and "_" end a syllable, a backslash keeps the next character. Only what
    these lyric lines use is handled; the song text check in the tests reads whole
    texts."""
    result, current, escaped = [], "", False
    for char in line:
        if escaped:
            current, escaped = current + char, False
        elif char == "\\":
            escaped = True
        elif char in " -_":
            if current:
                result.append(current)
            current = ""
        else:
            current += char
    if current:
        result.append(current)
    return result


def parse_notes(text):
    words = text.split()
    return [(key_number(words[i]), DURATIONS[words[i + 1]]) for i in range(0, len(words), 2)]


# ---------------------------------------------------------------------------------------
# Timing: melody notes with their onsets, and where the time code falls.

def melody_notes():
    """Every melody note as (onset tick, key, length in ticks), and the tick of the first
    note of the time-coded section."""
    notes, tick, time_code_tick = [], INTRO_BARS * BAR, None
    for index, (_, lines) in enumerate(SECTIONS):
        if index == TIME_CODED_SECTION:
            time_code_tick = tick
        for lyric, note_text in lines:
            line_notes = parse_notes(note_text)
            if len(line_notes) != len(syllables_of(lyric)):
                raise SystemExit("%r has %d syllables but %d notes"
                                 % (lyric, len(syllables_of(lyric)), len(line_notes)))
            for key, eighths in line_notes:
                notes.append((tick, key, eighths * EIGHTH))
                tick += eighths * EIGHTH
    if time_code_tick % BAR:
        raise SystemExit("the time-coded section does not start on a bar line")
    return notes, time_code_tick


def song_bars():
    return INTRO_BARS + sum(len(SECTION_HARMONY[kind].split()) for kind, _ in SECTIONS) + 1


def time_code(tick):
    """bar:beat:unit of a tick, four beats to the bar and 120 units to the beat."""
    return "%d:%d:%d" % (tick // BAR + 1, tick // DIVISION % 4 + 1,
                         tick * 120 // DIVISION % 120)


# ---------------------------------------------------------------------------------------
# MIDI bytes.

def quantity(value):
    """A variable-length quantity, most significant group first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def meta(kind, data):
    return bytes([0xFF, kind]) + quantity(len(data)) + data


class Track:
    """Events of one track, kept as (tick, order, bytes) and written in time order.
    At equal ticks lower orders go first, so a note ends before the next one starts."""

    def __init__(self, name):
        self.events = []
        self.meta_event(0, 0x03, name.encode("cp1252"))

    def meta_event(self, tick, kind, data, order=0):
        self.events.append((tick, order, meta(kind, data)))

    def channel_event(self, tick, status, *data, order=1):
        self.events.append((tick, order, bytes([status, *data])))

    def note(self, tick, length, channel, key, velocity, off_as_note_on=False):
        self.channel_event(tick, 0x90 | channel, key, velocity, order=3)
        if off_as_note_on:   # many files end notes this way; it is never a new note
            self.channel_event(tick + length, 0x90 | channel, key, 0, order=2)
        else:
            self.channel_event(tick + length, 0x80 | channel, key, 64, order=2)

    def chunk(self, end_tick):
        """The track chunk. Channel events use running status; after a meta event the
        status byte is written again, as standard MIDI files require."""
        data, now, running = bytearray(), 0, None
        ordered = sorted(self.events, key=lambda event: (event[0], event[1]))
        for tick, _, event in ordered + [(end_tick, 9, meta(0x2F, b""))]:
            data += quantity(tick - now)
            now = tick
            if event[0] == 0xFF:
                data += event
                running = None
            elif event[0] == running:
                data += event[1:]
            else:
                data += event
                running = event[0]
        return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def harmony_by_bar():
    """The chord of every bar of the song, intro and ending included."""
    bars = INTRO_HARMONY.split()
    for kind, _ in SECTIONS:
        bars += SECTION_HARMONY[kind].split()
    return bars + ENDING_HARMONY.split()


def conductor_track(end_tick):
    track = Track(TITLE_LINES[0])
    track.meta_event(0, 0x02, b"Public domain")
    track.meta_event(0, 0x01, TITLE_LINES[1].encode("cp1252"))
    track.meta_event(0, 0x58, bytes([4, 2, 24, 8]))          # 4/4
    track.meta_event(0, 0x59, bytes([0, 0]))                 # C major
    track.meta_event(0, 0x51, struct.pack(">I", 60_000_000 // BEATS_PER_MINUTE)[1:])
    return track.chunk(end_tick)


def setup(track, channel, program, volume, pan):
    track.channel_event(0, 0xC0 | channel, program)
    track.channel_event(0, 0xB0 | channel, 7, volume)
    track.channel_event(0, 0xB0 | channel, 10, pan)
    track.channel_event(0, 0xB0 | channel, 91, 40)            # a little reverb


def melody_track(notes, end_tick):
    track = Track("Melody")
    setup(track, MELODY_CHANNEL, VOICE_OOHS, 110, 64)
    for tick, key, length in notes:
        velocity = 100 if tick % BAR == 0 else 90
        # A short breath between notes keeps repeated pitches apart.
        track.note(tick, length - min(length // 4, 60), MELODY_CHANNEL, key, velocity,
                   off_as_note_on=True)
    return track.chunk(end_tick)


def bass_track(bars, end_tick):
    track = Track("Bass")
    setup(track, BASS_CHANNEL, FINGERED_BASS, 100, 54)
    last = len(bars) - 1
    for index, chord in enumerate(bars):
        start = index * BAR
        root = 36 + PITCH_CLASS[CHORDS[chord][0]]                  # C2 up to B2
        fifth = root + 7 if root + 7 <= 45 else root - 5          # stays low
        if index == last:
            track.note(start, BAR - 120, BASS_CHANNEL, root, 96)
        else:
            track.note(start, 2 * DIVISION - 40, BASS_CHANNEL, root, 96)
            track.note(start + 2 * DIVISION, 2 * DIVISION - 40, BASS_CHANNEL, fifth, 84)
    return track.chunk(end_tick)


def chord_track(bars, end_tick):
    track = Track("Chords")
    setup(track, CHORD_CHANNEL, GRAND_PIANO, 80, 76)
    last = len(bars) - 1
    for index, chord in enumerate(bars):
        start = index * BAR
        keys = []
        for name in CHORDS[chord][1]:                              # close under the melody
            key = 55 + (PITCH_CLASS[name] - 7) % 12                # G3 up to F#4
            keys.append(key)
        beats = [0] if index == last else [1, 3]
        for beat in beats:
            length = BAR - 120 if index == last else DIVISION - 60
            for key in sorted(keys):
                track.note(start + beat * DIVISION, length, CHORD_CHANNEL, key, 64)
    return track.chunk(end_tick)


def drum_track(bar_count, end_tick):
    kick, snare, tambourine, crash = 36, 38, 54, 49
    track = Track("Drums")
    track.channel_event(0, 0xB0 | DRUM_CHANNEL, 7, 90)
    last = bar_count - 1
    for index in range(bar_count):
        start = index * BAR
        if index == last:
            track.note(start, DIVISION, DRUM_CHANNEL, kick, 100)
            track.note(start, DIVISION, DRUM_CHANNEL, crash, 90)
            continue
        for beat in range(4):
            at = start + beat * DIVISION
            drum = kick if beat % 2 == 0 else snare
            track.note(at, EIGHTH // 2, DRUM_CHANNEL, drum, 92 if beat % 2 == 0 else 70)
        for eighth in range(8):
            at = start + eighth * EIGHTH
            track.note(at, EIGHTH // 2, DRUM_CHANNEL, tambourine, 70 if eighth % 2 else 52)
    return track.chunk(end_tick)


def midi_bytes():
    notes, _ = melody_notes()
    bars = harmony_by_bar()
    if len(bars) != song_bars():
        raise SystemExit("harmony has %d bars, the song %d" % (len(bars), song_bars()))
    melody_end = notes[-1][0] + notes[-1][2]
    end_tick = len(bars) * BAR
    if melody_end != end_tick - BAR:
        raise SystemExit("the melody ends at tick %d, the last chorus at %d"
                         % (melody_end, end_tick - BAR))
    tracks = [conductor_track(end_tick), melody_track(notes, end_tick),
              bass_track(bars, end_tick), chord_track(bars, end_tick),
              drum_track(len(bars), end_tick)]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), DIVISION)
    return header + b"".join(tracks)


# ---------------------------------------------------------------------------------------
# The song text.

def song_text():
    _, time_code_tick = melody_notes()
    lines = [
        "\\t 1",
        "\\m %s.mid" % NAME,
        "\\k %s.kar" % NAME,
        "@LENGL",
    ] + ["@T" + title for title in TITLE_LINES]
    for index, (_, section_lines) in enumerate(SECTIONS):
        lines.append("")
        for number, (lyric, _) in enumerate(section_lines):
            if index == TIME_CODED_SECTION and number == 0:
                lyric = "$%s$%s" % (time_code(time_code_tick), lyric)
            lines.append(lyric)
    return ("\n".join(lines) + "\n").encode("cp1252")


def outputs():
    return {NAME + ".mid": midi_bytes(), NAME + ".stf": song_text()}


def main():
    here = pathlib.Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out-dir", type=pathlib.Path, default=here.parent / "examples")
    parser.add_argument("--check", action="store_true",
                        help="compare with the files in the output folder instead of writing")
    options = parser.parse_args()

    stale = []
    for name, data in outputs().items():
        path = options.out_dir / name
        if options.check:
            if not path.is_file() or path.read_bytes() != data:
                stale.append(str(path))
            continue
        options.out_dir.mkdir(parents=True, exist_ok=True)
        temporary = path.with_name(path.name + ".tmp")
        temporary.write_bytes(data)
        temporary.replace(path)
        print("wrote %s (%d bytes)" % (path, len(data)))
    if stale:
        print("not what %s writes: %s" % (pathlib.Path(__file__).name, ", ".join(stale)),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
