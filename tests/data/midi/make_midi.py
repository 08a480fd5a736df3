#!/usr/bin/env python3
"""Writes the MIDI files the reader tests take in, the way other programs store songs: type 0
with running status across channels, RIFF RMID wrappers (one with an INFO chunk after the
song), type 2, and files cut inside their last track. The song is the made-up verse of
../kar/make_kar.py. Run it from anywhere; it writes beside itself:
    python3 tests/data/midi/make_midi.py
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "kar"))

from make_kar import (VERSE, Track, accompaniment, conductor, drums, meta, midi, verse_times,  # noqa: E402
                      write_beside)


def type0_channels():
    # Conductor events, a GM reset, the melody on channel 4, a bass on 2, drums on 10,
    # and channel 6 with a program and a controller but no note. Running status carries
    # over from one channel's events to the next where the status bytes agree.
    d = 96
    start, times = verse_times(d, 2)
    song = conductor("Lantern Light", extra=[(0, bytes([0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7]))])
    song.add(0, bytes([0xC3, 53])).add(0, bytes([0xC5, 48])).add(0, bytes([0xB5, 7, 90]))
    for i, ((_, key, length), time) in enumerate(zip(VERSE, times)):
        song.add(time, bytes([0x93, key, 90])).add(time + length * d // 2 - 4, bytes([0x83, key, 0]))
        if i % 4 == 0:
            song.add(time, bytes([0xE3, 0, 0x40 + i]))  # pitch bend
    for track in (accompaniment(d, start, 6, 1, 33, 36, "Bass"), drums(d, start, 6)):
        for time, _, data in track.events:
            if data[0] != 0xFF:  # their names stay out: a type 0 file names only the song
                song.add(time, data)
    song.add(start + 6 * 4 * d + d, meta(0x06, "End"))
    return midi(d, [song], form=0)


def riff(smf, after=b""):
    data = b"data" + struct.pack("<I", len(smf)) + smf + (b"\0" if len(smf) % 2 else b"")
    body = b"RMID" + data + after
    return b"RIFF" + struct.pack("<I", len(body)) + body


def type1_song():
    d = 120
    start, times = verse_times(d, 1)
    melody = Track("Melody").add(0, bytes([0xC0, 53]))
    for (_, key, length), time in zip(VERSE, times):
        melody.add(time, bytes([0x90, key, 90])).add(time + length * d // 2 - 4, bytes([0x80, key, 0]))
    return midi(d, [conductor(), melody, drums(d, start, 4)])


def info_list():
    name = b"INAM" + struct.pack("<I", 14) + b"Lantern Light\0"
    return b"LIST" + struct.pack("<I", 4 + len(name)) + b"INFO" + name


def type2():
    pattern = Track("Pattern").add(0, bytes([0x90, 60, 90])).add(96, bytes([0x80, 60, 0]))
    return midi(96, [pattern, pattern], form=2)


def classic_kar():
    with open(os.path.join(HERE, "..", "kar", "classic.kar"), "rb") as kar:
        return kar.read()


if __name__ == "__main__":
    write_beside(HERE, {
        "type0_channels.mid": type0_channels,
        "type0_channels.rmi": lambda: riff(type0_channels()),
        "type1_song.mid": type1_song,
        "type1_info.rmi": lambda: riff(type1_song(), info_list()),
        "type2_patterns.mid": type2,
        # Cut inside the last track: its chunk claims bytes the file does not have.
        "cut_last_track.mid": lambda: type1_song()[:-7],
        "cut_last_track.kar": lambda: classic_kar()[:-5],
        "classic_kar.rmi": lambda: riff(classic_kar()),
    })
