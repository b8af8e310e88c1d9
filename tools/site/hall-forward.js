// Forwards the site's /api/ to the hall of fame, as nginx does in front of it, so that the
// game's page reaches the hall at its own origin. The request and the answer are streamed,
// never held whole; Host is kept, since the hall takes a page of the host it was asked
// for as its own, and the player's address goes in X-Real-IP, which the hall believes only
// from a proxy on its own machine. A hall that is down or silent is a 502 or 504 in words,
// in the hall's own form for errors.
'use strict';

const http = require('node:http');
const https = require('node:https');

// The hall answers a submission within 110 s (a worker, the replay, the database): the
// README's time budget gives the site server, as nginx, a little longer.
const HALL_TIMEOUT_MS = 115000;
const HOP_BY_HOP = ['connection', 'keep-alive', 'proxy-authorization', 'proxy-connection', 'te',
                    'trailer', 'upgrade'];

const forwarded = target => target === '/api' || target.startsWith('/api/') ||
    target.startsWith('/api?');

// The hall as a URL whose path prefixes every forwarded request; null when it is not one.
function hallBase(text) {
  let url;
  try {
    url = new URL(text);
  } catch (error) {
    return null;
  }
  if (!['http:', 'https:'].includes(url.protocol) || url.search || url.hash) return null;
  return url;
}

function errorAnswer(response, status, sentence) {
  if (response.headersSent) {
    response.destroy();
    return;
  }
  const body = Buffer.from(JSON.stringify({error: sentence}) + '\n');
  response.writeHead(status, {
    'Content-Type': 'application/json; charset=utf-8', 'Content-Length': body.length,
    'Cache-Control': 'no-store', 'X-Content-Type-Options': 'nosniff',
  });
  response.end(body);
}

function withoutHopByHop(headers) {
  const named = new Set(HOP_BY_HOP);
  for (const name of String(headers.connection || '').split(',')) {
    named.add(name.trim().toLowerCase());
  }
  return Object.fromEntries(Object.entries(headers).filter(([name]) => !named.has(name)));
}

// Sends one request on to the hall at `base` and its answer back.
function forward(base, request, response) {
  const client = base.protocol === 'https:' ? https : http;
  // X-Real-IP is this server's to say: whatever the visitor sent under that name is replaced.
  const headers = {...withoutHopByHop(request.headers),
                   'x-real-ip': request.socket.remoteAddress || ''};
  const outgoing = client.request({
    protocol: base.protocol, hostname: base.hostname.replace(/^\[|\]$/g, ''),
    port: base.port || undefined, method: request.method, headers,
    path: base.pathname.replace(/\/$/, '') + request.url, timeout: HALL_TIMEOUT_MS,
  });
  outgoing.on('response', answer => {
    if (response.destroyed) return answer.destroy();
    response.writeHead(answer.statusCode, withoutHopByHop(answer.headers));
    answer.pipe(response);
    answer.on('error', () => response.destroy());
  });
  let failed = false;  // a timeout destroys the request, which then also fails
  const fail = (status, sentence) => {
    if (!failed) errorAnswer(response, status, sentence);
    failed = true;
  };
  outgoing.on('timeout', () => {
    fail(504, 'The hall of fame did not answer in time; try again later.');
    outgoing.destroy();
  });
  outgoing.on('error', () =>
    fail(502, 'The hall of fame cannot be reached right now; try again later.'));
  request.on('error', () => outgoing.destroy());
  response.on('close', () => outgoing.destroy());
  request.pipe(outgoing);
}

module.exports = {forward, forwarded, hallBase};
