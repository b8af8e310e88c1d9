#!/usr/bin/env node
// Serves a static folder on 127.0.0.1, as any web server would serve the game's site.
// `node serve.js DIR [PORT]` prints the address; when PORT is taken, a free one is used
// instead. With `--hall URL`, /api/ is forwarded to the hall of fame at URL (see
// hall-forward.js). Tests use serve() and read the bytes it sent.
//
// Whatever arrives on the socket, the answer is a status or a closed connection: the
// process never dies of a request, and no answer or log line names a path of this
// machine. GET and HEAD only; every file with a content-based ETag and its modification
// time, so that browsers revalidate with a 304; text and the program compressed (Brotli,
// else gzip) once per file version and kept in memory, since the site is small. Range
// requests are not supported: the whole file is always sent, which every browser accepts.
'use strict';

const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const hall = require('./hall-forward');

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.wav': 'audio/wav', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json',
  '.svg': 'image/svg+xml', '.ico': 'image/x-icon', '.keys': 'text/plain; charset=utf-8',
  '.data': 'application/octet-stream',
};
const COMPRESSIBLE = new Set(['.html', '.js', '.css', '.wasm', '.json', '.webmanifest',
                              '.svg', '.keys']);

// The pages, the service worker and the manifest say which release a visitor runs, so the
// browser asks for them on every load (an unchanged file costs a 304). The other files may
// be reused for a few minutes without asking: their names carry no version, so a long
// lifetime would keep an old program beside a new page after a rebuild, and keeping the
// site for offline play is the service worker's job, not the HTTP cache's.
const REVALIDATE = 'no-cache';
const REUSE = 'max-age=300';
const revalidated = (file, extension) => extension === '.html' ||
    extension === '.webmanifest' || path.basename(file) === 'service-worker.js';

// Quality 11 saves a further 9 % on the program but takes most of a second per file here,
// and the first visitor would wait for it.
const BROTLI = {params: {[zlib.constants.BROTLI_PARAM_QUALITY]: 9}};
const compressors = {
  br: body => new Promise((done, fail) =>
    zlib.brotliCompress(body, BROTLI, (e, out) => (e ? fail(e) : done(out)))),
  gzip: body => new Promise((done, fail) =>
    zlib.gzip(body, {level: 9}, (e, out) => (e ? fail(e) : done(out)))),
};

const MESSAGES = {
  400: 'Bad request', 404: 'Not found', 405: 'Method not allowed', 408: 'Request timeout',
  431: 'Request header fields too large', 500: 'Server error',
};

// A short fixed text; an answer must never echo the request or a file name.
function plainAnswer(status, extra = {}) {
  const body = Buffer.from(`${status} ${MESSAGES[status]}\n`);
  return {status, body, headers: {'Content-Type': 'text/plain; charset=utf-8',
                                  'Cache-Control': 'no-store', ...extra}};
}

// The request target as path segments, or null when it cannot name a file of the site:
// a target that is not a path, bad escapes, NUL bytes, backslashes, `.` or `..` however
// they were spelled (%2e%2e, %2f and `..` all decode before the check).
function segmentsOf(target) {
  const raw = target.split(/[?#]/, 1)[0];
  if (!raw.startsWith('/')) return null;
  let decoded;
  try {
    decoded = decodeURIComponent(raw);
  } catch (e) {
    return null;
  }
  if (/[\0\\]/.test(decoded)) return null;
  const segments = decoded.split('/').slice(1);
  if (segments.some(s => s === '.' || s === '..')) return null;
  return {raw, segments: segments.filter((s, i) => s !== '' || i === segments.length - 1)};
}

// The file's current version: its bytes (the head script put in when it is a page), its
// tags and, filled on first demand, its compressed forms. `site.files` keeps the last
// version of each file read, by real path.
async function currentVersion(site, file) {
  const handle = await fs.promises.open(file, fs.constants.O_RDONLY | fs.constants.O_NONBLOCK);
  try {
    const stat = await handle.stat();
    if (!stat.isFile()) return {stat};
    const known = site.files.get(file);
    if (known && known.size === stat.size && known.mtimeMs === stat.mtimeMs &&
        known.ino === stat.ino) {
      return known;
    }
    let body = await handle.readFile();
    if (site.headScript !== undefined && path.extname(file).toLowerCase() === '.html') {
      body = Buffer.from(withHeadScript(body.toString('utf8'), site.headScript));
    }
    const version = {
      stat, size: stat.size, mtimeMs: stat.mtimeMs, ino: stat.ino, body,
      etag: crypto.createHash('sha256').update(body).digest('base64url').slice(0, 22),
      lastModified: new Date(Math.floor(stat.mtimeMs / 1000) * 1000), encoded: {},
    };
    site.files.set(file, version);
    return version;
  } finally {
    await handle.close();
  }
}

function withHeadScript(html, script) {
  const head = /<head\b[^>]*>/i.exec(html);
  const at = head ? head.index + head[0].length : 0;
  return `${html.slice(0, at)}<script>${script}</script>${html.slice(at)}`;
}

// The encoding the request prefers among those offered: Brotli, then gzip, else none.
function chosenEncoding(acceptEncoding = '') {
  const weights = new Map();
  for (const part of acceptEncoding.toLowerCase().split(',')) {
    const [name, ...params] = part.split(';').map(s => s.trim());
    const q = params.find(p => p.startsWith('q='));
    weights.set(name, q ? Number(q.slice(2)) || 0 : 1);
  }
  const weight = name => (weights.has(name) ? weights.get(name) : weights.get('*') || 0);
  return ['br', 'gzip'].find(name => weight(name) > 0);
}

async function encodedBody(version, encoding) {
  if (!version.encoded[encoding]) version.encoded[encoding] = compressors[encoding](version.body);
  const out = await version.encoded[encoding];
  return out.length < version.body.length ? out : null;
}

function unchanged(request, version, etag) {
  const ifNoneMatch = request.headers['if-none-match'];
  if (ifNoneMatch !== undefined) {
    return ifNoneMatch.split(',').some(tag => {
      const t = tag.trim().replace(/^W\//, '');
      return t === '*' || t === etag;
    });
  }
  const since = Date.parse(request.headers['if-modified-since'] || '');
  return !Number.isNaN(since) && version.lastModified.getTime() <= since;
}

// The current version of a file of the site, or null when there is none; a link that
// leads out of the site counts as none.
async function versionAt(site, file) {
  try {
    const real = await fs.promises.realpath(file);
    return real.startsWith(site.root + path.sep) ? await currentVersion(site, real) : null;
  } catch (error) {
    if (['ENOENT', 'ENOTDIR', 'ENAMETOOLONG', 'ELOOP', 'EACCES'].includes(error.code)) return null;
    throw error;
  }
}

// The answer to one request, as {status, headers, body} and, for a file, its request path
// and uncompressed size.
async function answerFor(request, site) {
  if (request.method !== 'GET' && request.method !== 'HEAD') {
    return plainAnswer(405, {'Allow': 'GET, HEAD'});
  }
  const target = segmentsOf(request.url);
  if (!target) return plainAnswer(400);
  const index = target.raw.endsWith('/') ? 'index.html' : '';
  const file = path.join(site.root, ...target.segments, index);
  const version = await versionAt(site, file);
  if (version && version.stat.isDirectory()) {
    // Relative, so that the answer can never send the browser to another site.
    const last = target.raw.split('/').pop();
    return {status: 301, body: Buffer.alloc(0), headers: {'Location': `./${last}/`}};
  }
  if (!version || !version.body) return plainAnswer(404);
  const name = '/' + target.segments.join('/') + index;
  return {...await fileAnswer(request, version, file), name, plainSize: version.body.length};
}

async function fileAnswer(request, version, file) {
  const extension = path.extname(file).toLowerCase();
  const compressible = COMPRESSIBLE.has(extension);
  const encoding = compressible ? chosenEncoding(request.headers['accept-encoding']) : undefined;
  const encoded = encoding ? await encodedBody(version, encoding) : null;
  const etag = `"${version.etag}${encoded ? '-' + encoding : ''}"`;
  const headers = {
    'Content-Type': TYPES[extension] || 'application/octet-stream',
    'Cache-Control': revalidated(file, extension) ? REVALIDATE : REUSE,
    'ETag': etag,
    'Last-Modified': version.lastModified.toUTCString(),
  };
  if (compressible) headers['Vary'] = 'Accept-Encoding';
  if (encoded) headers['Content-Encoding'] = encoding;
  const status = unchanged(request, version, etag) ? 304 : 200;
  return {status, headers, body: encoded || version.body};
}

function handler(site) {
  return async (request, response) => {
    response.on('error', () => {});  // a visitor that left mid-answer; nothing to tell
    if (site.hall && hall.forwarded(request.url)) return hall.forward(site.hall, request, response);
    let answer;
    try {
      answer = await answerFor(request, site);
    } catch (error) {
      console.error(`serve.js: ${error.code || error.name} while answering a request`);
      answer = plainAnswer(500);
    }
    if (response.destroyed) return;
    const withBody = answer.status !== 304 && request.method !== 'HEAD';
    try {
      response.writeHead(answer.status, {
        ...answer.headers, 'Content-Length': answer.body.length,
        'X-Content-Type-Options': 'nosniff',
      });
      response.end(withBody ? answer.body : undefined);
    } catch (error) {
      response.destroy();
      return;
    }
    if (answer.name !== undefined) {
      const count = (map, n) => map.set(answer.name, (map.get(answer.name) || 0) + n);
      count(site.sent, withBody ? answer.body.length : 0);
      count(site.sentUncompressed, withBody ? answer.plainSize : 0);
    }
  };
}

// What the HTTP parser rejects before a request exists: a short answer when the socket can
// still take one, then the connection is closed.
function onClientError(error, socket) {
  // An answer under way (Node's own default looks at the same field) must not be mixed with.
  if (error.code === 'ECONNRESET' || !socket.writable || socket._httpMessage) {
    socket.destroy();
    return;
  }
  const status = {HPE_HEADER_OVERFLOW: 431, ERR_HTTP_REQUEST_TIMEOUT: 408,
                  HPE_HEADERS_TIMEOUT: 408}[error.code] || 400;
  const {body} = plainAnswer(status);
  socket.end(`HTTP/1.1 ${status} ${MESSAGES[status]}\r\n` +
             `Content-Type: text/plain; charset=utf-8\r\nContent-Length: ${body.length}\r\n` +
             `Connection: close\r\n\r\n${body}`, () => socket.destroy());
}

function listen(server, port) {
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      server.off('error', reject);
      resolve(server.address().port);
    });
  });
}

// serve(root, port = 0) or serve(root, {port, headScript, headersTimeout, hall}) resolves to
// {url, sent, sentUncompressed, close()}: `sent` counts the body bytes that went out per
// request path (compressed when they were), `sentUncompressed` the same bodies unpacked.
// A `headScript` is put into every page right after <head>, for browsers whose drivers
// cannot inject scripts. With `hall` (the hall of fame's URL), /api/ is forwarded to it.
// close() also ends connections kept alive.
async function serve(root, options = 0) {
  const {port = 0, headScript, headersTimeout = 10000, hall: hallUrl} =
      typeof options === 'object' && options !== null ? options : {port: options};
  const hallAt = hallUrl === undefined ? null : hall.hallBase(hallUrl);
  if (hallUrl !== undefined && !hallAt) throw new Error('the hall is not an http(s) URL');
  const site = {
    root: await fs.promises.realpath(path.resolve(root)), headScript, hall: hallAt,
    files: new Map(), sent: new Map(), sentUncompressed: new Map(),
  };
  const server = http.createServer({
    headersTimeout, requestTimeout: Math.max(30000, headersTimeout),
    connectionsCheckingInterval: Math.min(1000, headersTimeout),
  }, handler(site));
  server.timeout = 120000;  // a reader that stalls mid-answer is let go
  server.on('clientError', onClientError);
  let bound;
  try {
    bound = await listen(server, port);
  } catch (error) {
    if (error.code !== 'EADDRINUSE' || port === 0) throw error;
    bound = await listen(server, 0);
  }
  // Accepting can fail (too many open files): that costs one connection, not the server.
  server.on('error', error => console.error(`serve.js: ${error.code || error.name}`));
  return {
    url: `http://127.0.0.1:${bound}/`,
    sent: site.sent,
    sentUncompressed: site.sentUncompressed,
    close: () => new Promise(done => {
      server.close(() => done());
      server.closeAllConnections();
    }),
  };
}

module.exports = {serve};

// `serve.js DIR [PORT] [--hall URL]`, the options in any order.
function commandLine(words) {
  const hallAt = words.indexOf('--hall');
  const hallUrl = hallAt < 0 ? undefined : words[hallAt + 1];
  const rest = hallAt < 0 ? words : words.filter((w, i) => i !== hallAt && i !== hallAt + 1);
  const valid = rest.length >= 1 && rest.length <= 2 && (hallAt < 0 || hall.hallBase(hallUrl));
  return valid ? {root: rest[0], port: rest[1], hallUrl} : null;
}

if (require.main === module) {
  const command = commandLine(process.argv.slice(2));
  if (!command || !fs.existsSync(path.join(command.root, 'index.html'))) {
    console.error('usage: serve.js SITE_DIR [PORT] [--hall URL] (the folder must hold ' +
                  'index.html; /api/ goes to the hall at URL)');
    process.exit(2);
  }
  const {root, port, hallUrl} = command;
  serve(root, {port: Number(port || 8000), hall: hallUrl}).then(site => {
    console.log(`KESTAL 2 is served on ${site.url} (Ctrl+C stops the server)`);
  }, error => {
    console.error(`serve.js: cannot serve (${error.code || error.name})`);
    process.exit(1);
  });
}
