#!/usr/bin/env python3
"""Writes the test songs with mido and, beside each, mido's own reading of it.

For every song NAME this writes NAME.mid and NAME.expected. The expected file
has one line per channel message in playing order, as mido times it from the
tempo map: the milliseconds since the start and the message bytes in hex,
the same shape as the recording device's log ("1250.0 90 3c 64").

Usage: make_songs.py OUTPUT_DIR
"""
import os
import sys

import mido

DIVISION = 480


def track(events):
    """A track from (absolute tick, message) pairs, with an End of Track."""
    result = mido.MidiTrack()
    now = 0
    for tick, message in sorted(events, key=lambda pair: pair[0]):
        result.append(message.copy(time=tick - now))
        now = tick
    result.append(mido.MetaMessage("end_of_track", time=0))
    return result


def note(channel, key, start, length, velocity=100):
    return [
        (start, mido.Message("note_on", channel=channel, note=key, velocity=velocity)),
        (start + length, mido.Message("note_off", channel=channel, note=key, velocity=0)),
    ]


def tempo_map_song():
    """Three tracks, four tempos, lyrics, text and a system-exclusive event
    between notes, and notes of all three tracks on the same ticks."""
    q = DIVISION
    conductor = [
        (0, mido.MetaMessage("set_tempo", tempo=500000)),  # 120 bpm
        (0, mido.MetaMessage("time_signature", numerator=4, denominator=4)),
        (2 * q, mido.MetaMessage("set_tempo", tempo=666667)),  # 90 bpm
        (4 * q + q // 2, mido.MetaMessage("set_tempo", tempo=375000)),  # 160 bpm
        (6 * q, mido.MetaMessage("set_tempo", tempo=1000000)),  # 60 bpm
        (2 * q, mido.Message("note_on", channel=9, note=42, velocity=80)),
        (2 * q + 10, mido.Message("note_off", channel=9, note=42, velocity=0)),
    ]
    melody = [
        (0, mido.Message("program_change", channel=0, program=0)),
        (0, mido.Message("program_change", channel=0, program=1)),  # under running status
        (0, mido.Message("control_change", channel=0, control=7, value=100)),
    ]
    for i, key in enumerate([60, 62, 64, 65, 67, 69, 71, 72]):
        melody += note(0, key, i * q, q - 20)
    melody += [
        (q + q // 3, mido.MetaMessage("lyrics", text="la")),
        (3 * q + 7, mido.MetaMessage("text", text="between the notes")),
    ]
    bass = [(0, mido.Message("program_change", channel=1, program=33))]
    for i, key in enumerate([36, 43, 36, 43]):
        bass += note(1, key, i * 2 * q, q)
    bass += [
        (3 * q, mido.Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01])),
        (5 * q, mido.Message("pitchwheel", channel=1, pitch=1000)),
        (5 * q + 1, mido.Message("aftertouch", channel=1, value=30)),
    ]
    song = mido.MidiFile(type=1, ticks_per_beat=DIVISION)
    song.tracks += [track(conductor), track(melody), track(bass)]
    return song


def loop_song():
    """About half a second; its first note at tick 0, its last at 240."""
    events = [(0, mido.MetaMessage("set_tempo", tempo=400000))]
    events += note(2, 72, 0, 120) + note(2, 74, 120, 120)
    song = mido.MidiFile(type=0, ticks_per_beat=DIVISION)
    song.tracks.append(track(events))
    return song


def volume_song():
    """Channel volume changes on two channels, 127 on channel 9."""
    events = [
        (0, mido.MetaMessage("set_tempo", tempo=500000)),
        (0, mido.Message("control_change", channel=9, control=7, value=127)),
        (60, mido.Message("control_change", channel=2, control=7, value=64)),
        (120, mido.Message("control_change", channel=2, control=10, value=64)),
    ]
    events += note(9, 38, 0, 60)
    song = mido.MidiFile(type=0, ticks_per_beat=DIVISION)
    song.tracks.append(track(events))
    return song


def empty_song():
    return mido.MidiFile(type=1, ticks_per_beat=DIVISION)


def untimed_song():
    """No tempo event at all: the default 120 beats a minute."""
    events = note(0, 60, 0, 240) + note(0, 64, 480, 240)
    song = mido.MidiFile(type=0, ticks_per_beat=DIVISION)
    song.tracks.append(track(events))
    return song


SONGS = {
    "tempo_map": tempo_map_song,
    "loop": loop_song,
    "volume": volume_song,
    "empty": empty_song,
    "untimed": untimed_song,
}


def expected_lines(path):
    """mido's own reading: merged tracks, timed from the tempo map."""
    lines = []
    now = 0.0
    for message in mido.MidiFile(path):
        now += message.time
        if message.is_meta or message.type == "sysex":
            continue
        text = " ".join("%02x" % byte for byte in message.bytes())
        lines.append("%.3f %s" % (now * 1000.0, text))
    return lines


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, make in SONGS.items():
        path = os.path.join(out, name + ".mid")
        make().save(path)
        with open(os.path.join(out, name + ".expected"), "w") as expected:
            expected.write("\n".join(expected_lines(path)) + "\n")


if __name__ == "__main__":
    main()
