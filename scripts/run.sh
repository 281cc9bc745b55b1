#!/usr/bin/env bash
# Builds Tavrel and opens it on the bundled example recording.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)" --target tavrel
exec build/bin/tavrel examples/emg-demo.kcd
