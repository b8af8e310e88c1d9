// Both web editions played in headless Chromium, as a player would: the start gesture, the
// start-up picture against kestal-replay's, the Delay prompt, flying, the pause, the end.
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const {test, before, after} = require('node:test');
const h = require('./harness');

// Where the title, the prompt and the typed number shimmer; where "Play again? (Y/N)" does.
const DELAY_PROMPT_WAVE = [[0, 0, 248, 32], [0, 46, 152, 62], [160, 46, 224, 62]];
const PLAY_AGAIN_WAVE = [[0, 0, 88, 15], [96, 0, 136, 15]];
const BORDER = [300, 24];  // the innermost rectangle of the play-field border

const EDITIONS = [
  {program: 'kestal-silent', page: 'silent.html', edition: 'silent'},
  {program: 'kestal', page: 'index.html', edition: 'sound'},
];

let site, server, browser;
before(async () => {
  site = h.installSite(process.env.KESTAL_WEB_BUILD);
  server = await h.serve(site);
  browser = await h.launchBrowser();
});
after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (site) fs.rmSync(site, {recursive: true, force: true});
});

// Opens an edition's page and starts it with Enter, which the game must not see.
async function started(edition) {
  const opened = await h.openPage(browser, server.url + edition.page);
  await h.waitForState(opened.page, 'ready');
  assert.strictEqual(await opened.page.title(), edition.program);
  await opened.page.keyboard.press('Enter');
  await h.waitForState(opened.page, 'running');
  const startUp = await h.waitForPicture(opened.page, h.replayPicture(edition.edition, '', 2),
                                         DELAY_PROMPT_WAVE);
  assert.strictEqual(startUp.pixels, 0, 'start-up screen:' + startUp.example);
  return opened;
}

async function expectEnded(opened, message) {
  await h.waitForState(opened.page, 'ended');
  const body = await opened.page.evaluate(() => ({code: document.body.dataset.exitCode,
                                                  text: document.body.innerText}));
  assert.strictEqual(body.code, '0');
  assert.match(body.text, message);
  assert.deepStrictEqual(opened.errors, []);
}

// The ship: the centre of the pixels whose colours, in the replay's first picture of play
// (`png`), appear around the ship at (200, 200) and nowhere else in the play field.
const AROUND_THE_SHIP = [186, 188, 214, 212];
async function shipCentre(page, png) {
  return page.evaluate(async (png, [l, t, r, b]) => {
    const pixels = async source => {
      const c = document.createElement('canvas');
      c.width = 640;
      c.height = 400;
      const context = c.getContext('2d');
      if (typeof source === 'string') {
        const image = new Image();
        image.src = 'data:image/png;base64,' + source;
        await image.decode();
        context.drawImage(image, 0, 0);
        return context.getImageData(0, 0, 640, 400).data;
      }
      return source.getContext('2d').getImageData(0, 0, 640, 400).data;
    };
    const key = (d, i) => (d[i] << 16) | (d[i + 1] << 8) | d[i + 2];
    const reference = await pixels(png);
    const inside = new Set(), outside = new Set();
    for (let y = 26; y < 373; ++y) {
      for (let x = 61; x < 578; ++x) {
        const k = key(reference, 4 * (640 * y + x));
        if (k === 0) continue;
        (l <= x && x <= r && t <= y && y <= b ? inside : outside).add(k);
      }
    }
    const ship = new Set([...inside].filter(k => !outside.has(k)));
    const shown = await pixels(document.getElementById('screen'));
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

async function travelAfter(page, png, keys) {
  for (const key of keys) await page.keyboard.press(key);
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
    shown = await h.canvasPixel(page, ...BORDER);
    if (shown.join() === colour.join()) return;
    await pause(50);
  } while (Date.now() < end);
  assert.deepStrictEqual(shown, colour, 'border colour');
}

// The border's colour in a replay picture.
async function borderIn(page, png) {
  return page.evaluate(async (source, [x, y]) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + source;
    await image.decode();
    const c = document.createElement('canvas');
    c.width = 640;
    c.height = 400;
    c.getContext('2d').drawImage(image, 0, 0);
    return Array.from(c.getContext('2d').getImageData(x, y, 1, 1).data.slice(0, 3));
  }, png, BORDER);
}

// How many of the sound edition's effects play in a loop: the laser, while it fires.
const loopingSources = page => page.evaluate(() => Module._kestal_web_looping_sources());

for (const edition of EDITIONS) {
  test(`${edition.program}: the Delay prompt echoes, and Escape there ends the program`, async () => {
    const opened = await started(edition);
    for (const key of ['-', '7', 'Backspace', '5']) await opened.page.keyboard.press(key);
    const echoed = await h.waitForPicture(
        opened.page, h.replayPicture(edition.edition, '1 -\n1 7\n1 Backspace\n1 5\n', 10),
        DELAY_PROMPT_WAVE);
    assert.strictEqual(echoed.pixels, 0, 'the typed delay:' + echoed.example);
    await opened.page.keyboard.press('Escape');
    await expectEnded(opened, /The game has ended/);
    await opened.page.close();
  });

  test(`${edition.program}: arrows fly the ship, "p" pauses, Escape and "n" end the game`, async () => {
    const opened = await started(edition);
    const page = opened.page;
    const playPicture = h.replayPicture(edition.edition, '1 Enter\n', 30);
    await page.keyboard.press('Enter');
    await waitForBorder(page, await borderIn(page, playPicture));

    assert.ok((await travelAfter(page, playPicture, ['ArrowRight'])).x > 8, 'Right thrusts right');
    assert.ok((await travelAfter(page, playPicture, ['ArrowLeft', 'ArrowLeft'])).x < -8, 'Left');
    assert.ok((await travelAfter(page, playPicture, ['ArrowDown'])).y > 8, 'Down thrusts down');

    if (edition.edition === 'sound') {
      assert.strictEqual(await loopingSources(page), 0, 'no laser before Space');
      await page.keyboard.down(' ');
      let during = 0;
      for (let i = 0; i < 15; ++i) {  // held: the keyboard repeats
        await pause(30);
        await page.keyboard.down(' ');
        if (i === 10) during = await loopingSources(page);
      }
      await page.keyboard.up(' ');
      assert.strictEqual(during, 1, 'the laser plays while Space is held');
      await pause(300);
      assert.strictEqual(await loopingSources(page), 0, 'and stops after');
    }

    await page.keyboard.press('p');
    await waitForBorder(page, await borderIn(page, h.replayPicture(edition.edition, '1 Enter\n10 p\n', 74)));
    await page.keyboard.press('x');
    await waitForBorder(page, await borderIn(page, playPicture));

    await page.keyboard.press('Escape');
    const question = await h.waitForPicture(
        page, h.replayPicture(edition.edition, '1 Enter\n40 Escape\n', 50), PLAY_AGAIN_WAVE);
    assert.strictEqual(question.pixels, 0, '"Play again? (Y/N)":' + question.example);
    await page.keyboard.press('n');
    await expectEnded(opened, /The game has ended/);
    await page.close();
  });
}

test('the page: a 4:3 picture, full screen on Alt+Enter and the button, no Web Audio', async () => {
  const opened = await started(EDITIONS[0]);
  const page = opened.page;
  await page.setViewport({width: 1280, height: 720});
  const size = await page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return [box.width, box.height];
  });
  assert.deepStrictEqual(size, [960, 720], 'as large as the window allows at 4:3');

  await page.keyboard.down('Alt');
  await page.keyboard.press('Enter');
  await page.keyboard.up('Alt');
  await page.waitForFunction(() => document.fullscreenElement !== null, {timeout: 5000});
  await page.click('#full-screen');
  await page.waitForFunction(() => document.fullscreenElement === null, {timeout: 5000});
  // Neither typed anything: Escape is still the prompt's first key.
  await page.keyboard.press('Escape');
  await expectEnded(opened, /The game has ended/);
  await page.close();

  // A browser without Web Audio: the sound edition cannot set up its sound.
  const silentBrowser = await browser.newPage();
  await silentBrowser.evaluateOnNewDocument(() => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  });
  await silentBrowser.goto(server.url + 'index.html');
  await h.waitForState(silentBrowser, 'ready');
  await silentBrowser.keyboard.press('Enter');
  await h.waitForState(silentBrowser, 'ended');
  const said = await silentBrowser.evaluate(() => ({code: document.body.dataset.exitCode,
                                                     text: document.body.innerText}));
  assert.strictEqual(said.code, '1');
  assert.match(said.text, /sound could not be started[\s\S]*silent edition/);
  await silentBrowser.close();
});
