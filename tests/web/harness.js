// What the browser tests share: the installed site served on 127.0.0.1, headless Chromium
// through puppeteer-core, and reference pictures drawn by the native kestal-replay.
'use strict';

const assert = require('node:assert');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');
const {serve} = require('../../tools/site/serve');

const CHROMIUM = process.env.KESTAL_CHROMIUM || '/usr/bin/chromium';

// The site as `cmake --install` writes it, in a fresh folder.
function installSite(webBuild) {
  const prefix = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-site-'));
  execFileSync('cmake', ['--install', webBuild, '--prefix', prefix], {stdio: 'ignore'});
  return prefix;
}

async function launchBrowser() {
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768'],
  });
}

// A page of the site with its script errors collected. `beforeLoad(page)` may prepare the
// page (stubs, another viewport) before the site loads.
async function openPage(browser, url, beforeLoad = async () => {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', error => errors.push(String(error)));
  page.on('console', message => {
    if (message.type() === 'error') errors.push(message.text());
  });
  await page.setViewport({width: 1024, height: 768});
  // The tests' one way to read a replay picture (base64 PNG) inside the page: its RGBA bytes.
  await page.evaluateOnNewDocument(() => {
    window.replayPixels = async png => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + png;
      await image.decode();
      const scratch = document.createElement('canvas');
      scratch.width = 640;
      scratch.height = 400;
      const context = scratch.getContext('2d');
      context.drawImage(image, 0, 0);
      return context.getImageData(0, 0, 640, 400).data;
    };
  });
  await beforeLoad(page);
  await page.goto(url);
  return {page, errors};
}

async function waitForState(page, state, timeout = 20000) {
  await page.waitForFunction(wanted => document.body.dataset.state === wanted, {timeout}, state);
}

// The picture kestal-replay shows at `retrace` after `script`, as base64 PNG.
function replayPicture(edition, script, retrace) {
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-replay-'));
  fs.writeFileSync(path.join(out, 'keys'), script);
  execFileSync(process.env.KESTAL_REPLAY, ['--edition', edition, '--keys', path.join(out, 'keys'),
                                           '--frames', String(retrace), '--png-at', String(retrace),
                                           '--out', out]);
  const png = fs.readFileSync(path.join(out, `frame-${String(retrace).padStart(6, '0')}.png`));
  fs.rmSync(out, {recursive: true});
  return png.toString('base64');
}

// Runs in the page: how many pixels of the canvas differ from the reference picture.
// Inside the shimmering areas (both corners included) a pixel need only be black exactly
// where the reference is.
async function canvasDifferences(page, referencePng, shimmering = []) {
  return page.evaluate(async (png, areas) => {
    const want = await replayPixels(png);
    const have = document.getElementById('screen').getContext('2d').getImageData(0, 0, 640, 400).data;
    const shimmers = (x, y) => areas.some(([l, t, r, b]) => l <= x && x <= r && t <= y && y <= b);
    const black = (data, i) => data[i] === 0 && data[i + 1] === 0 && data[i + 2] === 0;
    let pixels = 0;
    let example = '';
    for (let y = 0; y < 400; ++y) {
      for (let x = 0; x < 640; ++x) {
        const i = 4 * (640 * y + x);
        const same = shimmers(x, y) ? black(have, i) === black(want, i)
                                    : have[i] === want[i] && have[i + 1] === want[i + 1] &&
                                      have[i + 2] === want[i + 2];
        if (same) continue;
        if (++pixels <= 3) example += ` (${x},${y}) ${have.slice(i, i + 3)} not ${want.slice(i, i + 3)};`;
      }
    }
    return {pixels, example};
  }, referencePng, shimmering);
}

// Waits until the canvas shows the reference picture; returns the last difference.
async function waitForPicture(page, referencePng, shimmering, timeout = 10000) {
  const end = Date.now() + timeout;
  let difference;
  do {
    difference = await canvasDifferences(page, referencePng, shimmering);
    if (difference.pixels === 0) break;
    await new Promise(resolve => setTimeout(resolve, 100));
  } while (Date.now() < end);
  return difference;
}

async function canvasPixel(page, x, y) {
  return page.evaluate((px, py) => Array.from(document.getElementById('screen').getContext('2d')
                                                 .getImageData(px, py, 1, 1).data.slice(0, 3)), x, y);
}

// Where the title, the prompt and the typed number shimmer; where "Play again? (Y/N)" does.
const DELAY_PROMPT_WAVE = [[0, 0, 248, 32], [0, 46, 152, 62], [160, 46, 224, 62]];
const PLAY_AGAIN_WAVE = [[0, 0, 88, 15], [96, 0, 136, 15]];
const BORDER = [300, 24];  // the innermost rectangle of the play-field border

// The ship: the centre of the pixels whose colours, in the replay's first picture of play
// (`png`), appear around the ship at (200, 200) and nowhere else in the play field.
const AROUND_THE_SHIP = [186, 188, 214, 212];
async function shipCentre(page, png) {
  return page.evaluate(async (png, [l, t, r, b]) => {
    const key = (d, i) => (d[i] << 16) | (d[i + 1] << 8) | d[i + 2];
    const reference = await replayPixels(png);
    const inside = new Set(), outside = new Set();
    for (let y = 26; y < 373; ++y) {
      for (let x = 61; x < 578; ++x) {
        const k = key(reference, 4 * (640 * y + x));
        if (k === 0) continue;
        (l <= x && x <= r && t <= y && y <= b ? inside : outside).add(k);
      }
    }
    const ship = new Set([...inside].filter(k => !outside.has(k)));
    const shown = document.getElementById('screen').getContext('2d').getImageData(0, 0, 640, 400).data;
    let sx = 0, sy = 0, n = 0;
    for (let y = 26; y < 373; ++y) {
      for (let x = 61; x < 578; ++x) {
        if (!ship.has(key(shown, 4 * (640 * y + x)))) continue;
        sx += x, sy += y, ++n;
      }
    }
    return n < 10 ? null : {x: sx / n, y: sy / n};
  }, png, AROUND_THE_SHIP);
}

const pause = ms => new Promise(resolve => setTimeout(resolve, ms));

// How far the ship flies in 400 ms, starting 150 ms after `act` (which thrusts).
async function shipTravel(page, png, act) {
  await act();
  await pause(150);
  const from = await shipCentre(page, png);
  await pause(400);
  const to = await shipCentre(page, png);
  assert.ok(from && to, 'the ship is not to be seen');
  return {x: to.x - from.x, y: to.y - from.y};
}

async function waitForBorder(page, colour) {
  const end = Date.now() + 5000;
  let shown;
  do {
    shown = await canvasPixel(page, ...BORDER);
    if (shown.join() === colour.join()) return;
    await pause(50);
  } while (Date.now() < end);
  assert.deepStrictEqual(shown, colour, 'border colour');
}

// The border's colour in a replay picture.
async function borderIn(page, png) {
  return page.evaluate(async (source, [x, y]) => {
    const i = 4 * (640 * y + x);
    return Array.from((await replayPixels(source)).slice(i, i + 3));
  }, png, BORDER);
}

// How many of the sound edition's effects play in a loop: the laser, while it fires.
const loopingSources = page => page.evaluate(() => Module._kestal_web_looping_sources());

async function expectEnded(opened, message) {
  await waitForState(opened.page, 'ended');
  const body = await opened.page.evaluate(() => ({code: document.body.dataset.exitCode,
                                                  text: document.body.innerText}));
  assert.strictEqual(body.code, '0');
  assert.match(body.text, message);
  assert.deepStrictEqual(opened.errors, []);
}

module.exports = {serve, installSite, launchBrowser, openPage, waitForState, replayPicture,
                  canvasDifferences, waitForPicture, canvasPixel, DELAY_PROMPT_WAVE,
                  PLAY_AGAIN_WAVE, pause, shipTravel, waitForBorder, borderIn, loopingSources,
                  expectEnded};
