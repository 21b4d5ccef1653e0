#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/build.sh"
exec "$top/build/quadrant-rush" "$@"
