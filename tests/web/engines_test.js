// What the browser tests rely on from each engine's adapter (KESTAL_BROWSER), on a small
// page of its own: init functions run before the page's scripts, errors and console lines
// come back, keys (a held one repeating), exact viewports, clicks and touches land where
// aimed, screenshots show the viewport.
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {test, before, after} = require('node:test');
const h = require('./harness');

h.skipUnlessReady({webBuild: null});

// Logs its events; a blue square at the top left, a green one at the bottom right.
const PAGE = `<!doctype html><html><head><title>probe</title><link rel="icon" href="data:,"></head>
<body style="margin:0; background:#f00">
<div style="position:fixed; left:0; top:0; width:20px; height:20px; background:#00f"></div>
<div style="position:fixed; right:0; bottom:0; width:20px; height:20px; background:#0f0"></div>
<script>
  window.seenByPage = window.stubbed;
  window.events = [];
  addEventListener('keydown', e => events.push([e.key, e.code]));
  addEventListener('pointerdown', e => events.push([e.pointerType, e.clientX, e.clientY]));
  console.log('hello');
  console.error('not well');
</script>
<script>throw new Error('thrown');</script></body></html>`;

let root, server, browser;
before(async () => {
  browser = await h.launchBrowser();
  root = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-probe-'));
  fs.writeFileSync(path.join(root, 'index.html'), PAGE);
  server = await h.serve(root, browser);
});
after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (root) fs.rmSync(root, {recursive: true, force: true});
});

test('init, errors, console lines, keys, viewport, clicks and screenshots', async () => {
  const page = await h.openPage(browser, server.url, {init: [() => { window.stubbed = 'yes'; }],
                                                      viewport: {width: 640, height: 480}});
  assert.strictEqual(await page.evaluate(() => window.seenByPage), 'yes', 'init ran first');
  const errors = await page.errors();
  assert.deepStrictEqual(errors.map(e => (/not well|thrown/.exec(e) || [e])[0]).sort(),
                         ['not well', 'thrown'], errors.join(' | '));
  assert.ok((await page.messages()).includes('hello'));

  await page.press('ArrowLeft');
  await page.down(' ');
  await page.down(' ');  // held: the keyboard repeats
  await page.up(' ');
  await page.press('a');
  await page.click(630, 470);
  assert.deepStrictEqual(await page.evaluate(() => events), [
    ['ArrowLeft', 'ArrowLeft'], [' ', 'Space'], [' ', 'Space'], ['a', 'KeyA'],
    ['mouse', 630, 470]]);

  await page.setViewport({width: 800, height: 500});
  assert.deepStrictEqual(await page.evaluate(() => [innerWidth, innerHeight]), [800, 500]);
  await h.frames(page, 2);
  const shot = await page.evaluate(async png => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + png;
    await image.decode();
    const canvas = document.createElement('canvas');
    [canvas.width, canvas.height] = [image.width, image.height];
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const rgb = (x, y) => Array.from(context.getImageData(x, y, 1, 1).data.slice(0, 3));
    return {size: [image.width, image.height], corners: [rgb(5, 5), rgb(400, 250), rgb(795, 495)]};
  }, await page.screenshot());
  assert.deepStrictEqual(shot, {size: [800, 500],
                                corners: [[0, 0, 255], [255, 0, 0], [0, 255, 0]]});
  await page.close();
});

test('touch: a touch screen that says so (a coarse pointer), and taps where aimed', async t => {
  if (!browser.can.touch) {
    t.skip(`${browser.title}'s driver has no touch input`);
    return;
  }
  const page = await h.openPage(browser, server.url,
                                {viewport: {width: 844, height: 390}, touch: true});
  await h.tap(page, 100, 200);
  const seen = await page.evaluate(() => [navigator.maxTouchPoints > 0,
                                          matchMedia('(pointer: coarse)').matches, events]);
  assert.deepStrictEqual(seen, [true, true, [['touch', 100, 200]]]);
  await page.close();
});
