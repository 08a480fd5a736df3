#!/usr/bin/python3
"""Checks that the MIDI files named are standard, as independent readers see them: the chunks
read strictly (format 0 or 1, each track closed by End of Track exactly at its end), mido
loading the same format and tracks, midicsv converting it silently. Prints one line per
problem; exits 1 if there was any."""

import struct
import subprocess
import sys

import mido


def problems(name):
    data = open(name, "rb").read()
    if data[:4] != b"MThd" or struct.unpack(">I", data[4:8])[0] != 6:
        return ["no standard header"]
    fmt, count, _ = struct.unpack(">HHH", data[8:14])
    if fmt not in (0, 1):
        return ["format %d" % fmt]
    at = 14
    for track in range(count):
        length = struct.unpack(">I", data[at + 4:at + 8])[0] if data[at:at + 4] == b"MTrk" else None
        if length is None or at + 8 + length > len(data) or data[at + 5 + length:at + 8 + length] != b"\xff\x2f\x00":
            return ["track %d at %d: no MTrk chunk, cut, or not closed by End of Track" % (track, at)]
        at += 8 + length
    found = []
    try:
        song = mido.MidiFile(name)
        if (song.type, len(song.tracks)) != (fmt, count):
            found.append("mido reads type %d with %d tracks" % (song.type, len(song.tracks)))
    except Exception as error:  # any refusal by mido is a finding
        found.append("mido: %s" % error)
    run = subprocess.run(["midicsv", name], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if run.returncode != 0 or run.stderr:
        found.append("midicsv: exit %d %s" % (run.returncode, run.stderr.decode(errors="replace")))
    return found


if __name__ == "__main__":
    found = ["%s: %s" % (name, problem) for name in sys.argv[1:] for problem in problems(name)]
    print("\n".join(found), end="\n" if found else "")
    sys.exit(1 if found else 0)
