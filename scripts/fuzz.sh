#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour
# sanitizers) in build-fuzz/ and runs each for a while.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   default 60 seconds, every target
# Corpora grow in build-fuzz/corpus/<target>; a crash leaves its input in
# build-fuzz/artifacts/ and makes the script fail.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(args score picture input keep)

"$root/scripts/deps.sh"
dir="$root/build-fuzz"
(cd "$root" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"$(nproc)")

# Starting points: the odd inputs kept in fuzz/corpus/<target>, the shipped
# skins, a few score lines and command lines.
seed() {
  local c="$dir/corpus/$1"
  mkdir -p "$c"
  [ -d "$root/fuzz/corpus/$1" ] && cp "$root/fuzz/corpus/$1"/* "$c/"
  case "$1" in
    picture) cp "$root/skins/grafika_aga" "$c/skin_normal"
             cp "$root/skins/grafika_aga2x" "$c/skin_double" ;;
    score) printf '1234\n' >"$c/plain"; printf '  -56abc' >"$c/signed"; : >"$c/empty" ;;
    args) printf 'SKIN=progdir:grafika_aga SCREEN\n' >"$c/both"; printf 'skin "a b" ?\n' >"$c/quoted" ;;
    input) head -c 600 /dev/urandom >"$c/random" ;;
  esac
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
mkdir -p "$dir/artifacts"
failed=0
summary=()
for t in "${targets[@]}"; do
  seed "$t"
  max_len=4096
  [ "$t" = picture ] && max_len=65536
  log="$dir/fuzz_$t.log"
  echo "== fuzz_$t for ${seconds}s"
  if "$dir/fuzz/fuzz_$t" "$dir/corpus/$t" -max_total_time="$seconds" -max_len="$max_len" \
       -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$dir/artifacts/$t-" \
       >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed=1
    tail -40 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  corp=$(find "$dir/corpus/$t" -type f | wc -l)
  summary+=("$(printf '%-8s %-6s executions %-10s coverage %-6s features %-6s corpus %s' \
    "$t" "$status" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$corp")")
done
printf '%s\n' "${summary[@]}"
exit $failed
