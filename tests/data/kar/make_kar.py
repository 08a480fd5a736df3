#!/usr/bin/env python3
"""Writes the Soft Karaoke files the import tests read, each imitating a habit of karaoke
files made by other programs (the comment of each function names it). Songs and words are
made up here. Run it from anywhere; it writes beside itself:  python3 tests/data/kar/make_kar.py
"""

import os
import struct
from itertools import accumulate

HERE = os.path.dirname(os.path.abspath(__file__))


def vlq(value):
    out = [value & 0x7F]
    while value > 0x7F:
        value >>= 7
        out.insert(0, 0x80 | (value & 0x7F))
    return bytes(out)


def meta(kind, text, encoding="cp1252"):
    data = text.encode(encoding) if isinstance(text, str) else text
    return bytes([0xFF, kind]) + vlq(len(data)) + data


class Track:
    """Events at absolute ticks, written in time order (stable for equal ticks)."""

    def __init__(self, name=None, *texts):
        """A track named `name`, with `texts` at its start."""
        self.events = []
        if name is not None:
            self.text(0, name, 0x03)
        for text in texts:
            self.text(0, text)

    def add(self, time, data):
        self.events.append((time, len(self.events), data))
        return self

    def text(self, time, text, kind=0x01, encoding="cp1252"):
        return self.add(time, meta(kind, text, encoding))

    def note(self, time, length, channel, key, velocity=96, running=False):
        self.add(time, bytes([0x90 | channel, key, velocity]))
        # Note-offs as note-ons of velocity 0, the way many sequencers store them.
        return self.add(time + length, bytes([key, 0]) if running else bytes([0x90 | channel, key, 0]))

    def chunk(self, end_of_track=True):
        events = sorted(self.events)
        before = [0] + [time for time, _, _ in events]
        body = b"".join(vlq(time - last) + data for last, (time, _, data) in zip(before, events))
        body += b"\x00\xff\x2f\x00" if end_of_track else b""
        return b"MTrk" + struct.pack(">I", len(body)) + body


def midi(division, tracks, trailing=b"", form=1):
    """A whole file of the tracks (or chunks already made) in `tracks`."""
    chunks = [t if isinstance(t, bytes) else t.chunk() for t in tracks]
    return b"MThd" + struct.pack(">IHHH", 6, form, len(chunks), division) + b"".join(chunks) + trailing


def conductor(name="Tempo", extra=()):
    track = Track(name).add(0, meta(0x58, bytes([4, 2, 24, 8]))).add(0, meta(0x59, bytes([0, 0])))
    track.add(0, bytes([0xFF, 0x51, 3]) + struct.pack(">I", 500000)[1:])
    for time, data in extra:
        track.add(time, data)
    return track


def information(lines=("@KMIDI KARAOKE FILE",), name="Soft Karaoke"):
    return Track(name, *lines)


# A made-up song: (syllable text with its Soft Karaoke prefix, key, length in eighths).
VERSE = [
    ("\\Lan", 60, 1), ("tern", 62, 1), (" light", 64, 2), (" on", 65, 1), (" the", 64, 1), (" hill", 62, 2),
    ("/Call", 60, 1), ("ing", 62, 1), (" me", 64, 1), (" home", 67, 3), (" a", 65, 1), ("gain", 64, 3),
    ("\\Riv", 67, 1), ("er", 65, 1), (" run", 64, 2), ("ning", 62, 2), (" slow", 60, 4),
    ("/Stars", 62, 1), (" a", 64, 1), ("bove", 65, 2), (" the", 64, 1), (" snow,", 62, 3), (" yes!", 60, 4),
]


def verse_times(division, bars):
    """The tick the verse starts at, after `bars` bars of four beats, and the tick of each syllable."""
    start = bars * 4 * division
    return start, list(accumulate((length * (division // 2) for _, _, length in VERSE[:-1]), initial=start))


def accompaniment(division, start, bars, channel, program, key, name):
    track = Track(name).add(0, bytes([0xC0 | channel, program]))
    for beat in range(bars * 4):
        track.note(start + beat * division, division // 2, channel, key + (beat % 2) * 7, running=beat % 4 > 0)
    return track


def drums(division, start, bars):
    track = Track("Drums").add(0, bytes([0xC9, 0]))
    for beat in range(bars * 4):
        track.note(start + beat * division, division // 4, 9, 36 if beat % 2 == 0 else 38)
    return track


def melody(division, times, channel=0, name="Melody", program=53):
    track = Track(name).add(0, bytes([0xC0 | channel, program]))
    for i, ((_, key, length), time) in enumerate(zip(VERSE, times)):
        track.note(time, length * (division // 2) - 4, channel, key, running=i > 0)
    return track


def words(division, times, header=("@LENGL", "@TLantern Light", "@TMade up for Sonkora's tests"),
          kind=0x01, name="Words"):
    track = Track(name, *header)
    for (text, _, _), time in zip(VERSE, times):
        track.text(time, text, kind)
    return track


def karaoke(division, times, words_track, *more, info=None):
    """The usual layout: conductor, the two karaoke tracks, the melody, then `more`."""
    return midi(division, [conductor(), info or information(), words_track, melody(division, times), *more])


def lyric_events_of(track, times):
    """The verse as lyric events only: words end with a space, lines with a carriage return
    event of their own, the first syllable of a line has no prefix."""
    for i, ((text, _, _), time) in enumerate(zip(VERSE, times)):
        if text[0] in "/\\" and i > 0:
            track.text(time, "\r", 0x05)
        next_is_word = i + 1 < len(VERSE) and VERSE[i + 1][0][0] == " "
        track.text(time, text.lstrip(" /\\") + (" " if next_is_word else ""), 0x05)
    return track


def classic():
    # The plain layout: conductor, the two karaoke tracks, melody, bass and drums; lyrics
    # on the melody's note-ons, the melody stored with running status.
    d = 192
    start, times = verse_times(d, 2)
    return midi(d, [conductor(extra=[(0, meta(0x02, "(c) nobody, free to use"))]),
                    information(("@KMIDI KARAOKE FILE", "@V0100", "@IMade for the import tests")), words(d, times),
                    melody(d, times), accompaniment(d, start, 6, 1, 33, 36, "Bass"), drums(d, start, 6)])


def lyric_events():
    # Text events with their prefixes and, at the same ticks, lyric events without them,
    # a carriage return ending each line, as converters that serve both kinds of player do.
    d = 96
    start, times = verse_times(d, 1)
    track = words(d, times)
    for i, ((text, _, _), time) in enumerate(zip(VERSE, times)):
        plain = text.lstrip(" /\\")
        ends_line = i + 1 == len(VERSE) or VERSE[i + 1][0][0] in "/\\"
        track.text(time, plain + ("\r" if ends_line else "" if VERSE[i + 1][0][0] != " " else " "), 0x05)
    return karaoke(d, times, track, accompaniment(d, start, 8, 1, 0, 48, "Piano"))


def lyric_events_only():
    # Only lyric events, the title as a text event.
    d = 120
    _, times = verse_times(d, 1)
    return karaoke(d, times, lyric_events_of(Track("Words", "@TLantern Light"), times))


def headers_in_information():
    # Title lines in the information track as well, lower-case karaoke track names, a
    # system-exclusive reset in the conductor, and bytes after the last chunk.
    d = 480
    start, times = verse_times(d, 1)
    gm_on = bytes([0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7])
    info = information(("@KMIDI KARAOKE FILE", "@V0100", "@TLantern Light", "@TNobody in particular", "@IFree to use"),
                       name="soft karaoke")
    return midi(d, [conductor(extra=[(0, gm_on)]), info,
                    words(d, times, header=("@LENGL", "@TLantern Light"), name="words"), melody(d, times),
                    accompaniment(d, start, 6, 1, 24, 40, "Guitar")], trailing=b"\x00\x00")


def texts_before_notes():
    # The title and a credit as lyrics at tick 0, two bars before the first note, and a
    # closing line after the last one.
    d = 192
    _, times = verse_times(d, 2)
    track = words(d, times, header=("@LENGL",))
    track.text(0, "\\Lantern Light").text(0, "/words and music made up").text(d * 4, "/for the import tests")
    track.text(times[-1] + 8 * d, "\\The End")
    return karaoke(d, times, track)


def long_texts():
    # A credit of 300 characters before the music and a held syllable of 150 in it.
    d = 96
    _, times = verse_times(d, 1)
    track = Track("Words", "@TLantern Light")
    track.text(0, "\\" + ("Sequenced, arranged and typed in by somebody with a great deal of patience " * 4)[:300])
    for i, ((text, _, _), time) in enumerate(zip(VERSE, times)):
        track.text(time, " h" + "o" * 148 + "me" if i == 9 else text)
    return karaoke(d, times, track)


def more_lyrics_than_notes():
    # The listed voice track is a pad with one note a bar; the words follow the melody,
    # which sits in a later track.
    d = 192
    start, times = verse_times(d, 1)
    pad = Track("Pad").add(0, bytes([0xC2, 89]))
    for bar in range(5):
        pad.note(start + bar * 4 * d, 4 * d - 10, 2, 48)
    return midi(d, [conductor(), information(), words(d, times), pad, melody(d, times)])


def lyrics_off_their_notes():
    # Division 480 and every lyric 5 ticks before its note, as programs that show the
    # words a moment early store them; no time code can say 5 ticks exactly.
    d = 480
    _, times = verse_times(d, 1)
    return karaoke(d, times, words(d, [t - 5 for t in times]))


def same_tick_texts():
    # Two texts at one tick (a syllable split in two), an empty text and a text holding
    # only a line break, characters a song text gives a meaning, and a Words track whose
    # chunk ends without an end-of-track event.
    d = 96
    _, times = verse_times(d, 1)
    track = Track("Words", "@LENGL")
    texts = {3: [" o", "n"], 5: ["", VERSE[5][0]], 7: ["\n", VERSE[7][0]], 16: [" $low_5-\\"]}
    for i, ((text, _, _), time) in enumerate(zip(VERSE, times)):
        for piece in texts.get(i, [text]):
            track.text(time, piece)
    return karaoke(d, times, track.chunk(end_of_track=False))


def marker_other_names():
    # The marker in an information track named otherwise, and a Words track named Lyrics.
    d = 192
    _, times = verse_times(d, 2)
    return karaoke(d, times, words(d, times, name="Lyrics"), info=information(name="Karaoke Info"))


def late_texts():
    # Header lines after the first lyric (a second title before the second verse, a
    # credit at the end) and information lines in the information track.
    d = 192
    _, times = verse_times(d, 2)
    track = words(d, times, header=("@LENGL", "@TLantern Light"))
    track.text(times[12], "@TSecond verse").text(times[-1] + 4 * d, "@ITyped in by nobody")
    return karaoke(d, times, track, info=information(("@KMIDI KARAOKE FILE", "@KV0100", "@IFree to use")))


UTF8_VERSE = {0: "\\L\u00e0", 1: "v\u00e9n", 2: " \u0151r", 9: " ni\u00f1o"}


def utf8_texts():
    # Texts in UTF-8 as modern tools write them, one letter Windows-1252 lacks (o with
    # double acute).
    d = 192
    _, times = verse_times(d, 2)
    track = Track("Words", "@LENGL").text(0, "@TL\u00e0 v\u00e9n", encoding="utf-8")
    for i, ((text, _, _), time) in enumerate(zip(VERSE, times)):
        track.text(time, UTF8_VERSE.get(i, text), encoding="utf-8")
    return karaoke(d, times, track)


def lyrics_in_melody_tracks():
    # The other karaoke form: no karaoke tracks, lyric events in the melody track itself,
    # the title as a header text. The same verse, division and ticks as lyric_events_only.kar.
    d = 120
    start, times = verse_times(d, 1)
    track = lyric_events_of(melody(d, times).text(0, "@TLantern Light"), times)
    return d, [conductor(), track, accompaniment(d, start, 8, 1, 0, 48, "Piano")]


def lyrics_in_melody():
    return midi(*lyrics_in_melody_tracks())


def lyrics_type0():
    # The same song as a type 0 file, as most karaoke files on the web are: one track,
    # the words among the notes, only the song named.
    d, tracks = lyrics_in_melody_tracks()
    song = Track()
    for n, track in enumerate(tracks):
        for time, _, data in sorted(track.events):
            if n == 0 or data[:2] != b"\xff\x03":
                song.add(time, data)
    return midi(d, [song], form=0)


def write_beside(folder, files):
    """Writes each file of `files` (name: function making its bytes) into `folder`."""
    for name, make in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(make())


if __name__ == "__main__":
    write_beside(HERE, {make.__name__ + ".kar": make for make in [
        marker_other_names, late_texts, utf8_texts, lyrics_in_melody, lyrics_type0, classic, lyric_events,
        lyric_events_only, headers_in_information, texts_before_notes, long_texts, more_lyrics_than_notes,
        lyrics_off_their_notes, same_tick_texts]})
