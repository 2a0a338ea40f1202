#!/usr/bin/env bash
# Installs what driving the browser edition in browsers needs, when it is
# missing: Debian's Chromium and Firefox ESR, npm, and puppeteer-core at the
# version that tests/web/package-lock.json pins (it downloads no browser).
# Stops, before npm runs, when this Node.js is older than a pinned package
# says it needs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" chromium firefox-esr $(command -v npm >/dev/null || echo npm)
cd "$root/tests/web"

# The lowest version each package's "engines" range allows ("6.* || >= 10"
# allows 6); the highest of those is what the whole tree needs.
node - <<'JS'
const lock = JSON.parse(require('fs').readFileSync('package-lock.json', 'utf8'));
const version = s => (/\d+(\.\d+)*/.exec(s) || ['0'])[0].split('.').map(Number);
const below = (a, b) => (a[0] || 0) - (b[0] || 0) || (a[1] || 0) - (b[1] || 0) || (a[2] || 0) - (b[2] || 0);
let need = [0], who = '';
for (const [path, p] of Object.entries(lock.packages)) {
  if (!p.engines || !p.engines.node) continue;
  const low = p.engines.node.split('||').map(version).sort(below)[0];
  if (below(need, low) < 0) need = low, who = `${path.replace(/^.*node_modules\//, '')} ${p.version}`;
}
if (below(version(process.versions.node), need) < 0) {
  console.error(`Node.js ${process.versions.node} (${process.execPath}) is older than ${need.join('.')}, which ${who}` +
                ` needs (tests/web/package-lock.json).\nInstall Node.js ${need.join('.')} or later to run the browser tests.`);
  process.exit(1);
}
JS
[ node_modules/.package-lock.json -nt package-lock.json ] ||
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund
