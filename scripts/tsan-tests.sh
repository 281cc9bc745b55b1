#!/usr/bin/env bash
# Builds the core tests, tavrel-cli and its tests with ThreadSanitizer (clang) and runs them with
# the computations spread over four threads (TAVREL_THREADS=4), so that the worker pool, the
# chains computed side by side and the parallel CSV reading run under the race detector. Kept out
# of scripts/test.sh: the instrumented build and run take several times the rest of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

jobs=$(nproc)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    "${launcher[@]}" -DTAVREL_TSAN=ON
cmake --build build-tsan -j "$jobs" --target tavrel_core_tests tavrel-cli tavrel_cli_tests

export TAVREL_THREADS=4 TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
export QT_QPA_PLATFORM=offscreen
build-tsan/bin/tavrel_core_tests
build-tsan/bin/tavrel_cli_tests
echo "ThreadSanitizer: core and command-line tests ran clean"
