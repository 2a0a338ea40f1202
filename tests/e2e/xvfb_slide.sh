#!/usr/bin/env bash
# Records one slide in a real X window: the program starts at a fixed time
# (so its first two tiles are always the same: a 2 in the first and third
# cells of the top row), the top row is recorded with ffmpeg while Right is
# pressed, and every recorded frame goes to OUT_DIR/frame-NNNN.png; zoom
# gets the window's zoom. Run under xvfb-run:  xvfb_slide.sh PROGRAM_DIR OUT_DIR
set -u
prog=$1
out=$2
. "$(dirname "$0")/window.sh"
start_game_at "2026-01-01 00:00:00" "$prog/kwadron"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
zoom=$((WIDTH / 320))
echo "$zoom" >"$out/zoom"
# The top row of the board, recorded at twice the display's refresh.
# On a loaded machine x11grab can fall behind and never reach its end: it
# is stopped after a few seconds (SIGINT lets it finish its files).
timeout -s INT -k 2 6 ffmpeg -nostdin -loglevel error -f x11grab -framerate 120 -video_size $((156 * zoom))x$((39 * zoom)) \
  -i "$DISPLAY+$((X + 131 * zoom)),$((Y + 48 * zoom))" -t 1.5 "$out/frame-%04d.png" &
rec=$!
sleep 0.5
xdotool key --window "$wid" Right
wait "$rec"
end_game
exit 0
