#!/usr/bin/python3
"""Side-by-side run of tavrel-cli export against the same pipeline written with pandas and numpy.

A 16-column, 1,000,000-row data file goes through a low-pass filter (41 taps) on every channel
and is written as comma-separated text with ten significant digits:

  tavrel-cli export DOC.kcd -o OUT.csv --data DATA.csv --max-rows 0
  pandas.read_csv + numpy.convolve + numpy.savetxt

Each pipeline runs in its own process; the script reports wall time, CPU time (user + system,
the fair figure on a shared machine) and peak resident memory of both, the speed ratio, and tavrel-cli's peak memory against the size of the loaded samples
(rows x 16 doubles). Usage: bench/cli_export_vs_pandas.py [build/bin/tavrel-cli] [--rows N]
Needs python3-numpy and python3-pandas (Debian packages).
"""
import argparse
import math
import os
import struct
import sys
import tempfile

from peer_runs import baseline_python, run_process as measure

CHANNELS = 16
RATE = 2000
CUTOFF = 0.1  # of the Nyquist frequency: 100 Hz at 2000 Hz


def archive_string(text):
    data = text.encode("ascii")
    return bytes([len(data)]) + data


def low_pass_document(path):
    """The document file of a new document with a low-pass filter after every head."""
    out = bytearray()
    out += struct.pack("<H", CHANNELS) + bytes([1] + [0] * (CHANNELS - 1))
    out += struct.pack("<H", CHANNELS)
    for channel in range(CHANNELS):
        if channel == 0:
            out += b"\xff\xff" + struct.pack("<HH", 1, 11) + b"CHeadFilter"  # class index 1
        else:
            out += struct.pack("<H", 0x8000 | 1)
        out += archive_string("HeadFilter") + struct.pack("<i", RATE)
        if channel == 0:
            out += b"\xff\xff" + struct.pack("<HH", 1, 9) + b"CLPFilter"  # class index 3
        else:
            out += struct.pack("<H", 0x8000 | 3)
        out += archive_string("LowPass") + struct.pack("<i", RATE) + b"\x00\x00"
        out += struct.pack("<d", CUTOFF)  # the filter's own field, then the head's
        out += struct.pack("<i", channel)
    out += struct.pack("<H", CHANNELS) + bytes(range(CHANNELS))
    out += b"\x00" + struct.pack("<ii", 0, 0)
    with open(path, "wb") as f:
        f.write(out)


def data_file(path, rows):
    """rows lines of 16 values; a block of 1000 varied rows repeated."""
    block_rows = 1000
    lines = []
    for r in range(block_rows):
        values = (math.sin(r * 0.013 * (c + 1)) * (c + 1) + 0.001 * ((r * 7919 + c) % 997)
                  for c in range(CHANNELS))
        lines.append(",".join("%.9g" % v for v in values))
    block = ("\r\n".join(lines) + "\r\n").encode("ascii")
    with open(path, "wb") as f:
        for _ in range(rows // block_rows):
            f.write(block)
        rest = rows % block_rows
        if rest:
            f.write(("\r\n".join(lines[:rest]) + "\r\n").encode("ascii"))


PANDAS_PIPELINE = r"""
import sys, numpy as np, pandas as pd
data, out, cutoff = sys.argv[1], sys.argv[2], float(sys.argv[3])
frame = pd.read_csv(data, header=None)
n = np.arange(41) - 20
taps = cutoff * np.sinc(cutoff * n) * np.hamming(41)
result = np.column_stack([np.convolve(frame[c].to_numpy(), taps, mode="same")
                          for c in frame.columns])
np.savetxt(out, result, fmt="%.10G", delimiter=",", newline="\r\n")
"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli", nargs="?", default="build/bin/tavrel-cli")
    parser.add_argument("--rows", type=int, default=1_000_000)
    args = parser.parse_args()
    python = baseline_python()
    with tempfile.TemporaryDirectory(prefix="tavrel-bench-") as folder:
        doc = os.path.join(folder, "lowpass.kcd")
        data = os.path.join(folder, "data.csv")
        low_pass_document(doc)
        data_file(data, args.rows)
        size = os.path.getsize(data)

        cli_seconds, cli_cpu, cli_rss = measure([args.cli, "export", doc, "-o",
                                        os.path.join(folder, "tavrel.csv"), "--data", data,
                                        "--max-rows", "0"])
        with open(os.path.join(folder, "tavrel.csv"), "rb") as f:
            lines = sum(block.count(b"\n") for block in iter(lambda: f.read(1 << 20), b""))
        if lines != args.rows + 1:
            sys.exit("tavrel-cli wrote %d lines, expected %d" % (lines, args.rows + 1))
        py_seconds, py_cpu, py_rss = measure([python, "-c", PANDAS_PIPELINE, data,
                                      os.path.join(folder, "pandas.csv"), str(CUTOFF)])

    samples = args.rows * CHANNELS * 8
    print("data file: %d rows x %d columns, %.1f MB" % (args.rows, CHANNELS, size / 1e6))
    print("                         wall       CPU    peak memory")
    print("tavrel-cli export:       %6.2f s  %6.2f s  %7.1f MB"
          % (cli_seconds, cli_cpu, cli_rss / 1e6))
    print("pandas + numpy pipeline: %6.2f s  %6.2f s  %7.1f MB"
          % (py_seconds, py_cpu, py_rss / 1e6))
    print("speed-up: %.2fx wall, %.2fx CPU" % (py_seconds / cli_seconds, py_cpu / cli_cpu))
    print("tavrel-cli peak memory / loaded samples (%.0f MB): %.2f"
          % (samples / 1e6, cli_rss / samples))


if __name__ == "__main__":
    main()
