#!/usr/bin/python3
"""Reads every MIDI file emsconv writes back with an independent reader
(mido) and holds it against the WAV written beside it:

    check-midi.py EMSCONV MELODY_FOLDER

The sample melodies (both targets, `emsconv melody --wav --midi`) and a few
iMelody texts with styles, repeats and volumes (`emsconv decode --wav
--midi`) are converted in a temporary folder. For each pair: the MIDI file
is format 0 with one track at 480 ticks a quarter; its length at its tempo
is the WAV's; every note sounds in the WAV at its time with its pitch (from
the zero crossings) and its loudness (velocity against peak); and the WAV
is silent wherever no note is. Exits 1 on the first disagreement."""

import array
import glob
import math
import os
import subprocess
import sys
import tempfile
import wave

import mido

RATE = 44100
# The decoded texts: natural and staccato styles, lower-case fields, volume
# changes inside repeats, a repeat for ever, octaves *0 to *8, specifiers.
TEXTS = [
    "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nBEAT:90\r\nSTYLE:S0\r\n"
    "MELODY:*3c2d3.e4;(V+f3g3@3V-)r2*5#c1&b5:\r\nEND:IMELODY\r\n",
    "style:s2\r\nbeat:200\r\nvolume:v12\r\nMELODY:a1r3b2(c3V-@0)*6e3V3*2g2*0a1*8f3\r\n",
    "MELODY:(*4c4d4e4f4@4V+)V15g0:\r\n",
]


def fail(message):
    print("check-midi: " + message)
    sys.exit(1)


def notes_of(path):
    """The tempo, the notes (start tick, end tick, key, velocity) and the length in ticks."""
    midi = mido.MidiFile(path)
    if midi.type != 0 or len(midi.tracks) != 1 or midi.ticks_per_beat != 480:
        fail(f"{path}: type {midi.type}, {len(midi.tracks)} tracks, {midi.ticks_per_beat} ticks")
    tempo, tick, sounding, notes = None, 0, {}, []
    for message in midi.tracks[0]:
        tick += message.time
        if message.type == "set_tempo":
            tempo = message.tempo
        elif message.type == "note_on" and message.velocity > 0:
            if sounding:
                fail(f"{path}: notes overlap at tick {tick}")
            sounding[message.note] = (tick, message.velocity)
        elif message.type in ("note_on", "note_off"):
            start, velocity = sounding.pop(message.note)
            notes.append((start, tick, message.note, velocity))
    if tempo is None or sounding:
        fail(f"{path}: no tempo, or a note without its end")
    return tempo, notes, tick


def samples_of(path):
    with wave.open(path) as sound:
        if sound.getframerate() != RATE or sound.getsampwidth() != 2 or sound.getnchannels() != 1:
            fail(f"{path}: not 16-bit mono at {RATE} Hz")
        samples = array.array("h")
        samples.frombytes(sound.readframes(sound.getnframes()))
    return samples


def frequency(samples, first, end):
    """From the upward zero crossings, interpolated; None with fewer than three."""
    crossings = [k + samples[k] / (samples[k] - samples[k + 1])
                 for k in range(first, end - 1) if samples[k] < 0 <= samples[k + 1]]
    if len(crossings) < 3:
        return None
    return (len(crossings) - 1) * RATE / (crossings[-1] - crossings[0])


def compare(midi_path, wav_path):
    tempo, notes, ticks = notes_of(midi_path)
    samples = samples_of(wav_path)
    at = lambda tick: round(tick * tempo / 480 / 1e6 * RATE)
    # A note's end is a whole tick; the WAV ends it within that tick.
    margin = at(1) + 2
    if abs(at(ticks) - len(samples)) > 2 + len(samples) * 1e-5:
        fail(f"{midi_path}: {ticks} ticks are {at(ticks)} samples, the WAV has {len(samples)}")
    quiet_from = 0
    for start, end, key, velocity in notes:
        first, last = at(start), at(end)
        if any(samples[quiet_from:max(quiet_from, first - margin)]):
            fail(f"{midi_path}: the WAV sounds before the note at tick {start}")
        quiet_from = last + margin
        heard = frequency(samples, first, last)
        expected = 440 * 2 ** ((key - 69) / 12)
        if heard is not None and abs(heard / expected - 1) > 0.01:
            fail(f"{midi_path}: key {key} at tick {start} sounds at {heard:.1f} Hz, not {expected:.1f}")
        peak = max(abs(s) for s in samples[first:last])
        if last - first > RATE * 0.03 and round(peak / (0.9 * 32767) * 127) != velocity:
            fail(f"{midi_path}: velocity {velocity} at tick {start}, the WAV's peak {peak}")
    if any(samples[quiet_from:]):
        fail(f"{midi_path}: the WAV sounds after the last note")
    return len(notes), ticks


def main():
    emsconv, melodies = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "out") + "/"
        os.mkdir(out)
        inputs = sorted(glob.glob(os.path.join(melodies, "*.txt")) + glob.glob(os.path.join(melodies, "*.rtx")))
        subprocess.run([emsconv, "melody", "--target", "both", "--wav", "--midi", "--replace", "all",
                        "--log-dir", folder, "-o", out] + inputs, stderr=subprocess.DEVNULL)
        for i, text in enumerate(TEXTS):
            octets = text.encode("ascii")
            with open(os.path.join(folder, f"text{i}.hx2"), "w") as hx:
                hx.write(bytes([len(octets) + 3, 0x0C, len(octets) + 1, 0]).hex().upper() + octets.hex().upper())
        decoded = subprocess.run([emsconv, "decode", "--wav", "--midi", "-o", out]
                                 + sorted(glob.glob(os.path.join(folder, "*.hx2"))), stdout=subprocess.PIPE, text=True)
        if decoded.returncode != 0 or "its repeat for ever played once" not in decoded.stdout:
            fail("emsconv decode: " + decoded.stdout)
        pairs = sorted(glob.glob(out + "*.mid"))
        if len(pairs) < 8 + len(TEXTS):
            fail(f"only {len(pairs)} MIDI files in {out}")
        for midi_path in pairs:
            count, ticks = compare(midi_path, midi_path[:-4] + ".wav")
            print(f"{os.path.basename(midi_path)}: {count} notes in {ticks} ticks agree with the WAV")


if __name__ == "__main__":
    main()
