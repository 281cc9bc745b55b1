#!/usr/bin/python3
"""Builds bench/README.md: one table of the program's performance, each figure beside its peer
measured in the same run on the same machine.

Reads the Google Benchmark JSON files that bench/run.sh leaves in bench/out/ (one per program,
named after it; gui_long_recording_bench_t1 and _t2 are that program at one and two threads), the
text report of bench/cli_export_vs_pandas.py (bench/out/cli_export.txt) and the table of
bench/export_threads.sh (bench/out/export_threads.txt).

  bench/make_table.py OUT_DIR README
"""
import json
import os
import platform
import re
import subprocess
import sys

# One row per measure: (what, our benchmark, our metric, peer description, peer benchmark,
# peer metric, note). A benchmark is "program:name"; a metric is a counter of the benchmark
# ("items_per_second", "bytes_per_second", "rows/s", ...) or "time" (seconds per iteration).
# The spectrum is the FFT view's own transform - the window as a complex array with zero
# imaginary parts, radix-2 decimation in time, every butterfly output halved - reproduced bit for
# bit, with its butterflies side by side in vector registers, and a C-library log10 per bin.
# numpy (pocketfft, mixed radix) and FFTW (real-input transform) do about half of that arithmetic.
FFT_NOTE = ("the defined radix-2 complex transform bit for bit, butterflies side by side (AVX2); "
            "the peers do about half the arithmetic")
# The moving average adds every sample of every window in its fixed order (N additions per
# output), bit-identical to its plain loop; pandas and scipy keep a running sum (a few operations
# per sample whatever N) and give other roundings (scipy divides by N, not N + 1).
MA_NOTE = "N additions per output in the fixed order, side by side (AVX2); the peers keep a running sum"
MA_PLAIN_NOTE = "the plain loop (one output at a time) is the kernel before vectorising, without the module's allocations"
MA_ROWS = []
for samples, points, label in ((8192, 1000, "16 x 8192 samples"), (8192, 5, "16 x 8192 samples"),
                               (1000000, 5, "16 x 1,000,000 samples")):
    ours = "filters_bench:BM_MovingAverage%d/%d" % (points, samples)
    what = "Moving average (N = %d), %s" % (points, label)
    MA_ROWS += [
        (what, ours, "items_per_second", "pandas Series.rolling(N, center=True).sum()",
         "filters_bench:BM_PandasRollingSum/%d/%d/iterations:1/manual_time" % (samples, points),
         "items_per_second", MA_NOTE),
        (what, ours, "items_per_second", "scipy.ndimage.uniform_filter1d",
         "filters_bench:BM_ScipyUniformFilter/%d/%d/iterations:1/manual_time" % (samples, points),
         "items_per_second", MA_NOTE),
        (what, ours, "items_per_second", "the same kernel's plain loop",
         "filters_bench:BM_MovingAveragePlain/%d/%d" % (samples, points), "items_per_second",
         MA_PLAIN_NOTE),
    ]
FFT_ROWS = []
for points in (1024, 8192):
    what = "FFT view spectrum, %d points" % points
    ours = "analysis_bench:BM_FFTView/%d" % points
    FFT_ROWS += [
        (what, ours, "items_per_second", "numpy.fft.fft",
         "analysis_bench:BM_NumpyFFT/%d/iterations:1/manual_time" % points, "items_per_second",
         FFT_NOTE),
        (what, ours, "items_per_second", "FFTW (r2c, FFTW_MEASURE plan)",
         "fftw_bench:BM_FFTW/%d" % points, "items_per_second", FFT_NOTE),
    ]
    FFT_ROWS.append(("Radix-2 transform alone, %d points" % points,
                     "analysis_bench:BM_RadixTwoFft/%d" % points, "time",
                     "the same transform's plain butterfly loop",
                     "analysis_bench:BM_RadixTwoFftPlain/%d" % points, "time",
                     "time per transform; bit-identical results"))

# The conditioning filters over 16 x 1,000,000 samples at 2000 Hz beside SciPy and pandas.
COND = "16 x 1,000,000 samples at 2000 Hz"
COND_NOTE = "the same sections, pad and initial states; sections side by side (AVX2)"
COND_POOL_NOTE = ("wall time; the sixteen chains on the pool's threads (all cores, here 2), "
                  "as the program and tavrel-cli compute them by default; SciPy on one thread")
COND_PLAIN_NOTE = ("bit-identical results; the plain loop takes each sample through every "
                   "section in turn over one padded copy")
COND_ROWS = [
    ("Butterworth band-pass 20-450 Hz, order 4, zero phase, " + COND,
     "conditioning_bench:BM_ButterZeroPhase", "items_per_second", "scipy.signal.sosfiltfilt",
     "conditioning_bench:BM_ScipySosfiltfiltBand/iterations:1/manual_time", "items_per_second",
     COND_NOTE),
    ("Butterworth band-pass 20-450 Hz, order 4, zero phase, " + COND,
     "conditioning_bench:BM_ButterZeroPhase", "items_per_second", "the same kernel's plain loop",
     "conditioning_bench:BM_ButterZeroPhasePlain", "items_per_second", COND_PLAIN_NOTE),
    ("Butterworth band-pass 20-450 Hz, order 4, causal, " + COND,
     "conditioning_bench:BM_ButterCausal", "items_per_second", "scipy.signal.sosfilt",
     "conditioning_bench:BM_ScipySosfiltBand/iterations:1/manual_time", "items_per_second",
     "sections side by side (AVX2)"),
    ("Notch 50 Hz with 5 harmonics, zero phase, " + COND,
     "conditioning_bench:BM_NotchZeroPhase", "items_per_second", "scipy.signal.sosfiltfilt",
     "conditioning_bench:BM_ScipySosfiltfiltNotch/iterations:1/manual_time", "items_per_second",
     COND_NOTE),
    ("Butterworth band-pass 20-450 Hz, order 4, zero phase, " + COND +
     ", the channels' chains side by side as the program computes them",
     "conditioning_bench:BM_ButterZeroPhaseChannels/real_time", "items_per_second",
     "scipy.signal.sosfiltfilt",
     "conditioning_bench:BM_ScipySosfiltfiltBand/iterations:1/manual_time", "items_per_second",
     COND_POOL_NOTE),
    ("Notch 50 Hz with 5 harmonics, zero phase, " + COND +
     ", the channels' chains side by side as the program computes them",
     "conditioning_bench:BM_NotchZeroPhaseChannels/real_time", "items_per_second",
     "scipy.signal.sosfiltfilt",
     "conditioning_bench:BM_ScipySosfiltfiltNotch/iterations:1/manual_time", "items_per_second",
     COND_POOL_NOTE),
    ("Notch 50 Hz with 5 harmonics, zero phase, " + COND,
     "conditioning_bench:BM_NotchZeroPhase", "items_per_second", "the same kernel's plain loop",
     "conditioning_bench:BM_NotchZeroPhasePlain", "items_per_second", COND_PLAIN_NOTE),
    ("Moving RMS (N = 200), " + COND, "conditioning_bench:BM_MovingRms", "items_per_second",
     "pandas rolling mean of the squares, square root",
     "conditioning_bench:BM_PandasRollingRms/iterations:1/manual_time", "items_per_second",
     "a running sum carrying its rounding errors"),
]
# The spectral columns of the results table, the frequency trend and the bursts
# (bench/spectral_bench.cpp, bench/results/spectral.md).
SPECTRAL_ROWS = [
    ("Results table with the `mnf_hz`, `mdf_hz` and `slope_per_s` columns, 200 recordings of "
     "16 x 8192 rows", "spectral_bench:BM_MeasureRecordings/1/min_time:2.000/process_time",
     "recordings/s", "the table without them",
     "spectral_bench:BM_MeasureRecordings/0/min_time:2.000/process_time", "recordings/s",
     "reading and measuring; the ratio is 1 / (1 + the columns' cost): at least 0.77x keeps "
     "them within +30 %"),
    ("Frequency trend (median frequency, 500 ms windows every 250 ms), 16 x 1,000,000 samples",
     "spectral_bench:BM_FrequencyTrend/min_time:2.000", "samples/s",
     "scipy.signal.periodogram loop",
     "spectral_bench:BM_ScipyPeriodogramLoop/iterations:1/manual_time", "samples/s", ""),
    ("Bursts, 16 x 1,000,000 samples", "spectral_bench:BM_Bursts/min_time:2.000", "samples/s",
     "numpy", "spectral_bench:BM_NumpyBursts/iterations:1/manual_time", "samples/s", ""),
]
ROWS = [
    ("Data file reading, 16 x 8192 rows (the program's cap)",
     "data_bench:BM_LoadDataFileBestPass/8192/iterations:1/manual_time", "bytes_per_second",
     "pandas.read_csv", "data_bench:BM_PandasReadCsv/8192/iterations:1/manual_time",
     "bytes_per_second", "both sides: best of 10 passes"),
    ("Data file reading, 16 x 8192 rows (the program's cap)",
     "data_bench:BM_LoadDataFile/8192/process_time", "bytes_per_second",
     "pandas.read_csv", "data_bench:BM_PandasReadCsv/8192/iterations:1/manual_time",
     "bytes_per_second", "Tavrel: mean of all passes, pandas: best of 10"),
    ("Data file reading, 16 x 1,000,000 rows",
     "data_bench:BM_LoadDataFileBestPass/1000000/iterations:1/manual_time", "bytes_per_second",
     "pandas.read_csv", "data_bench:BM_PandasReadCsv/1000000/iterations:1/manual_time",
     "bytes_per_second", "both sides: best of 2 passes"),
    ("Data file reading, 16 x 1,000,000 rows",
     "data_bench:BM_LoadDataFile/1000000/process_time", "bytes_per_second",
     "raw read bandwidth (1 MiB reads, lines counted)", "data_bench:BM_RawRead/1000000/process_time",
     "bytes_per_second",
     "the raw read is the floor of any reader: it converts no numbers"),
    ("Low-pass FIR (41 taps), 16 x 1,000,000 samples",
     "filters_bench:BM_LowPass/1000000", "items_per_second",
     "numpy.convolve (mode \"same\")", "filters_bench:BM_NumpyConvolveSame/1000000/iterations:1/manual_time",
     "items_per_second", ""),
    ("Low-pass FIR (41 taps), 16 x 8192 samples",
     "filters_bench:BM_LowPass/8192", "items_per_second",
     "numpy.convolve (mode \"same\")", "filters_bench:BM_NumpyConvolveSame/8192/iterations:1/manual_time",
     "items_per_second", ""),
    ("Band-pass (two 41-tap passes), 16 x 1,000,000 samples",
     "filters_bench:BM_BandPass/1000000", "items_per_second",
     "two numpy.convolve passes", "filters_bench:BM_NumpyBandPass/1000000/iterations:1/manual_time",
     "items_per_second", ""),
] + MA_ROWS + COND_ROWS + FFT_ROWS + [
    ("Export writing, 16 x 1,000,000 values (\"%0.10G\", CR LF)",
     "data_bench:BM_WriteExport/process_time", "values/s",
     "numpy.savetxt (fmt \"%.10G\")", "data_bench:BM_NumpySavetxt/iterations:1/manual_time",
     "values/s", ""),
    ("Export writing, 16 x 1,000,000 values",
     "data_bench:BM_WriteExport/process_time", "values/s",
     "C runtime snprintf(\"%.10G\") + fwrite", "data_bench:BM_WriteSnprintf/process_time",
     "values/s", ""),
    ("Recording reading, 16 x 1,000,000 samples: 24-bit BDF+ (EDFlib's checks, records read in blocks)",
     "recording_bench:BM_ReadBdf/min_time:2.000/process_time", "samples/s",
     "the same signals as CSV (10 significant digits)",
     "recording_bench:BM_ReadCsv/min_time:2.000/process_time", "samples/s",
     "storage of the previous reading reused; see bench/results/recording.md"),
    ("Recording reading, 16 x 1,000,000 samples: 16-bit EDF+ (EDFlib's checks, records read in blocks)",
     "recording_bench:BM_ReadEdf/min_time:2.000/process_time", "samples/s",
     "the same signals as CSV (10 significant digits)",
     "recording_bench:BM_ReadCsv/min_time:2.000/process_time", "samples/s",
     "storage of the previous reading reused; see bench/results/recording.md"),
    ("Recording reading, 16 x 1,000,000 samples: GDF written by save2gdf, through BioSig",
     "recording_bench:BM_ReadGdf/min_time:2.000/process_time", "samples/s",
     "the same signals as CSV (10 significant digits)",
     "recording_bench:BM_ReadCsv/min_time:2.000/process_time", "samples/s",
     "storage of the previous reading reused; see bench/results/recording.md"),
    ("Recording reading, 16 x 1,000,000 samples: MATLAB v5 double matrix, through matio",
     "recording_bench:BM_ReadMat5/min_time:2.000/process_time", "samples/s",
     "the same signals as CSV (10 significant digits)",
     "recording_bench:BM_ReadCsv/min_time:2.000/process_time", "samples/s",
     "storage of the previous reading reused; see bench/results/recording.md"),
    ("Recording reading, 16 x 1,000,000 samples: MATLAB v7.3 double matrix, through matio (HDF5)",
     "recording_bench:BM_ReadMat73/min_time:2.000/process_time", "samples/s",
     "the same signals as CSV (10 significant digits)",
     "recording_bench:BM_ReadCsv/min_time:2.000/process_time", "samples/s",
     "storage of the previous reading reused; see bench/results/recording.md"),
    ("Recording reading, 16 x 1,000,000 samples: 24-bit BDF+, storage no reading touched before",
     "recording_bench:BM_ReadBdfCold/min_time:2.000/process_time", "samples/s",
     "the same signals as CSV (10 significant digits)",
     "recording_bench:BM_ReadCsvCold/min_time:2.000/process_time", "samples/s",
     "the first touch of fresh memory dominates both; see bench/results/recording.md"),
    ("Full redraw of a 1,000,000-sample band (QPainter, 770 columns)",
     "paint_graph_bench:BM_PaintWhole", "time",
     "one pass over the samples (the vertical maximum)", "graph_bench:BM_MaxAbsWhole", "time",
     "the drawing must read every sample once; a 60 Hz frame allows 16.7 ms"),
    ("Strip repaint, 100 pixels of a 1,000,000-sample band (QPainter)",
     "paint_graph_bench:BM_PaintStrip100", "time",
     "full redraw", "paint_graph_bench:BM_PaintWhole", "time",
     "a scroll repaints only the uncovered strip"),
] + SPECTRAL_ROWS


def load(out_dir):
    results = {}
    for name in os.listdir(out_dir):
        if not name.endswith(".json"):
            continue
        program = name[:-5]
        with open(os.path.join(out_dir, name)) as f:
            try:
                data = json.load(f)
            except json.JSONDecodeError:
                continue
        for b in data.get("benchmarks", []):
            if b.get("error_occurred"):
                continue
            # Prefer the median of repetitions; a single run stands for itself.
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            key = program + ":" + b.get("run_name", b["name"])
            if key in results and b.get("run_type") != "aggregate":
                continue
            results[key] = b
    return results


UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def metric(results, bench, name):
    b = results.get(bench)
    if b is None:
        return None
    if name == "time":
        # Processor time, as the rates use, unless the benchmark reported its own time.
        manual = "manual_time" in bench or "real_time" in bench
        return b["real_time" if manual else "cpu_time"] * UNIT_SECONDS[b.get("time_unit", "ns")]
    value = b.get(name)
    return float(value) if value is not None else None


def show(value, name):
    if value is None:
        return "not measured"
    if name == "time":
        return "%.2f ms" % (value * 1e3) if value >= 1e-3 else "%.0f µs" % (value * 1e6)
    if name == "bytes_per_second":
        return "%.0f MB/s" % (value / 1e6)
    unit = {"items_per_second": "samples/s", "values/s": "values/s", "rows/s": "rows/s"}.get(name, name)
    for scale, prefix in ((1e9, "G"), (1e6, "M"), (1e3, "k")):
        if value >= scale:
            return "%.3g %s %s" % (value / scale, prefix, unit)
    return "%.3g %s" % (value, unit)


def ratio(ours, peer, name):
    if ours is None or peer is None or ours == 0 or peer == 0:
        return "-"
    # Times: smaller is better; rates: larger is better.
    r = peer / ours if name == "time" else ours / peer
    return "%.2fx" % r


def cli_rows(out_dir):
    path = os.path.join(out_dir, "cli_export.txt")
    if not os.path.exists(path):
        return []
    text = open(path).read()
    rows = []
    cli = re.search(r"tavrel-cli export:\s+([\d.]+) s\s+([\d.]+) s\s+([\d.]+) MB", text)
    py = re.search(r"pandas \+ numpy pipeline:\s+([\d.]+) s\s+([\d.]+) s\s+([\d.]+) MB", text)
    mem = re.search(r"peak memory / loaded samples \(([\d.]+) MB\): ([\d.]+)", text)
    if cli and py:
        cw, cc, cm = map(float, cli.groups())
        pw, pc, pm = map(float, py.groups())
        rows.append(("Whole pipeline: `tavrel-cli export` of 16 x 1,000,000 rows through a "
                     "low-pass on every channel (wall / CPU time)",
                     "%.2f s / %.2f s" % (cw, cc), "pandas.read_csv + numpy.convolve + numpy.savetxt",
                     "%.2f s / %.2f s" % (pw, pc), "%.2fx" % (pw / cw if cw else 0),
                     "CPU-time ratio %.2fx" % (pc / cc if cc else 0)))
        note = ""
        if mem:
            note = "%.2f x the %s MB of loaded samples" % (float(mem.group(2)), mem.group(1))
        rows.append(("Whole pipeline: peak memory", "%.0f MB" % cm, "pandas + numpy pipeline",
                     "%.0f MB" % pm, "%.2fx" % (pm / cm if cm else 0), note))
    return rows


def measure_rows(out_dir):
    """The rows of bench/cli_measure_vs_pandas.py's report (bench/out/cli_measure.txt)."""
    path = os.path.join(out_dir, "cli_measure.txt")
    if not os.path.exists(path):
        return []
    text = open(path).read()
    one = re.search(r"tavrel-cli --jobs 1:\s+([\d.]+) s\s+([\d.]+) s", text)
    two = re.search(r"tavrel-cli --jobs 2:\s+([\d.]+) s\s+([\d.]+) s", text)
    py = re.search(r"pandas \+ numpy:\s+([\d.]+) s\s+([\d.]+) s", text)
    if not (one and two and py):
        return []
    w1, c1 = map(float, one.groups())
    w2, c2 = map(float, two.groups())
    wp, cp = map(float, py.groups())
    note = "threads speed-up, best wall time of the passes"
    medians = re.search(
        r"median wall: --jobs 1 ([\d.]+) s, --jobs 2 ([\d.]+) s; speed-up ([\d.]+)x", text)
    if medians:
        m1, m2, speedup = medians.groups()
        note += "; median against median %sx (%s s / %s s)" % (speedup, m2, m1)
    what = "Results table: `tavrel-cli measure` of 200 recordings of 16 x 8192 rows"
    return [
        (what + " (wall / CPU time)", "%.2f s / %.2f s (--jobs 2)" % (w2, c2),
         "tavrel-cli measure --jobs 1", "%.2f s / %.2f s" % (w1, c1),
         "%.2fx" % (w1 / w2 if w2 else 0), note),
        (what + " (wall / CPU time)", "%.2f s / %.2f s (--jobs 2)" % (w2, c2),
         "pandas.read_csv + numpy per file", "%.2f s / %.2f s" % (wp, cp),
         "%.2fx" % (wp / w2 if w2 else 0), "CPU-time ratio %.2fx" % (cp / c2 if c2 else 0)),
    ]


LONG_ROWS = [
    ("Reading the data file (16 channels, no row limit)", "BM_ReadWholeFile", None),
    ("First paint of the window (visible chains computed)", "BM_FirstPaint", None),
    ("Absolute display's measuring pass (all 16 chains)", "BM_AbsoluteMeasuringPass", None),
    ("Scroll strip (25 pixels)", "BM_ScrollStrip", 16.7),
    ("Magnifier paint (a tenth of the recording)", "BM_MagnifierPaint", 16.7),
    ("Module dialog's Apply (one chain computed and drawn)", "BM_ModuleDialogApply", None),
]


def long_recording_lines(results):
    """The long recording in the program (gui_long_recording_bench): milliseconds of processor
    time per operation at 8192 and 1,000,000 rows, every chain band-pass + rectifier + moving
    average (N = 100); the interactive ones beside one frame at 60 Hz."""
    prefix = "gui_long_recording_bench:"
    runs = [(k[len(prefix):], b) for k, b in results.items() if k.startswith(prefix)]
    if not runs:
        return []
    def ms(name, rows):
        for run, b in runs:
            if run.startswith("%s/%d/" % (name, rows)):
                scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b.get("time_unit", "ms")]
                return b["cpu_time"] * scale
        return None
    lines = ["", "## A long recording in the program", "",
             "16 channels, every chain a band-pass, a rectifier and a moving average (N = 100), "
             "the row limit lifted; milliseconds of processor time of the calling thread per "
             "operation, with as many threads as the processor has cores.", "",
             "| Operation | 8192 rows | 1,000,000 rows | Within a 60 Hz frame (16.7 ms) |",
             "|---|---|---|---|"]
    for what, name, frame in LONG_ROWS:
        small, large = ms(name, 8192), ms(name, 1000000)
        if small is None or large is None:
            continue
        within = "" if frame is None else ("yes" if large <= frame else "no")
        lines.append("| %s | %.2f | %.1f | %s |" % (what, small, large, within))
    for run, b in runs:
        if run.startswith("BM_PeakMemory"):
            lines += ["", "Peak resident memory with the 1,000,000-row recording read and every "
                      "chain computed: %.0f MiB, %.2fx the loaded samples." % (
                          b["peak_MiB"], b["peak_per_loaded"])]
            if all(k in b for k in ("before_MiB", "loaded_MiB", "painted_MiB")):
                samples = b["peak_MiB"] / b["peak_per_loaded"]
                source = b["loaded_MiB"] - b["before_MiB"]
                chains = b["painted_MiB"] - b["loaded_MiB"]
                lines[-1] += (
                    " Of it: %.0f MiB the process before reading; %.0f MiB (%.2fx) the source "
                    "columns read; %.0f MiB (%.2fx) the sixteen chain ends, each of which keeps "
                    "its input and its output after computing, so that a paint, a scroll or a "
                    "zoom computes nothing again. The samples alone are three arrays per "
                    "channel." % (b["before_MiB"], source, source / samples, chains,
                                  chains / samples))
    return lines


# The threads section: threads_bench's rows (wall time, the second argument is the thread count)
# and the long recording in the program at one and two threads.
THREAD_ROWS = [
    ("CSV reading (135 MB, no row limit)", "BM_ReadCsv"),
    ("Absolute display's measuring pass (16 chains)", "BM_MeasuringPass"),
    ("Chains computed for the first paint (16 chains)", "BM_FirstPaintChains"),
    ("The export's lines formatted (no file)", "BM_FormatExport"),
    ("`tavrel-cli export --jobs N` (a new file), through the chains", "BM_CliExportChains"),
    ("`tavrel-cli export --jobs N` (a new file), head-only chains (read + write)",
     "BM_CliExportHeadOnly"),
]
THREAD_LONG_ROWS = [
    ("Reading the whole file (through the progress window)", "BM_ReadWholeFile"),
    ("First paint (the visible bands' chains)", "BM_FirstPaint"),
    ("Absolute display's measuring pass", "BM_AbsoluteMeasuringPass"),
    ("A module dialog's Apply (one chain)", "BM_ModuleDialogApply"),
]


def wall_ms(results, prefix, name):
    """Wall milliseconds of the first benchmark whose name starts with prefix + name."""
    for key, b in results.items():
        if key.startswith(prefix + name):
            return b["real_time"] * UNIT_SECONDS[b.get("time_unit", "ns")] * 1e3
    return None


def threads_lines(out_dir, results):
    lines = ["", "## Threads", "",
             "The same work on one thread and on two (this machine's cores), wall time: "
             "`threads_bench` (16 x 1,000,000 rows, every chain a band-pass, a rectifier and a "
             "moving average of N = 100), the long recording in the program at "
             "`TAVREL_THREADS=1` and `2`, and `bench/export_threads.sh` (the two thread counts "
             "alternated, writing a new file and replacing the last run's); where it was run, "
             "`bench/export_against_build.sh` (one thread against an "
             "earlier build, named in `bench/results/threads.md`). What limits each ratio: "
             "`bench/results/threads.md`.", "",
             "| Operation | 1 thread | 2 threads | Ratio |", "|---|---|---|---|"]
    rows = []
    for what, name in THREAD_ROWS:
        rows.append((what, wall_ms(results, "threads_bench:", name + "/1/"),
                     wall_ms(results, "threads_bench:", name + "/2/")))
    for what, name in THREAD_LONG_ROWS:
        rows.append(("In the program: " + what[0].lower() + what[1:],
                     wall_ms(results, "gui_long_recording_bench_t1:", name + "/1000000/"),
                     wall_ms(results, "gui_long_recording_bench_t2:", name + "/1000000/")))
    def ms(value):
        return ("%.0f ms" if value >= 100 else "%.3g ms") % value
    for what, one, two in rows:
        if one is None or two is None:
            continue
        lines.append("| %s | %s | %s | %.2fx |" % (what, ms(one), ms(two), one / two))
    # The tables of bench/export_threads.sh and, when it was run into the same folder,
    # bench/export_against_build.sh.
    for name in ("export_threads.txt", "export_against_build.txt"):
        try:
            with open(os.path.join(out_dir, name)) as f:
                table = [line.rstrip("\n") for line in f if line.startswith("|")]
        except OSError:
            continue
        if table:
            lines += [""] + table
    kernel = "filters_bench:BM_MovingAverageKernel<InstructionSet::%s>/8192/1000"
    avx2 = metric(results, kernel % "Avx2", "items_per_second")
    avx512 = metric(results, kernel % "Avx512", "items_per_second")
    if avx2 and avx512:
        lines += ["", "Moving average kernel, N = 1000, 16 x 8192 samples: %.1f M samples/s with "
                  "AVX-512, %.1f M samples/s with AVX2 (processor time)." % (avx512 / 1e6,
                                                                              avx2 / 1e6)]
    return lines if len(lines) > 9 else []


def machine():
    cpu = ""
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    try:
        load = open("/proc/loadavg").read().split()[0]
    except OSError:
        load = "?"
    return "%s, %d cores, %s; load average %s at the end of the run" % (
        cpu or platform.machine(), os.cpu_count() or 0, platform.platform(), load)


def main():
    out_dir, readme = sys.argv[1], sys.argv[2]
    results = load(out_dir)
    lines = [
        "# Performance",
        "",
        "Every figure of Tavrel beside its peer, measured in the same run on the same machine by",
        "`bench/run.sh` (which regenerates this file). Rates are per second of processor time of",
        "the measuring process (Python peers: `time.process_time`, best of their passes), so other",
        "work on a shared machine tilts neither side; medians of repetitions where repeated.",
        "\"Ratio\" is how many times faster Tavrel is (above 1: faster than the peer).",
        "",
        "Machine: " + machine() + ".",
        "",
        "| Measure | Tavrel | Peer | Peer's figure | Ratio | Note |",
        "|---|---|---|---|---|---|",
    ]
    for what, ours, om, peer_name, peer, pm, note in ROWS:
        o = metric(results, ours, om)
        p = metric(results, peer, pm)
        lines.append("| %s | %s | %s | %s | %s | %s |" % (what, show(o, om), peer_name, show(p, pm),
                                                     ratio(o, p, om), note))
    for row in cli_rows(out_dir) + measure_rows(out_dir):
        lines.append("| %s | %s | %s | %s | %s | %s |" % row)
    lines += long_recording_lines(results)
    lines += threads_lines(out_dir, results)
    lines += ["", "Details and the reasoning behind each figure: `bench/results/*.md`.", ""]
    with open(readme, "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main()
