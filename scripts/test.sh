#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   scripts/test.sh             the normal build, in build-test/, then the
#                               browser edition (build-web/) in headless
#                               Chromium and Firefox ESR
#   scripts/test.sh --sanitize  with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.." && scripts/deps.sh
# The browsers and puppeteer-core (pinned by its lockfile; it downloads no
# browser) first, so that a Node.js too old for it is told before the build.
[ "${1:-}" = --sanitize ] || scripts/browsers.sh
export CMAKE_BUILD_PARALLEL_LEVEL="$(nproc)" CTEST_PARALLEL_LEVEL="$(nproc)"
cmake --workflow --preset "$([ "${1:-}" = --sanitize ] && echo asan || echo default)"
[ "${1:-}" = --sanitize ] && exit 0

# The browser edition's pictures against the desktop build's, in each browser.
scripts/web.sh --build
failed=()
for engine in chromium firefox; do
  echo "== The browser tests in $engine"
  node tests/web/browser_test.mjs build-web/site build-test "$engine" || failed+=("$engine")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "The browser tests failed in: ${failed[*]}" >&2
  exit 1
fi
echo "The browser tests passed in: chromium firefox"
