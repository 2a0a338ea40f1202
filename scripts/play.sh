#!/usr/bin/env bash
# Installs what is missing, builds Kwadron and starts it on its default skin.
# Words after the command go to the game: scripts/play.sh SKIN=progdir:grafika_aga2x
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j"$(nproc)")
exec "$root/build/kwadron" "$@"
