#!/usr/bin/env python3
"""Writes test sounds with Python's own wave module and, beside each, the
samples as that module reads them back (NAME.raw).

Usage: make_waves.py OUTPUT_DIR
"""
import os
import sys
import wave


def pattern8(count):
    # Never 0x80, the 8-bit silence, so the played part stands out.
    return bytes(0x81 + (i * 37) % 120 for i in range(count))


def pattern16(frames, channels):
    out = bytearray()
    for i in range(frames):
        for c in range(channels):
            value = 1000 + (i * 131 + c * 7919) % 20000  # never 0: never silence
            out += int(value if (i + c) % 2 else -value).to_bytes(2, "little", signed=True)
    return bytes(out)


SOUNDS = {
    # name: (channels, sample width, rate, samples)
    "pcm8_mono": (1, 1, 8000, pattern8(4000)),  # half a second
    "short8": (1, 1, 8000, pattern8(800)),  # a tenth of a second
    "one_byte": (1, 1, 8000, pattern8(1)),
    "pcm16_stereo": (2, 2, 22050, pattern16(11025, 2)),  # half a second
    "twenty_buffers": (2, 2, 44100, pattern16(15360 * 20 // 4, 2)),  # 20 x 15360 bytes
    "long8": (1, 1, 8000, pattern8(8000 * 4)),  # four seconds
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, (channels, width, rate, samples) in SOUNDS.items():
        path = os.path.join(out, name + ".wav")
        with wave.open(path, "wb") as sound:
            sound.setnchannels(channels)
            sound.setsampwidth(width)
            sound.setframerate(rate)
            sound.writeframes(samples)
        with wave.open(path, "rb") as sound:
            frames = sound.readframes(sound.getnframes())
        with open(os.path.join(out, name + ".raw"), "wb") as raw:
            raw.write(frames)


if __name__ == "__main__":
    main()
