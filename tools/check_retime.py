#!/usr/bin/env python3
"""Checks sonkorac retime and shift end to end against an independent reader.

    check_retime.py SONKORAC [--songs N] [--seed S]

For random songs (division, tempo map with changes, a voice of notes at random ticks,
lyrics of words and syllables) and taps made from known times, runs
`sonkorac retime` and then `sonkorac make`, reads the karaoke file with mido and checks
that every retimed lyric lies within one time-code unit of its tap, or exactly on a
voice note within the snap window of it, and that the lyrics before the first tapped one
kept their notes. Then `sonkorac shift` must move every time code of the text by exactly
the amount asked. Tick and second arithmetic is mido's own, not Sonkora's.
"""

import os
import random
import re
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    sys.exit("check_retime.py needs mido (Debian: python3-mido)")


def seconds_of(tick, tempos, division):
    """When `tick` sounds, by mido's conversion, over (tick, tempo) changes from 0."""
    total, last_tick, tempo = 0.0, 0, 500000
    for at, value in tempos:
        if at >= tick:
            break
        total += mido.tick2second(at - last_tick, division, tempo)
        last_tick, tempo = at, value
    return total + mido.tick2second(tick - last_tick, division, tempo)


def make_song(rng, folder):
    division = rng.choice([96, 120, 192, 384, 480, 960])
    tempos = sorted({(rng.randrange(1, 40) * division, rng.randrange(300000, 1000000))
                     for _ in range(rng.randrange(0, 5))})
    notes, tick = [], rng.randrange(0, 2 * division)
    for _ in range(rng.randrange(20, 80)):
        notes.append(tick)
        tick += rng.randrange(division // 8, 2 * division)
    end = max([notes[-1]] + [at for at, _ in tempos]) + 4 * division

    song = mido.MidiFile(type=1, ticks_per_beat=division)
    conductor = mido.MidiTrack()
    now = 0
    for at, tempo in tempos:
        conductor.append(mido.MetaMessage("set_tempo", tempo=tempo, time=at - now))
        now = at
    conductor.append(mido.MetaMessage("end_of_track", time=end - now))
    voice = mido.MidiTrack()
    now = 0
    for at in notes:
        voice.append(mido.Message("note_on", note=60, velocity=90, time=at - now))
        voice.append(mido.Message("note_off", note=60, time=1))
        now = at + 1
    voice.append(mido.MetaMessage("end_of_track", time=end - now))
    song.tracks += [conductor, voice]
    song.save(os.path.join(folder, "song.mid"))

    words, count = [], rng.randrange(5, len(notes))
    while count > 0:
        parts = min(count, rng.randrange(1, 4))
        words.append("-".join(rng.choice(["la", "li", "do", "re", "mi"]) for _ in range(parts)))
        count -= parts
    lines = [" ".join(words[i:i + 5]) for i in range(0, len(words), 5)]
    with open(os.path.join(folder, "song.stf"), "w", newline="\r\n") as text:
        text.write("\\t 1\n\\m song.mid\n\\k song.kar\n@TRandom\n\n" + "\n".join(lines) + "\n")
    syllables = sum(len(w.split("-")) for w in words)
    return division, [(0, 500000)] + tempos if not tempos or tempos[0][0] > 0 else tempos, notes, syllables


def lyrics_of(path):
    """The lyrics of the Words track: (tick, text), headers left out."""
    for track in mido.MidiFile(path).tracks:
        if any(m.type == "track_name" and m.name == "Words" for m in track):
            found, now = [], 0
            for message in track:
                now += message.time
                if message.type == "text" and not message.text.startswith("@"):
                    found.append((now, message.text))
            return found
    raise AssertionError("no Words track in " + path)


def run(*args):
    done = subprocess.run(list(args), capture_output=True, text=True, errors="replace")
    if done.returncode != 0:
        raise AssertionError("%s failed (%d): %s" % (" ".join(args), done.returncode, done.stderr))
    return done.stdout


def check_song(sonkorac, rng, folder):
    division, tempos, notes, syllables = make_song(rng, folder)
    stf, kar = os.path.join(folder, "song.stf"), os.path.join(folder, "song.kar")
    snap_ms, latency_ms = rng.choice([0, 40, 80, 150]), rng.choice([0, 30, 120])
    first = rng.randrange(1, min(syllables, 6) + 1)
    unit = division / 120

    # Known times: on a note (as a singer would tap it) or anywhere between, strictly
    # increasing and far enough apart that no tap is moved.
    times, after = [], seconds_of(notes[first - 2], tempos, division) if first > 1 else 0.0
    for index in range(first - 1, syllables):
        candidates = [n for n in notes if seconds_of(n, tempos, division) > after + 0.05]
        if candidates and rng.random() < 0.5:
            at = seconds_of(rng.choice(candidates[:3]), tempos, division) + rng.uniform(-0.02, 0.02)
        else:
            at = after + rng.uniform(0.06, 0.6)
        at = max(at, after + 0.05)
        if at > seconds_of(notes[-1] + 2 * division, tempos, division):
            break
        times.append(at)
        after = at
    with open(os.path.join(folder, "taps.txt"), "w") as taps:
        taps.write("# known times plus latency\n")
        taps.writelines("%.6f\n" % (t + latency_ms / 1000) for t in times)

    run(sonkorac, "retime", stf, "--taps", os.path.join(folder, "taps.txt"), "--from", str(first),
        "--snap", str(snap_ms), "--latency", str(latency_ms))
    run(sonkorac, "make", stf)
    lyrics = lyrics_of(kar)
    # Syllables after the last tap take the notes after it, as long as there are any.
    if len(lyrics) < first - 1 + len(times) or (len(times) == syllables - first + 1 and len(lyrics) != syllables):
        raise AssertionError("%d lyrics for %d syllables" % (len(lyrics), syllables))
    for index, (tick, text) in enumerate(lyrics[:first - 1]):
        if tick != notes[index]:
            raise AssertionError("lyric %d %r moved from its note %d to %d" % (index + 1, text, notes[index], tick))
    for offset, tapped in enumerate(times):
        tick, text = lyrics[first - 1 + offset]
        # Compare in seconds through mido's own tempo map: the tick the tap names is the one
        # whose time is nearest, within one unit either side.
        near_tap = abs(seconds_of(tick, tempos, division) - tapped) <= \
            max(abs(seconds_of(tick + unit + 1, tempos, division) - seconds_of(tick, tempos, division)),
                abs(seconds_of(tick, tempos, division) - seconds_of(max(tick - unit - 1, 0), tempos, division)))
        on_note = tick in notes and abs(seconds_of(tick, tempos, division) - tapped) <= snap_ms / 1000 + 1e-6
        # A syllable snapped later than the next tap moves that one to just after it.
        previous = lyrics[first - 2 + offset][0] if first - 2 + offset >= 0 else -1
        moved = previous >= 0 and seconds_of(previous, tempos, division) >= tapped - 0.001 and \
            previous < tick <= previous + unit + 1
        if not (near_tap or on_note or moved):
            raise AssertionError("lyric %d %r at tick %d (%.4f s), tapped at %.4f s (snap %d ms, division %d)"
                                 % (first + offset, text, tick, seconds_of(tick, tempos, division), tapped,
                                    snap_ms, division))

    # shift: every code moves by exactly the amount asked.
    code = re.compile(r"\$(\d+):(\d+):(\d+)\$")
    def units(text):
        return [((int(b) - 1) * 4 + int(t) - 1) * 120 + int(u) for b, t, u in code.findall(text)]
    before = open(stf, newline="").read()
    beats, rest = rng.randrange(0, 9), rng.randrange(0, 120)
    run(sonkorac, "shift", stf, "--by", "%d:%d" % (beats, rest))
    after_shift = open(stf, newline="").read()
    moved = [u - beats * 120 - rest for u in units(after_shift)]
    if moved != units(before) or code.sub("", before) != code.sub("", after_shift):
        raise AssertionError("shift by %d:%d did not move every code exactly" % (beats, rest))
    if "\r\n" not in after_shift or after_shift.replace("\r\n", "").count("\n"):
        raise AssertionError("the line ends changed")
    return len(times)


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    sonkorac, songs, seed = args[0], 40, 16
    if "--songs" in args:
        songs = int(args[args.index("--songs") + 1])
    if "--seed" in args:
        seed = int(args[args.index("--seed") + 1])
    rng = random.Random(seed)
    taps = 0
    for number in range(songs):
        with tempfile.TemporaryDirectory(prefix="sonkora-retime-") as folder:
            try:
                taps += check_song(sonkorac, rng, folder)
            except AssertionError as problem:
                print("song %d (seed %d): %s" % (number, seed, problem))
                print(open(os.path.join(folder, "song.stf")).read())
                return 1
    print("%d songs, %d taps: every lyric at its tap or on its snapped note" % (songs, taps))
    return 0


if __name__ == "__main__":
    sys.exit(main())
