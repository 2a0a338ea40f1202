// Serves a folder over HTTP on 127.0.0.1, compressed as a web server would:
//   node serve.mjs FOLDER [PORT]     (default port 8000; 0: any free port)
import {createServer} from 'node:http';
import {readFile} from 'node:fs/promises';
import {extname, join, normalize} from 'node:path';
import {gzipSync} from 'node:zlib';

const root = process.argv[2] || '.';
const port = Number(process.argv[3] || 8000);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json', '.png': 'image/png',
  '.svg': 'image/svg+xml', '.json': 'application/json',
};

const server = createServer(async (request, response) => {
  try {
    // A malformed escape throws here, and is answered as a file not found.
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = join(root, normalize(path.endsWith('/') ? path + 'index.html' : path).replace(/^(\.\.[/\\])+/, ''));
    let body = await readFile(file);
    const headers = {'Content-Type': types[extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-cache'};
    if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      body = gzipSync(body, {level: 9});
      headers['Content-Encoding'] = 'gzip';
    }
    response.writeHead(200, headers);
    response.end(request.method === 'HEAD' ? undefined : body);
  } catch {
    response.writeHead(404, {'Content-Type': 'text/plain'});
    response.end('not found\n');
  }
});
server.on('error', e => {
  console.error(`Cannot serve on 127.0.0.1:${port}: ${e.message}`);
  process.exit(1);
});
server.listen(port, '127.0.0.1', () => console.log(`Kwadron is served on http://127.0.0.1:${server.address().port}/`));
