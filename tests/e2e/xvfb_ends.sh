#!/usr/bin/env bash
# Ends a game in a real X window, each time with a new best on its counter:
# SIGHUP, SIGINT, SIGTERM; its X server killed; the game stopped, its X
# server killed and SIGTERM sent, then continued, so that both come at the
# same instant (three times: TERMX1 to TERMX3); its X server killed during
# a slide (SLIDEX). Each on an X server of its own, with a fixed clock so
# that the same tiles come; for each CASE: OUT_DIR/CASE/before.png (the
# window just before), rc and score. Then the program is started again on a
# new X server, at another time: again.png, its window, and after Esc
# there, "kept" when a kept game was left.
#   xvfb_ends.sh PROGRAM_DIR OUT_DIR
set -u
# Job control, so that the game in the background does not start with
# SIGINT ignored, as a script's background commands otherwise do.
set -m
prog=$1
base=$2
. "$(dirname "$0")/window.sh"
export XDG_DATA_HOME="$base/data" FAKETIME_DONT_FAKE_MONOTONIC=1
export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
# The clock's library itself, not the faketime command, which would get the signals.
faketime_lib=$(dpkg -L libfaketime | grep '/libfaketime.so.1$')
xpid=
trap 'kill $xpid 2>/dev/null' EXIT
new_x() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/display" >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 50); do [ -s "$out/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$out/display")"
}
for case in HUP INT TERM X TERMX1 TERMX2 TERMX3 SLIDEX; do
  out=$base/$case
  mkdir -p "$out"
  rm -f "$prog/score" "$XDG_DATA_HOME/kwadron/game"
  new_x
  start_game env LD_PRELOAD="$faketime_lib" FAKETIME="2026-01-01 00:00:00" "$prog/kwadron"
  for key in Left Up Left Up Left Up; do
    xdotool key --window "$wid" "$key"
    sleep 0.2
  done
  sleep 0.3
  import -window "$wid" "$out/before.png"
  case $case in
    X) kill "$xpid" ;;
    TERMX*) kill -STOP "$pid"; kill "$xpid"; wait "$xpid" 2>/dev/null; kill -TERM "$pid"; kill -CONT "$pid" ;;
    SLIDEX) xdotool key --window "$wid" Left; kill "$xpid" ;;
    *) kill -"$case" "$pid" ;;
  esac
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid"
  echo $? >"$out/rc"
  cp "$prog/score" "$out/score" 2>/dev/null
  kill "$xpid" 2>/dev/null
  wait "$xpid" 2>/dev/null
  new_x
  start_game env LD_PRELOAD="$faketime_lib" FAKETIME="2026-02-01 00:00:00" KWADRON_TRACE=1 "$prog/kwadron"
  # Until its first picture is shown.
  for _ in $(seq 100); do grep -q '^present-us' "$out/stderr" && break; sleep 0.1; done
  sleep 0.3
  import -window "$wid" "$out/again.png"
  xdotool key --window "$wid" Escape
  wait "$pid"
  [ -e "$XDG_DATA_HOME/kwadron/game" ] && touch "$out/kept"
  kill "$xpid" 2>/dev/null
  wait "$xpid" 2>/dev/null
done
exit 0
