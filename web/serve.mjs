// Serves a folder over HTTP on 127.0.0.1 as a web server would: compressed
// (each version of a file once), with a validator, so that a copy a browser
// holds is revalidated rather than sent again.
//   node serve.mjs FOLDER [PORT]     (default port 8000; 0: any free port)
// Imported, it gives the handler of requests for a folder, served as here.
import {createServer} from 'node:http';
import {readFile, stat} from 'node:fs/promises';
import {extname, join, normalize} from 'node:path';
import {pathToFileURL} from 'node:url';
import {gzipSync} from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json', '.png': 'image/png',
  '.svg': 'image/svg+xml', '.json': 'application/json',
};

const packed = new Map(); // file -> {tag, body}: its compressed form

export const handler = root => async (request, response) => {
  try {
    // A malformed escape throws here, and is answered as a file not found.
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = join(root, normalize(path.endsWith('/') ? path + 'index.html' : path).replace(/^(\.\.[/\\])+/, ''));
    const info = await stat(file);
    const tag = `W/"${info.size}-${Math.floor(info.mtimeMs)}"`;
    const headers = {'Content-Type': types[extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-cache',
                     'ETag': tag, 'Vary': 'Accept-Encoding'};
    if (request.headers['if-none-match'] === tag) {
      response.writeHead(304, headers);
      response.end();
      return;
    }
    let body = await readFile(file);
    if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      if (packed.get(file)?.tag !== tag) packed.set(file, {tag, body: gzipSync(body, {level: 9})});
      body = packed.get(file).body;
      headers['Content-Encoding'] = 'gzip';
    }
    response.writeHead(200, headers);
    response.end(request.method === 'HEAD' ? undefined : body);
  } catch {
    response.writeHead(404, {'Content-Type': 'text/plain'});
    response.end('not found\n');
  }
};

if (process.argv[1] && import.meta.url === pathToFileURL(process.argv[1]).href) {
  const port = Number(process.argv[3] || 8000);
  const server = createServer(handler(process.argv[2] || '.'));
  server.on('error', e => {
    console.error(`Cannot serve on 127.0.0.1:${port}: ${e.message}`);
    process.exit(1);
  });
  server.listen(port, '127.0.0.1', () => console.log(`Kwadron is served on http://127.0.0.1:${server.address().port}/`));
}
