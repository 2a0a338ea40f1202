#!/usr/bin/env bash
# Builds the program and the benchmarks (Release) and prints every
# performance figure in one table, with the machine it ran on:
#   - the benchmarks (a turn, the board redraw, skin loading and the mask,
#     and the same copies done by SDL_BlitSurface and memcpy)
#   - start to the first frame, headless and in a real window under Xvfb
#   - peak resident memory, and CPU used by a window that sits idle
# Usage: scripts/perf.sh [--quick]   (--quick: shorter benchmark runs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"

build="$root/build-perf"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKWADRON_BENCH=ON -DKWADRON_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kwadron kwadron_bench >/dev/null
bin="$build/kwadron"

reps=3 min_time=0.3 runs=7 idle=10
if [ "${1:-}" = "--quick" ]; then reps=1 min_time=0.05 runs=3 idle=3; fi

tmp="$(mktemp -d)"
xvfb_pid=""
cleanup() {
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

# ---- A real window under Xvfb ---------------------------------------------------
declare -A first_x rss_x idle_x
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n" SDL_RENDER_DRIVER=software
unset KWADRON_DISPLAY WAYLAND_DISPLAY

# User and system time of a process (all its threads) so far, in seconds.
cpu_s() {
  awk -v hz="$(getconf CLK_TCK)" '{sub(/^.*\) /, ""); print ($12 + $13) / hz}' "/proc/$1/stat"
}

# Starts the program in a window; waits for its first frame (up to 10 s).
start_window() {
  KWADRON_TRACE_T0=$EPOCHREALTIME KWADRON_TRACE=1 "$bin" SKIN="$(skin "$1")" >/dev/null 2>"$tmp/xerr" &
  pid=$!
  for _ in $(seq 200); do
    grep -q '^first-frame-us' "$tmp/xerr" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
stop_window() {
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

if [ -e "/tmp/.X11-unix/X$n" ]; then
  for s in 0 1; do
    : >"$tmp/ff"
    for _ in $(seq "$runs"); do
      if start_window "$s"; then
        awk '$1 == "first-frame-us" {print $2 / 1000}' "$tmp/xerr" >>"$tmp/ff"
      fi
      stop_window
    done
    first_x[$s]=$(median <"$tmp/ff")
    # Idle: settle for a second after the first frame, then measure.
    rss_x[$s]=n/a idle_x[$s]=n/a
    if start_window "$s"; then
      sleep 1
      c0=$(cpu_s "$pid") t0=$EPOCHREALTIME
      sleep "$idle"
      c1=$(cpu_s "$pid") t1=$EPOCHREALTIME
      idle_x[$s]=$(awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" \
        'BEGIN {printf "%.2f", (c1 - c0) / (t1 - t0) * 100}')
      rss_x[$s]=$(awk '$1 == "VmHWM:" {printf "%.1f", $2 / 1024}' "/proc/$pid/status")
    fi
    stop_window
  done
else
  echo "Xvfb did not start: no figures in a real window" >&2
  first_x=([0]=n/a [1]=n/a) rss_x=([0]=n/a [1]=n/a) idle_x=([0]=n/a [1]=n/a)
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
for s in 0 1; do
  row "start to first frame, headless, ms" "$s" "${first_hl[$s]}" "$([ $s = 1 ] && echo '< 50')"
  row "whole headless run (start to exit), ms" "$s" "${wall_hl[$s]}" ""
  row "peak resident memory, headless, MB" "$s" "${rss_hl[$s]}" ""
done
for s in 0 1; do
  row "start to first frame, Xvfb window, ms" "$s" "${first_x[$s]}" ""
  row "peak resident memory, Xvfb window, MB" "$s" "${rss_x[$s]}" "< 40"
  row "CPU while idle for ${idle} s, Xvfb window, % of a core" "$s" "${idle_x[$s]}" "< 0.5"
done
echo
echo "Start to first frame: from the moment the shell starts the command (the"
echo "process's loading included) to the program's first wait for input, when the"
echo "display shows the frame (median of $runs runs); the whole headless run adds"
echo "the program's exit. Benchmarks: real time, the fastest of $reps runs."
