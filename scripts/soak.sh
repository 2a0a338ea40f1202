#!/usr/bin/env bash
# Long runs under the address and undefined-behaviour sanitizers, in
# build-asan/ (the build of scripts/test.sh --sanitize):
#   scripts/soak.sh [MESSAGES]   default 1000000 messages
# Random play through the event loop, checked message by message against a
# model of the moves.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
messages="${1:-1000000}"

"$root/scripts/deps.sh"
dir="$root/build-asan"
(cd "$root" && cmake --preset asan >/dev/null && cmake --build --preset asan -j"$(nproc)" --target kwadron_tests)
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

run() {
  local filter="$1" log
  log="$(mktemp)"
  if ! "$dir/tests/kwadron_tests" --gtest_filter="$filter" >"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    exit 1
  fi
  grep -E '^soak' "$log" || true
  rm -f "$log"
}

echo "== $messages messages of random play"
KWADRON_SOAK_MESSAGES="$messages" run 'Soak.*'
