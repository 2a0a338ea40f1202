#!/usr/bin/env bash
# The ways of presenting a 320 x 240 picture, compared with sdl_baseline
# under Xvfb: a 1280 x 960 window on a 1920 x 1080 screen (4x, the game's
# window there) and a fullscreen 3840 x 2160 screen (9x). For each: peak
# resident memory, start to the first picture (median of interleaved runs),
# CPU of one present in the program (all its threads) and in the X server.
# Usage: bench/presenting.sh BUILD_DIR [RUNS]   (BUILD_DIR/bench/sdl_baseline)
set -euo pipefail
bin="${1:?usage: bench/presenting.sh BUILD_DIR [RUNS]}/bench/sdl_baseline"
runs="${2:-7}"
frames=120
[ -x "$bin" ] || { echo "no $bin: build with -DKWADRON_BENCH=ON" >&2; exit 1; }

tmp="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
unset WAYLAND_DISPLAY SDL_RENDER_DRIVER SDL_FRAMEBUFFER_ACCELERATION SDL_VIDEODRIVER

median() {
  sort -n | awk '{v[NR] = $1} END {if (NR == 0) print "n/a"; else printf "%.1f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{sub(/^.*\) /, ""); print ($12 + $13) * 1000 / hz}' "/proc/$1/stat"; }

# name | environment | mode
ways=(
  "SDL_Renderer, default (OpenGL)||--renderer"
  "SDL_Renderer, SDL_RENDER_DRIVER=software|SDL_RENDER_DRIVER=software|--renderer"
  "SDL_Renderer, software, no GL under it|SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0|--renderer"
  "window surface, own scaler, whole window||--surface"
  "window surface, own scaler, changed square||--surface-rect"
  "window surface left to SDL's texture|SDL_FRAMEBUFFER_ACCELERATION=1|--surface"
)

row() { printf '| %-44s | %-10s | %8s | %9s | %9s | %9s |\n' "$@"; }
row "presenting" "screen" "peak MB" "first ms" "CPU ms" "X CPU ms"
row "--------------------------------------------" "----------" "--------" "---------" "---------" "---------"

for screen in 1920x1080 3840x2160; do
  n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  geom=(--window 1280x960)
  [ "$screen" = 3840x2160 ] && geom=(--fullscreen)

  for i in "${!ways[@]}"; do : >"$tmp/first$i"; done
  # Start-up, interleaved so that the machine's load falls on every way alike.
  for _ in $(seq "$runs"); do
    for i in "${!ways[@]}"; do
      IFS='|' read -r _ env mode <<<"${ways[$i]}"
      env $env KWADRON_TRACE=1 KWADRON_TRACE_T0=$EPOCHREALTIME "$bin" "$mode" "${geom[@]}" 2>"$tmp/err" >/dev/null || true
      awk '$1 == "first-frame-us" {print $2 / 1000}' "$tmp/err" >>"$tmp/first$i"
    done
  done
  for i in "${!ways[@]}"; do
    IFS='|' read -r name env mode <<<"${ways[$i]}"
    env $env /usr/bin/time -f "maxrss %M" "$bin" "$mode" "${geom[@]}" 2>"$tmp/err" >/dev/null || true
    rss=$(awk '$1 == "maxrss" {printf "%.1f", $2 / 1024}' "$tmp/err")
    # The server's share: its CPU over many presents less that over one.
    x0=$(cpu_ms "$xvfb_pid")
    env $env "$bin" "$mode" "${geom[@]}" >/dev/null 2>&1 || true
    x1=$(cpu_ms "$xvfb_pid")
    cpu=$(env $env "$bin" "$mode" "${geom[@]}" --frames "$frames" 2>/dev/null | awk '$1 == "present-cpu-us" {printf "%.2f", $2 / 1000}')
    x2=$(cpu_ms "$xvfb_pid")
    xcpu=$(awk -v a="$x0" -v b="$x1" -v c="$x2" -v f="$frames" 'BEGIN {printf "%.2f", ((c - b) - (b - a)) / (f - 1)}')
    row "$name" "$screen" "${rss:-n/a}" "$(median <"$tmp/first$i")" "${cpu:-n/a}" "$xcpu"
  done
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
echo
echo "first ms: from the command's start to just after the first present (median"
echo "of $runs interleaved runs). CPU ms: median of $((frames - 1)) presents, each with one"
echo "80 x 80 square of the picture changed, in the program (all threads); X CPU ms:"
echo "the X server's CPU per present (a difference of two runs: approximate)."
echo "1920x1080: a 1280 x 960 window (4x); 3840x2160: fullscreen (9x). SDL keeps"
echo "a window's surface in an OpenGL texture unless SDL_FRAMEBUFFER_ACCELERATION=0,"
echo "and its software renderer draws into that surface: \"no GL under it\" sets it."
