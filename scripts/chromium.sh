#!/usr/bin/env bash
# Installs what driving the browser edition in a browser needs, when it is
# missing: Debian's Chromium, npm, and playwright-core at the version that
# tests/web/package-lock.json pins (it downloads no browser).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" chromium $(command -v npm >/dev/null || echo npm)
cd "$root/tests/web"
[ node_modules/.package-lock.json -nt package-lock.json ] ||
  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund
