#!/usr/bin/env python3
"""Checks a shipped example song against its MIDI file, independently of Sonkora's own
code: the MIDI file is read with mido, the song text with a reader written here from
the rules of the song text format.

    check_example_song.py SONG.stf                     the lyrics fit the melody
    check_example_song.py SONG.stf --sonkorac PROGRAM  and `PROGRAM make` turns a copy
                                                       into a karaoke file whose lyric
                                                       events fall on those notes

What "fit" means: every syllable (empty ones included) gets its own melody note or
time code, no note is left over, a time code is later than the lyric before it and
falls exactly on the start of a melody note, so compiling gives no warning.
"""

import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    sys.exit("this check reads MIDI files with mido: install python3-mido")


class SongTextError(Exception):
    pass


def trimmed(line):
    """Leading and trailing blanks and control characters removed."""
    return line.strip("".join(chr(c) for c in range(33)))


def read_song_text(path):
    """Header directives, @-lines and the lyrics of a song text.

    Returns (directives, at_lines, lyrics) where lyrics is a list of
    (prefix, syllable, explicit_time_code_or_None, line_number)."""
    lines = path.read_bytes().decode("cp1252").split("\n")
    lines = [line[:-1] if line.endswith("\r") else line for line in lines]
    if lines and lines[-1] == "":
        lines.pop()           # a final line break starts no further line
    index = 0
    while index < len(lines) and not trimmed(lines[index]):
        index += 1
    directives = {}
    while index < len(lines):
        line = trimmed(lines[index])
        if not line or line.startswith("@"):
            break
        if line[:2] in ("\\t", "\\m", "\\k"):
            directives[line[:2]] = line[2:].strip()
        index += 1
    at_lines = []
    while index < len(lines) and trimmed(lines[index]):
        line = trimmed(lines[index])
        if line.startswith("@"):
            at_lines.append(line)
        index += 1
    while index < len(lines) and not trimmed(lines[index]):
        index += 1
    return directives, at_lines, lex_lyrics(lines[index:], index)


def lex_lyrics(lines, first_line_number):
    """The syllables of the lyric body, with the prefix each one gets."""
    lyrics = []
    state = {"syllable": "", "line_ends": 2, "blank": False, "time": None}

    def emit(line_number):
        syllable = state["syllable"]
        prefix = ""
        if syllable:
            if state["line_ends"] >= 2:
                prefix = "\\"
            elif state["line_ends"] == 1:
                prefix = "/"
            elif state["blank"]:
                prefix = " "
            state["line_ends"], state["blank"] = 0, False
        lyrics.append((prefix, syllable, state["time"], line_number))
        state["syllable"], state["time"] = "", None

    mode, code = "word", ""
    for offset, line in enumerate(lines):
        number = first_line_number + offset + 1
        text = line.replace("\r", "") + "\n"
        position = 0
        while position < len(text):
            if len(state["syllable"]) > 120:
                raise SongTextError("line %d: syllable too long" % number)
            char = text[position]
            if mode == "word":
                if char in "-_":
                    emit(number)
                elif char in " \t\n":
                    emit(number)
                    mode = "gap"
                    continue
                elif char == "$":
                    mode, code = "time", ""
                elif char == "\\":
                    mode = "escape"
                elif char.isdigit():
                    pass
                else:
                    state["syllable"] += char
            elif mode == "escape":
                state["syllable"] += char
                mode = "word"
            elif mode == "time":
                if char in "$\n":
                    if not code:
                        raise SongTextError("line %d: a time query ($$) is left in" % number)
                    state["time"] = code
                    mode = "word"
                elif char == "\\":
                    raise SongTextError("line %d: examples keep to one voice track" % number)
                else:
                    code += char
            elif mode == "gap":
                if char in " \t":
                    state["blank"] = True
                elif char == "\n":
                    state["line_ends"] = min(2, state["line_ends"] + 1)
                elif char == "$":
                    mode, code = "time", ""
                elif char == "\\":
                    mode = "escape"
                else:
                    mode = "word"
                    continue
            position += 1
    if mode == "word" and (state["syllable"] or state["time"] is not None):
        emit(first_line_number + len(lines))
    return lyrics


def ticks_of(code, division):
    """bar:beat:unit in ticks: four beats to the bar, 120 units to the beat."""
    try:
        bar, beat, unit = (int(part) for part in code.split(":"))
    except ValueError:
        raise SongTextError("invalid time code $%s$" % code)
    if bar < 1 or not 1 <= beat <= 4 or not 0 <= unit <= 119:
        raise SongTextError("invalid time code $%s$" % code)
    return (bar - 1) * 4 * division + (beat - 1) * division + unit * division // 120


def melody_onsets(track):
    """Ticks at which a melody note starts: note-ons with a velocity, a chord once."""
    onsets, now = [], 0
    for message in track:
        now += message.time
        if message.type == "note_on" and message.velocity > 0:
            if not onsets or onsets[-1] != now:
                onsets.append(now)
    return onsets


def bind(lyrics, onsets, division):
    """The tick every syllable is sung at; raises when lyrics and notes do not fit."""
    times, last_lyric, last_note, next_note = [], -1, -1, 0

    def skip_passed_notes(position):
        # Notes at the last bound note's tick or at or before the last lyric are passed
        # over by the note search.
        while position < len(onsets) and (onsets[position] == last_note
                                           or onsets[position] <= last_lyric):
            position += 1
        return position

    for prefix, syllable, code, line in lyrics:
        next_note = skip_passed_notes(next_note)
        if code is not None:
            tick = ticks_of(code, division)
            if tick <= last_lyric:
                raise SongTextError("line %d: $%s$ is not after the lyric before it"
                                    % (line, code))
            # The syllable stands for the next melody note, so the code must name the
            # start of exactly that note; the search then passes over it.
            if next_note == len(onsets) or onsets[next_note] != tick:
                raise SongTextError("line %d: $%s$ is not the start of the next melody "
                                    "note" % (line, code))
            times.append(tick)
            if prefix + syllable:
                last_lyric = tick
            continue
        if next_note == len(onsets):
            raise SongTextError("line %d: more syllables than melody notes (%r has none)"
                                % (line, syllable))
        tick = onsets[next_note]
        last_note = tick
        if prefix + syllable:
            last_lyric = tick
        times.append(tick)
        next_note += 1
    left = len(onsets) - skip_passed_notes(next_note)
    if left:
        raise SongTextError("%d melody note(s) without a syllable" % left)
    return times


def expected_lyrics(stf):
    directives, at_lines, lyrics = read_song_text(stf)
    midi_name = directives.get("\\m") or stf.with_suffix(".mid").name
    midi = mido.MidiFile(str(stf.parent / midi_name))
    if midi.type != 1:
        raise SongTextError("%s is not a type 1 MIDI file" % midi_name)
    voice = int(directives.get("\\t", "0"))
    if not 1 <= voice < len(midi.tracks):
        raise SongTextError("voice track %d is not in %s" % (voice, midi_name))
    onsets = melody_onsets(midi.tracks[voice])
    times = bind(lyrics, onsets, midi.ticks_per_beat)
    sung = [(tick, prefix + syllable)
            for tick, (prefix, syllable, _, _) in zip(times, lyrics) if prefix + syllable]
    return directives, at_lines, midi, sung, len(onsets)


def text_events(track):
    """(absolute tick, text) of the text meta events of a track."""
    events, now = [], 0
    for message in track:
        now += message.time
        if message.type == "text":
            events.append((now, message.text))
    return events


def check_compiled(stf, sonkorac, at_lines, midi, sung, directives):
    with tempfile.TemporaryDirectory() as folder:
        work = pathlib.Path(folder)
        shutil.copy(stf, work / stf.name)
        midi_name = directives.get("\\m") or stf.with_suffix(".mid").name
        shutil.copy(stf.parent / midi_name, work / midi_name)
        # --strict: a question about lyrics and notes is answered No, so any mismatch
        # the check above missed fails here too.
        result = subprocess.run([sonkorac, "make", "--strict", str(work / stf.name)],
                                capture_output=True, text=True, timeout=60,
                                stdin=subprocess.DEVNULL)
        if result.returncode != 0 or result.stderr.strip():
            raise SongTextError("sonkorac make failed (exit %d): %s"
                                % (result.returncode, result.stderr.strip()))
        kar_name = directives.get("\\k") or stf.with_suffix(".kar").name
        kar = mido.MidiFile(str(work / kar_name))
    if len(kar.tracks) != len(midi.tracks) + 2:
        raise SongTextError("the karaoke file has %d tracks, expected %d"
                            % (len(kar.tracks), len(midi.tracks) + 2))
    if kar.tracks[1].name != "Soft karaoke" or kar.tracks[2].name != "Words":
        raise SongTextError("tracks 1 and 2 are %r and %r"
                            % (kar.tracks[1].name, kar.tracks[2].name))
    copied = [kar.tracks[0]] + list(kar.tracks[3:])
    for number, (original, copy) in enumerate(zip(midi.tracks, copied)):
        if list(original) != list(copy):
            raise SongTextError("track %d of the MIDI file was not copied unchanged" % number)
    words = text_events(kar.tracks[2])
    if words[:len(at_lines)] != [(0, line) for line in at_lines]:
        raise SongTextError("the Words track does not begin with the @-lines")
    got = words[len(at_lines):]
    for index, (want, have) in enumerate(zip(sung, got)):
        if want != have:
            raise SongTextError("lyric %d is %r at tick %d, expected %r at tick %d"
                                % (index + 1, have[1], have[0], want[1], want[0]))
    if len(got) != len(sung):
        raise SongTextError("the Words track holds %d lyrics, expected %d"
                            % (len(got), len(sung)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("songs", nargs="+", type=pathlib.Path)
    parser.add_argument("--sonkorac", help="also compile each song with this program")
    options = parser.parse_args()
    failures = 0
    for stf in options.songs:
        try:
            directives, at_lines, midi, sung, notes = expected_lyrics(stf)
            if options.sonkorac:
                check_compiled(stf, options.sonkorac, at_lines, midi, sung, directives)
            print("%s: %d syllables sung on %d melody notes%s"
                  % (stf.name, len(sung), notes,
                     ", compiled and checked" if options.sonkorac else ""))
        except (SongTextError, OSError, ValueError) as problem:
            print("%s: %s" % (stf, problem), file=sys.stderr)
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
