#!/usr/bin/env bash
# Long fuzzing runs: builds the sanitizer build with the fuzz targets and runs each target for the
# given number of seconds (default 1800) over a scratch corpus plus the checked-in seeds. Crashes
# are left as crash-* files in build-asan/fuzz-runs/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
shift || true
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVREL_SANITIZE=ON -DTAVREL_BUILD_GUI=OFF -DTAVREL_BUILD_FUZZ=ON
cmake --build build-asan
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(cd fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//'))
fi
for t in "${targets[@]}"; do
    seeds=fuzz/corpus/${t%_fuzz}
    run=build-asan/fuzz-runs/$t
    mkdir -p "$run/corpus"
    (cd "$run" && ASAN_OPTIONS=detect_leaks=1 "../../bin/$t" -max_total_time="$seconds" \
        -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 corpus "../../../$seeds")
done
