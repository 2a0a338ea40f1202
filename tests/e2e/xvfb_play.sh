#!/usr/bin/env bash
# Plays the real program in a real X window and takes screenshots: 0.png at
# the start, then one after each cursor key, Up Down Left Right (1.png to
# 4.png), newgame.png after a click on the new-game button; Esc ends it and
# its return code goes to rc. The program starts at the time given, so its
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
xdotool mousemove --window "$wid" $(((23 + 35) * zoom)) $(((149 + 7) * zoom))
sleep 0.2
xdotool click 1
sleep 0.5
shot newgame

end_game
