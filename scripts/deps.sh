#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need.
# As root: one apt-get update, then one apt-get install of what is missing.
# Otherwise: prints the exact command to run and fails.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config
  libglfw3-dev libgl-dev libgl1-mesa-dri libx11-dev
  libopenal-dev
  libstb-dev libvorbis-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libgc-dev libsdl2-dev curl
  xvfb xauth xdotool openbox wmctrl desktop-file-utils
  clang-14 libclang-rt-14-dev
  dpkg-dev lintian appstream groff-base gzip
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
