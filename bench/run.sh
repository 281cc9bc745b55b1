#!/usr/bin/env bash
# Regenerates bench/README.md: builds the benchmark programs (Release), runs each with its
# peers in the same run, runs the whole-pipeline comparison of tavrel-cli export against pandas +
# numpy, and assembles the table.
#   bench/run.sh [--quick]     --quick: one repetition instead of three
# With TAVREL_OTHER_CLI naming another build's tavrel-cli (bench/export_against_build.sh tells how
# to make the one of commit 806fa45), the one-thread export is also compared with that build.
set -euo pipefail
cd "$(dirname "$0")/.."
reps=3
[ "${1:-}" = "--quick" ] && reps=1

# The peers: numpy, pandas, scipy (system Python) and FFTW.
need=()
for p in python3-numpy python3-pandas python3-scipy libfftw3-dev libbenchmark-dev; do
    dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    apt-get update && apt-get install -y "${need[@]}"
fi
scripts/setup-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_BUILD_BENCH=ON
cmake --build build

out=bench/out
mkdir -p "$out"
rm -f "$out"/*.json "$out"/*.txt
export QT_QPA_PLATFORM=offscreen
for source in bench/*_bench.cpp; do
    name=$(basename "$source" .cpp)
    [ -x "build/bin/$name" ] || continue
    echo "== $name"
    "build/bin/$name" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/$name.json" --benchmark_out_format=json
done
# The long recording in the program at one and at two threads, and tavrel-cli export at
# --jobs 1 and 2 alternated (the threads section).
for threads in 1 2; do
    echo "== gui_long_recording_bench at $threads thread(s)"
    TAVREL_THREADS=$threads build/bin/gui_long_recording_bench --benchmark_filter='/1000000/' \
        --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/gui_long_recording_bench_t$threads.json" --benchmark_out_format=json
done
echo "== tavrel-cli export, --jobs 1 against --jobs 2"
bench/export_threads.sh build/bin/tavrel-cli | tee "$out/export_threads.txt"
if [ -n "${TAVREL_OTHER_CLI:-}" ]; then
    echo "== tavrel-cli export --jobs 1 against $TAVREL_OTHER_CLI"
    bench/export_against_build.sh "$TAVREL_OTHER_CLI" build/bin/tavrel-cli |
        tee "$out/export_against_build.txt"
fi
if [ -f bench/cli_export_vs_pandas.py ]; then
    echo "== tavrel-cli export against pandas + numpy"
    /usr/bin/python3 bench/cli_export_vs_pandas.py build/bin/tavrel-cli | tee "$out/cli_export.txt"
fi
if [ -f bench/cli_measure_vs_pandas.py ]; then
    echo "== tavrel-cli measure against pandas + numpy"
    /usr/bin/python3 bench/cli_measure_vs_pandas.py build/bin/tavrel-cli | tee "$out/cli_measure.txt"
fi
/usr/bin/python3 bench/make_table.py "$out" bench/README.md
echo "bench/README.md written"
