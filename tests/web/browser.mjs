// Debian's Chromium, headless, with a profile of its own, and the site served
// by web/serve.mjs on a free port: what the browser tests and the browser
// benchmarks share.
import {spawn} from 'node:child_process';
import {fileURLToPath} from 'node:url';
import {chromium} from 'playwright-core';

export const CHROMIUM = process.env.KWADRON_CHROMIUM || '/usr/bin/chromium';

export const launch = () =>
  chromium.launch({
    executablePath: CHROMIUM,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });

// Serves the folder; resolves to its address and a way to stop it.
export function serve(site) {
  const server = spawn(process.execPath, [fileURLToPath(new URL('../../web/serve.mjs', import.meta.url)), site, '0'],
                       {stdio: ['ignore', 'pipe', 'inherit']});
  return new Promise((resolve, reject) => {
    server.stdout.on('data', d => {
      const m = /http:\S+/.exec(String(d));
      if (m) resolve({url: m[0], stop: () => server.kill()});
    });
    server.on('exit', () => reject(new Error('web/serve.mjs ended before it served ' + site)));
  });
}
