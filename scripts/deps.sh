#!/usr/bin/env bash
# Installs what building, running and testing need, when something is missing.
#   scripts/deps.sh             the desktop edition's packages
#   scripts/deps.sh NAME...     these packages instead
set -euo pipefail

packages=("$@")
[ $# -gt 0 ] || packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev zlib1g-dev
          libgtest-dev libbenchmark-dev xvfb xauth xdotool imagemagick netpbm ffmpeg faketime clang libclang-rt-14-dev time)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
