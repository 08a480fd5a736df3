#!/usr/bin/python3
"""Checks that files Sonkora wrote are standard MIDI files, as independent readers see them.

For each file named: the chunk structure read strictly (a header of six bytes, format 0
or 1, as many track chunks as the header counts, each length backed by the bytes that
follow, each track closed by its End of Track event exactly at the chunk's end), then
mido must load it with the same format and tracks, and midicsv must convert it with
exit code 0 and nothing on standard error. Prints one line per problem and exits 1 if
there was any.   usage: check_midi_files.py FILE...
"""

import struct
import subprocess
import sys

import mido


def structure(data):
    if data[:4] != b"MThd" or struct.unpack(">I", data[4:8])[0] != 6:
        return "no standard header"
    fmt, count, _ = struct.unpack(">HHH", data[8:14])
    if fmt not in (0, 1):
        return "format %d" % fmt
    at = 14
    for track in range(count):
        if data[at:at + 4] != b"MTrk":
            return "track %d: no MTrk chunk at %d" % (track, at)
        length = struct.unpack(">I", data[at + 4:at + 8])[0]
        end = at + 8 + length
        if end > len(data):
            return "track %d claims %d bytes, the file holds %d" % (track, length, len(data) - at - 8)
        if data[end - 3:end] != b"\xff\x2f\x00":
            return "track %d does not end with End of Track" % track
        at = end
    return None


def main(files):
    problems = []
    for name in files:
        with open(name, "rb") as handle:
            data = handle.read()
        problem = structure(data)
        if problem:
            problems.append("%s: %s" % (name, problem))
            continue
        try:
            song = mido.MidiFile(name)
            if song.type != struct.unpack(">H", data[8:10])[0] or len(song.tracks) != data[10] << 8 | data[11]:
                problems.append("%s: mido reads type %d with %d tracks" % (name, song.type, len(song.tracks)))
        except Exception as error:  # any refusal by mido is a finding
            problems.append("%s: mido: %s" % (name, error))
        run = subprocess.run(["midicsv", name], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if run.returncode != 0 or run.stderr:
            problems.append("%s: midicsv: exit %d %s" % (name, run.returncode, run.stderr.decode(errors="replace")))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
