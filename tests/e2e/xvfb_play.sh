#!/usr/bin/env bash
# Plays the real program in a real X window and takes screenshots: 0.png at
# the start, then one after each cursor key, Up Down Left Right (1.png to
# 4.png), then after a drag up and a drag left on the board (5.png, 6.png),
# newgame.png after a click on the new-game button; Esc ends it and its
# return code goes to rc. The program starts at the time given, so its
# tiles are always the same.
# Run under xvfb-run:  xvfb_play.sh PROGRAM_DIR OUT_DIR TIME
set -u
prog=$1
out=$2
time=$3
. "$(dirname "$0")/window.sh"
start_game_at "$time" "$prog/kwadron"
sleep 1
shot() { import -window "$wid" "$out/$1.png"; }
shot 0
n=0
for key in Up Down Left Right; do
  n=$((n + 1))
  xdotool key --window "$wid" "$key"
  sleep 0.4
  shot "$n"
done

eval "$(xdotool getwindowgeometry --shell "$wid")"
zoom=$((WIDTH / 320))
# A drag from (x0, y0) to (x1, y1) of the game's pixels.
drag() {
  xdotool mousemove --window "$wid" $(($1 * zoom)) $(($2 * zoom)) mousedown 1
  sleep 0.1
  xdotool mousemove --window "$wid" $(($3 * zoom)) $(($4 * zoom))
  sleep 0.1
  xdotool mouseup 1
  sleep 0.4
}
drag 208 140 208 110
shot 5
drag 230 125 200 125
shot 6

xdotool mousemove --window "$wid" $(((23 + 35) * zoom)) $(((149 + 7) * zoom))
sleep 0.2
xdotool click 1
sleep 0.5
shot newgame

end_game
