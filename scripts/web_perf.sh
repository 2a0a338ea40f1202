#!/usr/bin/env bash
# Builds the browser edition and a bare emcc page that shows one picture
# (bench/web_baseline.c), then prints the browser figures in one table
# (bench/web_perf.mjs) with the version of Debian's Chromium they came from:
# what a first visit transfers, navigation to the first picture on a first
# and a return visit against the bare page, a kept game of 10,000 moves
# coming back against a new game, the CPU of a game that waits, the CPU of
# one present.
# Usage: scripts/web_perf.sh [--quick]   (--quick: 3 runs, 3 s of waiting)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs=7 idle=10
[ "${1:-}" = --quick ] && runs=3 idle=3
"$root/scripts/web.sh" --build >/dev/null
"$root/scripts/browsers.sh"

# The site with the baseline beside it, so that one server serves both.
out="$root/build-web/perf"
rm -rf "$out" && mkdir -p "$out" && cp -r "$root/build-web/site/." "$out/"
NODE_PATH=/usr/share/nodejs emcc -Os -sENVIRONMENT=web "$root/bench/web_baseline.c" -o "$out/baseline.js"
cp "$root/bench/web_baseline.html" "$out/baseline.html"
node "$root/bench/web_perf.mjs" "$out" "$runs" "$idle"
