// What the browser tests share: the installed site served on 127.0.0.1, a browser chosen
// by KESTAL_BROWSER (chromium, the default, firefox or webkit) and driven through its
// adapter in engines/, and reference pictures drawn by the native kestal-replay.
//
// A browser, from launchBrowser():
//   name, title, version; can.touch (whether its driver can touch the screen);
//   headScript: what its driver needs at the top of every page, or null (serve() puts it
//   there); open() (through openPage(), which adds the harness's own init); close().
// A page, from openPage(browser, url, {init, viewport, touch}):
//   evaluate(fn, ...args)  fn runs in the page; resolves to its (awaited) JSON-like result
//   press(key), down(key), up(key)  DOM key names: 'Enter', 'ArrowLeft', 'Alt', 'a', ' '
//   click(x, y)            a mouse click at CSS px of the viewport
//   touch(x, y)            a finger down; resolves to it, lifted by its end() (can.touch)
//   setViewport({width, height}), screenshot() (base64 PNG)
//   errors(), messages()   script and console errors, console lines, since it opened
//   close(); native        the driver's own page object, for steps only that driver can do
// WebKitGTK shows one page at a time: opening a page there closes the last.
'use strict';

const assert = require('node:assert');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const site = require('../../tools/site/serve');

const ENGINE = process.env.KESTAL_BROWSER || 'chromium';
const ENGINES = ['chromium', 'firefox', 'webkit'];
const adapter = () => require(`./engines/${ENGINE}`);
// Cases in which engines cannot differ (the program's own words, the page's logic) run in one
// engine only; node:test's skip names where they ran instead.
const ONCE_ENGINE = 'chromium';
const onceOnly = () => ENGINE !== ONCE_ENGINE && `engines cannot differ here: it runs in ${ONCE_ENGINE}`;

function onPath(program) {
  const executable = file => {
    try {
      fs.accessSync(file, fs.constants.X_OK);
      return true;
    } catch {
      return false;
    }
  };
  if (program.includes('/')) return executable(program);
  const dirs = (process.env.PATH || '').split(':').filter(dir => dir);
  return dirs.some(dir => executable(path.join(dir, program)));
}

// What this engine's tests miss, as the one line that says how to get it.
function missingPrerequisite(webBuild) {
  const engine = adapter();
  for (const name of engine.needs.modules) {
    try {
      require.resolve(name);
    } catch {
      return `browser tests need ${name}: run (cd tests/web && npm ci) or scripts/test.sh`;
    }
  }
  for (const program of engine.needs.programs) {
    if (!onPath(program)) {
      return `browser tests in ${engine.title} need ${program}: ` +
             'run scripts/install-deps.sh --web-tests';
    }
  }
  if (webBuild && !fs.existsSync(path.join(webBuild, 'cmake_install.cmake'))) {
    return `browser tests need the web build in ${webBuild}: run scripts/test.sh, or ` +
           'emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release && cmake --build build-web';
  }
  return null;
}

// Ends the process with status 77 (ctest: skipped) after that line, when something is missing.
// A test that needs no site says so with {webBuild: null}.
function skipUnlessReady({webBuild = process.env.KESTAL_WEB_BUILD || 'build-web'} = {}) {
  if (!ENGINES.includes(ENGINE)) {
    console.log(`KESTAL_BROWSER is ${ENGINE}; it can be ${ENGINES.join(', ')}`);
    process.exit(1);
  }
  const missing = missingPrerequisite(webBuild);
  if (!missing) return;
  console.log(missing);
  process.exit(77);
}

// The site as `cmake --install` writes it, in a fresh folder.
function installSite(webBuild) {
  const prefix = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-site-'));
  execFileSync('cmake', ['--install', webBuild, '--prefix', prefix], {stdio: 'ignore'});
  return prefix;
}

async function launchBrowser() {
  const engine = adapter();
  const browser = await engine.launch();
  console.log(`browser: ${engine.title} ${browser.version}`);
  return {name: ENGINE, title: engine.title, ...browser};
}

// The site on 127.0.0.1, with the browser's head script (if its driver needs one) in every
// page. Resolves to {url, sent, sentUncompressed, close()} (see tools/site/serve.js).
function serve(root, browser) {
  return site.serve(root, {headScript: (browser && browser.headScript) || undefined});
}

// The tests' one way to read a replay picture (base64 PNG) inside the page: its RGBA bytes.
function definePictureReader() {
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
}

// A page of the site with its script errors collected. `init` functions run in the page
// before its own scripts (stubs); `touch` makes it a touch screen (where browser.can.touch).
async function openPage(browser, url, {init = [], viewport = {width: 1024, height: 768},
                                       touch = false} = {}) {
  return browser.open(url, {init: [definePictureReader, ...init], viewport, touch});
}

const pause = ms => new Promise(resolve => setTimeout(resolve, ms));

// Resolves to the first truthy value of fn(...args) in the page, asked every 50 ms; `what`
// names the wait in the error, if it times out.
async function waitFor(page, fn, {timeout = 20000, what = String(fn)} = {}, ...args) {
  const end = Date.now() + timeout;
  for (;;) {
    const value = await page.evaluate(fn, ...args);
    if (value) return value;
    if (Date.now() > end) throw new Error(`waited ${timeout} ms in vain for ${what}`);
    await pause(50);
  }
}

// Waits as waitFor does, also through navigations (links, Watch), which make an evaluation
// fail while the next page loads.
async function waitAcross(page, fn, what, timeout = 20000) {
  const end = Date.now() + timeout;
  for (;;) {
    const value = await page.evaluate(fn).catch(() => null);
    if (value) return value;
    if (Date.now() > end) throw new Error(`waited ${timeout} ms in vain for ${what}`);
    await pause(100);
  }
}

// Waits for `count` more animation frames of the page: the game's pace, which a loaded
// machine slows down (a software-rendering browser may draw 20 frames a second).
async function frames(page, count) {
  const drawn = await page.evaluate(n => new Promise(resolve => {
    setTimeout(() => resolve(false), 20000);
    const next = () => (--n > 0 ? requestAnimationFrame(next) : resolve(true));
    requestAnimationFrame(next);
  }), count);
  if (!drawn) throw new Error(`the page drew fewer than ${count} frames in 20 s`);
}

async function waitForState(page, state, timeout = 20000) {
  await waitFor(page, wanted => document.body.dataset.state === wanted,
                {timeout, what: `the page's state "${state}"`}, state);
}

// The centre of an element, in CSS px of the viewport, and its size.
function centreOf(page, selector) {
  return page.evaluate(s => {
    const box = document.querySelector(s).getBoundingClientRect();
    return {x: box.left + box.width / 2, y: box.top + box.height / 2, width: box.width,
            height: box.height};
  }, selector);
}

async function clickOn(page, selector) {
  const at = await centreOf(page, selector);
  await page.click(at.x, at.y);
}

async function tap(page, x, y) {
  const finger = await page.touch(x, y);
  await finger.end();
}

// Firefox lays out in 1/60 px: sizes agree when they are within half a pixel.
function assertSize(actual, expected, message) {
  const near = actual.every((value, i) => Math.abs(value - expected[i]) < 0.5);
  assert.ok(near, `${message}: ${actual.join('x')}, not ${expected.join('x')}`);
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

// How far the ship flies in 24 frames (400 ms at 60 Hz), starting 9 frames after `act`
// (which thrusts).
async function shipTravel(page, png, act) {
  await act();
  await frames(page, 9);
  const from = await shipCentre(page, png);
  await frames(page, 24);
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
// Watches that number once a frame in the page (one shot of the laser sounds for two frames:
// too short to be seen from here for sure); resolves to a function that gives the most seen.
async function watchLoopingSources(page) {
  await page.evaluate(() => {
    window.mostLoopingSources = 0;
    const look = () => {
      mostLoopingSources = Math.max(mostLoopingSources, Module._kestal_web_looping_sources());
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  });
  return () => page.evaluate(() => mostLoopingSources);
}
const waitForSilence = page => waitFor(page, () => Module._kestal_web_looping_sources() === 0,
                                       {timeout: 5000, what: 'the laser to stop'});

async function expectEnded(page, message) {
  await waitForState(page, 'ended');
  const body = await page.evaluate(() => ({code: document.body.dataset.exitCode,
                                           text: document.body.innerText}));
  assert.strictEqual(body.code, '0');
  assert.match(body.text, message);
  assert.deepStrictEqual(await page.errors(), []);
}

// For a test file: one browser, and the installed site served to it, shared by all its tests
// (the returned object's browser, site and server exist once node:test's `before` has run).
function siteForTests() {
  const {before, after} = require('node:test');
  const shared = {};
  before(async () => {
    shared.browser = await launchBrowser();
    shared.site = installSite(process.env.KESTAL_WEB_BUILD);
    shared.server = await serve(shared.site, shared.browser);
  });
  after(async () => {
    if (shared.browser) await shared.browser.close();
    if (shared.server) await shared.server.close();
    if (shared.site) fs.rmSync(shared.site, {recursive: true, force: true});
  });
  return shared;
}

module.exports = {ENGINE, ONCE_ENGINE, onceOnly, skipUnlessReady, installSite, launchBrowser, serve, siteForTests, openPage, pause, waitFor,
                  waitAcross,
                  frames, waitForState, centreOf, clickOn, tap, assertSize, replayPicture,
                  canvasDifferences, waitForPicture, canvasPixel, DELAY_PROMPT_WAVE,
                  PLAY_AGAIN_WAVE, shipTravel, waitForBorder, borderIn, loopingSources,
                  watchLoopingSources, waitForSilence, expectEnded};
