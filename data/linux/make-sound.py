#!/usr/bin/env python3
"""Writes Tazuclick.wav: a short, soft click (a damped tone with a gentle
attack), 16-bit mono PCM. Deterministic, so the committed file can be remade
byte for byte: python3 data/linux/make-sound.py data/linux/Tazuclick.wav"""
import math
import struct
import sys
import wave

RATE = 22050
LENGTH = 0.045  # seconds: short enough not to slow the toolbar down
VOLUME = 0.35


def sample(t):
    attack = min(1.0, t / 0.002)
    decay = math.exp(-t / 0.008)
    tone = 0.7 * math.sin(2 * math.pi * 1400 * t) + 0.3 * math.sin(2 * math.pi * 2900 * t)
    return VOLUME * attack * decay * tone


def main(path):
    frames = bytearray()
    for i in range(int(RATE * LENGTH)):
        value = max(-1.0, min(1.0, sample(i / RATE)))
        frames += struct.pack("<h", int(round(value * 32767)))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Tazuclick.wav")
