#!/usr/bin/env bash
# Installs what is missing, builds only the game and its data, and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/build.sh" --game
exec "$top/build/quadrant-rush" "$@"
