# Shared by the real-window scripts (sourced): starting the program, finding
# its window, and ending it with Esc. Needs $out (the output folder).

# The desktop's own libraries (D-Bus, X modules) keep memory to the end; in a
# sanitizer build their leaks are not ours to report. The game's own resources
# are checked by the headless runs.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Starts the command in the background and waits for its window: $pid and
# $wid, focused. Without a window within 20 s: out/error and exit 1.
start_game() {
  "$@" >"$out/stdout" 2>"$out/stderr" &
  pid=$!
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kwadron$' 2>/dev/null | head -1)
  if [ -z "$wid" ]; then
    echo "no window" >"$out/error"
    kill "$pid" 2>/dev/null
    exit 1
  fi
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
}

# start_game with the clock starting at TIME (libfaketime): the program
# seeds its tiles with the time, so they are always the same.
start_game_at() {
  local time=$1
  shift
  export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
  start_game env FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@$time" "$@"
}

# Presses Esc and waits up to 5 s for the end; its return code goes to
# out/rc. Still running: out/error, and it is killed.
end_game() {
  xdotool key --window "$wid" Escape 2>/dev/null
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
}
