#!/usr/bin/env bash
# Builds the program and the benchmarks (Release) and prints every
# performance figure in one table, with the machine it ran on:
#   - the benchmarks (a turn, the board redraw, skin loading and the mask,
#     the same copies done by SDL_BlitSurface and memcpy, and the scaler
#     that fills a 3840 x 2160 screen)
#   - start to the first frame, headless and in a real window under Xvfb,
#     the window's against bench/sdl_baseline's (the least an SDL2 program
#     does to show a picture of that size in a window of that size), run
#     turn about
#   - peak resident memory, CPU used by a window that sits idle, the time
#     from a cursor key to the last picture of its move, and the CPU of one
#     present on a 3840 x 2160 screen of the program's own
# The program runs as a player starts it: no variables that choose its
# display or renderer.
# Usage: scripts/perf.sh [--quick]   (--quick: shorter runs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build-perf"
(cd "$root" && cmake --preset perf >/dev/null && cmake --build --preset perf -j"$(nproc)" >/dev/null)
bin="$build/kwadron"
baseline="$build/bench/sdl_baseline"

reps=3 min_time=0.3 runs=7 idle=10 keys=12
if [ "${1:-}" = "--quick" ]; then reps=1 min_time=0.05 runs=3 idle=3 keys=6; fi

tmp="$(mktemp -d)"
# A data folder of the run's own: the windows end by SIGTERM, which keeps
# their game, and each start begins a new one unless a kept game is put back.
export XDG_DATA_HOME="$tmp/xdg"
xvfb_pid=""
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

skin() { [ "$1" = 1 ] && echo progdir:grafika_aga2x || echo progdir:grafika_aga; }

# The median of numbers given one a line.
median() {
  sort -n | awk '{v[NR] = $1} END {if (NR == 0) print "n/a"; else printf "%.1f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

# ---- Benchmarks ---------------------------------------------------------------
echo "Running the benchmarks ($reps repetitions)..." >&2
"$build/bench/kwadron_bench" --benchmark_repetitions="$reps" --benchmark_min_time="$min_time" \
  --benchmark_report_aggregates_only=false --figures="$tmp/bench.txt" >"$tmp/bench.log" 2>&1 || {
  cat "$tmp/bench.log" >&2
  exit 1
}
fig() { awk -v k="$1" '$1 == k {printf "%.2f", $2; found = 1} END {if (!found) printf "n/a"}' "$tmp/bench.txt"; }

# ---- Headless: start to first frame, whole run, peak memory -------------------
# The headless display has no input script here, so the program closes its
# window as soon as it first waits: the run ends right after the first frame.
declare -A first_hl wall_hl rss_hl
for s in 0 1; do
  : >"$tmp/ff" && : >"$tmp/wall" && : >"$tmp/rss"
  for _ in $(seq "$runs"); do
    # Timed on its own; peak memory from a second run under /usr/bin/time.
    sk="$(skin $s)"
    t0=$EPOCHREALTIME
    KWADRON_TRACE_T0=$t0 KWADRON_DISPLAY=headless KWADRON_TRACE=1 "$bin" SKIN="$sk" >/dev/null 2>"$tmp/err"
    t1=$EPOCHREALTIME
    awk '$1 == "first-frame-us" {print $2 / 1000}' "$tmp/err" >>"$tmp/ff"
    echo "$t0 $t1" | awk '{print ($2 - $1) * 1000}' >>"$tmp/wall"
    KWADRON_DISPLAY=headless /usr/bin/time -f "maxrss %M" "$bin" SKIN="$sk" >/dev/null 2>"$tmp/err"
    awk '$1 == "maxrss" {print $2 / 1024}' "$tmp/err" >>"$tmp/rss"
  done
  first_hl[$s]=$(median <"$tmp/ff")
  wall_hl[$s]=$(median <"$tmp/wall")
  rss_hl[$s]=$(median <"$tmp/rss")
done

# ---- A kept game -----------------------------------------------------------------
# A game of 10,000 moves (each key pressed and let go; NEW GAME every 150,
# so that the moves move tiles), with and without five mouse moves a move,
# ended by SIGTERM so that it is kept: the journal's size.
# Its coming back is timed in a window (below).
declare -A first_kept journal_moves journal_mice
for s in 0 1; do
  sk="$(skin $s)"
  for mice in 0 5; do
    awk -v mice=$mice -v z=$((s + 1)) 'BEGIN {split("left up right down", k, " ");
      for (i = 0; i < 10000; ++i) {print "key " k[i % 4 + 1]; for (j = 0; j < mice; ++j) print "move " (i * 7 + j * 13) % 320 " " (i * 5 + j * 11) % 240
        if (i % 150 == 149) print "click " 58 * z " " 156 * z}
      print "signal term"}' >"$tmp/journey"
    rm -rf "$tmp/data"
    XDG_DATA_HOME="$tmp/data" KWADRON_DISPLAY=headless KWADRON_SCRIPT="$tmp/journey" "$bin" SKIN="$sk" >/dev/null 2>&1
    if [ $mice = 0 ]; then journal_moves[$s]=$(stat -c %s "$tmp/data/kwadron/game"); else journal_mice[$s]=$(stat -c %s "$tmp/data/kwadron/game"); fi
  done
  cp "$tmp/data/kwadron/game" "$tmp/kept$s"
done

# ---- Real windows under Xvfb ------------------------------------------------------
unset KWADRON_DISPLAY WAYLAND_DISPLAY SDL_RENDER_DRIVER SDL_VIDEODRIVER SDL_FRAMEBUFFER_ACCELERATION

# Starts an X server with one screen of the given size; sets DISPLAY.
start_x() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  [ -e "/tmp/.X11-unix/X$n" ]
}
stop_x() {
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
}

# User and system time of a process (all its threads) so far, in seconds.
cpu_s() {
  awk -v hz="$(getconf CLK_TCK)" '{sub(/^.*\) /, ""); print ($12 + $13) / hz}' "/proc/$1/stat"
}

# Starts the program (skin $1, more arguments after it) and waits for its
# first picture on the screen (up to 20 s). Its trace goes to $tmp/xerr.
start_window() {
  local s=$1
  shift
  [ -n "${kept:-}" ] && mkdir -p "$XDG_DATA_HOME/kwadron" && cp "$kept" "$XDG_DATA_HOME/kwadron/game" || rm -f "$XDG_DATA_HOME/kwadron/game"
  # Emptied first: the wait below must not find the last run's picture.
  : >"$tmp/xerr"
  KWADRON_TRACE_T0=$EPOCHREALTIME KWADRON_TRACE=1 "$bin" SKIN="$(skin "$s")" "$@" >/dev/null 2>"$tmp/xerr" &
  pid=$!
  for _ in $(seq 400); do
    grep -q '^present-us' "$tmp/xerr" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
stop_window() {
  if [ -n "$pid" ]; then
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  pid=""
}
# The first picture shown, in ms from the command's start.
first_picture() { awk '$1 == "present-us" {print $2 / 1000; exit}' "$tmp/xerr"; }

# Cursor keys to the program's window, half a second apart so that each
# move has ended before the next key.
send_keys() {
  local wid
  wid=$(xdotool search --pid "$pid" 2>/dev/null | tail -1)
  [ -n "$wid" ] || return 1
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  local k=(Left Up Right Down)
  [ $# -gt 1 ] && k=("$2")
  for i in $(seq 0 $(($1 - 1))); do
    xdotool key "${k[$((i % ${#k[@]}))]}"
    sleep 0.5
  done
}

# From a trace: for each key that was followed by pictures, the time from
# the key to the last of them before the next key, in ms.
key_to_last_picture() {
  awk '$1 == "key-us" {if (k && last) print (last - k) / 1000; k = $2; last = 0}
       $1 == "present-us" && k {last = $2}
       END {if (k && last) print (last - k) / 1000}' "$tmp/xerr"
}
# The pictures after each key, one count a line.
pictures_per_key() {
  awk '$1 == "key-us" {if (k) print n; k = 1; n = 0} $1 == "present-us" && k {n++} END {if (k) print n}' "$tmp/xerr"
}
# CPU of each present after the first key, in ms.
present_cpu() {
  awk '$1 == "key-us" {k = 1} $1 == "present-us" && k {print $4 / 1000}' "$tmp/xerr"
}

slide_x=n/a slide_n=n/a
declare -A first_x base_x ratio_x size_x rss_x idle_x key_x per_key_x cpu_w cpu_fs rss_fs
for s in 0 1; do
  first_x[$s]=n/a first_kept[$s]=n/a base_x[$s]=n/a ratio_x[$s]=n/a size_x[$s]=n/a rss_x[$s]=n/a idle_x[$s]=n/a
  key_x[$s]=n/a per_key_x[$s]=n/a cpu_w[$s]=n/a cpu_fs[$s]=n/a rss_fs[$s]=n/a
done

if start_x 1920x1080; then
  for s in 0 1; do
    # The window's size, for a baseline of the same size and picture.
    picture=$([ "$s" = 1 ] && echo 640x480 || echo 320x240)
    size=1280x960
    if start_window "$s"; then
      wid=$(xdotool search --pid "$pid" 2>/dev/null | tail -1)
      g=$(xdotool getwindowgeometry "$wid" 2>/dev/null | awk '$1 == "Geometry:" {print $2}')
      [ -n "$g" ] && size=$g
    fi
    stop_window
    size_x[$s]=$size
    : >"$tmp/ff" && : >"$tmp/base"
    for _ in $(seq "$runs"); do
      if start_window "$s"; then first_picture >>"$tmp/ff"; fi
      stop_window
      KWADRON_TRACE_T0=$EPOCHREALTIME KWADRON_TRACE=1 "$baseline" --surface --window "$size" \
        --picture "$picture" >/dev/null 2>"$tmp/berr" || true
      awk '$1 == "first-frame-us" {print $2 / 1000}' "$tmp/berr" >>"$tmp/base"
    done
    first_x[$s]=$(median <"$tmp/ff")
    base_x[$s]=$(median <"$tmp/base")
    : >"$tmp/kf"
    for _ in $(seq "$runs"); do
      if kept="$tmp/kept$s" start_window "$s"; then first_picture >>"$tmp/kf"; fi
      stop_window
    done
    first_kept[$s]=$(median <"$tmp/kf")
    ratio_x[$s]=$(awk -v a="${first_x[$s]}" -v b="${base_x[$s]}" 'BEGIN {if (b + 0 > 0 && a + 0 > 0) printf "%.2f", a / b; else print "n/a"}')
    # Idle: settle for a second after the first picture, then measure; then
    # play a few moves. Peak memory at the end, all of it counted.
    if start_window "$s"; then
      sleep 1
      c0=$(cpu_s "$pid") t0=$EPOCHREALTIME
      sleep "$idle"
      c1=$(cpu_s "$pid") t1=$EPOCHREALTIME
      idle_x[$s]=$(awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" \
        'BEGIN {printf "%.2f", (c1 - c0) / (t1 - t0) * 100}')
      send_keys "$keys" || true
      rss_x[$s]=$(awk '$1 == "VmHWM:" {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
      key_x[$s]=$(key_to_last_picture | median)
      per_key_x[$s]=$(pictures_per_key | sort -n | tail -1)
      cpu_w[$s]=$(present_cpu | median)
    fi
    stop_window
  done
  # A slide of three redraws: started at a fixed time, the first two tiles
  # are 2s in the top row two cells apart, and Right moves the first to the
  # edge, the second beside it, then merges them.
  fake=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -1)
  if [ -n "$fake" ]; then
    : >"$tmp/slide" && : >"$tmp/slide_n"
    for _ in $(seq "$runs"); do
      KWADRON_TRACE=1 LD_PRELOAD="$fake" FAKETIME="@2026-01-01 00:00:00" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        "$bin" >/dev/null 2>"$tmp/xerr" &
      pid=$!
      for _ in $(seq 400); do grep -q '^present-us' "$tmp/xerr" && break; sleep 0.05; done
      sleep 0.3
      send_keys 1 Right || true
      key_to_last_picture >>"$tmp/slide"
      pictures_per_key >>"$tmp/slide_n"
      stop_window
    done
    slide_x=$(median <"$tmp/slide")
    slide_n=$(sort -n "$tmp/slide_n" | tail -1)
  fi
  stop_x
else
  echo "Xvfb did not start: no figures in a window" >&2
fi

# The program's own screen, fullscreen on a 3840 x 2160 display.
if start_x 3840x2160; then
  for s in 0 1; do
    if start_window "$s" SCREEN; then
      sleep 1
      send_keys "$keys" || true
      cpu_fs[$s]=$(present_cpu | median)
      rss_fs[$s]=$(awk '$1 == "VmHWM:" {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
    fi
    stop_window
  done
  stop_x
else
  echo "Xvfb did not start at 3840x2160: no fullscreen figures" >&2
fi

# ---- The table --------------------------------------------------------------------
cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
echo
echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores, Linux $(uname -r)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
row() { printf '| %-52s | %5s | %10s | %-10s |\n' "$@"; }
row "figure" "scale" "value" "target"
row "----------------------------------------------------" "-----" "----------" "----------"
for s in 0 1; do
  row "turn from the key message, us" "$s" "$(fig turn/${s}_us)" ""
  row "  same copies with SDL_BlitSurface, us" "$s" "$(fig turn_sdl/${s}_us)" ""
  row "  same copies with memcpy per row, us" "$s" "$(fig turn_memcpy/${s}_us)" ""
  row "  turn / SDL_BlitSurface" "$s" "$(fig turn/${s}_per_sdl)" "<= 1.5"
  row "  turn / memcpy" "$s" "$(fig turn/${s}_per_memcpy)" ""
done
for s in 0 1; do
  row "Gfx_Start_Cyfr (16 cells), us" "$s" "$(fig cells/${s}_us)" ""
  row "  same copies with SDL_BlitSurface, us" "$s" "$(fig cells_sdl/${s}_us)" ""
  row "  same copies with memcpy per row, us" "$s" "$(fig cells_memcpy/${s}_us)" ""
  row "  Gfx_Start_Cyfr / SDL_BlitSurface" "$s" "$(fig cells/${s}_per_sdl)" ""
done
for s in 0 1; do
  row "skin load + layout + mask, ms" "$s" "$(fig load/${s}_ms)" ""
  row "  per pixel, ns" "$s" "$(fig load/${s}_ns_per_px)" ""
  row "mask alone, ns per pixel" "$s" "$(fig mask/${s}_ns_per_px)" "<= 2"
done
row "scaler: 320x240 at 9x into 3840x2160, ms" "0" "$(fig scale/0_ms)" ""
row "  the same from pens" "0" "$(fig scale/1_ms)" ""
for s in 0 1; do
  row "start to first frame, headless, ms" "$s" "${first_hl[$s]}" "$([ $s = 1 ] && echo '< 50')"
  row "whole headless run (start to exit), ms" "$s" "${wall_hl[$s]}" ""
  row "peak resident memory, headless, MB" "$s" "${rss_hl[$s]}" ""
  row "kept game's journal, bytes a move (key down and up)" "$s" "$(awk -v a="${journal_moves[$s]}" 'BEGIN {printf "%.2f", a / 10000}')" ""
  row "  bytes a mouse move" "$s" "$(awk -v a="${journal_moves[$s]}" -v b="${journal_mice[$s]}" 'BEGIN {printf "%.2f", (b - a) / 50000}')" ""
done
for s in 0 1; do
  row "Xvfb window (${size_x[$s]} on 1920x1080):" "$s" "" ""
  row "  start to first picture, ms" "$s" "${first_x[$s]}" ""
  row "  sdl_baseline, same window and picture, ms" "$s" "${base_x[$s]}" ""
  row "  start to first picture / sdl_baseline" "$s" "${ratio_x[$s]}" "<= 1.3"
  row "  a kept game of 10,000 moves coming back, ms" "$s" "${first_kept[$s]}" ""
  row "    / a new game's first picture" "$s" "$(awk -v a="${first_kept[$s]}" -v b="${first_x[$s]}" 'BEGIN {if (b + 0 > 0 && a + 0 > 0) printf "%.2f", a / b; else print "n/a"}')" "<= 2"
  row "  peak resident memory, MB" "$s" "${rss_x[$s]}" "< 40"
  row "  CPU while idle for ${idle} s, % of a core" "$s" "${idle_x[$s]}" "< 0.5"
  row "  key to the last picture of its move, ms" "$s" "${key_x[$s]}" ""
  row "  pictures after one key, at most" "$s" "${per_key_x[$s]}" ""
  row "  CPU of one present, ms" "$s" "${cpu_w[$s]}" ""
done
row "  three-redraw slide: key to its last picture, ms" "0" "$slide_x" ""
row "  three-redraw slide: pictures after the key" "0" "$slide_n" ""
for s in 0 1; do
  row "own screen, fullscreen 3840x2160:" "$s" "" ""
  row "  CPU of one present, ms" "$s" "${cpu_fs[$s]}" "< 8"
  row "  peak resident memory, MB" "$s" "${rss_fs[$s]}" ""
done
echo
echo "Start to first frame, headless: from the moment the shell starts the command"
echo "(the process's loading included) to the program's first wait for input (median"
echo "of $runs runs); the whole headless run adds the program's exit. In a window: to"
echo "just after the first present, and the same for sdl_baseline (a window of the"
echo "same size, the picture scaled into its surface, one update), the two started"
echo "turn about, median of $runs each. Key to the last picture: from a cursor key"
echo "going down to the last present before the next key (median of $keys keys, half a"
echo "second apart). CPU of one present: the process's CPU time, all threads, over"
echo "the present (median of those after the first key). Benchmarks: real time, the"
echo "fastest of $reps runs."
