// Debian's Chromium or Firefox ESR, headless, with a profile of its own, and
// the site served in this process as web/serve.mjs serves it, on a free port:
// what the browser tests and the browser benchmarks share.
import {createServer} from 'node:http';
import puppeteer from 'puppeteer-core';

import {handler} from '../../web/serve.mjs';

export const ENGINES = {chromium: process.env.KWADRON_CHROMIUM || '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr'};

// Neither reaches beyond this machine. In Firefox puppeteer's prefs and its own for automation do most;
// MOZ_REMOTE_SETTINGS_DEVTOOLS lets a release build take its remote settings from where a pref says.
export const launch = (engine = 'chromium') => puppeteer.launch({
  defaultViewport: {width: 1280, height: 720},
  ...(engine === 'firefox' ? {
    browser: 'firefox', protocol: 'webDriverBiDi', executablePath: ENGINES.firefox,
    env: {...process.env, MOZ_REMOTE_SETTINGS_DEVTOOLS: '1'},
    extraPrefsFirefox: {'services.settings.server': 'data:,#remote-settings-dummy/v1', 'app.update.auto': false,
                        'network.captive-portal-service.enabled': false, 'network.connectivity-service.enabled': false,
                        'toolkit.telemetry.enabled': false, 'network.trr.mode': 5, 'dom.push.connection.enabled': false},
  } : {
    executablePath: ENGINES.chromium, pipe: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-sync',
           '--disable-background-networking', '--disable-component-update',
           '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1'], // no name looked up but this machine's
  }),
});

// A fresh profile. Chromium now and then refuses the first request for one
// that follows the close of another's ("Session with given id not found",
// most often when its service worker was busy); the second is answered.
export const freshProfile = browser => browser.createBrowserContext().catch(() => browser.createBrowserContext());

// Serves the folder: its address, its http.Server, stop(), offline(on), which while on cuts every connection,
// from(folder), another folder from then on, and cutOnce(path), the next answer for the path cut midway.
export function serve(site) {
  let serving = handler(site), cut = false, once = null;
  const server = createServer((request, response) => {
    if (new URL(request.url, 'http://x').pathname !== once?.path) return serving(request, response);
    const {done} = once;
    once = null;
    response.writeHead(200, {'Content-Length': 1 << 20}).write(Buffer.alloc(1 << 10), () => done(response.destroy()));
  }), open = new Set();
  server.on('connection', s => (cut ? s.destroy() : (open.add(s), s.on('close', () => open.delete(s)))));
  const offline = on => (cut = on) && open.forEach(s => s.destroy());
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`, server, offline,
    from: folder => (serving = handler(folder)), cutOnce: path => new Promise(done => (once = {path, done})),
    stop: () => (server.closeAllConnections(), server.close()),
  })));
}
