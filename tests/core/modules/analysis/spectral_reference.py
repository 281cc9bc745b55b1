#!/usr/bin/python3
"""Reference figures for SpectralKernelsTest, computed with scipy and numpy.

Every test signal is a closed formula that the C++ test builds the same way (see Signal() there).
Run from this folder: ./spectral_reference.py > spectral_reference.txt
Each output line: a case name and a colon, then its numbers (repr, 17 significant digits).
"""
import numpy as np
from scipy import signal


def sig(kind, n, fs):
    i = np.arange(n)
    t = i / fs
    if kind == "tones":
        return np.sin(2 * np.pi * 50 * t) + 0.5 * np.sin(2 * np.pi * 120 * t) + 0.25
    if kind == "chirp":  # 200 Hz falling by 30 Hz per second, with a slow amplitude rise
        return (1 + 0.1 * t) * np.sin(2 * np.pi * (200 * t - 15 * t * t))
    if kind == "ramp":
        return 3 + 2 * t + np.sin(2 * np.pi * 7 * t)
    if kind == "constant":
        return np.full(n, 1.5)
    if kind == "bursts":
        y = 0.1 * np.sin(1.3 * i)
        level = 2 + 0.3 * np.sin(0.7 * i)
        for a, b in ((0, 100), (600, 700), (720, 800), (1000, 1030), (1500, 1600),
                     (1700, 1800), (2900, 3000)):
            y[a:b] = level[a:b]
        return y
    raise ValueError(kind)


def welch(y, fs):
    L = min(1024, len(y))
    return signal.welch(y, fs, window="hann", nperseg=L, noverlap=L // 2, detrend="constant",
                        scaling="density")


def figures(f, p):
    total = np.sum(p)
    if total == 0:
        return 0.0, 0.0
    mnf = np.sum(f * p) / total
    mdf = f[np.nonzero(np.cumsum(p) >= 0.5 * total)[0][0]]
    return mnf, mdf


def trend(y, fs, window_ms, step_ms, mean):
    W = int(np.floor(window_ms * fs / 1000))
    S = int(np.floor(step_ms * fs / 1000))
    out = []
    k = 0
    while k * S + W <= len(y):
        f, p = signal.periodogram(y[k * S:k * S + W], fs, window="hann", detrend="constant",
                                  scaling="density")
        mnf, mdf = figures(f, p)
        out.append(mnf if mean else mdf)
        k += 1
    return out


def bursts(y, fs, b0, b1, k, min_on, min_off):
    t = 1000 * np.arange(len(y)) / fs
    base = y[(t >= b0) & (t <= b1)]
    if len(base) == 0:
        return []
    thr = base.mean() + k * base.std()
    above = np.concatenate(([False], y > thr, [False]))
    edges = np.flatnonzero(np.diff(above.astype(int)))
    runs = [[a, b - 1] for a, b in zip(edges[::2], edges[1::2])]
    merged = []
    for r in runs:
        if merged and (r[0] - merged[-1][1] - 1) * 1000 / fs < min_off:
            merged[-1][1] = r[1]
        else:
            merged.append(r)
    out = []
    for a, b in merged:
        if (b - a + 1) * 1000 / fs < min_on:
            continue
        v = y[a:b + 1]
        out += [1000 * a / fs, 1000 * b / fs, (b - a + 1) * 1000 / fs, v.max(), v.mean(),
                np.sqrt(np.mean(v * v)), v.sum() * 1000 / fs]
    return out


def line(name, values):
    print(name + ":", " ".join(repr(float(v)) for v in values))


def main():
    for kind, n, fs in (("tones", 3000, 1000), ("tones", 700, 1000), ("tones", 8, 1000),
                        ("chirp", 4000, 1000), ("constant", 100, 1000)):
        y = sig(kind, n, fs)
        f, p = welch(y, fs)
        line(f"welch {kind} {n} {fs}", p)
        line(f"figures {kind} {n} {fs}", figures(f, p))
    for kind, n, fs in (("ramp", 2500, 500), ("tones", 2, 1000)):
        y = sig(kind, n, fs)
        t = np.arange(n) / fs
        line(f"slope {kind} {n} {fs}", [np.sum((t - t.mean()) * (y - y.mean())) /
                                        np.sum((t - t.mean()) ** 2)])
    for window_ms, step_ms, fs in ((500, 250, 1000), (256, 100, 1000), (300, 125, 2000)):
        y = sig("chirp", 4 * fs, fs)
        for mean in (0, 1):
            line(f"trend {window_ms} {step_ms} {fs} {mean}", trend(y, fs, window_ms, step_ms, mean))
    y = sig("bursts", 3000, 1000)
    for b0, b1, k, on, off in ((200, 500, 3, 50, 50), (300, 500, 3, 50, 10),
                               (5000, 6000, 3, 50, 50), (0, 0, 0, 0, 0)):
        line(f"bursts {b0} {b1} {k} {on} {off}", bursts(y, 1000, b0, b1, k, on, off))
    line("bursts constant", bursts(sig("constant", 100, 1000), 1000, 0, 500, 3, 50, 50))


main()
