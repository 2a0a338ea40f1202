#!/usr/bin/env bash
# Measures how much the test suite catches: changes the game's code (app/,
# rules/, gfx/, platform/) and the host's (host/src/) one small thing at a
# time, rebuilds, runs the tests and reports which changes were caught.
#   scripts/mutate.sh [COUNT] [DIR] [FOLDERS]   default 30 changes, in build-mutate/,
#                                               over "app rules gfx platform host/src"
# The changes: a comparison turned (== and !=, < and <=, > and >=), an
# integer constant off by one, a call or an assignment dropped. Every line
# of those folders that allows one is a site; COUNT sites are picked evenly
# spaced over the sorted list of each kind, so the same code always gives
# the same list. The work is done on a copy of the tracked files in DIR.
# The slow runs (the soak and the runs under Xvfb) are left out; a change
# the tests do not notice within 300 seconds counts as caught.
# A change that does not compile is reported and not counted. Not part of CI.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
count="${1:-30}"
work="${2:-$root/build-mutate}"
folders="${3:-app rules gfx platform host/src}"
src="$work/src"
build="$work/build"
skip='Soak|Xvfb'

rm -rf "$src"
mkdir -p "$src"
(cd "$root" && git ls-files -z | xargs -0 cp --parents -t "$src")
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

suite() {
  cmake --build "$build" -j2 >"$work/build.log" 2>&1 || return 2
  local status=0
  (cd "$build" && timeout 300 ctest -j2 --stop-on-failure -E "$skip" </dev/null >"$work/ctest.log" 2>&1) || status=1
  # A change that makes a test loop for ever outlives the ctest it stops.
  pkill -f "$build/tests/kwadron_tests" || true
  return $status
}

echo "== the unchanged code"
if ! suite; then
  echo "the suite fails on the unchanged code; see $work" >&2
  exit 1
fi

# The list of changes: file, line number, new text of the line.
python3 - "$src" "$count" $folders >"$work/sites.tsv" <<'EOF'
import os, re, sys
src, count, folders = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
swap = {'==': '!=', '!=': '==', '<=': '<', '<': '<=', '>=': '>', '>': '>='}
cmp_re = re.compile(r' (==|!=|<=|>=|<|>) ')
num_re = re.compile(r'(?<![\w.])(\d+)(?![\w.])')
stmt_re = re.compile(r'^(\s*)(?!return\b|if\b|else\b|case\b|delete\b)'
                     r'[A-Za-z_][\w.:>\[\]-]*(\(.*\)|\s*[-+|&]?=\s*[^=].*);\s*$')
kinds = {'compare': [], 'constant': [], 'drop': []}
files = []
# The browser edition's own files are not in the build the suite tests.
browser_only = re.compile(r'/emscripten/')
for d in folders:
    for base, _, names in os.walk(os.path.join(src, d)):
        files += [os.path.join(base, n) for n in names
                  if n.endswith(('.cpp', '.h')) and not browser_only.search(os.path.join(base, n))]
for path in sorted(files):
    rel = os.path.relpath(path, src)
    for no, line in enumerate(open(path, encoding='latin-1'), 1):
        text = line.rstrip('\n')
        code = text.split('//')[0]
        s = code.strip()
        if not s or s.startswith(('#', '*', '/*')) or '"' in code:
            continue
        m = cmp_re.search(code)
        if m:
            kinds['compare'].append((rel, no, text[:m.start(1)] + swap[m.group(1)] + text[m.end(1):]))
        m = num_re.search(code)
        if m and not re.search(r'\[\s*\d+\s*\]\s*[;={]', code):
            kinds['constant'].append((rel, no, text[:m.start(1)] + str(int(m.group(1)) + 1) + text[m.end(1):]))
        m = stmt_re.match(code)
        if m and code.count('(') == code.count(')') and '{' not in code and '}' not in code:
            kinds['drop'].append((rel, no, m.group(1) + ';'))
picked = []
for i, kind in enumerate(('compare', 'constant', 'drop')):
    sites = kinds[kind]
    n = count // 3 + (1 if i < count % 3 else 0)
    n = min(n, len(sites))
    for j in range(n):
        picked.append((kind,) + sites[(j * len(sites)) // n + len(sites) // (2 * n)])
for kind, rel, no, text in picked:
    print('\t'.join((kind, rel, str(no), text)))
EOF

caught=0
survived=0
broken=0
survivors=()
# The list is read on its own descriptor: a test that reads standard input
# must not take the lines of the list.
while IFS=$'\t' read -r -u 3 kind file line text; do
  cp "$src/$file" "$work/original"
  TEXT="$text" LINE="$line" python3 -c '
import os, sys
p = sys.argv[1]
lines = open(p, encoding="latin-1").read().split("\n")
lines[int(os.environ["LINE"]) - 1] = os.environ["TEXT"]
open(p, "w", encoding="latin-1").write("\n".join(lines))' "$src/$file"
  status=0
  suite || status=$?
  case $status in
    0) survived=$((survived + 1)); result=SURVIVED; survivors+=("$file:$line [$kind] $text") ;;
    1) caught=$((caught + 1)); result=caught ;;
    *) broken=$((broken + 1)); result="does not compile" ;;
  esac
  printf '%-16s %-9s %s:%s  %s\n' "$result" "$kind" "$file" "$line" "$(echo "$text" | sed 's/^ *//')"
  cp "$work/original" "$src/$file"
done 3<"$work/sites.tsv"
cmake --build "$build" -j2 >/dev/null 2>&1 || true

echo
echo "caught $caught of $((caught + survived)) changes that compile ($broken did not compile)"
if [ ${#survivors[@]} -gt 0 ]; then
  echo "survivors:"
  printf '  %s\n' "${survivors[@]}"
fi
