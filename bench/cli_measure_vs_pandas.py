#!/usr/bin/python3
"""The results table over many recordings: tavrel-cli measure on one and on two threads, against
the same table computed per file with pandas.read_csv and numpy.

200 recordings of 16 columns x 8192 rows (the program's row cap) are measured into one CSV table
(samples, rate, duration, min, max, mean, RMS, peak magnitude, marker, last value per channel):

  tavrel-cli measure DOC.kcd --data-list LIST --jobs 1 -o OUT.csv
  tavrel-cli measure DOC.kcd --data-list LIST --jobs 2 -o OUT.csv
  for each file: pandas.read_csv, then numpy per column, the rows written with csv.writer

Each run is its own process; the figure of each is the best wall time of its passes (the machine
may be shared: the best pass is the one least disturbed), with its CPU time (user + system); the
median wall times are reported beside. The passes on one and on two threads alternate, so that a
disturbance of some seconds weighs on both.
Usage: bench/cli_measure_vs_pandas.py [build/bin/tavrel-cli] [--files N] [--passes N]
                                      [--peer-passes N]
(--passes: of each tavrel-cli run, default 11, each well under a second; --peer-passes: of the
pandas run, default 5, each several seconds.)
Needs python3-numpy and python3-pandas (Debian packages).
"""
import argparse
import math
import os
import subprocess
import sys
import tempfile

from peer_runs import baseline_python, run_process

CHANNELS = 16
ROWS = 8192

PANDAS_TABLE = r"""
import csv, sys, numpy as np, pandas as pd
listing, out = sys.argv[1], sys.argv[2]
rate = 2000
def g(v):
    return "" if v is None else "%.10G" % v
with open(listing) as f:
    files = [line.rstrip("\r\n") for line in f if line.strip()]
with open(out, "w", newline="") as f:
    w = csv.writer(f, lineterminator="\n")
    w.writerow(["file", "channel", "unit", "samples", "rate_hz", "duration_ms", "min", "max",
                "mean", "rms", "peak_abs", "marker_index", "marker_ms", "last"])
    for name in files:
        frame = pd.read_csv(name, header=None, nrows=8192)
        for c in range(min(16, frame.shape[1])):
            x = frame[c].to_numpy(dtype=float)
            n = len(x)
            if n == 0:
                continue
            finite = x[np.isfinite(x)]
            lo = float(finite.min()) if len(finite) else None
            hi = float(finite.max()) if len(finite) else None
            peak = max(abs(lo), abs(hi)) if len(finite) else None
            w.writerow([name, c + 1, "[mV]", n, rate, int(1000.0 / rate * n + 0.5), g(lo), g(hi),
                        g(float(x.sum()) / n), g(float(np.sqrt((x * x).sum() / n))), g(peak),
                        "", "", g(float(x[-1]))])
"""


def new_document(cli, path):
    subprocess.run([cli, "new", path], check=True)


def recording(path):
    lines = []
    for r in range(ROWS):
        values = (math.sin(r * 0.013 * (c + 1)) * (c + 1) + 0.001 * ((r * 7919 + c) % 997)
                  for c in range(CHANNELS))
        lines.append(",".join("%.9g" % v for v in values))
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


def run(command):
    return run_process(command)[:2]


def best(command, passes):
    runs = [run(command) for _ in range(passes)]
    return min(runs), runs


def median(runs):
    walls = sorted(r[0] for r in runs)
    middle = len(walls) // 2
    return walls[middle] if len(walls) % 2 else (walls[middle - 1] + walls[middle]) / 2


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli", nargs="?", default="build/bin/tavrel-cli")
    parser.add_argument("--files", type=int, default=200)
    parser.add_argument("--passes", type=int, default=11)
    parser.add_argument("--peer-passes", type=int, default=5)
    args = parser.parse_args()
    python = baseline_python()
    with tempfile.TemporaryDirectory(prefix="tavrel-measure-") as folder:
        doc = os.path.join(folder, "setup.kcd")
        new_document(args.cli, doc)
        first = os.path.join(folder, "rec0.csv")
        recording(first)
        with open(first, "rb") as f:
            data = f.read()
        listing = os.path.join(folder, "list.txt")
        with open(listing, "w") as f:
            for i in range(args.files):
                path = os.path.join(folder, "rec%d.csv" % i)
                if i:
                    with open(path, "wb") as out:
                        out.write(data)
                f.write(path + "\n")
        os.sync()  # the files written out now, not by the system during the passes
        out = os.path.join(folder, "table.csv")
        measure = [args.cli, "measure", doc, "--data-list", listing, "-o", out, "--jobs"]
        run(measure + ["2"])  # the files into the page cache for every side
        one_runs, two_runs = [], []
        for _ in range(args.passes):
            one_runs.append(run(measure + ["1"]))
            two_runs.append(run(measure + ["2"]))
        one, two = min(one_runs), min(two_runs)
        with open(out) as f:
            rows = sum(1 for _ in f) - 1
        if rows != args.files * CHANNELS:
            sys.exit("tavrel-cli wrote %d rows, expected %d" % (rows, args.files * CHANNELS))
        py, py_runs = best([python, "-c", PANDAS_TABLE, listing, os.path.join(folder, "py.csv")],
                           args.peer_passes)

    print("%d recordings of %d x %d rows, %.1f MB each" % (args.files, CHANNELS, ROWS,
                                                       len(data) / 1e6))
    print("                        best wall   its CPU   (all passes, wall)")
    for name, (wall, cpu), runs in (("tavrel-cli --jobs 1:", one, one_runs),
                                    ("tavrel-cli --jobs 2:", two, two_runs),
                                    ("pandas + numpy:", py, py_runs)):
        print("%-22s %8.2f s  %7.2f s   (%s)" % (name, wall, cpu,
                                                 ", ".join("%.2f" % r[0] for r in runs)))
    print("threads speed-up (--jobs 2 / --jobs 1, wall): %.2fx" % (one[0] / two[0]))
    print("median wall: --jobs 1 %.2f s, --jobs 2 %.2f s; speed-up %.2fx"
          % (median(one_runs), median(two_runs), median(one_runs) / median(two_runs)))
    print("against pandas (--jobs 2, wall): %.2fx; CPU time: %.2fx"
          % (py[0] / two[0], py[1] / two[1]))
    print("load average after the run: %s" % open("/proc/loadavg").read().split()[0])


if __name__ == "__main__":
    main()
