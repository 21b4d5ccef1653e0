#!/usr/bin/env bash
# Builds the Debian package: configures a tree of its own (build-package/, or the folder given)
# with only the game and its data (GoogleTest hidden from it, so this build also shows the game
# needs no test tools), the command in /usr/games, then makes
# quadrant-rush_<version>_amd64.deb there with CPack and prints its path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-package}
bash "$top/scripts/deps.sh"

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DQR_BUILD_BENCHMARKS=OFF \
  -DCMAKE_INSTALL_BINDIR=games >/dev/null
cmake --build "$dir" --target quadrant-rush -j "$jobs" >/dev/null
rm -f "$dir"/quadrant-rush_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/quadrant-rush_*_*.deb
