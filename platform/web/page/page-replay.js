// Replays: every game played here is recorded as a key script (the program keeps it, see
// platform/web/web_session.cpp), which the end card saves as a file or shares as a link with
// the script compressed in the address's fragment (never sent to a server). Opening such a
// link, or choosing a file with "Watch a replay…", plays the script in the same program.
// Neither is read beyond the size a recording may have, whatever the link or file holds.
import {LINK_OVER_LIMIT, RECORDING_MAX_BYTES, sizeOverLimit} from './recording-limits.js';

const HASH_PREFIX = '#replay=';

function programText(call) {
  const Module = window.Module;
  return Module ? Module.UTF8ToString(call()) : '';
}

// The recording so far, as a key script with its header.
export function replayText(edition, version) {
  const Module = window.Module;
  if (!Module || !Module._kestal_web_replay_lines) return '';
  const frames = Module._kestal_web_retraces();
  return `# KESTAL 2 replay\n# edition: ${edition}\n# frames: ${frames}\n# version: ${version}\n` +
         `# date: ${new Date().toISOString().replace(/\.\d+Z$/, 'Z')}\n` +
         programText(() => Module._kestal_web_replay_lines());
}

export function traceText() {
  const Module = window.Module;
  return Module && Module._kestal_web_trace_text ? programText(Module._kestal_web_trace_text) : '';
}

// What the script's header says of itself: {edition, frames} (either may be missing). The
// first of each counts, as the hall of fame reads it.
export function replayHeader(script) {
  const header = {};
  for (const line of script.split('\n')) {
    const field = /^[ \t\r]*#[ \t\r]*(edition|frames):[ \t\r]*(.*?)[ \t\r]*$/.exec(line);
    if (field && !(field[1] in header)) header[field[1]] = field[2];
  }
  return {edition: header.edition, frames: /^\d+$/.test(header.frames || '') ? Number(header.frames) : -1};
}

// Why a recording with this header cannot be watched in any edition, or ''.
export function editionProblem(header) {
  if (header.edition === undefined || ['sound', 'silent'].includes(header.edition)) return '';
  const shown = header.edition.length > 80 ? header.edition.slice(0, 80) + '...' : header.edition;
  return `The recording's edition '${shown}' is neither 'sound' nor 'silent'.`;
}

// The program's reader words a problem to follow "the recording " ("has 200003 key events,
// ...") or as "line N: ...": either way, one sentence.
export function scriptProblem(problem) {
  return /^(is|has) /.test(problem) ? `The recording ${problem}.`
                                    : `This replay cannot be watched: ${problem}.`;
}

// --- Links: retraces as differences, deflate-raw, then base64url ----------------------------

// Event lines ("<retrace> <key>") carry their retrace as the difference from the event line
// before: a long game's growing numbers become a few small ones that repeat, which deflate
// packs twenty times tighter. Every other line is kept as it is, so the form reads back
// exactly.
const EVENT_LINE = /^(\d+) (.+)$/;

function retracesAsDifferences(script) {
  let previous = 0n;
  return script.split('\n').map(line => {
    const event = EVENT_LINE.exec(line);
    if (!event) return line;
    const retrace = BigInt(event[1]);
    const difference = retrace - previous;  // recordings never go back
    previous = retrace;
    return `${difference} ${event[2]}`;
  }).join('\n');
}

function retracesFromDifferences(text) {
  let previous = 0n;
  return text.split('\n').map(line => {
    const event = EVENT_LINE.exec(line);
    if (!event) return line;
    previous += BigInt(event[1]);
    return `${previous} ${event[2]}`;
  }).join('\n');
}

// A link's bytes go in a kilobyte at a time: deflate makes at most about a megabyte of one,
// so the reader can stop the stream soon after `limit` bytes came out, however many it would
// make.
const FED_AT_ONCE = 1024;

class OverLimit extends Error {}

async function feed(writer, bytes) {
  for (let at = 0; at < bytes.length; at += FED_AT_ONCE) {
    await writer.ready;
    await writer.write(bytes.subarray(at, at + FED_AT_ONCE));
  }
  await writer.close();
}

// Every promise of the stream is waited on or caught, and it is read by hand (a Response
// over it would have the browser report a damaged link's error on its console).
async function transform(bytes, stream, limit = Infinity) {
  feed(stream.writable.getWriter(), bytes).catch(() => {});
  const reader = stream.readable.getReader();
  const chunks = [];
  let length = 0;
  for (let read = await reader.read(); !read.done; read = await reader.read()) {
    length += read.value.length;
    if (length > limit) {
      reader.cancel().catch(() => {});
      throw new OverLimit();
    }
    chunks.push(read.value);
  }
  const joined = new Uint8Array(length);
  let at = 0;
  for (const chunk of chunks) {
    joined.set(chunk, at);
    at += chunk.length;
  }
  return joined;
}

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new Error('it holds characters a replay link never has');
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The address that plays `script`: on this page, or on `page` (a file name beside it, such as
// "silent.html").
export async function shareLink(script, page) {
  const packed = await transform(new TextEncoder().encode(retracesAsDifferences(script)),
                                 new CompressionStream('deflate-raw'));
  const path = page ? location.pathname.replace(/[^/]*$/, page) : location.pathname;
  return location.origin + path + HASH_PREFIX + toBase64Url(packed);
}

// The script in this page's address, or null when it carries none. Throws an Error whose
// message says what is wrong with a damaged link.
export async function scriptFromAddress() {
  if (!location.hash.startsWith(HASH_PREFIX)) return null;
  let bytes;
  try {
    bytes = fromBase64Url(location.hash.slice(HASH_PREFIX.length));
  } catch (error) {
    throw new Error(`This replay link is damaged (${error.message}): ask for the link again.`);
  }
  let script;
  try {
    // Differences are no longer than the retraces they stand for: a link whose differences
    // are over the limit holds a script over it.
    const inflate = new DecompressionStream('deflate-raw');
    const text = await transform(bytes, inflate, RECORDING_MAX_BYTES);
    script = retracesFromDifferences(new TextDecoder('utf-8', {fatal: true}).decode(text));
  } catch (error) {
    if (error instanceof OverLimit) throw new Error(LINK_OVER_LIMIT);
    throw new Error('This replay link is damaged (its data is cut short or is not a replay): ask for the link again.');
  }
  const size = new TextEncoder().encode(script).length;
  if (size > RECORDING_MAX_BYTES) {
    throw new Error(`The recording in this link ${sizeOverLimit(size)}.`);
  }
  return script;
}

// --- Files ------------------------------------------------------------------------------

export function fileStamp(date) {
  const two = n => String(n).padStart(2, '0');
  return `${date.getFullYear()}-${two(date.getMonth() + 1)}-${two(date.getDate())}-` +
         `${two(date.getHours())}${two(date.getMinutes())}${two(date.getSeconds())}`;
}

export function saveReplay(script) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([script], {type: 'text/plain'}));
  link.download = `kestal-${fileStamp(new Date())}.keys`;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// Reads a chosen file as text; a file that is not text, or larger than a recording may be,
// is said so (the latter before it is read).
export async function scriptFromFile(file) {
  if (file.size > RECORDING_MAX_BYTES) {
    throw new Error(`The recording ${sizeOverLimit(file.size)}.`);
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  try {
    return new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  } catch (error) {
    throw new Error(`${file.name} is not a replay: it is not text.`);
  }
}

// The keys a visitor has while watching: Space pauses and resumes, 1, 2, 4 and 8 set the
// speed, Escape leaves. Returns true for a key it took.
export function watchKey(event, watching) {
  if (event.ctrlKey || event.altKey || event.metaKey) return false;
  const Module = window.Module;
  if (event.key === ' ') {
    watching.paused = !watching.paused;
    Module._kestal_web_watch_pause(watching.paused ? 1 : 0);
  } else if (['1', '2', '4', '8'].includes(event.key)) {
    watching.speed = Number(event.key);
    Module._kestal_web_watch_speed(watching.speed);
  } else if (event.key === 'Escape') {
    Module._kestal_web_watch_leave();
  } else {
    return false;
  }
  event.preventDefault();
  return true;
}
