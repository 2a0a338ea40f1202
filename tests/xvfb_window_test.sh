#!/bin/sh
# Runs the program in a real window under Xvfb, plays two moves with
# xdotool, quits with Esc, and checks the window's last picture and a
# screenshot of the display. Usage: xvfb_window_test.sh path/to/kwadron
# Needs xvfb-run (with xauth), xdotool and ImageMagick's import.
set -eu
prog=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if [ -z "${KWADRON_IN_XVFB:-}" ]; then
    KWADRON_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi

cd "$out"
SDL_RENDER_DRIVER=software KWADRON_DISPLAY=sdl KWADRON_SNAPSHOT="$out/last.png" "$prog" >"$out/log" 2>&1 &
pid=$!
win=$(xdotool search --sync --pid "$pid" | head -n 1)
xdotool windowfocus --sync "$win"
xdotool key Left
xdotool key Up
sleep 0.5
# A 320 x 240 game on a 1920 x 1080 desktop opens three times as large.
geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
import -window root "$out/screen.png"
xdotool key Escape
wait "$pid"
status=0
[ "$geometry" = "960x720" ] || { echo "window is $geometry, not 960x720"; status=1; }
[ -s "$out/last.png" ] || { echo "no picture written at close"; status=1; }
[ -s "$out/screen.png" ] || { echo "no screenshot"; status=1; }
[ ! -s "$out/log" ] || { echo "program said:"; cat "$out/log"; }
exit $status
