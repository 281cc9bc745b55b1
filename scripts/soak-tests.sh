#!/usr/bin/env bash
# Runs the Release test suite N times in a row (default 20) with two jobs and stops at the first
# failing run; with a test name (a CTest regex) it runs only that test N times. Proves that no test
# hangs or fails now and then. Usage: scripts/soak-tests.sh [N] [TEST-REGEX]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
only=${2:-}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

args=(--test-dir build -j 2 --timeout 300 --output-on-failure)
[[ -n "$only" ]] && args+=(-R "$only")
start=$SECONDS
for ((i = 1; i <= runs; i++)); do
    t0=$SECONDS
    if ! QT_QPA_PLATFORM=offscreen ctest "${args[@]}" >build/soak-last.log 2>&1; then
        tail -40 build/soak-last.log
        echo "run $i of $runs failed (log: build/soak-last.log)"
        exit 1
    fi
    echo "run $i of $runs passed in $((SECONDS - t0)) s"
done
echo "$runs runs passed in $((SECONDS - start)) s"
