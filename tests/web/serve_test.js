// The site server against what a broken or hostile client can send through raw sockets: it
// answers or closes, never dies, never shows a path of the machine or a file outside the
// site, and afterwards still serves the site correctly. Needs only Node.js.
'use strict';

const assert = require('node:assert');
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const {test, before, after} = require('node:test');
const {serve} = require('../../tools/site/serve');

const FILES = {
  'index.html': '<html><head><title>t</title></head><body>' + 'play '.repeat(500),
  'game.js': 'frame();\n'.repeat(900),
  'game.wasm': Buffer.from(Array.from({length: 60000}, (_, i) => (i * i) % 7)),
  'two words.txt': 'spaces in a name',
};

let top, root, child, port, log = '';
before(async () => {
  top = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-serve-'));
  root = path.join(top, 'site');
  fs.mkdirSync(root);
  for (const [name, body] of Object.entries(FILES)) fs.writeFileSync(path.join(root, name), body);
  fs.writeFileSync(path.join(top, 'secret.txt'), 'SECRET');
  fs.symlinkSync(path.join(top, 'secret.txt'), path.join(root, 'link.txt'));
  // The command-line server in a process of its own, as `scripts/play.sh --web` runs it.
  child = spawn(process.execPath, [path.join(__dirname, '../../tools/site/serve.js'), root, '0']);
  child.stderr.on('data', d => (log += d));
  port = await new Promise(resolve => child.stdout.on('data', d => {
    log += d;
    const address = /127\.0\.0\.1:(\d+)/.exec(log);
    if (address) resolve(Number(address[1]));
  }));
});
after(() => {
  if (child) child.kill();
  if (top) fs.rmSync(top, {recursive: true, force: true});
});

// Sends bytes on a connection of their own and gives back all that arrives until the server
// closes it, or hangs up itself as soon as the bytes are out (`cut`) or `cutAt` bytes came.
function exchange(bytes, {cut, cutAt, to = port} = {}) {
  return new Promise((resolve, reject) => {
    const chunks = [];
    const socket = net.connect(to, '127.0.0.1',
                               () => socket.write(bytes, () => cut && socket.destroy()));
    socket.on('data', chunk => chunks.push(chunk) && Buffer.concat(chunks).length >= cutAt &&
                               socket.destroy());
    socket.on('error', () => {});  // a reset is a fair end to a bad request
    socket.on('close', () => resolve(Buffer.concat(chunks)));
    socket.setTimeout(15000, () => reject(new Error(`neither answered nor closed: ${bytes}`)));
  });
}

const request = (target, method = 'GET', fields = '') =>
  `${method} ${target} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n${fields}\r\n`;

// One request; the reply as status, header fields by lower-case name, and body.
async function ask(target, {method, fields, to} = {}) {
  const reply = await exchange(request(target, method, fields), {to});
  const at = reply.indexOf('\r\n\r\n');
  const [status, ...lines] = reply.subarray(0, at).toString('latin1').split('\r\n');
  const split = line => [line.slice(0, line.indexOf(':')).toLowerCase(),
                         line.slice(line.indexOf(':') + 2)];
  return {status: Number(status.split(' ')[1]), fields: Object.fromEntries(lines.map(split)),
          body: reply.subarray(at + 4)};
}

test('hundreds of malformed requests: a 4xx or a closed line each, nothing from disk', async () => {
  const targets = ['/index.html%00.png', '/%00', '/%', '/%zz', '/%c3%28', '/a%2', '/link.txt', '*',
                   'index.html', 'http://elsewhere/secret.txt', '/' + 'a'.repeat(8000)];
  for (const up of ['..', '%2e%2e', '.%2e', '%2E%2E', '..%5c..', '.', '%252e%252e']) {
    for (const sep of ['/', '%2f', '//', '\\', '%5c']) {
      for (const at of ['/', '/a/', '//']) targets.push(`${at}${up}${sep}${up}${sep}secret.txt`);
    }
  }
  const get = fields => request('/', 'GET', fields);
  const garbage = ['\0\0\0\r\n\r\n', 'GET\r\n\r\n', 'GET / HTTP/9.9\r\n\r\n',
    'G\0T / HTTP/1.1\r\n\r\n', '\x16\x03\x01\x02\0\x01\0\x01\xfc\x03\x03', 'GET / HTTP/1.1\r\n\r\n',
    get('no colon here\r\n'), get('A: \0\r\n'), get('Content-Length: -1\r\n'),
    request('/' + 'x'.repeat(100000)), get(`X: ${'y'.repeat(100000)}\r\n`),
    get('A: b\r\n'.repeat(5000)), get('Transfer-Encoding: chunked\r\n') + 'zz\r\n',
    get('Accept-Encoding: ;;q=,br;q=zz,\r\nIf-None-Match: ,,"\r\nIf-Modified-Since: now\r\n')];
  const whole = request('/game.wasm');
  const [paths, bad] = await Promise.all([
    Promise.all(targets.flatMap(t => [request(t), request(t, 'HEAD')]).map(b => exchange(b))),
    Promise.all(garbage.map(b => exchange(b))),
    Promise.all(Array.from(whole, (_, n) => exchange(whole.slice(0, n), {cut: true}))),
    Promise.all(Array.from({length: 40}, (_, i) => exchange(whole, {cutAt: 1 + 997 * i}))),
  ]).then(groups => groups.map(replies => replies.map(reply => reply.toString('latin1'))));
  for (const reply of [...paths, ...bad]) {
    assert.ok(!reply.includes(top) && !reply.includes('SECRET'), reply);
  }
  paths.forEach((reply, i) => assert.match(reply, /^HTTP\/1\.1 40[04] /, targets[i >> 1]));
  // Odd but parseable requests are served; the rest get a 4xx or a closed connection.
  for (const reply of bad) assert.match(reply, /^(HTTP\/1\.1 (4\d\d|200) [^]*)?$/);
});

test('afterwards the same process serves the site: bodies, lengths, validators', async () => {
  assert.ok(child.exitCode === null && !log.includes(top), log);
  const page = await ask('/');
  assert.deepStrictEqual([page.status, page.body.toString(), Number(page.fields['content-length'])],
                         [200, FILES['index.html'], FILES['index.html'].length]);
  assert.strictEqual(page.fields['cache-control'], 'no-cache');
  assert.strictEqual((await ask('/two%20words.txt')).body.toString(), FILES['two words.txt']);
  for (const condition of [`If-None-Match: "x", ${page.fields.etag}`,
                           `If-Modified-Since: ${page.fields['last-modified']}`]) {
    const again = await ask('/index.html', {fields: condition + '\r\n'});
    assert.deepStrictEqual([again.status, again.body.length], [304, 0], condition);
  }
  const head = await ask('/game.js', {method: 'HEAD'});
  assert.deepStrictEqual([head.status, Number(head.fields['content-length']), head.body.length],
                         [200, FILES['game.js'].length, 0]);
  assert.match(head.fields['cache-control'], /^max-age=\d+$/);
  for (const method of ['POST', 'PUT', 'DELETE', 'OPTIONS', 'TRACE']) {
    const refused = await ask('/', {method});
    assert.deepStrictEqual([refused.status, refused.fields.allow], [405, 'GET, HEAD'], method);
  }
});

test('as a module: compression, a head script, counts, stalled headers, close()', async () => {
  const site = await serve(root, {headScript: 'hook();', headersTimeout: 2000});
  const to = Number(new URL(site.url).port);
  const stalled = Array.from({length: 30}, () => exchange('GET / HTTP/1.1\r\nX-Slow:', {to}));
  const page = FILES['index.html'].replace('<head>', '<head><script>hook();</script>');
  const packs = [['gzip, br', zlib.brotliDecompressSync], ['gzip, br;q=0', zlib.gunzipSync]];
  for (const [accept, unpack] of packs) {
    for (const [name, body] of [['game.wasm', FILES['game.wasm']], ['game.js', FILES['game.js']],
                                ['', page]]) {
      const reply = await ask('/' + name, {to, fields: `Accept-Encoding: ${accept}\r\n`});
      assert.deepStrictEqual([reply.fields.vary, Number(reply.fields['content-length'])],
                             ['Accept-Encoding', reply.body.length]);
      assert.deepStrictEqual(unpack(reply.body), Buffer.from(body), `${name}, ${accept}`);
    }
  }
  assert.strictEqual(site.sentUncompressed.get('/game.wasm'), 2 * FILES['game.wasm'].length);
  assert.ok(site.sent.get('/game.wasm') < FILES['game.wasm'].length, site.sent.get('/game.wasm'));
  fs.writeFileSync(path.join(root, 'game.js'), 'changed();');  // a new version is read again
  assert.strictEqual((await ask('/game.js', {to})).body.toString(), 'changed();');
  for (const reply of await Promise.all(stalled)) assert.match(String(reply), /^HTTP\/1\.1 408 /);

  // close() ends even a connection in the middle of its headers, without waiting for it.
  const last = exchange('GET / HTTP/1.1\r\nX-Slow:', {to});
  await ask('/', {to});  // answered after the stalled connection was accepted
  await site.close();
  assert.strictEqual((await last).length, 0);
});

test('with --hall: /api/ goes to the hall and back, streamed; a hall down is a 502 in words',
     async () => {
  const hall = http.createServer((req, res) => {
    const chunks = [];
    req.on('data', c => chunks.push(c)).on('end', () => {
      const echo = JSON.stringify({method: req.method, url: req.url, host: req.headers.host,
                                   realIp: req.headers['x-real-ip'],
                                   body: String(Buffer.concat(chunks))});
      res.writeHead(201, {'X-Hall': 'yes', 'Content-Length': Buffer.byteLength(echo)});
      res.end(echo);
    });
  });
  await new Promise(done => hall.listen(0, '127.0.0.1', done));
  const site = await serve(root, {hall: `http://127.0.0.1:${hall.address().port}/`});
  const to = Number(new URL(site.url).port);
  const body = JSON.stringify({name: 'Ada', replay: 'k'.repeat(300000)});
  const head = request('/api/entries?x=1', 'POST', 'Content-Type: application/json\r\n' +
                       `Content-Length: ${body.length}\r\nX-Real-IP: 6.6.6.6\r\n`);
  const reply = String(await exchange(head + body, {to}));
  const sent = {status: Number(reply.split(' ')[1]), xHall: /\r\nx-hall: (\w+)/i.exec(reply)[1],
                body: reply.slice(reply.indexOf('\r\n\r\n') + 4)};
  assert.deepStrictEqual([sent.status, sent.xHall, JSON.parse(sent.body)],
                         [201, 'yes', {method: 'POST', url: '/api/entries?x=1', host: 'x',
                                       realIp: '127.0.0.1', body}]);
  assert.strictEqual((await ask('/api', {to})).status, 201);
  assert.strictEqual((await ask('/apiary', {to})).status, 404);  // not the hall's: a file
  await new Promise(done => hall.close(done));
  for (const method of ['GET', 'POST']) {
    const down = await ask('/api/health', {to, method});
    assert.strictEqual(down.status, 502);
    assert.match(JSON.parse(down.body).error, /hall of fame cannot be reached/);
    assert.ok(!String(down.body).includes(top));
  }
  assert.strictEqual((await ask('/', {to})).status, 200);
  await site.close();
});
