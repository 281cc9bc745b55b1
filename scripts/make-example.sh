#!/usr/bin/env bash
# Regenerates the bundled example (examples/emg-demo.csv, examples/emg-demo.kcd and the second
# set-up on the same recording, examples/emg-guidelines.kcd).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target tavrel-make-example
build/bin/tavrel-make-example examples
