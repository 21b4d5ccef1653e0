#!/usr/bin/env bash
# Configures and builds the project into build/ (or build-asan/ with --asan); with --game only
# the program and its data are built (the tests and benchmarks stay configured for later).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh"

dir="$top/build"
extra=()
targets=()
if [ "${1:-}" = "--asan" ]; then
  dir="$top/build-asan"
  extra=(-DQR_SANITIZE=ON)
elif [ "${1:-}" = "--game" ]; then
  targets=(--target quadrant-rush)
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
cmake --build "$dir" -j "$jobs" "${targets[@]}"
