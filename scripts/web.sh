#!/usr/bin/env bash
# Installs what the browser edition needs when it is missing (emscripten,
# CMake, Node.js), builds it into build-web/site and serves that folder on
# http://127.0.0.1:8000/ until Ctrl+C (another port: PORT=8080).
#   scripts/web.sh           builds and serves
#   scripts/web.sh --build   only builds
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in
  "" | --build) ;;
  *) echo "usage: scripts/web.sh [--build]" >&2; exit 2 ;;
esac

"$root/scripts/deps.sh" emscripten cmake make $(command -v node >/dev/null || echo nodejs)
# emcc's optimiser finds Debian's acorn only there when node is not Debian's.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
(cd "$root" && cmake --preset web >/dev/null && cmake --build --preset web -j"$(nproc)")
[ "${1:-}" = --build ] && exit 0
exec node "$root/web/serve.mjs" "$root/build-web/site" "${PORT:-8000}"
