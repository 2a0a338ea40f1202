#!/usr/bin/env bash
# Builds the Debian package in build-pkg/ and prints its path. The program
# and its skins go to /usr/lib/games/kwadron, the command to /usr/games.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$root/build-pkg"
rm -f "$dir"/kwadron_*.deb
(cd "$root" && CMAKE_BUILD_PARALLEL_LEVEL="$(nproc)" cmake --workflow --preset package >/dev/null)
debs=("$dir"/kwadron_*.deb)
[ -f "${debs[0]}" ] || { echo "package.sh: cpack made no package" >&2; exit 1; }
echo "${debs[0]}"
