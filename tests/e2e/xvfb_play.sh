#!/usr/bin/env bash
# Plays the real program in a real X window and takes screenshots:
# start.png, then one after each cursor key (key1.png ...), newgame.png after
# a click on the new-game button; Esc ends it and its return code goes to rc.
# Run under xvfb-run:  xvfb_play.sh PROGRAM_DIR OUT_DIR
set -u
prog=$1
out=$2
. "$(dirname "$0")/window.sh"
start_game "$prog/kwadron"
sleep 1
shot() { import -window "$wid" "$out/$1.png"; }
shot start
n=0
for key in Left Up Right Down Left; do
  n=$((n + 1))
  xdotool key --window "$wid" "$key"
  sleep 0.4
  shot "key$n"
done

eval "$(xdotool getwindowgeometry --shell "$wid")"
zoom=$((WIDTH / 320))
xdotool mousemove --window "$wid" $(((23 + 35) * zoom)) $(((149 + 7) * zoom))
sleep 0.2
xdotool click 1
sleep 0.5
shot newgame

end_game
