#!/usr/bin/env bash
# Runs the program with ARGS until its window shows, writes the window's
# geometry and name to OUT.geom and OUT.name, presses F11 KEYS times (a
# screenshot of the whole display after each, OUT.N.png), then ends it.
# Run under xvfb-run:  xvfb_window.sh PROGRAM OUT KEYS [ARGS...]
set -u
prog=$1 out=$2 keys=$3
shift 3
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$prog" "$@" >"$out.stdout" 2>"$out.stderr" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --classname '^kwadron$' 2>/dev/null | head -1)
if [ -z "$wid" ]; then kill "$pid" 2>/dev/null; wait "$pid"; exit 1; fi
sleep 0.5
xdotool getwindowgeometry --shell "$wid" >"$out.geom"
xdotool getwindowname "$wid" >"$out.name"
for n in $(seq "$keys"); do
  xdotool key --window "$wid" F11
  sleep 0.7
  import -window root "$out.$n.png"
done
kill "$pid" 2>/dev/null
wait "$pid"
exit 0
