#!/usr/bin/env bash
# Configures and builds the project into build/ (or build-asan/ with --asan).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh"

dir="$top/build"
extra=()
if [ "${1:-}" = "--asan" ]; then
  dir="$top/build-asan"
  extra=(-DQR_SANITIZE=ON)
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
