// Replays in a browser (KESTAL_BROWSER): a game played live is recorded exactly (its replay
// by the native kestal-replay draws what the page drew, retrace for retrace); its share link
// plays the same game at speed 8 and at speed 1; a damaged link, file or fragment, or one
// beyond the limits of a recording, is said in one sentence at once, and the page still plays.
'use strict';

const assert = require('node:assert');
const {spawnSync} = require('node:child_process');
const {once} = require('node:events');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {test} = require('node:test');
const zlib = require('node:zlib');
const h = require('./harness');
const live = require('./live_play');
const {checkVideo, LASER_SCRIPT} = require('../replay/video_checks');

h.skipUnlessReady();

const shared = h.siteForTests();
let played;

const message = page => page.evaluate(() => document.getElementById('message').textContent);

test('a game played live: its replay draws what the page drew', async () => {
  const touch = shared.browser.can.touch;
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html?trace', {
    init: [live.stubGamepad],
    touch,
    viewport: touch ? {width: 844, height: 390} : {width: 1024, height: 768},
  });
  if (!touch) console.log(`# ${shared.browser.title} cannot touch: the Delay is typed on the keyboard`);
  played = await live.playLive(page, {seed: 7, until: 900, gamepad: true, touch});
  assert.match(played.script, /^# edition: sound$/m);
  assert.match(played.script, new RegExp(`^# frames: ${played.frames}$`, 'm'));
  assert.match(played.script, / p$/m, 'the game was paused');
  live.assertSameTrace(played.trace, live.replayTrace('sound', played.script, played.frames),
                       'live play');
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});

test('its share link plays the same game, at speed 1 and then at speed 8', async () => {
  assert.ok(played, 'needs the game played live');
  const opener = await h.openPage(shared.browser, shared.server.url + 'index.html');
  await h.waitForState(opener, 'ready');
  const link = await opener.evaluate(
      script => import('./page-replay.js').then(replays => replays.shareLink(script)), played.script);
  await opener.close();
  assert.ok(link.length < 2000, `a short link (${link.length} characters)`);
  const page = await h.openPage(shared.browser, link.replace('#', '?trace#'));
  await h.waitForState(page, 'ready');
  assert.strictEqual(await page.evaluate(() => document.body.dataset.mode), 'watch');
  await page.press('Enter');
  await h.waitForState(page, 'running');
  // A speed changed while the replay plays changes only how many retraces a picture shows.
  await page.press('1');
  await h.frames(page, 120);
  await page.press('8');
  await h.waitForState(page, 'ended', 120000);
  assert.match(await message(page), /The replay has ended/);
  const watched = await page.evaluate(() => kestalPage.traceText());
  live.assertSameTrace(watched, played.trace, 'watched at speed 1, then 8');
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});

// A link to `head` and `blank` empty lines: under a megabyte of link may inflate to 700.
const linkTo = (head, blank = 0) => 'index.html#replay=' + zlib.deflateRawSync(
    Buffer.concat([Buffer.from(head), Buffer.alloc(blank, '\n')]),
    {level: 9, strategy: zlib.constants.Z_RLE}).toString('base64url');

// Chooses, in the page, a file of `piece` `times` over (shared: hundreds of MB cost nothing).
function choose([piece, times, tail]) {
  const chosen = new DataTransfer();
  chosen.items.add(new File([...Array(times).fill(new Blob([piece])), tail], 'game.keys'));
  document.getElementById('replay-file').files = chosen.files;
  window.chosenAt = performance.now();
  document.getElementById('replay-file').dispatchEvent(new Event('change'));
}

// Runs in the page from its start: notes when its message last changed, as window.saidAt.
function noteMessages() {
  let said = '';
  new MutationObserver(() => {
    const message = document.getElementById('message');
    if (!message || message.textContent === said) return;
    [said, window.saidAt] = [message.textContent, performance.now()];
  }).observe(document, {subtree: true, childList: true, characterData: true});
}

// Notes how late each key-down reaches the page's handlers, as window.keyLags (ms).
function noteKeyLags() {
  window.keyLags = [];
  addEventListener('keydown', event => keyLags.push(performance.now() - event.timeStamp));
}

const videoState = page => page.evaluate(() => document.body.dataset.video);

test('a replay saved as a video: what kestal-replay makes; Cancel; the page stays responsive', async () => {
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html',
                                {init: [noteKeyLags]});
  await h.waitForState(page, 'ready');
  await page.evaluate(choose, [LASER_SCRIPT, 1, '']);
  await h.waitFor(page, () => !document.getElementById('save-video').hidden &&
                              ['ready', 'unsupported'].includes(document.body.dataset.video),
                  {what: '"Save video" offered, once the browser was asked about its encoders'});
  if (await videoState(page) === 'unsupported') {
    const said = await page.evaluate(() => document.getElementById('save-video').textContent);
    console.log(`# ${shared.browser.title} makes no video: "${said}"`);
    assert.match(said, /^No video: this browser /);
    return;
  }
  // The whole video, keys pressed meanwhile.
  const started = Date.now();
  await h.clickOn(page, '#save-video');
  while (await videoState(page) === 'making') {
    await page.press('Shift');
    await h.pause(200);
  }
  const seconds = (Date.now() - started) / 1000;
  const lags = await page.evaluate(() => keyLags);
  const middle = [...lags].sort((a, b) => a - b)[Math.floor(lags.length / 2)];
  console.log(`# 70 frames made in ${seconds.toFixed(1)} s; keys handled after ${middle.toFixed(1)} ` +
              `ms (median), ${Math.max(...lags).toFixed(1)} ms at most (${lags.length} keys)`);
  assert.strictEqual(await videoState(page), 'saved', await page.evaluate(() => document.body.innerText));
  // The median: a shared machine's worst moment is no measure of the page.
  assert.ok(lags.length > 0 && middle < 100, `key lags ${lags.join(', ')} ms`);
  const file = path.join(os.tmpdir(), `kestal-video-${process.pid}.mp4`);
  const bytes = await page.evaluate(async () => {
    const data = new Uint8Array(await kestalPage.lastVideo().arrayBuffer());
    let binary = '';
    for (let at = 0; at < data.length; at += 0x8000) {
      binary += String.fromCharCode.apply(null, data.subarray(at, at + 0x8000));
    }
    return btoa(binary);
  });
  fs.writeFileSync(file, Buffer.from(bytes, 'base64'));
  try {
    checkVideo(file, {replay: process.env.KESTAL_REPLAY, script: LASER_SCRIPT, edition: 'sound',
                      first: 1, last: 70, codecs: {video: 'h264', sound: ['opus', 'aac']}});
  } finally {
    fs.rmSync(file, {force: true});
  }

  // Cancel, on a longer recording, once the worker is under way: nothing moves after it.
  // (The button is offered again once the page has taken the new recording.)
  await page.evaluate(() => { document.getElementById('save-video').hidden = true; });
  await page.evaluate(choose, [LASER_SCRIPT.replace('frames: 70', 'frames: 3000'), 1, '']);
  await h.waitFor(page, () => !document.getElementById('save-video').hidden);
  await h.clickOn(page, '#save-video');
  await h.waitFor(page, () => document.getElementById('video-bar').value > 0,
                  {timeout: 60000, what: 'progress'});
  await h.clickOn(page, '#video-cancel');
  const progress = () => page.evaluate(() => document.getElementById('video-bar').value);
  const stoppedAt = await progress();
  await h.pause(500);
  assert.strictEqual(await videoState(page), 'cancelled');
  assert.strictEqual(await progress(), stoppedAt);
  if (typeof page.native.workers === 'function') assert.deepStrictEqual(page.native.workers(), []);

  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});

// The replay tool's refusal of `text`, which the page's must repeat: "is N bytes, ... have".
function toolRefusal(text) {
  const keys = path.join(os.tmpdir(), `kestal-over-${process.pid}.keys`);
  fs.writeFileSync(keys, text);
  const run = spawnSync(process.env.KESTAL_REPLAY, ['--edition', 'sound', '--keys', keys]);
  fs.rmSync(keys);
  return /' (is \d+ bytes, .* have)$/.exec(run.stderr.toString().trim())[1].replace(/[()]/g, '\\$&');
}

// Each case: [address, file chosen or null, the sentence, whether engines may differ in it].
// Links are inflated and files read by the engine's own streams and blobs, in every engine;
// what the program's reader says of a script is the same WebAssembly everywhere, so once.
const MiB = 1 << 20;
const OVER_LINK = /^The recording in this link is more than 4194304 bytes \(4 MiB\), the most/;
const REFUSALS = () => {
  const lines = '# x\n'.repeat(MiB / 4);
  return [
    ['index.html#replay=AAAA', null, /link is damaged \(its data is cut short/, true],
    ['index.html#replay=no!', null, /link is damaged \(it holds characters/, false],
    ['index.html', ['1 Up\n0 Down\n', 1, ''], /cannot be watched: line 2: retrace 0 is smaller/, false],
    ['index.html', ['5 Jump\n', 1, ''], /cannot be watched: line 1: unknown key name 'Jump'/, false],
    [linkTo('# edition: sound\n', 667 * MiB), null, OVER_LINK, true],
    [linkTo('# edition: sound\n', 20 * MiB), null, OVER_LINK, false],
    [linkTo('# edition: loud\n1 Enter\n'), null, /^The recording's edition 'loud' is neither/, false],
    ['index.html', ['\n'.repeat(MiB), 300, ''], new RegExp(`^The recording is ${300 * MiB} bytes`), true],
    ['index.html', [lines, 4, '\n'], new RegExp(`^The recording ${toolRefusal(lines.repeat(4) + '\n')}\\. `), false],
    ['index.html', ['1 a\n'.repeat(1000), 200, '1 a\n'], /^The recording has 200001 key events, 1 more than the 200000 /, true],
  ];
};

// Each link on a page of its own; the files chosen one after another on one page. Each
// refusal is said within 5 s and leaves the page ready to play, which it then does.
async function saidAtOnce(refusals) {
  const files = refusals.filter(([, file]) => file);
  for (const refusal of refusals.filter(([, file]) => !file)) await saidOnOnePage(refusal[0], [refusal]);
  if (files.length) await saidOnOnePage('index.html', files);
}

async function saidOnOnePage(address, refusals) {
  const page = await h.openPage(shared.browser, shared.server.url + address, {init: [noteMessages]});
  await h.waitForState(page, 'ready');
  for (const [, file, sentence] of refusals) {
    if (file) await page.evaluate(choose, file);
    await h.waitFor(page, said => new RegExp(said).test(document.getElementById('message').textContent),
                    {what: String(sentence)}, sentence.source);
    const took = await page.evaluate(chosen => saidAt - (chosen ? chosenAt : kestalPage.timing.ready),
                                     Boolean(file));
    const what = file ? sentence.source.slice(0, 40) : `a link of ${address.length} characters`;
    console.log(`# ${what}: said in ${Math.round(took)} ms`);
    assert.ok(took < 5000, `${what}: said within 5 s`);
    assert.strictEqual(await page.evaluate(() => document.body.dataset.mode), 'play');
  }
  assert.deepStrictEqual(await page.errors(), []);
  await page.press('Enter');  // and the page still plays
  await h.waitForState(page, 'running');
  await page.close();
}

test('a damaged link or file, or one over the limits, is said in one sentence at once', async () => {
  await saidAtOnce(REFUSALS().filter(([, , , enginesDiffer]) => enginesDiffer));
});

test('what the reader finds wrong in a script is said as the replay tool says it',
     {skip: h.onceOnly()}, async () => {
  await saidAtOnce(REFUSALS().filter(([, , , enginesDiffer]) => !enginesDiffer));
});
