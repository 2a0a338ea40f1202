#!/usr/bin/env bash
# Installs what is missing, builds Kwadron and starts it on its default skin.
# Words after the command go to the game: scripts/play.sh SKIN=progdir:grafika_aga2x
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DKWADRON_TESTS=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target kwadron
exec "$root/build/kwadron" "$@"
