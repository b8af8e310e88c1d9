#!/usr/bin/env node
// Serves a static folder on 127.0.0.1, as any web server would serve the game's site: plain
// files, no special headers. `node serve.js DIR [PORT]` prints the address; when PORT is
// taken, a free one is used instead. Tests use serve() and read the bytes it sent.
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.wav': 'audio/wav', '.png': 'image/png',
};

function handler(root, sent) {
  return (request, response) => {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch (e) {
      response.writeHead(400).end();
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      sent.set(name, (sent.get(name) || 0) + body.length);
      response.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
      response.end(body);
    });
  };
}

function listen(server, port) {
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server.address().port));
  });
}

// Resolves to {url, sent (bytes by path), close()}.
async function serve(root, port = 0) {
  const sent = new Map();
  const server = http.createServer(handler(path.resolve(root), sent));
  let bound;
  try {
    bound = await listen(server, port);
  } catch (error) {
    if (error.code !== 'EADDRINUSE' || port === 0) throw error;
    bound = await listen(server, 0);
  }
  return {
    url: `http://127.0.0.1:${bound}/`,
    sent,
    close: () => new Promise(done => server.close(done)),
  };
}

module.exports = {serve};

if (require.main === module) {
  const [root, port] = process.argv.slice(2);
  if (!root || !fs.existsSync(path.join(root, 'index.html'))) {
    console.error('usage: serve.js SITE_DIR [PORT] (the folder must hold index.html)');
    process.exit(2);
  }
  serve(root, Number(port || 8000)).then(site => {
    console.log(`KESTAL 2 is served on ${site.url} (Ctrl+C stops the server)`);
  });
}
