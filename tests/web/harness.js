// What the browser tests share: the installed site served on 127.0.0.1, headless Chromium
// through puppeteer-core, and reference pictures drawn by the native kestal-replay.
'use strict';

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

// A page of the site with its script errors collected.
async function openPage(browser, url) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', error => errors.push(String(error)));
  page.on('console', message => {
    if (message.type() === 'error') errors.push(message.text());
  });
  await page.setViewport({width: 1024, height: 768});
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
    const image = new Image();
    image.src = 'data:image/png;base64,' + png;
    await image.decode();
    const scratch = document.createElement('canvas');
    scratch.width = 640;
    scratch.height = 400;
    const scratchContext = scratch.getContext('2d');
    scratchContext.drawImage(image, 0, 0);
    const want = scratchContext.getImageData(0, 0, 640, 400).data;
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

module.exports = {serve, installSite, launchBrowser, openPage, waitForState, replayPicture,
                  canvasDifferences, waitForPicture, canvasPixel};
