#!/usr/bin/env bash
# Builds the Debian package in build-pkg/ and prints its path. The program
# and its skins go to /usr/lib/games/kwadron, the command to /usr/games.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$root/build-pkg"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DKWADRON_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DKWADRON_INSTALL_DIR=lib/games/kwadron -DKWADRON_INSTALL_BINDIR=games >/dev/null
cmake --build "$dir" -j"$(nproc)" >/dev/null
rm -f "$dir"/kwadron_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
debs=("$dir"/kwadron_*.deb)
[ -f "${debs[0]}" ] || { echo "package.sh: cpack made no package" >&2; exit 1; }
echo "${debs[0]}"
