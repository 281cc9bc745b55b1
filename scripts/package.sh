#!/usr/bin/env bash
# Builds the Release tree and writes the Debian package build/tavrel_VERSION_amd64.deb (the
# programs, desktop entry, ".kcd" document type, icons, AppStream description, manual pages, bash
# completion and the bundled example). Install it with: sudo apt install ./build/tavrel_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
(cd build && cpack -G DEB -B "$PWD")
ls build/tavrel_*_amd64.deb
