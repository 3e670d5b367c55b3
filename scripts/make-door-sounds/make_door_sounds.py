#!/usr/bin/env python3
"""Makes the two door sounds the program carries: 101.wav and 102.wav.

Both are 8-bit unsigned mono PCM at 22,050 samples per second, written as
RIFF WAVE images with the chunks "fmt " (16 bytes), "fact" and "data":

    101.wav  door opening: a pneumatic release, 12,193 samples (12,250 bytes)
    102.wav  door closing: a two-tone chime over the air, 44,100 samples
             (44,156 bytes)

The noise comes from our own xorshift generator with fixed seeds, so a run
rewrites the committed files byte for byte.

Usage: make_door_sounds.py [OUTPUT_DIR]        (default: resources/sounds)
       make_door_sounds.py --check [OUTPUT_DIR] (exit 1 if the files differ)
"""

import math
import os
import struct
import sys

RATE = 22050
OPEN_SAMPLES = 12193
CLOSE_SAMPLES = 44100


class Noise:
    """xorshift32: white noise in [-1, 1) that is the same on every machine."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x / 2147483648.0 - 1.0


class Biquad:
    """Second-order filter after the RBJ audio-EQ cookbook."""

    def __init__(self, kind, freq, q):
        w = 2.0 * math.pi * freq / RATE
        cw, alpha = math.cos(w), math.sin(w) / (2.0 * q)
        if kind == "bandpass":
            b = (alpha, 0.0, -alpha)
        elif kind == "highpass":
            b = ((1 + cw) / 2, -(1 + cw), (1 + cw) / 2)
        elif kind == "lowpass":
            b = ((1 - cw) / 2, 1 - cw, (1 - cw) / 2)
        else:
            raise ValueError(kind)
        a0 = 1 + alpha
        self.b = [c / a0 for c in b]
        self.a = [-2 * cw / a0, (1 - alpha) / a0]
        self.x1 = self.x2 = self.y1 = self.y2 = 0.0

    def __call__(self, x):
        y = (self.b[0] * x + self.b[1] * self.x1 + self.b[2] * self.x2
             - self.a[0] * self.y1 - self.a[1] * self.y2)
        self.x2, self.x1 = self.x1, x
        self.y2, self.y1 = self.y1, y
        return y


def fade(i, count, fade_in, fade_out):
    """Raised-cosine ramps at both ends, so neither end clicks."""
    g = 1.0
    if i < fade_in:
        g *= 0.5 - 0.5 * math.cos(math.pi * i / fade_in)
    if i >= count - fade_out:
        g *= 0.5 - 0.5 * math.cos(math.pi * (count - 1 - i) / fade_out)
    return g


def door_open():
    """The valve lets go: a dull knock, then a hiss of air that dies away."""
    n = OPEN_SAMPLES
    noise = Noise(0x0D00B101)
    hiss_hp = Biquad("highpass", 1800.0, 0.7)
    hiss_bp = Biquad("bandpass", 4200.0, 0.9)
    body_lp = Biquad("lowpass", 700.0, 0.8)
    out = []
    for i in range(n):
        t = i / RATE
        w = noise.next()
        # The hiss: bright filtered noise, fast attack, then an exponential
        # decay with a slight flutter as the pressure drops.
        attack = min(1.0, t / 0.012)
        decay = math.exp(-t / 0.16)
        flutter = 1.0 + 0.12 * math.sin(2 * math.pi * 23.0 * t)
        hiss = 1.9 * hiss_bp(hiss_hp(w)) * attack * decay * flutter
        # The valve's knock: low noise and a falling thump in the first 60 ms.
        knock_env = math.exp(-t / 0.018)
        thump = math.sin(2 * math.pi * (95.0 * t - 300.0 * t * t)) * knock_env
        knock = 0.45 * thump + 0.9 * body_lp(w) * knock_env
        out.append((hiss + knock) * fade(i, n, 8, 1200))
    return out


def bell(t, freq):
    """A struck chime bar: fundamental and a few inharmonic partials."""
    if t < 0.0:
        return 0.0
    attack = min(1.0, t / 0.004)
    v = 0.0
    for ratio, amp, tau in ((1.0, 1.0, 0.55), (2.76, 0.35, 0.18),
                            (5.40, 0.15, 0.08), (2.0, 0.20, 0.30)):
        v += amp * math.exp(-t / tau) * math.sin(2 * math.pi * freq * ratio * t)
    return v * attack


def door_close():
    """The closing warning: a high-low chime twice, under the rush of the
    door engine's air, ending in a soft bump as the leaves meet."""
    n = CLOSE_SAMPLES
    noise = Noise(0x0D00B102)
    air_bp = Biquad("bandpass", 2600.0, 0.7)
    bump_lp = Biquad("lowpass", 300.0, 0.9)
    high, low = 659.26, 523.25  # E5 and C5
    out = []
    for i in range(n):
        t = i / RATE
        chime = (bell(t - 0.02, high) + bell(t - 0.42, low)
                 + bell(t - 0.92, high) + bell(t - 1.32, low))
        # Air: a steady rush that swells while the leaves move and fades out.
        swell = min(1.0, t / 0.25) * (0.55 + 0.45 * math.sin(math.pi * min(t, 1.6) / 1.6))
        air_env = swell * (1.0 if t < 1.6 else math.exp(-(t - 1.6) / 0.12))
        air = 0.3 * air_bp(noise.next()) * air_env
        # The leaves meet: a short low bump.
        bt = t - 1.62
        bump = 0.0
        if bt >= 0.0:
            bump = (0.35 * math.sin(2 * math.pi * 70.0 * bt) * math.exp(-bt / 0.05)
                    + 1.2 * bump_lp(noise.next()) * math.exp(-bt / 0.03))
        out.append((0.5 * chime + air + bump) * fade(i, n, 8, 2200))
    return out


def to_u8(samples, peak=0.85):
    """Scales the loudest sample to `peak` of full scale; silence is 128."""
    top = max(abs(s) for s in samples) or 1.0
    k = 127.0 * peak / top
    return bytes(max(0, min(255, 128 + round(s * k))) for s in samples)


def wave_image(data):
    """A RIFF WAVE image: "fmt " (PCMWAVEFORMAT, 16 bytes), "fact", "data".
    An odd-length data chunk is followed by one pad byte, counted in the
    RIFF size but not in the data chunk's size."""
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    fact = struct.pack("<I", len(data))
    body = b"WAVE"
    body += b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"fact" + struct.pack("<I", len(fact)) + fact
    body += b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    out_dir = args[0] if args else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "sounds")
    images = {"101.wav": wave_image(to_u8(door_open())),
              "102.wav": wave_image(to_u8(door_close()))}
    assert len(images["101.wav"]) == 12250 and len(images["102.wav"]) == 44156
    differ = False
    for name, image in images.items():
        path = os.path.join(out_dir, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != image:
                    print(f"{path}: differs from what the generator makes")
                    differ = True
        else:
            with open(path, "wb") as f:
                f.write(image)
            print(f"{path}: {len(image)} bytes")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
