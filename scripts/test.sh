#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   scripts/test.sh             the normal build, in build-test/, then the
#                               browser edition (build-web/) in headless Chromium
#   scripts/test.sh --sanitize  with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.." && scripts/deps.sh
export CMAKE_BUILD_PARALLEL_LEVEL="$(nproc)" CTEST_PARALLEL_LEVEL="$(nproc)"
cmake --workflow --preset "$([ "${1:-}" = --sanitize ] && echo asan || echo default)"
[ "${1:-}" = --sanitize ] && exit 0

# The browser edition's pictures against the desktop build's, in Debian's
# Chromium driven by playwright-core (pinned by its lockfile; it downloads
# no browser).
scripts/web.sh --build
scripts/chromium.sh
node tests/web/browser_test.mjs build-web/site build-test
