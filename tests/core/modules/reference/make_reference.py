#!/usr/bin/python3
"""Writes emg_reference.txt: the outputs SciPy and NumPy give for the inputs the conditioning
modules' tests rebuild, so that the tests compare against them without running Python.

Each line is one case: name | operation and its parameters | input generator and length | the
outputs (17 significant digits). Run with the system Python (python3-scipy, python3-numpy):
    /usr/bin/python3 tests/core/modules/reference/make_reference.py
"""
import math
import os

import numpy as np
from scipy import signal

RATE = 2000
MASK = (1 << 64) - 1


def noise(n, seed):
    """Uniform values in [-1, 1): a 64-bit linear congruential generator, exactly as the test
    rebuilds it (53-bit fractions are exact doubles)."""
    state = seed
    out = np.empty(n)
    for i in range(n):
        state = (state * 6364136223846793005 + 1442695040888963407) & MASK
        out[i] = (state >> 11) / 9007199254740992.0 * 2.0 - 1.0
    return out


def make_input(kind, n):
    if kind == "random":
        return noise(n, 1)
    if kind == "burst":
        # Low-level noise, a loud burst in the middle fifth, 50 Hz hum and a slow offset drift.
        x = noise(n, 7)
        for i in range(n):
            gain = 2.0 if 2 * n // 5 <= i < 3 * n // 5 else 0.05
            x[i] = x[i] * gain + 0.2 * math.sin(2 * math.pi * 50 * i / RATE) + 0.0001 * i
        return x
    if kind == "loud-then-silent":
        x = noise(n, 3) * 1000.0
        x[n // 3:] = 0.0
        return x
    if kind == "step":
        return np.array([0.0 if i < n // 4 else 1.0 for i in range(n)])
    raise ValueError(kind)


def pad_length(sos, n):
    taps = 2 * len(sos) + 1 - min(int((sos[:, 2] == 0).sum()), int((sos[:, 5] == 0).sum()))
    edge = 3 * taps
    return edge if n > edge else max(n - 1, 0)


def run_sos(sos, x, zero_phase):
    if len(x) == 0 or len(sos) == 0:
        return x.copy()
    if zero_phase:
        return signal.sosfiltfilt(sos, x, padlen=pad_length(sos, len(x)))
    return signal.sosfilt(sos, x)


def butter(x, kind, order, low, high, zero_phase):
    btype = ["lowpass", "highpass", "bandpass", "bandstop"][kind]
    edges = [high, low, [low, high], [low, high]][kind]
    return run_sos(signal.butter(order, edges, btype, fs=RATE, output="sos"), x, zero_phase)


def notch(x, freq, quality, harmonics, zero_phase):
    rows = []
    for h in range(1, harmonics + 1):
        if h * freq < RATE / 2:
            b, a = signal.iirnotch(h * freq, quality, fs=RATE)
            rows.append(np.concatenate((b, a)))
    return run_sos(np.array(rows).reshape(-1, 6), x, zero_phase)


def rms(x, points):
    n = len(x)
    y = np.empty(n)
    for i in range(n):
        start = i - points // 2
        part = x[max(start, 0):max(min(start + points, n), 0)]
        y[i] = math.sqrt(np.mean(part * part)) if len(part) else 0.0
    return y


def tkeo(x):
    n = len(x)
    if n < 3:
        return np.zeros(n)
    y = np.empty(n)
    y[1:-1] = x[1:-1] ** 2 - x[:-2] * x[2:]
    y[0], y[-1] = y[1], y[-2]
    return y


def norm(x, mode, start_ms, end_ms, reference, percent):
    if mode == 0:
        t = 1000.0 * np.arange(len(x)) / RATE
        inside = np.ones(len(x), bool) if end_ms <= start_ms else (t >= start_ms) & (t <= end_ms)
        reference = np.max(np.abs(x[inside]))
    return (100 * x / reference) if percent else x / reference


CASES = []


def case(name, op, params, kind, n):
    CASES.append((name, op, params, kind, n))


for n in (0, 1, 2, 3):
    case("butter-band-n%d" % n, "butter", (2, 4, 20.0, 450.0, 1), "random", n)
    case("notch-n%d" % n, "notch", (50.0, 30.0, 3, 1), "random", n)
    case("tkeo-n%d" % n, "tkeo", (), "random", n)
    case("rms-n%d" % n, "rms", (5,), "random", n)
case("butter-band-random", "butter", (2, 4, 20.0, 450.0, 1), "random", 600)
case("butter-band-burst", "butter", (2, 4, 20.0, 450.0, 1), "burst", 2000)
case("butter-band-step", "butter", (2, 4, 20.0, 450.0, 1), "step", 400)
case("butter-band-short", "butter", (2, 4, 20.0, 450.0, 1), "burst", 20)
case("butter-band-causal", "butter", (2, 4, 20.0, 450.0, 0), "burst", 2000)
case("butter-low-envelope", "butter", (0, 4, 20.0, 6.0, 1), "burst", 2000)
case("butter-low-step-causal", "butter", (0, 4, 20.0, 6.0, 0), "step", 400)
case("butter-low-order1", "butter", (0, 1, 20.0, 100.0, 1), "random", 300)
case("butter-high-order3", "butter", (1, 3, 20.0, 450.0, 1), "burst", 1000)
case("butter-high-order3-short", "butter", (1, 3, 20.0, 450.0, 1), "random", 10)
case("butter-high-order3-causal", "butter", (1, 3, 20.0, 450.0, 0), "random", 300)
case("butter-stop", "butter", (3, 2, 45.0, 55.0, 1), "burst", 1000)
case("butter-stop-order5", "butter", (3, 5, 100.0, 300.0, 0), "random", 500)
case("butter-band-order8", "butter", (2, 8, 20.0, 450.0, 1), "burst", 2000)
case("butter-band-order3", "butter", (2, 3, 10.0, 900.0, 1), "step", 300)
case("notch-harmonics", "notch", (50.0, 30.0, 5, 1), "burst", 2000)
case("notch-causal", "notch", (50.0, 30.0, 3, 0), "burst", 2000)
case("notch-all-below-nyquist", "notch", (50.0, 30.0, 40, 1), "random", 1000)
case("notch-short", "notch", (60.0, 10.0, 2, 1), "burst", 12)
case("notch-step", "notch", (50.0, 1.0, 1, 1), "step", 200)
case("rms-burst-silence", "rms", (200,), "loud-then-silent", 2000)
case("rms-burst", "rms", (101,), "burst", 2000)
case("rms-one", "rms", (1,), "random", 100)
case("rms-longer-than-data", "rms", (500,), "random", 120)
case("tkeo-burst", "tkeo", (), "burst", 1000)
case("norm-range", "norm", (0, 100, 300, 1.0, 1), "burst", 2000)
case("norm-whole", "norm", (0, 0, 0, 1.0, 0), "burst", 1000)
case("norm-reference", "norm", (1, 0, 0, 2.5, 1), "random", 200)
case("norm-fraction", "norm", (1, 0, 0, 0.5, 0), "random", 50)


def compute(op, params, x):
    if op == "butter":
        return butter(x, *params)
    if op == "notch":
        return notch(x, *params)
    if op == "rms":
        return rms(x, *params)
    if op == "tkeo":
        return tkeo(x)
    return norm(x, *params)


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "emg_reference.txt")
    with open(path, "w") as out:
        for name, op, params, kind, n in CASES:
            y = compute(op, params, make_input(kind, n))
            values = " ".join("%.17g" % v for v in y)
            words = " ".join(str(p) for p in params)
            out.write("%s | %s %s | %s %d | %s\n" % (name, op, words, kind, n, values))


if __name__ == "__main__":
    main()
