#!/usr/bin/env bash
# Plays the real program in a real X window and takes screenshots:
# start.png, then one after each cursor key (key1.png ...), newgame.png after
# a click on the new-game button; Esc ends it and its return code goes to rc.
# Run under xvfb-run:  xvfb_play.sh PROGRAM_DIR OUT_DIR
set -u
prog=$1
out=$2
# The desktop's own libraries (D-Bus, X modules) keep memory to the end; in a
# sanitizer build their leaks are not ours to report. The game's own resources
# are checked by the headless runs.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

"$prog/kwadron" >"$out/stdout" 2>"$out/stderr" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kwadron$' 2>/dev/null | head -1)
if [ -z "$wid" ]; then
  echo "no window" >"$out/error"
  kill "$pid" 2>/dev/null
  exit 1
fi
xdotool windowfocus --sync "$wid" 2>/dev/null || true
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

xdotool key --window "$wid" Escape
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "still running after Esc" >"$out/error"
  kill "$pid"
fi
wait "$pid"
echo $? >"$out/rc"
